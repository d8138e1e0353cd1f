// What the audio library's load calls read: the file or the block of memory they name. Shared by
// every implementation of the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/bass.h"

// Reads the bytes a load call names: a file (offset, then `length` bytes or the rest) or a block
// of memory. A file must be a regular one of at most `limit` bytes; anything else (a directory,
// a FIFO, a device) does not open, and a longer one is no sound of ours. Returns an error code,
// BASS_OK on success.
int ReadSource(BOOL fromMemory, const void* file, std::uint32_t offset, std::uint32_t length,
               std::size_t limit, std::vector<unsigned char>& bytes);
