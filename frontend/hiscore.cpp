#include "frontend/hiscore.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "frontend/savefile.h"
#include "game/state.h"
#include "platform/files.h"
#include "screen/overlay.h"
#include "screen/textures.h"

namespace {

constexpr int kPlaces = 9;
constexpr int kFileLines = 2 * kPlaces;
constexpr int kMaxNameChars = static_cast<int>(sizeof(HighScoreEntry::name)) - 1;
// A real table is a few hundred bytes; nothing past this is looked at.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;

// The C locale's white space, as the word reader knows it.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// An optional sign and decimal digits from p, as a stream reads an int. Fails when there is no
// digit or the number does not fit 32 bits; *next is where the number ends.
bool ParseScore(const char* p, const char* end, std::int32_t* value, const char** next) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* digits = p;
    std::int64_t magnitude = 0;
    bool tooBig = false;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (!tooBig) {
            magnitude = magnitude * 10 + (*p - '0');
            tooBig = magnitude > std::int64_t{INT32_MAX} + 1;
        }
    }
    *next = p;
    if (p == digits || tooBig) return false;
    if (negative) magnitude = -magnitude;
    if (magnitude > INT32_MAX) return false;
    *value = static_cast<std::int32_t>(magnitude);
    return true;
}

void CopyName(char* name, const char* begin, const char* end) {
    // Hand-edited files may hold longer words; the field keeps the first 11 characters.
    std::size_t length = static_cast<std::size_t>(end - begin);
    if (length > static_cast<std::size_t>(kMaxNameChars)) length = kMaxNameChars;
    std::memcpy(name, begin, length);
    name[length] = '\0';
}

// The next line of [*p, end) without its LF or CR LF; false when the text is used up.
bool NextLine(const char** p, const char* end, const char** lineBegin, const char** lineEnd) {
    if (*p >= end) return false;
    const char* begin = *p;
    const void* found = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
    const char* stop = found ? static_cast<const char*>(found) : end;
    *p = found ? stop + 1 : end;
    if (stop > begin && stop[-1] == '\r') --stop;
    *lineBegin = begin;
    *lineEnd = stop;
    return true;
}

// The layout the game itself writes: 18 lines, a name without white space (maybe empty) on
// every odd line and a whole 32-bit number on every even line. Read line by line, so that an
// empty name keeps its place. For such a file without empty names this gives exactly what the
// word reader gives.
bool ReadSavedLayout(HighScoreTable* table, const char* text, std::size_t size) {
    const char* p = text;
    const char* end = text + size;
    const char* begins[kFileLines];
    const char* ends[kFileLines];
    std::int32_t scores[kPlaces];
    for (int line = 0; line < kFileLines; ++line) {
        if (!NextLine(&p, end, &begins[line], &ends[line])) return false;
        if (line % 2 == 0) {
            for (const char* c = begins[line]; c < ends[line]; ++c) {
                if (IsSpace(*c)) return false;
            }
        } else {
            const char* numberEnd = nullptr;
            if (!ParseScore(begins[line], ends[line], &scores[line / 2], &numberEnd) ||
                numberEnd != ends[line]) {
                return false;
            }
        }
    }
    for (int k = 1; k <= kPlaces; ++k) {
        CopyName(table->entries[k].name, begins[2 * (k - 1)], ends[2 * (k - 1)]);
        table->entries[k].score = scores[k - 1];
    }
    return true;
}

// Any other file: whitespace-separated words, name then score, as a text stream reads them.
// Once a read fails every later one fails too.
void ReadWords(HighScoreTable* table, const char* text, std::size_t size) {
    const char* p = text;
    const char* end = text + size;
    for (int k = 1; k <= kPlaces; ++k) {
        HighScoreEntry& entry = table->entries[k];
        while (p < end && IsSpace(*p)) ++p;
        if (p == end) return;
        const char* word = p;
        while (p < end && !IsSpace(*p)) ++p;
        CopyName(entry.name, word, p);

        while (p < end && IsSpace(*p)) ++p;
        const char* numberEnd = nullptr;
        if (!ParseScore(p, end, &entry.score, &numberEnd)) return;
        p = numberEnd;
    }
}

bool WriteTable(std::FILE* file, const void* context) {
    const HighScoreTable& table = *static_cast<const HighScoreTable*>(context);
    for (int k = 1; k <= kPlaces; ++k) {
        const HighScoreEntry& entry = table.entries[k];
        const std::size_t nameLength = strnlen(entry.name, kMaxNameChars);
        if (std::fwrite(entry.name, 1, nameLength, file) != nameLength ||
            std::fprintf(file, "\r\n%d\r\n", static_cast<int>(entry.score)) <= 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

void HighScoreTable::LoadFromText(const char* text, std::size_t size) {
    // Places the file does not fill stay empty with score 0.
    for (int k = 1; k <= kPlaces; ++k) entries[k] = HighScoreEntry{};
    if (text == nullptr || size == 0) return;
    if (ReadSavedLayout(this, text, size)) return;
    ReadWords(this, text, size);
}

void HighScoreTable::Load(const char* fileName) {
    // Anything but a regular file loads as a missing one; a huge one is read from its start.
    std::vector<unsigned char> data;
    ReadRegularFile(fileName, kMaxFileBytes, Overlong::kKeepStart, &data);
    LoadFromText(reinterpret_cast<const char*>(data.data()), data.size());
}

bool HighScoreTable::Save(const char* fileName) const {
    // A crash or a full disk while saving never costs the old records.
    return ReplaceFileSafely(fileName, WriteTable, this);
}

void HighScoreTable::Insert(HighScoreEntry entry, int place) {
    if (place < 1 || place > kPlaces) return;
    for (int k = kPlaces; k > place; --k) entries[k] = entries[k - 1];
    entries[place] = entry;
}

int FindHighScorePlace() {
    int place = 0;
    for (int k = kPlaces; k >= 1; --k) {
        if (score > highScores.entries[k].score) place = k;
    }
    return place;
}

void DrawHighScores() {
    char text[32];
    for (int k = 1; k <= kPlaces; ++k) {
        const HighScoreEntry& entry = highScores.entries[k];
        const float y = static_cast<float>(230 + 20 * k);
        std::snprintf(text, sizeof text, "%d.%.11s", k, entry.name);
        PrintText(23.0f, y, text, textures, kFontMaskTexture, kFontTexture, 0.6f, 0.6f, 32, 32,
                  1.0f, fontCharset);
        std::snprintf(text, sizeof text, "%d", static_cast<int>(entry.score));
        PrintText(280.0f, y, text, textures, kFontMaskTexture, kFontTexture, 0.6f, 0.6f, 32, 32,
                  1.0f, fontCharset);
    }
}
