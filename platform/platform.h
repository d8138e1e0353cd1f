// The system interface: everything the game needs from the machine it runs on.
//
// The game was written against Win32, so the calls keep the Win32 names and meanings the game
// code relies on (virtual-key codes, window messages, message-box flags and answers, the
// millisecond clocks). platform/sdl/ implements them over SDL2 and platform/web/ in a web page;
// the tests link a fake implementation with scripted keys, a controllable clock and an EGL
// context instead.
// Nothing in this header depends on SDL.
#pragma once

#include <cstddef>
#include <cstdint>

using DWORD = std::uint32_t;

// Win32 virtual-key codes. Letters are their upper-case ASCII codes, digits '0' to '9'.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
// A game controller's buttons, D-pad and left stick, with Win32's codes for them (the Xbox
// layout: Menu is Start, View is Back). They arrive as keys of their own, and besides them as
// the keys they stand for: the D-pad's and the stick's left and right as the arrow keys, A and
// Start as Enter, B and Back as Esc (during a text entry B is Backspace and A is only itself).
constexpr int VK_GAMEPAD_A = 0xC3;
constexpr int VK_GAMEPAD_B = 0xC4;
constexpr int VK_GAMEPAD_DPAD_UP = 0xCB;
constexpr int VK_GAMEPAD_DPAD_DOWN = 0xCC;
constexpr int VK_GAMEPAD_DPAD_LEFT = 0xCD;
constexpr int VK_GAMEPAD_DPAD_RIGHT = 0xCE;
constexpr int VK_GAMEPAD_MENU = 0xCF;
constexpr int VK_GAMEPAD_VIEW = 0xD0;
constexpr int VK_GAMEPAD_LEFT_THUMBSTICK_RIGHT = 0xD5;
constexpr int VK_GAMEPAD_LEFT_THUMBSTICK_LEFT = 0xD6;

// Window messages the game sees. The screen saver and monitor power-down are kept off by the
// platform itself while the window exists, so no system-command message reaches the game.
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_QUIT = 0x0012;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;

struct Message {
    unsigned message;
    std::uintptr_t wParam;  // WM_KEYDOWN/WM_KEYUP: the virtual-key code; WM_QUIT: the exit code
    std::intptr_t lParam;   // WM_SIZE: width in the low word, height in the high word
};

// Message boxes.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct PlatformWindow;
using WindowHandle = PlatformWindow*;
using DeviceContext = PlatformWindow*;  // the window's GL drawable
using RenderContext = void*;

// What the game asks of its GL pixel format.
struct PixelFormatRequest {
    bool doubleBuffer;
    int colorBits;
    int depthBits;
};

// --- Window and GL context, in the order the game makes them -----------------------------
// The window system itself; false when it cannot be started.
bool RegisterWindowClass();
bool UnregisterWindowClass();
// Switches the display to width x height at bits per pixel; false when the display has no such
// mode. The switch takes effect for the full-screen window made next.
bool ChangeDisplaySettings(int width, int height, int bits);
void RestoreDisplaySettings();
// A window whose client area is width x height, full screen or an ordinary window, hidden until
// ShowWindow. The GL pixel format is part of the window, so it is requested here. A full-screen
// window made without a display-mode change before it covers the display at its current mode,
// whatever width and height say.
WindowHandle CreateWindow(const char* title, int width, int height, bool fullscreen,
                          const PixelFormatRequest& request);
// The size of the window's GL drawable in pixels, which on a high-DPI display can exceed its
// size in screen units.
bool GetClientSize(WindowHandle window, int* width, int* height);
bool DestroyWindow(WindowHandle window);
DeviceContext GetDC(WindowHandle window);
bool ReleaseDC(WindowHandle window, DeviceContext dc);
// The format the window was given (0 when it has none) and the check that it is the one asked for.
int ChoosePixelFormat(DeviceContext dc, const PixelFormatRequest& request);
bool SetPixelFormat(DeviceContext dc, int format, const PixelFormatRequest& request);
RenderContext wglCreateContext(DeviceContext dc);
bool wglMakeCurrent(DeviceContext dc, RenderContext rc);  // (nullptr, nullptr) releases
bool wglDeleteContext(RenderContext rc);
void ShowWindow(WindowHandle window);  // shows, raises and focuses it
void ShowCursor(bool show);
void SwapBuffers(DeviceContext dc);

// --- Messages --------------------------------------------------------------------------------
// Takes at most one message without waiting; false when there is none.
bool PeekMessage(Message* message);
// Queues WM_QUIT with the exit code.
void PostQuitMessage(int exitCode);

// --- Input and time --------------------------------------------------------------------------
// Bit 0x8000 is set when the key is down at the moment of the call.
std::int16_t GetAsyncKeyState(int virtualKey);
// On while the game takes typed text: a controller's B then stands for Backspace and its A for
// no key but its own. A button held across the change keeps its old key only until released.
void SetTextEntry(bool on);
DWORD timeGetTime();   // milliseconds, wraps after 49.7 days
DWORD GetTickCount();  // milliseconds, the game's random seed
void Sleep(DWORD milliseconds);

// --- Message boxes -----------------------------------------------------------------------------
// Shows a modal box and waits for the answer (IDOK, IDYES or IDNO); 0 when no box can be shown
// at all. The text also goes to standard error, so that it is never lost.
int MessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type);
// The window that has the keyboard focus, or nullptr.
WindowHandle GetFocus();

// --- Bitmap conversion -------------------------------------------------------------------------
// The platform's device-independent-bitmap conversion. file/size hold a whole Windows bitmap file
// (14-byte file header, bitmap header, colour table, pixels) of any depth and compression the
// platform decodes. On success it delivers the picture as 24-bit pixels in blue, green, red
// order, bottom row first, each row padded to a multiple of 4 bytes; release it with
// FreeConvertedBitmap. False when the data cannot be decoded.
struct ConvertedBitmap {
    int width;
    int height;
    int stride;  // bytes per row, a multiple of 4
    unsigned char* bits;
};
bool ConvertBitmapToBgr24(const unsigned char* file, std::size_t size, ConvertedBitmap* out);
void FreeConvertedBitmap(ConvertedBitmap* bitmap);
