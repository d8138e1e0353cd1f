/* Start-up timing for the real game: preloaded into it, this wraps SDL_GL_SwapWindow and, at
 * the first swap, writes the time since KELVADO_T0 (nanoseconds of CLOCK_REALTIME, taken by the
 * launcher just before exec) to the file FIRST_SWAP_LOG and ends the process. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

void SDL_GL_SwapWindow(void* window) {
    void (*real)(void*) = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    real(window);
    struct timespec now;
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
