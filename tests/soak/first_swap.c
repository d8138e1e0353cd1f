/* Timing for the real game, preloaded into it; it wraps SDL_GL_SwapWindow.
 * Start-up: at the first swap, writes the time since KELVADO_T0 (nanoseconds of CLOCK_REALTIME,
 * taken by the launcher just before exec) to the file FIRST_SWAP_LOG and ends the process.
 * Frames: with SWAP_TIMES_LOG instead, lets the game run and, at its exit, writes the time of
 * every swap (milliseconds of CLOCK_MONOTONIC, one a line) to that file. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

enum { kMaxSwaps = 1 << 17 };
static double swapTimes[kMaxSwaps];
static int swapCount;

static void WriteSwapTimes(void) {
    FILE* log = fopen(getenv("SWAP_TIMES_LOG"), "w");
    if (!log) return;
    for (int i = 0; i < swapCount; ++i) fprintf(log, "%.3f\n", swapTimes[i]);
    fclose(log);
}

void SDL_GL_SwapWindow(void* window) {
    void (*real)(void*) = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    real(window);
    struct timespec now;
    if (getenv("SWAP_TIMES_LOG")) {
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (swapCount == 0) atexit(WriteSwapTimes);
        if (swapCount < kMaxSwaps) swapTimes[swapCount++] = now.tv_sec * 1e3 + now.tv_nsec / 1e6;
        return;
    }
    clock_gettime(CLOCK_REALTIME, &now);
    const char* t0 = getenv("KELVADO_T0");
    const char* path = getenv("FIRST_SWAP_LOG");
    if (!t0 || !path) return;
    const long long start = atoll(t0);
    const long long at = (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
    FILE* log = fopen(path, "w");
    if (log) {
        fprintf(log, "%.1f\n", (at - start) / 1e6);
        fclose(log);
    }
    _exit(0);
}
