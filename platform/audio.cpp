// The audio library's calls over an SDL2 audio device. libopenmpt decodes the tracker module,
// SDL's WAV loader and converter prepare the sample; what is left here is the handle bookkeeping
// and a small mixer that the device pulls from (and that RenderAudioFrames runs offline).
//
// Threads: the device callback runs on SDL's audio thread. Everything it reads (the music and
// sample tables, the volume) is changed only with the device locked, and libopenmpt modules are
// only touched inside the callback or under that lock, since they are not thread-safe.
#include <SDL.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio_mixer.h"
#include "platform/audio_source.h"
#include "platform/bass.h"
#include "platform/files.h"
#include "platform/read_ahead.h"

namespace {

constexpr int kMaxMusics = 4;
constexpr int kMaxSamples = 8;
constexpr int kMaxPlaybacks = 16;  // per sample
constexpr int kChunkFrames = 512;  // the mixer works through its output in pieces of this size
constexpr int kDeviceFrames = 1024;
// The largest files the loaders read: far beyond any real module or effect.
constexpr std::size_t kMaxMusicFileBytes = std::size_t{64} << 20;
constexpr std::size_t kMaxSampleFileBytes = std::size_t{16} << 20;
// A sample is converted to float stereo at the mix rate; a small file of a low rate can grow
// a hundredfold, so the converted sound has its own bound.
constexpr std::size_t kMaxSampleMixBytes = std::size_t{64} << 20;

// Handle kinds, kept in the top bits so that a music handle is never taken for a sample.
constexpr std::uint32_t kKindMusic = 1;
constexpr std::uint32_t kKindSample = 2;
constexpr std::uint32_t kKindChannel = 3;

struct Music {
    openmpt_module* module;
    bool playing;
    bool ended;  // ran to its end (without the loop flag); a new play starts it over
};

struct Sample {
    float* frames;  // stereo, interleaved, at the mix rate
    std::uint32_t frameCount;
    int maxPlaybacks;
    bool takeOver;
    bool active[kMaxPlaybacks];
    std::uint32_t position[kMaxPlaybacks];
};

bool initialised = false;
SDL_AudioDeviceID device = 0;
int mixRate = 0;
int volume = 100;
int lastError = BASS_OK;
std::uint32_t generation = 0;  // bumped by each BASS_Init so old handles stay refused
bool exitHookInstalled = false;

Music musics[kMaxMusics];
Sample samples[kMaxSamples];

// The mixer's scratch space; used only by MixFrames, which runs under the device lock.
float mixBuffer[kChunkFrames * 2];
float musicBuffer[kChunkFrames * 2];

BOOL Fail(int code) {
    lastError = code;
    return FALSE;
}

BOOL Succeed() {
    lastError = BASS_OK;
    return TRUE;
}

void LockMixer() {
    if (device != 0) SDL_LockAudioDevice(device);
}

void UnlockMixer() {
    if (device != 0) SDL_UnlockAudioDevice(device);
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
    return slot >= 0 && musics[slot].module != nullptr ? slot : -1;
}

int SampleSlot(HSAMPLE handle) {
    int slot = SlotOf(handle, kKindSample, kMaxSamples);
    return slot >= 0 && samples[slot].frames != nullptr ? slot : -1;
}

// Adds one piece of every playing channel into mixBuffer.
void MixChunk(int frames) {
    std::fill(mixBuffer, mixBuffer + frames * 2, 0.0f);
    for (Music& music : musics) {
        if (music.module == nullptr || !music.playing) continue;
        std::size_t got = openmpt_module_read_interleaved_float_stereo(
            music.module, mixRate, static_cast<std::size_t>(frames), musicBuffer);
        for (std::size_t i = 0; i < got * 2; ++i) mixBuffer[i] += musicBuffer[i];
        if (got < static_cast<std::size_t>(frames)) {
            music.playing = false;
            music.ended = true;
        }
    }
    for (Sample& sample : samples) {
        if (sample.frames == nullptr) continue;
        for (int p = 0; p < sample.maxPlaybacks; ++p) {
            if (!sample.active[p]) continue;
            std::uint32_t left = sample.frameCount - sample.position[p];
            std::uint32_t take = std::min<std::uint32_t>(left, static_cast<std::uint32_t>(frames));
            const float* from = sample.frames + std::size_t(sample.position[p]) * 2;
            for (std::uint32_t i = 0; i < take * 2; ++i) mixBuffer[i] += from[i];
            sample.position[p] += take;
            if (sample.position[p] >= sample.frameCount) sample.active[p] = false;
        }
    }
}

// The mix of the next `frames` frames as 16-bit stereo. Runs with the device locked (or inside
// the callback, where SDL holds that lock).
void MixFrames(std::int16_t* out, int frames) {
    if (!initialised) {
        std::memset(out, 0, std::size_t(frames) * 2 * sizeof(std::int16_t));
        return;
    }
    const float gain = static_cast<float>(volume) / 100.0f;
    while (frames > 0) {
        int n = std::min(frames, kChunkFrames);
        MixChunk(n);
        for (int i = 0; i < n * 2; ++i) {
            // The module's float output can overshoot full scale, more so with the sample on top.
            float v = std::clamp(mixBuffer[i] * gain, -1.0f, 1.0f);
            out[i] = static_cast<std::int16_t>(v * 32767.0f);
        }
        out += n * 2;
        frames -= n;
    }
}

void SDLCALL FeedDevice(void*, Uint8* stream, int length) {
    MixFrames(reinterpret_cast<std::int16_t*>(stream), length / int(2 * sizeof(std::int16_t)));
}

// A module read ahead (ReadMusicAhead) for the load that names its file. Written by the work
// ahead, read only once that has finished.
struct MusicAhead {
    char file[256];
    FileStamp stamp;
    openmpt_module* module;
};
MusicAhead musicAhead;

void DropMusicAhead() {
    if (musicAhead.module != nullptr) openmpt_module_destroy(musicAhead.module);
    musicAhead = MusicAhead{};
}

// The module read ahead when the load is of its whole, unchanged file; else null. Either way
// nothing is left ahead.
openmpt_module* TakeMusicAhead(BOOL fromMemory, const void* file, std::uint32_t offset,
                               std::uint32_t length) {
    openmpt_module* module = nullptr;
    FileStamp now;
    if (musicAhead.module != nullptr && !fromMemory && file != nullptr && offset == 0 &&
        length == 0 && std::strcmp(static_cast<const char*>(file), musicAhead.file) == 0 &&
        StampRegularFile(musicAhead.file, &now) && now == musicAhead.stamp) {
        module = musicAhead.module;
        musicAhead.module = nullptr;
    }
    DropMusicAhead();
    return module;
}

openmpt_module* CreateModule(const std::vector<unsigned char>& bytes, int* openmptError) {
    return openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                              nullptr, openmpt_error_func_ignore, nullptr,
                                              openmptError, nullptr, nullptr);
}

