// Reading ahead in a web page: the page has one thread, so the work runs at once, and the music
// module is read by BASS_MusicLoad itself.
#include "platform/read_ahead.h"

void StartWorkAhead(void (*work)(void*), void* context) { work(context); }
void FinishWorkAhead() {}
void ReadMusicAhead(const char*) {}
