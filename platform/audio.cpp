// The audio library's front half, the same on every platform: the error state, the handles,
// the limits, the checks of every call's arguments and state, and the reading of the files the
// loaders name. What makes the sound is behind platform/audio_back.h.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio_back.h"
#include "platform/bass.h"
#include "platform/files.h"

namespace {

// Handle kinds, kept in the top bits so that a music handle is never taken for a sample.
constexpr std::uint32_t kKindMusic = 1;
constexpr std::uint32_t kKindSample = 2;
constexpr std::uint32_t kKindChannel = 3;
static_assert(kMaxPlaybacks <= 16, "a channel handle keeps its playback in 4 bits");

bool initialised = false;
int lastError = BASS_OK;
std::uint32_t generation = 0;  // bumped by each BASS_Init so old handles stay refused
bool musicUsed[kMaxMusics];
bool sampleUsed[kMaxSamples];

BOOL Fail(int code) {
    lastError = code;
    return FALSE;
}

BOOL Succeed() {
    lastError = BASS_OK;
    return TRUE;
}

std::uint32_t MakeHandle(std::uint32_t kind, int slot, int sub = 0) {
    return (kind << 28) | ((generation & 0xFFFF) << 12) | (static_cast<std::uint32_t>(slot) << 4) |
           static_cast<std::uint32_t>(sub);
}

// The table slot a handle of the given kind names, or -1.
int SlotOf(std::uint32_t handle, std::uint32_t kind, int slots) {
    if (handle == 0 || (handle >> 28) != kind || ((handle >> 12) & 0xFFFF) != (generation & 0xFFFF))
        return -1;
    int slot = static_cast<int>((handle >> 4) & 0xFF);
    return slot < slots ? slot : -1;
}

int MusicSlot(HMUSIC handle) {
    int slot = SlotOf(handle, kKindMusic, kMaxMusics);
    return slot >= 0 && musicUsed[slot] ? slot : -1;
}

int SampleSlot(HSAMPLE handle) {
    int slot = SlotOf(handle, kKindSample, kMaxSamples);
    return slot >= 0 && sampleUsed[slot] ? slot : -1;
}

int FreeSlot(const bool* used, int slots) {
    int slot = 0;
    while (slot < slots && used[slot]) ++slot;
    return slot < slots ? slot : -1;
}

// Reads the bytes a load call names: a file (offset, then `length` bytes or the rest) or a block
// of memory. A file must be a regular one of at most `limit` bytes; anything else (a directory,
// a FIFO, a device) does not open, and a longer one is no sound of ours. Returns an error code,
// BASS_OK on success.
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

}  // namespace

std::uint32_t BASS_GetVersion() { return BASS_VERSION; }

int BASS_ErrorGetCode() { return lastError; }

BOOL BASS_Init(int device, std::uint32_t frequency, std::uint32_t, void*) {
    if (initialised) return Fail(BASS_ERROR_ALREADY);
    if (frequency < 8000 || frequency > 192000) return Fail(BASS_ERROR_ILLPARAM);
    if (int error = AudioOutputOpen(device, frequency); error != BASS_OK) return Fail(error);
    ++generation;
    initialised = true;
    return Succeed();
}

BOOL BASS_Free() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    AudioOutputClose();
    AudioMusicAheadDrop();
    for (bool& used : musicUsed) used = false;
    for (bool& used : sampleUsed) used = false;
    initialised = false;
    return Succeed();
}

BOOL BASS_Start() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    AudioOutputStart();
    return Succeed();
}

BOOL BASS_Stop() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    // Stopping the output stops every music and sample with it; BASS_Start alone brings
    // nothing back.
    AudioOutputStop();
    return Succeed();
}

BOOL BASS_SetVolume(std::uint32_t volume) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (volume > 100) return Fail(BASS_ERROR_ILLPARAM);
    AudioOutputVolume(static_cast<int>(volume));
    return Succeed();
}

HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, std::uint32_t offset, std::uint32_t length,
                      std::uint32_t flags) {
    if (!initialised) {
        AudioMusicAheadDrop();
        return Fail(BASS_ERROR_INIT);
    }
    // The same file unchanged reads and decodes to the same module, so one read ahead stands for
    // what follows; its slot is still to be found.
    const bool ahead = AudioMusicAheadFits(fromMemory, file, offset, length);
    std::vector<unsigned char> bytes;
    if (!ahead) {
        if (int error = ReadSource(fromMemory, file, offset, length, kMaxMusicFileBytes, bytes);
            error != BASS_OK)
            return Fail(error);
        if (bytes.empty()) return Fail(BASS_ERROR_FILEFORM);
    }
    const int slot = FreeSlot(musicUsed, kMaxMusics);
    if (slot < 0) {
        AudioMusicAheadDrop();
        return Fail(BASS_ERROR_MEM);
    }
    if (int error = AudioMusicDecode(slot, bytes, (flags & BASS_MUSIC_LOOP) != 0); error != BASS_OK)
        return Fail(error);
    musicUsed[slot] = true;
    lastError = BASS_OK;
    return MakeHandle(kKindMusic, slot);
}

BOOL BASS_MusicPlay(HMUSIC handle) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    const int slot = MusicSlot(handle);
    if (slot < 0) return Fail(BASS_ERROR_HANDLE);
    AudioMusicPlay(slot);
    return Succeed();
}

HSAMPLE BASS_SampleLoad(BOOL fromMemory, const void* file, std::uint32_t offset,
                        std::uint32_t length, std::uint32_t maxPlaybacks, std::uint32_t flags) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (maxPlaybacks == 0) return Fail(BASS_ERROR_ILLPARAM);
    std::vector<unsigned char> bytes;
    if (int error = ReadSource(fromMemory, file, offset, length, kMaxSampleFileBytes, bytes);
        error != BASS_OK)
        return Fail(error);
    if (bytes.empty()) return Fail(BASS_ERROR_FILEFORM);
    const int slot = FreeSlot(sampleUsed, kMaxSamples);
    if (slot < 0) return Fail(BASS_ERROR_MEM);
    const int playbacks =
        maxPlaybacks < kMaxPlaybacks ? static_cast<int>(maxPlaybacks) : kMaxPlaybacks;
    const bool takeOver = (flags & (BASS_SAMPLE_OVER_VOL | BASS_SAMPLE_OVER_POS)) != 0;
    if (int error = AudioSampleDecode(slot, bytes, playbacks, takeOver); error != BASS_OK)
        return Fail(error);
    sampleUsed[slot] = true;
    lastError = BASS_OK;
    return MakeHandle(kKindSample, slot);
}

HCHANNEL BASS_SamplePlay(HSAMPLE handle) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    const int slot = SampleSlot(handle);
    if (slot < 0) return Fail(BASS_ERROR_HANDLE);
    const int playback = AudioSamplePlay(slot);
    if (playback < 0) return Fail(BASS_ERROR_NOCHAN);
    lastError = BASS_OK;
    return MakeHandle(kKindChannel, slot, playback);
}
