#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace {

// Opens without waiting and without taking a terminal as the controlling one; -1 unless the
// name is a regular file.
int OpenRegularFile(const char* path, struct stat* status) {
    if (!path) return -1;
    int fd;
    do {
        fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    if (fstat(fd, status) != 0 || !S_ISREG(status->st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

FileStamp StampOf(const struct stat& status) {
    FileStamp stamp;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    stamp.size = status.st_size;
    stamp.modified = status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec;
    stamp.changed = status.st_ctim.tv_sec * 1000000000LL + status.st_ctim.tv_nsec;
    return stamp;
}

// Reads up to `count` bytes; the number read (short at the end of the file), or -1.
long ReadUpTo(int fd, unsigned char* to, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = read(fd, to + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long>(done);
}

// ReadRegularFile once the file is open; may throw std::bad_alloc.
FileRead ReadOpenFile(int fd, const struct stat& status, std::size_t limit, Overlong overlong,
                      std::vector<unsigned char>* bytes) {
    const std::size_t size = status.st_size > 0 ? static_cast<std::size_t>(status.st_size) : 0;
    if (size > limit && overlong == Overlong::kRefuse) return FileRead::kTooLong;
    const std::size_t expected = size < limit ? size : limit;
    bytes->resize(expected);
    const long got = ReadUpTo(fd, bytes->data(), expected);
    if (got < 0) return FileRead::kNotOpened;
    bytes->resize(static_cast<std::size_t>(got));
    if (bytes->size() < expected) return FileRead::kRead;  // it shrank meanwhile

    // The size is only a hint: a file may grow while it is read, and some report none. The
    // rest is read up to the limit, the buffer never growing past it.
    unsigned char chunk[16 * 1024];
    while (bytes->size() < limit) {
        const std::size_t room = limit - bytes->size();
        const long more = ReadUpTo(fd, chunk, room < sizeof chunk ? room : sizeof chunk);
        if (more < 0) return FileRead::kNotOpened;
        if (more == 0) return FileRead::kRead;
        const std::size_t needed = bytes->size() + static_cast<std::size_t>(more);
        if (needed > bytes->capacity()) {
            const std::size_t doubled = 2 * bytes->capacity();
            bytes->reserve(doubled > needed ? (doubled < limit ? doubled : limit) : needed);
        }
        bytes->insert(bytes->end(), chunk, chunk + more);
    }
    unsigned char past;
    if (overlong == Overlong::kRefuse && ReadUpTo(fd, &past, 1) != 0) return FileRead::kTooLong;
    return FileRead::kRead;
}

}  // namespace

FileRead ReadRegularFile(const char* path, std::size_t limit, Overlong overlong,
                         std::vector<unsigned char>* bytes) {
    bool opened = false;
    return ReadRegularFile(path, limit, overlong, bytes, &opened);
}

FileRead ReadRegularFile(const char* path, std::size_t limit, Overlong overlong,
                         std::vector<unsigned char>* bytes, bool* opened, FileStamp* stamp) {
    bytes->clear();
    struct stat status;
    const int fd = OpenRegularFile(path, &status);
    *opened = fd >= 0;
    if (fd < 0) return FileRead::kNotOpened;
    if (stamp) *stamp = StampOf(status);
    FileRead result;
    try {
        result = ReadOpenFile(fd, status, limit, overlong, bytes);
    } catch (const std::bad_alloc&) {
        result = FileRead::kNoMemory;
    }
    close(fd);
    if (result != FileRead::kRead) {
        bytes->clear();
        bytes->shrink_to_fit();
    }
    return result;
}

bool CanOpenRegularFile(const char* path) {
    struct stat status;
    const int fd = OpenRegularFile(path, &status);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool StampRegularFile(const char* path, FileStamp* stamp) {
    struct stat status;
    const int fd = OpenRegularFile(path, &status);
    if (fd < 0) return false;
    close(fd);
    *stamp = StampOf(status);
    return true;
}
