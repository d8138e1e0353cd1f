// The name entry after a game whose score earns a place.
#pragma once

constexpr int kMaxNameLength = 10;

inline char nameText[kMaxNameLength + 1];
inline int nameLength = 0;
// True means the key's current press has already been used.
inline bool keyLatch[256];
// True once a character has been added since the name entry began.
inline bool nameTyped = false;
// The controller's character picker: the character its A adds next, stepped by Up and Down
// through A to Z and 0 to 9. It is shown only once a controller has been used on this screen.
inline char pickerCharacter = 'A';
inline bool pickerShown = false;

void ReadNameKeys();
void DrawNameEntry();
