#include "frontend/savefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kMaxPath = 4096;

// The directory part of path ("." for a bare name, "/" for the root); false when too long.
bool DirectoryOf(const char* path, char* directory, std::size_t room) {
    const char* slash = std::strrchr(path, '/');
    if (!slash) return std::snprintf(directory, room, ".") == 1;
    std::size_t length = static_cast<std::size_t>(slash - path);
    if (length == 0) length = 1;  // the root
    if (length >= room) return false;
    std::memcpy(directory, path, length);
    directory[length] = '\0';
    return true;
}

// fsync of the directory that holds path, so that the rename itself reaches the disk.
void SyncDirectoryOf(const char* path) {
    char directory[kMaxPath];
    if (!DirectoryOf(path, directory, sizeof directory)) return;
    const int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// The name the file is really kept under. A player may make hiscore.dat a symbolic link (to a
// synced folder, say); the replace must then go to the file it names and leave the link, so the
// links are followed, also to a file not made yet. False for a loop of links or a name too long.
bool FollowLinks(const char* path, char* target) {
    if (std::snprintf(target, kMaxPath, "%s", path) >= static_cast<int>(kMaxPath)) return false;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status;
        if (lstat(target, &status) != 0) return errno == ENOENT;
        if (!S_ISLNK(status.st_mode)) return true;
        char link[kMaxPath];
        const ssize_t length = readlink(target, link, sizeof link - 1);
        if (length <= 0) return false;
        link[length] = '\0';
        char directory[kMaxPath];
        if (link[0] == '/') {
            std::memcpy(target, link, static_cast<std::size_t>(length) + 1);
        } else {
            if (!DirectoryOf(target, directory, sizeof directory)) return false;
            const int written = std::snprintf(target, kMaxPath, "%s/%s", directory, link);
            if (written < 0 || written >= static_cast<int>(kMaxPath)) return false;
        }
    }
    return false;
}

// A new file of our own beside target, its name in tempName; -1 when none can be made. An old
// temporary file, or a link planted under such a name, is never written through.
int CreateFileBeside(const char* target, char* tempName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int length = std::snprintf(tempName, kMaxPath, "%s.%d-%d.tmp", target,
                                         static_cast<int>(getpid()), attempt);
        if (length < 0 || length >= static_cast<int>(kMaxPath)) return -1;
        const int fd = open(tempName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Gives the whole temporary file the final name without ever taking the name from another file.
bool TakeFreeName(const char* tempName, const char* fileName) {
    if (link(tempName, fileName) == 0) {
        unlink(tempName);
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
    char target[kMaxPath];
    if (!FollowLinks(fileName, target)) return false;
    // Whatever stands there that is not a regular file (a directory, a FIFO) is left alone.
    struct stat old;
    const bool exists = stat(target, &old) == 0;
    if (exists && (keepExisting || !S_ISREG(old.st_mode))) return false;

    char tempName[kMaxPath];
    const int fd = CreateFileBeside(target, tempName);
    if (fd < 0) return false;
    // The new file keeps the old one's permissions; a disk that has none refuses, and the file
    // is saved all the same.
    if (exists) (void)fchmod(fd, old.st_mode & 07777);
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(tempName);
        return false;
    }
    bool written = write(file, context);
    written = written && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    written = std::fclose(file) == 0 && written;
    if (written) {
        written = keepExisting ? TakeFreeName(tempName, target) : std::rename(tempName, target) == 0;
    }
    if (!written) {
        unlink(tempName);
        return false;
    }
    SyncDirectoryOf(target);
    return true;
}
