// The nine-place high-score table and its file.
#pragma once

#include <cstddef>
#include <cstdint>

struct HighScoreEntry {
    std::int32_t score;
    char name[12];  // NUL-terminated, at most 11 characters
};

struct HighScoreTable {
    HighScoreEntry entries[10];  // places 1 to 9; entry 0 is never used

    // Places the file does not fill get an empty name and score 0; a missing file loads empty.
    void Load(const char* fileName);
    // The reader behind Load, for the contents of a file already in memory.
    void LoadFromText(const char* text, std::size_t size);
    // Returns whether the file was written; a failed save leaves the old file whole.
    bool Save(const char* fileName) const;
    void Insert(HighScoreEntry entry, int place);
};

inline HighScoreTable highScores;

// The place in 1 to 9 that the current score earns, or 0.
int FindHighScorePlace();
void DrawHighScores();
