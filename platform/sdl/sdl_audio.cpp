// The sound under the audio library's front half, over an SDL2 audio device: libopenmpt decodes
// the tracker module, SDL's WAV loader and converter prepare the sample, and a small mixer here
// feeds the device (and RenderAudioFrames, offline). Also the music module read ahead.
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

#include "platform/audio_back.h"
#include "platform/audio_mixer.h"
#include "platform/files.h"
#include "platform/read_ahead.h"

namespace {

constexpr int kChunkFrames = 512;  // the mixer works through its output in pieces of this size
constexpr int kDeviceFrames = 1024;
// A sample is converted to float stereo at the mix rate; a small file of a low rate can grow
// a hundredfold, so the converted sound has its own bound.
constexpr std::size_t kMaxSampleMixBytes = std::size_t{64} << 20;

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

bool open = false;
SDL_AudioDeviceID device = 0;
int mixRate = 0;
int volume = 100;
bool exitHookInstalled = false;

Music musics[kMaxMusics];
Sample samples[kMaxSamples];

// The mixer's scratch space; used only by MixFrames, which runs under the device lock.
float mixBuffer[kChunkFrames * 2];
float musicBuffer[kChunkFrames * 2];

void LockMixer() {
    if (device != 0) SDL_LockAudioDevice(device);
}

void UnlockMixer() {
    if (device != 0) SDL_UnlockAudioDevice(device);
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
    if (!open) {
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

int AudioMixRate() { return open ? mixRate : 0; }

int AudioOutputOpen(int deviceNumber, std::uint32_t frequency) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return BASS_ERROR_DRIVER;

    const char* name = nullptr;  // SDL's default output device
    if (deviceNumber >= 0) {
        name = SDL_GetAudioDeviceName(deviceNumber, 0);
        if (name == nullptr) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return BASS_ERROR_DEVICE;
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
        return BASS_ERROR_DRIVER;
    }
    // The device opens paused, so nothing is pulled before the tables are set.
    mixRate = static_cast<int>(frequency);
    volume = 100;
    open = true;
    device = opened;
    if (!exitHookInstalled) {
        std::atexit(CloseDeviceAtExit);
        exitHookInstalled = true;
    }
    return BASS_OK;
}

void AudioOutputClose() {
    SDL_CloseAudioDevice(device);  // waits for a running callback; none runs after this
    device = 0;
    ReleaseAll();
    open = false;
    mixRate = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioOutputStart() { SDL_PauseAudioDevice(device, 0); }

void AudioOutputStop() {
    LockMixer();
    for (Music& music : musics) music.playing = false;
    for (Sample& sample : samples)
        std::fill(std::begin(sample.active), std::end(sample.active), false);
    UnlockMixer();
    SDL_PauseAudioDevice(device, 1);
}

void AudioOutputVolume(int newVolume) {
    LockMixer();
    volume = newVolume;
    UnlockMixer();
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

// Only a load of the whole, unchanged file takes the module read ahead.
bool AudioMusicAheadFits(BOOL fromMemory, const void* file, std::uint32_t offset,
                         std::uint32_t length) {
    FileStamp now;
    if (musicAhead.module != nullptr && !fromMemory && file != nullptr && offset == 0 &&
        length == 0 && std::strcmp(static_cast<const char*>(file), musicAhead.file) == 0 &&
        StampRegularFile(musicAhead.file, &now) && now == musicAhead.stamp)
        return true;
    DropMusicAhead();
    return false;
}

void AudioMusicAheadDrop() { DropMusicAhead(); }

int AudioMusicDecode(int slot, const std::vector<unsigned char>& bytes, bool loop) {
    openmpt_module* module = nullptr;
    if (bytes.empty()) {
        module = musicAhead.module;
        musicAhead.module = nullptr;
        DropMusicAhead();
    } else {
        int openmptError = OPENMPT_ERROR_OK;
        module = CreateModule(bytes, &openmptError);
        if (module == nullptr)
            return openmptError == OPENMPT_ERROR_OUT_OF_MEMORY ? BASS_ERROR_MEM
                                                               : BASS_ERROR_FILEFORM;
    }
    // -1 repeats for ever; 0 plays the song once.
    openmpt_module_set_repeat_count(module, loop ? -1 : 0);

    LockMixer();
    musics[slot] = Music{module, false, false};
    UnlockMixer();
    return BASS_OK;
}

void AudioMusicPlay(int slot) {
    LockMixer();
    Music& music = musics[slot];
    if (music.ended) {
        openmpt_module_set_position_seconds(music.module, 0.0);
        music.ended = false;
    }
    music.playing = true;
    UnlockMixer();
}

int AudioSampleDecode(int slot, const std::vector<unsigned char>& bytes, int maxPlaybacks,
                      bool takeOver) {
    SDL_AudioSpec spec{};
    Uint8* wav = nullptr;
    Uint32 wavLength = 0;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (stream == nullptr) return BASS_ERROR_MEM;
    if (SDL_LoadWAV_RW(stream, 1, &spec, &wav, &wavLength) == nullptr) return BASS_ERROR_FILEFORM;

    // Once, at load: to the mixer's own format, float stereo at the device rate.
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS, 2, mixRate) <
        0) {
        SDL_FreeWAV(wav);
        return BASS_ERROR_FILEFORM;
    }
    const std::size_t mixBytes = std::size_t(wavLength) * std::size_t(cvt.len_mult);
    if (mixBytes > kMaxSampleMixBytes) {
        SDL_FreeWAV(wav);
        return BASS_ERROR_FILEFORM;
    }
    cvt.len = static_cast<int>(wavLength);
    cvt.buf = static_cast<Uint8*>(SDL_malloc(mixBytes));
    if (cvt.buf == nullptr) {
        SDL_FreeWAV(wav);
        return BASS_ERROR_MEM;
    }
    std::memcpy(cvt.buf, wav, wavLength);
    SDL_FreeWAV(wav);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) {
        SDL_free(cvt.buf);
        return BASS_ERROR_FILEFORM;
    }
    const int converted = cvt.needed ? cvt.len_cvt : cvt.len;
    const std::uint32_t frameCount = static_cast<std::uint32_t>(converted) / (2 * sizeof(float));
    if (frameCount == 0) {
        SDL_free(cvt.buf);
        return BASS_ERROR_FILEFORM;
    }

    Sample loaded{};
    loaded.frames = reinterpret_cast<float*>(cvt.buf);
    loaded.frameCount = frameCount;
    loaded.maxPlaybacks = maxPlaybacks;
    loaded.takeOver = takeOver;
    LockMixer();
    samples[slot] = loaded;
    UnlockMixer();
    return BASS_OK;
}

int AudioSamplePlay(int slot) {
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
    return playback;
}