void ReleaseAll() {
    for (Music& music : musics) {
        if (music.module != nullptr) openmpt_module_destroy(music.module);
        music = Music{};
    }
    for (Sample& sample : samples) {
        SDL_free(sample.frames);
        sample = Sample{};
    }
}

// A process that ends without BASS_Free (Esc on the title screen) must not leave the audio
// thread running into the libraries' static destructors.
void CloseDeviceAtExit() {
    if (device != 0 && SDL_WasInit(SDL_INIT_AUDIO)) SDL_CloseAudioDevice(device);
    device = 0;
}

}  // namespace

void RenderAudioFrames(std::int16_t* out, int frames) {
    if (frames <= 0) return;
    LockMixer();
    MixFrames(out, frames);
    UnlockMixer();
}

int AudioMixRate() { return initialised ? mixRate : 0; }

std::uint32_t BASS_GetVersion() { return BASS_VERSION; }

int BASS_ErrorGetCode() { return lastError; }

BOOL BASS_Init(int deviceNumber, std::uint32_t frequency, std::uint32_t, void*) {
    if (initialised) return Fail(BASS_ERROR_ALREADY);
    if (frequency < 8000 || frequency > 192000) return Fail(BASS_ERROR_ILLPARAM);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(BASS_ERROR_DRIVER);

    const char* name = nullptr;  // SDL's default output device
    if (deviceNumber >= 0) {
        name = SDL_GetAudioDeviceName(deviceNumber, 0);
        if (name == nullptr) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return Fail(BASS_ERROR_DEVICE);
        }
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(frequency);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = FeedDevice;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants, the mixer stays as asked.
    SDL_AudioDeviceID opened = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (opened == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Fail(BASS_ERROR_DRIVER);
    }
    // The device opens paused, so nothing is pulled before the tables are set.
    ++generation;
    mixRate = static_cast<int>(frequency);
    volume = 100;
    initialised = true;
    device = opened;
    if (!exitHookInstalled) {
        std::atexit(CloseDeviceAtExit);
        exitHookInstalled = true;
    }
    return Succeed();
}

