// The C runtime's linear congruential generator, our own copy so that a seed gives the same
// world on every platform.
#include "game/rules.h"

namespace {
std::uint32_t randomState = 1;
}

void SeedRandom(std::uint32_t seed) { randomState = seed; }

std::uint32_t RandomState() { return randomState; }

int NextRandom() {
    randomState = randomState * 214013u + 2531011u;  // modulo 2^32 by unsigned wrap-around
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
