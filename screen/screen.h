// What every screen of the game draws into and reads: the picture's size in overlay pixels and
// the key state kept from the window's key messages.
#pragma once

inline int screenWidth = 640;
inline int screenHeight = 480;
// Key state by virtual-key code, kept from key-down and key-up messages.
inline bool keyDown[256];
