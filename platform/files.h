// Reading the files the game finds beside it. Anything may stand under a data file's name: a
// directory, a FIFO, a device, a sparse file of gigabytes. Only a regular file is read, opening
// never waits (a FIFO without a writer would block an ordinary open for ever), and no more than
// a bound is ever read or allocated.
#pragma once

#include <cstddef>
#include <vector>

enum class FileRead {
    kRead,       // *bytes holds the file (or its first `limit` bytes, see Overlong)
    kNotOpened,  // missing, not a regular file, or unreadable
    kTooLong,    // more than `limit` bytes (refused); *bytes is empty
    kNoMemory,   // no room for the bytes; *bytes is empty
};

// What a file longer than the limit gives: refused unread, or its first `limit` bytes.
enum class Overlong { kRefuse, kKeepStart };

// The bytes of the regular file at path, at most `limit` of them.
FileRead ReadRegularFile(const char* path, std::size_t limit, Overlong overlong,
                         std::vector<unsigned char>* bytes);
// What tells one version of a file from another: the file itself, its size and the times of its
// last changes. A file rewritten or replaced since gets another stamp.
struct FileStamp {
    unsigned long long device;
    unsigned long long inode;
    long long size;
    long long modified;  // nanoseconds
    long long changed;   // nanoseconds
    bool operator==(const FileStamp&) const = default;
};

// The same, telling apart a file that did not open (*opened false) from one that opened and then
// failed to read: one open where a caller treats the two differently. With `stamp`, the stamp of
// the file as it was opened.
FileRead ReadRegularFile(const char* path, std::size_t limit, Overlong overlong,
                         std::vector<unsigned char>* bytes, bool* opened,
                         FileStamp* stamp = nullptr);

// The stamp of the regular file at path; false when it does not open as one. Nothing is read.
bool StampRegularFile(const char* path, FileStamp* stamp);

// Whether path opens for reading as a regular file; nothing is read.
bool CanOpenRegularFile(const char* path);
