// What the silent fuzzing platform saw of the message boxes.
#pragma once

#include "platform/platform.h"

inline int fuzzMessageCount = 0;
inline char fuzzLastMessage[256];
inline char fuzzLastCaption[64];

inline void ResetFuzzMessages() {
    fuzzMessageCount = 0;
    fuzzLastMessage[0] = '\0';
    fuzzLastCaption[0] = '\0';
}
