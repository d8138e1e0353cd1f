// Replacing a file so that a crash or a full disk never costs what it held: the new contents go
// to a temporary file beside it and take its name only once they are whole on the disk.
#pragma once

#include <cstdio>

// Writes fileName through `write`, which fills the open temporary file and returns false when
// it could not. With keepExisting a file of that name is never replaced: the call fails instead.
// Returns whether the file was written; on failure the old file is as it was.
bool ReplaceFileSafely(const char* fileName, bool (*write)(std::FILE* file, const void* context),
                       const void* context, bool keepExisting = false);
