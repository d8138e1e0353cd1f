// The process entry. The game has no command line, configuration or environment of its own:
// everything it reads lives in the current directory.
#include "app/mainloop.h"

int main() { return WinMain(); }
