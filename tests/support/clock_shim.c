// Test-only: preloaded into the real game (LD_PRELOAD), it replaces SDL's clock with one the test
// moves. KELVADO_CLOCK names a file holding the time in milliseconds; every reading of the clock
// reads it, so the game stands still until the test writes a later time, and then runs exactly
// the update steps that time holds, however busy the machine is. After each reading it writes
// "TIME READINGS" to KELVADO_CLOCK.seen, the readings counted since the time last changed, so the
// test can tell when the game has drawn what the new time brought.
// It stands in for SDL's own functions by name, so it needs no SDL headers.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

static uint64_t lastTime = 0;
static unsigned readings = 0;

static uint64_t ReadTestClock(void) {
    const char* path = getenv("KELVADO_CLOCK");
    if (!path) return 0;
    FILE* file = fopen(path, "r");
    unsigned long long time = lastTime;
    if (file) {
        if (fscanf(file, "%llu", &time) != 1) time = lastTime;  // caught mid-write: as before
        fclose(file);
    }
    if (time != lastTime) readings = 0;
    lastTime = time;
    ++readings;
    char seen[4096];
    snprintf(seen, sizeof seen, "%s.seen", path);
    char temporary[4100];
    snprintf(temporary, sizeof temporary, "%s.new", seen);
    FILE* out = fopen(temporary, "w");
    if (out) {
        fprintf(out, "%llu %u\n", time, readings);
        if (fclose(out) == 0) rename(temporary, seen);
    }
    return time;
}

uint64_t SDL_GetPerformanceFrequency(void) { return 1000000; }
uint64_t SDL_GetPerformanceCounter(void) { return ReadTestClock() * 1000; }
uint64_t SDL_GetTicks64(void) { return ReadTestClock(); }
uint32_t SDL_GetTicks(void) { return (uint32_t)ReadTestClock(); }