BOOL BASS_Free() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    SDL_CloseAudioDevice(device);  // waits for a running callback; none runs after this
    device = 0;
    ReleaseAll();
    DropMusicAhead();
    initialised = false;
    mixRate = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Succeed();
}

BOOL BASS_Start() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    SDL_PauseAudioDevice(device, 0);
    return Succeed();
}

BOOL BASS_Stop() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    // Stopping the output stops every music and sample with it; BASS_Start alone brings
    // nothing back.
    LockMixer();
    for (Music& music : musics) music.playing = false;
    for (Sample& sample : samples)
        std::fill(std::begin(sample.active), std::end(sample.active), false);
    UnlockMixer();
    SDL_PauseAudioDevice(device, 1);
    return Succeed();
}

BOOL BASS_SetVolume(std::uint32_t newVolume) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (newVolume > 100) return Fail(BASS_ERROR_ILLPARAM);
    LockMixer();
    volume = static_cast<int>(newVolume);
    UnlockMixer();
    return Succeed();
}

void ReadMusicAhead(const char* file) {
    DropMusicAhead();
    if (file == nullptr || std::strlen(file) >= sizeof musicAhead.file) return;
    std::vector<unsigned char> bytes;
    bool opened = false;
    FileStamp stamp;
    if (ReadRegularFile(file, kMaxMusicFileBytes, Overlong::kRefuse, &bytes, &opened, &stamp) !=
            FileRead::kRead ||
        bytes.empty())
        return;  // the load finds out for itself, and says so
    int openmptError = OPENMPT_ERROR_OK;
    openmpt_module* module = CreateModule(bytes, &openmptError);
    if (module == nullptr) return;
    std::strcpy(musicAhead.file, file);
    musicAhead.stamp = stamp;
    musicAhead.module = module;
}

HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, std::uint32_t offset, std::uint32_t length,
                      std::uint32_t flags) {
    if (!initialised) {
        DropMusicAhead();
        return Fail(BASS_ERROR_INIT);
    }
    // The same file unchanged reads and decodes to the same module, so one read ahead stands for
    // what follows; its slot is still to be found.
    openmpt_module* module = TakeMusicAhead(fromMemory, file, offset, length);
    std::vector<unsigned char> bytes;
    if (module == nullptr) {
        if (int error = ReadSource(fromMemory, file, offset, length, kMaxMusicFileBytes, bytes);
            error != BASS_OK)
            return Fail(error);
        if (bytes.empty()) return Fail(BASS_ERROR_FILEFORM);
    }

    int slot = 0;
    while (slot < kMaxMusics && musics[slot].module != nullptr) ++slot;
    if (slot == kMaxMusics) {
        if (module != nullptr) openmpt_module_destroy(module);
        return Fail(BASS_ERROR_MEM);
    }

    if (module == nullptr) {
        int openmptError = OPENMPT_ERROR_OK;
        module = CreateModule(bytes, &openmptError);
        if (module == nullptr)
            return Fail(openmptError == OPENMPT_ERROR_OUT_OF_MEMORY ? BASS_ERROR_MEM
                                                                    : BASS_ERROR_FILEFORM);
    }
    // -1 repeats for ever; 0 plays the song once.
    openmpt_module_set_repeat_count(module, (flags & BASS_MUSIC_LOOP) ? -1 : 0);

    LockMixer();
    musics[slot] = Music{module, false, false};
    UnlockMixer();
    lastError = BASS_OK;
    return MakeHandle(kKindMusic, slot);
}

