// What the SDL platform's own files share (sdl_window.cpp, sdl_events.cpp, sdl_controllers.cpp,
// sdl_system.cpp); nothing outside platform/sdl/ includes it.
#pragma once

#include <SDL.h>

#include "platform/platform.h"

// The game's one window, or nullptr.
extern SDL_Window* sdlWindow;

inline WindowHandle AsHandle(SDL_Window* w) { return reinterpret_cast<WindowHandle>(w); }
inline SDL_Window* AsWindow(WindowHandle handle) { return reinterpret_cast<SDL_Window*>(handle); }

// sdl_events.cpp: the event filter and our own quit event, set up with the window system.
void StartEvents();
void StopEvents();

// sdl_controllers.cpp: controllers are welcome, not needed.
void StartControllers();
void StopControllers();
// Takes every joystick and controller event already queued, leaving the others in place.
void TakeControllerEvents();
// Joystick and controller events, which lie together in SDL's numbering.
bool IsControllerEvent(Uint32 type);
void HandleControllerEvent(const SDL_Event& event);
// Whether the event filter keeps a controller's button or axis event: only those the game uses.
bool ControllerButtonCounts(Uint8 button);
bool ControllerAxisCounts(Uint8 axis);
