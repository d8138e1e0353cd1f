// The process entry and its small command line. Without arguments the game starts as it always
// has; everything it reads lives in the current directory.
#include <cstdio>
#include <cstring>

#include "app/mainloop.h"
#include "frontend/demos.h"
#include "game/demo.h"

namespace {

constexpr const char* kUsage =
    "usage: kelvado [--window | --desktop] [--demo FILE]\n"
    "       kelvado --help | --version\n"
    "\n"
    "Steer the worm with the left and right arrow keys. Enter starts a game, Esc leaves it\n"
    "and, on the title screen, quits. Every game is recorded in demos/ beside hiscore.dat.\n"
    "A game controller plays too: A or Start is Enter, B or Back is Esc, the D-pad or the\n"
    "left stick steers; on the name entry Up and Down pick a letter, A adds it, B erases\n"
    "and Start stores the name.\n"
    "\n"
    "  --window     play in a window, without asking the display for 640 x 480 full screen\n"
    "  --desktop    play full screen at the display's own resolution, the picture scaled\n"
    "               to fit between black bars, without changing the display mode\n"
    "  --demo FILE  watch a recorded game, such as demos/last.demo; Esc ends it\n"
    "  --help       show this text\n"
    "  --version    show the version\n";

}  // namespace

int main(int argc, char** argv) {
    const char* demo = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::puts("kelvado " KELVADO_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--window") == 0 && !startOnDesktop) {
            startWindowed = true;
        } else if (std::strcmp(arg, "--desktop") == 0 && !startWindowed) {
            startOnDesktop = true;
        } else if (std::strcmp(arg, "--demo") == 0 && i + 1 < argc && !demo) {
            demo = argv[++i];
        } else {
            std::fprintf(stderr, "kelvado: unexpected argument '%s'\n", arg);
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (demo) {
        if (!LoadDemoToWatch(demo)) return 2;
        // From here on the game's key reads and its seed come from the demo.
        BeginWatchingDemo();
    }
    return WinMain();
}