BOOL BASS_MusicPlay(HMUSIC handle) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    int slot = MusicSlot(handle);
    if (slot < 0) return Fail(BASS_ERROR_HANDLE);
    LockMixer();
    Music& music = musics[slot];
    if (music.ended) {
        openmpt_module_set_position_seconds(music.module, 0.0);
        music.ended = false;
    }
    music.playing = true;
    UnlockMixer();
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

    int slot = 0;
    while (slot < kMaxSamples && samples[slot].frames != nullptr) ++slot;
    if (slot == kMaxSamples) return Fail(BASS_ERROR_MEM);

    SDL_AudioSpec spec{};
    Uint8* wav = nullptr;
    Uint32 wavLength = 0;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (stream == nullptr) return Fail(BASS_ERROR_MEM);
    if (SDL_LoadWAV_RW(stream, 1, &spec, &wav, &wavLength) == nullptr)
        return Fail(BASS_ERROR_FILEFORM);

    // Once, at load: to the mixer's own format, float stereo at the device rate.
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS, 2, mixRate) <
        0) {
        SDL_FreeWAV(wav);
        return Fail(BASS_ERROR_FILEFORM);
    }
    const std::size_t mixBytes = std::size_t(wavLength) * std::size_t(cvt.len_mult);
    if (mixBytes > kMaxSampleMixBytes) {
        SDL_FreeWAV(wav);
        return Fail(BASS_ERROR_FILEFORM);
    }
    cvt.len = static_cast<int>(wavLength);
    cvt.buf = static_cast<Uint8*>(SDL_malloc(mixBytes));
    if (cvt.buf == nullptr) {
        SDL_FreeWAV(wav);
        return Fail(BASS_ERROR_MEM);
    }
    std::memcpy(cvt.buf, wav, wavLength);
    SDL_FreeWAV(wav);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) {
        SDL_free(cvt.buf);
        return Fail(BASS_ERROR_FILEFORM);
    }
    const int converted = cvt.needed ? cvt.len_cvt : cvt.len;
    const std::uint32_t frameCount = static_cast<std::uint32_t>(converted) / (2 * sizeof(float));
    if (frameCount == 0) {
        SDL_free(cvt.buf);
        return Fail(BASS_ERROR_FILEFORM);
    }

    Sample loaded{};
    loaded.frames = reinterpret_cast<float*>(cvt.buf);
    loaded.frameCount = frameCount;
    loaded.maxPlaybacks = static_cast<int>(std::min<std::uint32_t>(maxPlaybacks, kMaxPlaybacks));
    loaded.takeOver = (flags & (BASS_SAMPLE_OVER_VOL | BASS_SAMPLE_OVER_POS)) != 0;
    LockMixer();
    samples[slot] = loaded;
    UnlockMixer();
    lastError = BASS_OK;
    return MakeHandle(kKindSample, slot);
}

HCHANNEL BASS_SamplePlay(HSAMPLE handle) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    int slot = SampleSlot(handle);
    if (slot < 0) return Fail(BASS_ERROR_HANDLE);
    LockMixer();
    Sample& sample = samples[slot];
    int playback = -1;
    for (int p = 0; p < sample.maxPlaybacks && playback < 0; ++p)
        if (!sample.active[p]) playback = p;
    if (playback < 0 && sample.takeOver) {
        // Every playback is at full volume, so the one taken over is the one furthest along.
        playback = 0;
        for (int p = 1; p < sample.maxPlaybacks; ++p)
            if (sample.position[p] > sample.position[playback]) playback = p;
    }
    if (playback >= 0) {
        sample.active[playback] = true;
        sample.position[playback] = 0;
    }
    UnlockMixer();
    if (playback < 0) return Fail(BASS_ERROR_NOCHAN);
    lastError = BASS_OK;
    return MakeHandle(kKindChannel, slot, playback);
}
