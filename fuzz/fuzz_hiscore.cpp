// The high-score reader on any text. Besides memory faults it checks what the table promises:
// every name fits its field, entry 0 is never touched, and what the game saves reads back the
// same.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/hiscore.h"

namespace {

constexpr int kPlaces = 9;
constexpr std::size_t kNameField = sizeof(HighScoreEntry::name);

void Fail(const char* why, int place) {
    std::fprintf(stderr, "fuzz_hiscore: %s (place %d)\n", why, place);
    std::abort();
}

// Saves go to memory-backed storage when there is some: Save syncs every file it writes.
const char* ScratchPath() {
    static char path[128];
    if (path[0] == '\0') {
        const char* directory = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::snprintf(path, sizeof path, "%s/kelvado-fuzz-hiscore-%d.dat", directory,
                      static_cast<int>(getpid()));
    }
    return path;
}

void CheckNames(const HighScoreTable& table) {
    for (int k = 1; k <= kPlaces; ++k) {
        const char* name = table.entries[k].name;
        if (!std::memchr(name, '\0', kNameField)) Fail("name not terminated in its field", k);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Entry 0 and every stale byte carry a pattern, so that a write outside the places shows.
    HighScoreTable table;
    std::memset(&table, 0xA5, sizeof table);
    const HighScoreEntry guard = table.entries[0];
    table.LoadFromText(reinterpret_cast<const char*>(data), size);
    if (std::memcmp(&table.entries[0], &guard, sizeof guard) != 0) Fail("entry 0 written", 0);
    CheckNames(table);

    // What the game saves must come back the same: scores, and names as far as they are text.
    const char* path = ScratchPath();
    if (!table.Save(path)) Fail("save failed", 0);
    HighScoreTable reloaded;
    std::memset(&reloaded, 0x5A, sizeof reloaded);
    reloaded.Load(path);
    std::remove(path);
    CheckNames(reloaded);
    for (int k = 1; k <= kPlaces; ++k) {
        if (reloaded.entries[k].score != table.entries[k].score) Fail("score changed by save", k);
        if (std::strcmp(reloaded.entries[k].name, table.entries[k].name) != 0) {
            Fail("name changed by save", k);
        }
    }
    return 0;
}
