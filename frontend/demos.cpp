#include "frontend/demos.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "frontend/hiscore.h"
#include "frontend/savefile.h"
#include "game/demo.h"
#include "game/demofile.h"
#include "platform/platform.h"

namespace {

constexpr const char* kFolder = "demos";
constexpr const char* kLastDemo = "demos/last.demo";
constexpr int kPlaces = 9;
constexpr int kMaxSameSecond = 9;  // kept names for one score, name and second: -2 to -9

// The last game's demo as written, and when it ended as file names give it.
sim::DemoHeader lastHeader;
char lastStamp[16];
// The last game has a whole demo that a stored name may keep.
bool lastGameKeepable = false;

bool WriteLastGame(std::FILE* file, const void*) {
    return sim::WriteDemoText(file, demoGame, lastHeader);
}

bool SaveDemo(const char* fileName, bool keepExisting) {
    mkdir(kFolder, 0777);  // usually there already
    if (ReplaceFileSafely(fileName, WriteLastGame, nullptr, keepExisting)) return true;
    std::fprintf(stderr, "kelvado: cannot write the demo %s\n", fileName);
    return false;
}

// A kept demo's file name: <score>-<NAME>-<YYYYMMDD>-<HHMMSS>[-<2..9>].demo.
struct KeptDemo {
    std::int32_t score;
    char name[12];
    std::string stamp;  // date, time and suffix: orders the demos of one entry by age
    std::string file;
};

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ParseKeptName(const std::string& file, KeptDemo* kept) {
    constexpr std::size_t kSuffix = 5;  // ".demo"
    if (file.size() <= kSuffix || file.compare(file.size() - kSuffix, kSuffix, ".demo") != 0) {
        return false;
    }
    std::string rest = file.substr(0, file.size() - kSuffix);
    std::string suffix;
    if (rest.size() > 2 && rest[rest.size() - 2] == '-' && rest.back() >= '2' &&
        rest.back() <= '9' && rest[rest.size() - 3] >= '0' && rest[rest.size() - 3] <= '9') {
        suffix = rest.substr(rest.size() - 2);
        rest.resize(rest.size() - 2);
    }
    // "-YYYYMMDD-HHMMSS" at the end, "<score>-<NAME>" before it.
    constexpr std::size_t kStamp = 16;
    if (rest.size() <= kStamp || rest[rest.size() - kStamp] != '-' ||
        rest[rest.size() - 7] != '-' || !AllDigits(rest.substr(rest.size() - 15, 8)) ||
        !AllDigits(rest.substr(rest.size() - 6))) {
        return false;
    }
    kept->stamp = rest.substr(rest.size() - 15) + suffix;
    rest.resize(rest.size() - kStamp);
    const std::size_t dash = rest.find('-');
    if (dash == std::string::npos) return false;
    const std::string score = rest.substr(0, dash);
    const std::string name = rest.substr(dash + 1);
    if (!AllDigits(score) || score.size() > 10 || name.empty() || name.size() >= sizeof kept->name)
        return false;
    for (char c : name) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    const long long value = std::stoll(score);
    if (value > INT32_MAX) return false;
    kept->score = static_cast<std::int32_t>(value);
    std::memcpy(kept->name, name.c_str(), name.size() + 1);
    kept->file = file;
    return true;
}

int PlacesHeldBy(const KeptDemo& kept) {
    int places = 0;
    for (int k = 1; k <= kPlaces; ++k) {
        const HighScoreEntry& entry = highScores.entries[k];
        if (entry.score == kept.score && std::strncmp(entry.name, kept.name, sizeof kept.name) == 0)
            ++places;
    }
    return places;
}

}  // namespace

void KeepLastDemo() {
    if (!demoFinished) return;
    demoFinished = false;
    lastHeader = sim::DemoHeader{};
    lastHeader.stated = demoOutcome;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(lastHeader.date, sizeof lastHeader.date, "%Y-%m-%d %H:%M:%S", &local);
    std::strftime(lastStamp, sizeof lastStamp, "%Y%m%d-%H%M%S", &local);
    lastGameKeepable = true;
    SaveDemo(kLastDemo, false);
}

void KeepDemoOfEntry(const char* name) {
    if (!lastGameKeepable) return;
    lastGameKeepable = false;
    std::snprintf(lastHeader.name, sizeof lastHeader.name, "%s", name);
    char fileName[96];
    for (int copy = 1; copy <= kMaxSameSecond; ++copy) {
        char suffix[4] = "";
        if (copy > 1) std::snprintf(suffix, sizeof suffix, "-%d", copy);
        std::snprintf(fileName, sizeof fileName, "%s/%d-%s-%s%s.demo", kFolder,
                      static_cast<int>(lastHeader.stated.score), lastHeader.name, lastStamp,
                      suffix);
        // A kept demo is never replaced, even by a clock that has gone back.
        if (access(fileName, F_OK) == 0) continue;
        if (SaveDemo(fileName, true)) break;
        return;
    }
    SaveDemo(kLastDemo, false);
}

void PruneKeptDemos() {
    DIR* folder = opendir(kFolder);
    if (!folder) return;
    std::vector<KeptDemo> kept;
    while (const dirent* entry = readdir(folder)) {
        KeptDemo demo;
        if (ParseKeptName(entry->d_name, &demo)) kept.push_back(demo);
    }
    closedir(folder);

    // Equal scores enter the table below each other, so of the demos of one score and name the
    // newest are those that have left it.
    std::sort(kept.begin(), kept.end(),
              [](const KeptDemo& a, const KeptDemo& b) { return a.stamp < b.stamp; });
    for (std::size_t i = 0; i < kept.size(); ++i) {
        int older = 0;
        for (std::size_t j = 0; j < i; ++j) {
            if (kept[j].score == kept[i].score && std::strcmp(kept[j].name, kept[i].name) == 0)
                ++older;
        }
        if (older < PlacesHeldBy(kept[i])) continue;
        const std::string path = std::string(kFolder) + "/" + kept[i].file;
        struct stat info;
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) std::remove(path.c_str());
    }
}

bool LoadDemoToWatch(const char* path) {
    std::string text, error;
    sim::DemoHeader header;
    if (sim::ReadDemoFile(path, &text, &error) &&
        sim::ReadDemoText(text, &demoGame, &header, &error)) {
        return true;
    }
    const std::string message = std::string("Cannot play the demo ") + path + ":\n" + error;
    MessageBox(nullptr, message.c_str(), "Kelvado", MB_OK | MB_ICONEXCLAMATION);
    return false;
}
