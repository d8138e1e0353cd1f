#include "platform/audio_source.h"

#include "platform/files.h"

int ReadSource(BOOL fromMemory, const void* file, std::uint32_t offset, std::uint32_t length,
               std::size_t limit, std::vector<unsigned char>& bytes) {
    if (fromMemory) {
        if (file == nullptr || length == 0) return BASS_ERROR_ILLPARAM;
        const auto* start = static_cast<const unsigned char*>(file) + offset;
        bytes.assign(start, start + length);
        return BASS_OK;
    }
    if (file == nullptr) return BASS_ERROR_FILEOPEN;
    switch (ReadRegularFile(static_cast<const char*>(file), limit, Overlong::kRefuse, &bytes)) {
        case FileRead::kRead:
            break;
        case FileRead::kNotOpened:
            return BASS_ERROR_FILEOPEN;
        case FileRead::kTooLong:
            return BASS_ERROR_FILEFORM;
        case FileRead::kNoMemory:
            return BASS_ERROR_MEM;
    }
    const std::size_t from = offset < bytes.size() ? offset : bytes.size();
    const std::size_t rest = bytes.size() - from;
    const std::size_t take = length != 0 && length < rest ? length : rest;
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(from + take), bytes.end());
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(from));
    return BASS_OK;
}
