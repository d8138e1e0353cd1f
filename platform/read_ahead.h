// Reading ahead: start-up work without any visible effect (reading and decoding the files the
// start-up needs) begun while the window is being made, so that it overlaps a wait on the
// display.
#pragma once

// Runs work(context) on a second thread where the platform has one, else at once. The work may
// not touch the window, GL, the audio device or message boxes. One piece at a time.
void StartWorkAhead(void (*work)(void*), void* context);
// Returns once the piece started last has run to its end; at once when there is none.
void FinishWorkAhead();

// Reads and decodes the music module file ahead of a BASS_MusicLoad of the same whole file,
// which then takes it instead of reading it again, provided the file is still the one read
// (same file, size and change times). Any other load, and BASS_Free, drop it. Nothing else
// notices: the load reports exactly what it would have.
void ReadMusicAhead(const char* file);
