#include "frontend/savefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kMaxPath = 4096;

// fsync of the directory that holds path, so that the rename itself reaches the disk.
void SyncDirectoryOf(const char* path) {
    char directory[kMaxPath];
    const char* slash = std::strrchr(path, '/');
    if (!slash) {
        std::strcpy(directory, ".");
    } else {
        std::size_t length = static_cast<std::size_t>(slash - path);
        if (length == 0) length = 1;  // the root
        if (length >= sizeof directory) return;
        std::memcpy(directory, path, length);
        directory[length] = '\0';
    }
    const int fd = open(directory, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Gives the whole temporary file the final name without ever taking the name from another file.
bool TakeFreeName(const char* tempName, const char* fileName) {
    if (link(tempName, fileName) == 0) {
        std::remove(tempName);
        return true;
    }
    if (errno == EEXIST) return false;
    // A file system without hard links: the name is checked first instead.
    if (access(fileName, F_OK) == 0 || errno != ENOENT) return false;
    return std::rename(tempName, fileName) == 0;
}

}  // namespace

bool ReplaceFileSafely(const char* fileName, bool (*write)(std::FILE* file, const void* context),
                       const void* context, bool keepExisting) {
    char tempName[kMaxPath];
    const int length = std::snprintf(tempName, sizeof tempName, "%s.tmp", fileName);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof tempName) return false;

    std::FILE* file = std::fopen(tempName, "wb");
    if (!file) return false;
    bool written = write(file, context);
    written = written && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    written = std::fclose(file) == 0 && written;
    if (written) {
        written =
            keepExisting ? TakeFreeName(tempName, fileName) : std::rename(tempName, fileName) == 0;
    }
    if (!written) {
        std::remove(tempName);
        return false;
    }
    SyncDirectoryOf(fileName);
    return true;
}
