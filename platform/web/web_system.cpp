// The rest of the system in a web page: performance.now() is the clock, Sleep and a message box
// give the browser its turn through Asyncify, and the box is the page's own dialog.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>

#include "platform/web/web_platform.h"

namespace {

EM_JS(double, MillisecondsNow, (), { return performance.now(); });

EM_ASYNC_JS(int, AskInPage, (const char* text, const char* caption, bool yesNo), {
    return await Module.kelvado.showMessage(UTF8ToString(caption), UTF8ToString(text), yesNo);
});

}  // namespace

DWORD timeGetTime() { return static_cast<DWORD>(static_cast<std::uint64_t>(MillisecondsNow())); }
DWORD GetTickCount() { return timeGetTime(); }
void Sleep(DWORD milliseconds) { emscripten_sleep(milliseconds); }

int MessageBox(WindowHandle, const char* text, const char* caption, unsigned type) {
    // Also on the console, as the desktop game also writes it to standard error.
    std::fprintf(stderr, "kelvado: %s: %s\n", caption, text);
    // The keys held go up first: the dialog takes the keyboard.
    ReleaseAllKeys();
    return AskInPage(text, caption, (type & 0x0F) == MB_YESNO);
}

WindowHandle GetFocus() { return windowExists ? &canvasWindow : nullptr; }
