// The page's key events as the game's messages, and the keys' state. The page hands every key
// press and release over as the browser names the key (KeyboardEvent.code, and KeyboardEvent.key
// for what the layout types on it); the key table (platform/keys.cpp) makes the game's virtual
// keys of them here, at once, so that the keys' state is that of the moment of asking.
#include <emscripten.h>

#include <cstdint>
#include <cstring>

#include "platform/controller.h"
#include "platform/keys.h"
#include "platform/web/web_platform.h"

namespace {

// Where the page writes a key's two names, each NUL-terminated; longer names are cut short and
// then name no key.
constexpr int kKeyNameBytes = 32;
char keyNames[2 * kKeyNameBytes];

// The messages waiting, oldest first. A queue full (a page that has not been drawn for a long
// time) takes no more until the game catches up.
constexpr int kQueueLength = 256;
Message queue[kQueueLength];
int queueStart = 0;
int queueCount = 0;

// The keys held, in the order they went down, by the name they went down with: each goes up as
// the virtual key it went down as.
constexpr int kMaxHeld = 32;
struct HeldKey {
    char name[kKeyNameBytes];
    int virtualKey;
};
HeldKey held[kMaxHeld];
int heldCount = 0;

void Queue(unsigned message, std::uintptr_t wParam) {
    if (queueCount == kQueueLength) return;
    queue[(queueStart + queueCount) % kQueueLength] = Message{message, wParam, 0};
    ++queueCount;
}

int HeldIndex(const char* name) {
    for (int i = 0; i < heldCount; ++i)
        if (std::strcmp(held[i].name, name) == 0) return i;
    return -1;
}

// The letter KeyboardEvent.key types, 0 when it is no single Latin letter.
int LetterOf(const char* key) {
    const char c = key[0];
    return key[1] == '\0' && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) ? c : 0;
}

}  // namespace

void ReleaseAllKeys() {
    for (int i = 0; i < heldCount; ++i)
        Queue(WM_KEYUP, static_cast<std::uintptr_t>(held[i].virtualKey));
    heldCount = 0;
}

bool PeekMessage(Message* message) {
    GiveTurnUnlessSwapped();
    ReadControllers();
    if (TakeControllerMessage(message)) return true;
    if (queueCount == 0) return false;
    *message = queue[queueStart];
    queueStart = (queueStart + 1) % kQueueLength;
    --queueCount;
    // A key a controller holds too stays down until both let go.
    const unsigned type = message->message;
    if ((type == WM_KEYDOWN || type == WM_KEYUP) &&
        !KeyboardKeyPasses(static_cast<int>(message->wParam), type == WM_KEYDOWN))
        *message = Message{0, 0, 0};
    return true;
}

void PostQuitMessage(int exitCode) { Queue(WM_QUIT, static_cast<std::uintptr_t>(exitCode)); }

std::int16_t GetAsyncKeyState(int virtualKey) {
    if (ControllerHoldsKey(virtualKey)) return static_cast<std::int16_t>(0x8000);
    for (int i = 0; i < heldCount; ++i)
        if (held[i].virtualKey == virtualKey) return static_cast<std::int16_t>(0x8000);
    return 0;
}

// Called by the page (web/kelvado.js) between the game's turns.
extern "C" {

// The two names of the next key event: KeyboardEvent.code at the start, KeyboardEvent.key
// kelvado_key_name_bytes() further on.
char* kelvado_key_names() { return keyNames; }
int kelvado_key_name_bytes() { return kKeyNameBytes; }

// A key pressed (down 1) or released (down 0), named in kelvado_key_names(). 1 when the key is
// one of the game's, so that the page keeps the browser from acting on it too.
int kelvado_key(int down, int repeat) {
    keyNames[kKeyNameBytes - 1] = '\0';
    keyNames[2 * kKeyNameBytes - 1] = '\0';
    const char* code = keyNames;
    const char* key = keyNames + kKeyNameBytes;
    // A key is known by its position, or by what it types when the browser gives no position.
    const char* name = code[0] != '\0' ? code : key;
    if (!down) {
        const int at = HeldIndex(name);
        if (at < 0) return 0;
        const int virtualKey = held[at].virtualKey;
        for (int i = at; i + 1 < heldCount; ++i) held[i] = held[i + 1];
        --heldCount;
        Queue(WM_KEYUP, static_cast<std::uintptr_t>(virtualKey));
        return 1;
    }
    const int usage = KeyUsageOfCode(code);
    int letter = LetterOf(key);
    // A layout that types no Latin letter on a letter key (Cyrillic, Greek) leaves the key's
    // own letter.
    if (letter == 0 && usage >= kUsageA && usage < kUsageA + 26) letter = 'A' + (usage - kUsageA);
    const int virtualKey = VirtualKeyOf(usage, letter);
    if (virtualKey == 0) return 0;
    if (!KeyEventCounts(virtualKey, true, repeat != 0)) return 1;
    int at = HeldIndex(name);
    if (at < 0) {
        if (heldCount == kMaxHeld) return 1;  // more keys than hands: this one is not the game's
        at = heldCount++;
        std::strcpy(held[at].name, name);
    }
    held[at].virtualKey = virtualKey;
    Queue(WM_KEYDOWN, static_cast<std::uintptr_t>(virtualKey));
    return 1;
}

// The page lost the keyboard (another window, a dialog of its own).
void kelvado_keys_released() { ReleaseAllKeys(); }

}  // extern "C"
