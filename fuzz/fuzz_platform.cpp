// The two system calls the readers make, answered silently: a fuzzer has no screen, and the
// targets check what was shown through the counters below.
#include "fuzz/fuzz_platform.h"

#include <cstring>

int MessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
    (void)owner;
    (void)type;
    ++fuzzMessageCount;
    std::strncpy(fuzzLastMessage, text ? text : "", sizeof fuzzLastMessage - 1);
    std::strncpy(fuzzLastCaption, caption ? caption : "", sizeof fuzzLastCaption - 1);
    return IDOK;
}

WindowHandle GetFocus() { return nullptr; }
