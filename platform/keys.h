// The keyboard's keys as the game's virtual-key codes, for every platform with a keyboard: the
// one key table. A key is named by its USB HID usage (the keyboard page, the numbering SDL's
// scancodes use) or by the name a web page's KeyboardEvent.code gives it. Letters follow the
// keyboard layout and every other key its position, as Win32's codes do.
#pragma once

// HID usages of the keys the ranges below start from.
constexpr int kUsageA = 0x04;        // to Z at 0x1D
constexpr int kUsage1 = 0x1E;        // to 9 at 0x26, then 0 at 0x27
constexpr int kUsageF1 = 0x3A;       // to F12 at 0x45
constexpr int kUsageNumpad1 = 0x59;  // to 9 at 0x61, then 0 at 0x62

// The HID usage of the key a KeyboardEvent.code names ("KeyA", "Enter", "Numpad7"); 0 for a
// name of no key the game has a code for.
int KeyUsageOfCode(const char* code);
// The virtual-key code of a key: its HID usage and, for a letter, the layout's letter on it
// ('a' to 'z' in either case; 0 when it types none). 0 for the keys the game has no code for:
// Alt is a system key and never reaches the game.
int VirtualKeyOf(int usage, int letter);
// Whether a key event reaches the game: a key with a code, pressed or released, but not the
// repeats of a held key, which change nothing.
bool KeyEventCounts(int virtualKey, bool down, bool repeat);
