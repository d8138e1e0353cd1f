// Test-only: preloaded into the real game (LD_PRELOAD), it plugs in one of SDL's virtual game
// controllers as soon as the game starts SDL's controller support, and drives it from the lines
// written to the FIFO named by KELVADO_PAD:
//   press BUTTON | release BUTTON    a, b, back, start, up, down, left, right
//   stick X                          the left stick's x, -32768 to 32767
//   unplug | plug                    takes the controller away, or plugs in a new one
// It reaches SDL through the game's own library, so it needs no SDL headers of its own.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define INIT_GAMECONTROLLER 0x00002000u
#define JOYSTICK_TYPE_GAMECONTROLLER 1

typedef int (*InitFunction)(unsigned flags);
typedef unsigned (*WasInitFunction)(unsigned flags);
typedef int (*AttachFunction)(int type, int axes, int buttons, int hats);
typedef int (*DetachFunction)(int deviceIndex);
typedef int (*NumJoysticksFunction)(void);
typedef int (*IsVirtualFunction)(int deviceIndex);
typedef void* (*OpenFunction)(int deviceIndex);
typedef void (*CloseFunction)(void* joystick);
typedef int (*SetButtonFunction)(void* joystick, int button, unsigned char value);
typedef int (*SetAxisFunction)(void* joystick, int axis, short value);

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static int started = 0;
static void* pad = NULL;

static void* Sdl(const char* name) {
    void* function = dlsym(RTLD_DEFAULT, name);
    if (!function) {
        fprintf(stderr, "pad shim: no %s\n", name);
        abort();
    }
    return function;
}

// The buttons of SDL's virtual controller, in its order.
static int ButtonOf(const char* name) {
    static const char* const names[] = {"a",     "b",      "x",          "y",    "back",
                                        "guide", "start",  "leftstick",  "rightstick",
                                        "leftshoulder",    "rightshoulder", "up",
                                        "down",  "left",   "right"};
    for (int i = 0; i < (int)(sizeof names / sizeof names[0]); ++i) {
        if (strcmp(names[i], name) == 0) return i;
    }
    return -1;
}

static void Plug(void) {
    AttachFunction attach = (AttachFunction)Sdl("SDL_JoystickAttachVirtual");
    OpenFunction open = (OpenFunction)Sdl("SDL_JoystickOpen");
    const int index = attach(JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    pad = index >= 0 ? open(index) : NULL;
    if (!pad) fprintf(stderr, "pad shim: no virtual controller\n");
}

static void Unplug(void) {
    NumJoysticksFunction count = (NumJoysticksFunction)Sdl("SDL_NumJoysticks");
    IsVirtualFunction isVirtual = (IsVirtualFunction)Sdl("SDL_JoystickIsVirtual");
    DetachFunction detach = (DetachFunction)Sdl("SDL_JoystickDetachVirtual");
    CloseFunction close = (CloseFunction)Sdl("SDL_JoystickClose");
    if (pad) close(pad);
    pad = NULL;
    for (int i = count() - 1; i >= 0; --i) {
        if (isVirtual(i)) detach(i);
    }
}

static void* ReadCommands(void* path) {
    SetButtonFunction setButton = (SetButtonFunction)Sdl("SDL_JoystickSetVirtualButton");
    SetAxisFunction setAxis = (SetAxisFunction)Sdl("SDL_JoystickSetVirtualAxis");
    FILE* commands = fopen((const char*)path, "r");
    if (!commands) {
        perror("pad shim");
        return NULL;
    }
    char line[128];
    while (fgets(line, sizeof line, commands)) {
        char verb[32] = "";
        char what[32] = "";
        if (sscanf(line, "%31s %31s", verb, what) < 1) continue;
        pthread_mutex_lock(&lock);
        if (strcmp(verb, "press") == 0 || strcmp(verb, "release") == 0) {
            const int button = ButtonOf(what);
            if (pad && button >= 0) setButton(pad, button, verb[0] == 'p');
        } else if (strcmp(verb, "stick") == 0) {
            if (pad) setAxis(pad, 0, (short)atoi(what));
        } else if (strcmp(verb, "unplug") == 0) {
            Unplug();
        } else if (strcmp(verb, "plug") == 0) {
            if (!pad) Plug();
        } else {
            fprintf(stderr, "pad shim: unknown command %s", line);
        }
        pthread_mutex_unlock(&lock);
    }
    fclose(commands);
    return NULL;
}

// Plugs the controller in once SDL's controller support is up, on the thread that started it.
static void StartOnce(void) {
    WasInitFunction wasInit = (WasInitFunction)Sdl("SDL_WasInit");
    if (started || !(wasInit(INIT_GAMECONTROLLER) & INIT_GAMECONTROLLER)) return;
    started = 1;
    const char* path = getenv("KELVADO_PAD");
    if (!path) return;
    Plug();
    pthread_t thread;
    if (pthread_create(&thread, NULL, ReadCommands, (void*)path) == 0) pthread_detach(thread);
}

int SDL_Init(unsigned flags) {
    static InitFunction real = NULL;
    if (!real) real = (InitFunction)dlsym(RTLD_NEXT, "SDL_Init");
    const int result = real(flags);
    if (result == 0) StartOnce();
    return result;
}

int SDL_InitSubSystem(unsigned flags) {
    static InitFunction real = NULL;
    if (!real) real = (InitFunction)dlsym(RTLD_NEXT, "SDL_InitSubSystem");
    const int result = real(flags);
    if (result == 0) StartOnce();
    return result;
}
