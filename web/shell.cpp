// What the page asks of the game from outside its loop: the page closing, a table brought in
// by the player, how a watched demo came out, and what the screen shows. Called from
// web/kelvado.js and web/touch.js between frames.
#include <cstdio>
#include <vector>

#include "frontend/demos.h"
#include "frontend/hiscore.h"
#include "game/demo.h"
#include "game/state.h"
#include "platform/files.h"

extern "C" {

// A tab closed during a game leaves it as a closed window does: its demo is kept.
void kelvado_page_closing() {
    if (gameMode == kModePlaying && !demoWatching) {
        EndDemoGameLeft();
        KeepLastDemo();
    }
}

// The page puts a table the player brings in here.
constexpr const char* kImportedTable = "/tmp/imported-hiscore.dat";

// 1 when the imported table was read and is now the game's hiscore.dat; 0 when it cannot be read
// or holds no entry (nothing changes); -1 when it could not be saved.
int kelvado_import_table() {
    constexpr std::size_t kMaxTableBytes = std::size_t{1} << 20;
    std::vector<unsigned char> data;
    if (ReadRegularFile(kImportedTable, kMaxTableBytes, Overlong::kRefuse, &data) != FileRead::kRead)
        return 0;
    HighScoreTable table{};
    table.LoadFromText(reinterpret_cast<const char*>(data.data()), data.size());
    bool anyEntry = false;
    for (int place = 1; place <= 9; ++place) {
        if (table.entries[place].name[0] != '\0' || table.entries[place].score != 0)
            anyEntry = true;
    }
    if (!anyEntry) return 0;
    return table.Save("hiscore.dat") ? 1 : -1;
}

// The watched game's outcome as kelvado-sim states it, once it has ended; "" before.
const char* kelvado_watched_outcome() {
    static char text[96];
    text[0] = '\0';
    if (DemoWatched()) {
        std::snprintf(text, sizeof text, "score %d, %u play steps, ended by %s",
                      static_cast<int>(demoOutcome.score), demoOutcome.playSteps,
                      DemoEndName(demoOutcome.end));
    }
    return text;
}

// What the screen shows, for the page's touch controls: 0 the title, 1 a game, 2 the name entry,
// -1 a demo being watched.
int kelvado_mode() { return demoWatching ? -1 : static_cast<int>(gameMode); }

}  // extern "C"
