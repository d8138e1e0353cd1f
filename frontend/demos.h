// The demos the game keeps in demos/ beside hiscore.dat: last.demo, always the most recent game,
// and <score>-<NAME>-<date>-<time>.demo for each game whose name is in the table.
#pragma once

// Writes demos/last.demo once a recorded game has ended; does nothing otherwise. Called by the
// main loop after the update steps of a pass and when a game is left.
void KeepLastDemo();
// The name of the game just ended has been stored: its demo is kept under that name, which
// demos/last.demo now states too.
void KeepDemoOfEntry(const char* name);
// After the table has been saved: deletes the kept demos whose entries have left it. Files of
// any other name are never touched.
void PruneKeptDemos();

// Reads a demo to watch; a damaged or foreign file is reported (standard error and a message
// box) and gives false.
bool LoadDemoToWatch(const char* path);
