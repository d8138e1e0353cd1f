/* The start-up floor for scripts/bench.sh: a bare SDL2 program that opens the window the game
 * opens (640 x 480 full screen, OpenGL compatibility profile, double-buffered, 8 bits a colour,
 * a 32-bit depth buffer, made hidden and then shown and raised), clears it and swaps once. Timed
 * by the same preloaded first-swap wrapper as the game, it is what any SDL2 program pays before
 * its first frame on this machine; the game's start-up is reported against it. */
#include <GL/gl.h>
#include <SDL.h>
#include <stdio.h>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        fprintf(stderr, "floor: SDL video: %s\n", SDL_GetError());
        return 1;
    }
    SDL_DisplayMode mode;
    int haveMode = 0;
    for (int i = 0; i < SDL_GetNumDisplayModes(0) && !haveMode; ++i) {
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w == 640 && mode.h == 480) haveMode = 1;
    }
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 32);
    SDL_Window* window = SDL_CreateWindow("floor", 0, 0, 640, 480,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN |
                                              SDL_WINDOW_FULLSCREEN);
    if (!window) {
        fprintf(stderr, "floor: window: %s\n", SDL_GetError());
        return 1;
    }
    if (haveMode) SDL_SetWindowDisplayMode(window, &mode);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context || SDL_GL_MakeCurrent(window, context) != 0) {
        fprintf(stderr, "floor: GL context: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
