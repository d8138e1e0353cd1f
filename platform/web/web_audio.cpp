// The audio library's calls in a web page: one AudioContext, a master gain for BASS_SetVolume,
// the module played by chiptune3 (libopenmpt in an AudioWorklet, looping from the module's own
// restart position as libopenmpt does natively) and the sample as an AudioBuffer. Browsers let a
// page sound only after a key press or a click; the context is resumed by the first one, and
// until then everything plays silently.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "platform/audio_source.h"
#include "platform/bass.h"

namespace {

constexpr std::size_t kMaxMusicFileBytes = 64u << 20;
constexpr std::size_t kMaxSampleFileBytes = 16u << 20;
constexpr HMUSIC kMusicHandle = 0x10000001;
constexpr HSAMPLE kSampleHandle = 0x20000001;

bool initialised = false;
int lastError = BASS_OK;
bool musicLoaded = false;
bool sampleLoaded = false;
int sampleMaxPlaybacks = 1;
bool sampleTakesOver = false;
int sampleChannel = 0;

BOOL Fail(int code) {
    lastError = code;
    return FALSE;
}

BOOL Succeed() {
    lastError = BASS_OK;
    return TRUE;
}

EM_JS(bool, OpenAudio, (), {
    const AudioContextClass = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!AudioContextClass) return false;
    let context;
    try {
        context = new AudioContextClass({sampleRate: 44100});
    } catch (e) {
        try {
            context = new AudioContextClass();
        } catch (e2) {
            return false;
        }
    }
    const master = context.createGain();
    master.gain.value = 1;
    const audio = {context, master, connected: false, player: null, playerReady: false,
                   playWhenReady: false, music: null, sample: null, playing: []};
    Module.kelvadoAudio = audio;
    // The first key or click lets the page sound.
    const resume = () => {
        if (context.state === "suspended") context.resume();
    };
    for (const type of ["keydown", "pointerdown", "touchstart"]) {
        addEventListener(type, resume, {capture: true});
    }
    return true;
});

EM_JS(void, CloseAudio, (), {
    const audio = Module.kelvadoAudio;
    if (!audio) return;
    if (audio.player) audio.player.stop();
    for (const source of audio.playing) source.stop();
    audio.context.close();
    Module.kelvadoAudio = null;
});

EM_JS(void, ConnectOutput, (bool connected), {
    const audio = Module.kelvadoAudio;
    if (!audio || audio.connected === connected) return;
    if (connected) {
        audio.master.connect(audio.context.destination);
    } else {
        audio.master.disconnect();
    }
    audio.connected = connected;
});

EM_JS(void, StopEverything, (), {
    const audio = Module.kelvadoAudio;
    if (!audio) return;
    if (audio.player) audio.player.stop();
    audio.playWhenReady = false;
    for (const source of audio.playing) source.stop();
    audio.playing = [];
});

EM_JS(void, SetMasterGain, (double gain), {
    if (Module.kelvadoAudio) Module.kelvadoAudio.master.gain.value = gain;
});

// The module's bytes go to the worklet once it has started; chiptune3 is the page's import.
EM_JS(bool, PrepareMusic, (const unsigned char* bytes, int length, bool loop), {
    const audio = Module.kelvadoAudio;
    const Player = Module.kelvado && Module.kelvado.ChiptuneJsPlayer;
    if (!audio || !Player) return false;
    audio.music = HEAPU8.slice(bytes, bytes + length).buffer;
    const player = new Player({context: audio.context, repeatCount: loop ? -1 : 0});
    player.gain.connect(audio.master);
    player.onInitialized(() => {
        audio.playerReady = true;
        if (audio.playWhenReady) player.play(audio.music.slice(0));
    });
    player.onError((error) => console.error("kelvado: the music could not be played:", error));
    audio.player = player;
    return true;
});

EM_JS(void, PlayMusic, (), {
    const audio = Module.kelvadoAudio;
    if (!audio || !audio.player) return;
    if (audio.playerReady) {
        audio.player.play(audio.music.slice(0));
    } else {
        audio.playWhenReady = true;
    }
});

// Decoded before the call returns, so that a file Web Audio cannot read fails the load.
EM_ASYNC_JS(bool, DecodeSample, (const unsigned char* bytes, int length), {
    const audio = Module.kelvadoAudio;
    if (!audio) return false;
    try {
        audio.sample = await audio.context.decodeAudioData(HEAPU8.slice(bytes, bytes + length).buffer);
        return true;
    } catch (e) {
        return false;
    }
});

// A new playback when one of the allowed ones is free; else, with takeOver, the one furthest
// along starts again. False when none is free.
EM_JS(bool, PlaySample, (int maxPlaybacks, bool takeOver), {
    const audio = Module.kelvadoAudio;
    if (!audio || !audio.sample) return false;
    if (audio.playing.length >= maxPlaybacks) {
        if (!takeOver) return false;
        audio.playing.shift().stop();
    }
    const source = audio.context.createBufferSource();
    source.buffer = audio.sample;
    source.connect(audio.master);
    source.onended = () => {
        const at = audio.playing.indexOf(source);
        if (at >= 0) audio.playing.splice(at, 1);
    };
    audio.playing.push(source);
    source.start();
    return true;
});

}  // namespace

std::uint32_t BASS_GetVersion() { return BASS_VERSION; }

BOOL BASS_Init(int, std::uint32_t, std::uint32_t, void*) {
    if (initialised) return Fail(BASS_ERROR_ALREADY);
    if (!OpenAudio()) return Fail(BASS_ERROR_DRIVER);
    initialised = true;
    return Succeed();
}

BOOL BASS_Free() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    CloseAudio();
    initialised = false;
    musicLoaded = false;
    sampleLoaded = false;
    return Succeed();
}

BOOL BASS_Start() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    ConnectOutput(true);
    return Succeed();
}

BOOL BASS_Stop() {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    // As natively, stopping the output stops the music and the samples with it.
    StopEverything();
    ConnectOutput(false);
    return Succeed();
}

BOOL BASS_SetVolume(std::uint32_t volume) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (volume > 100) return Fail(BASS_ERROR_ILLPARAM);
    SetMasterGain(volume / 100.0);
    return Succeed();
}

int BASS_ErrorGetCode() { return lastError; }

HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, std::uint32_t offset, std::uint32_t length,
                      std::uint32_t flags) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (musicLoaded) return Fail(BASS_ERROR_MEM);
    std::vector<unsigned char> bytes;
    if (int error = ReadSource(fromMemory, file, offset, length, kMaxMusicFileBytes, bytes);
        error != BASS_OK)
        return Fail(error);
    if (bytes.empty()) return Fail(BASS_ERROR_FILEFORM);
    if (!PrepareMusic(bytes.data(), static_cast<int>(bytes.size()), (flags & BASS_MUSIC_LOOP) != 0))
        return Fail(BASS_ERROR_INIT);
    musicLoaded = true;
    lastError = BASS_OK;
    return kMusicHandle;
}

BOOL BASS_MusicPlay(HMUSIC handle) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (handle != kMusicHandle || !musicLoaded) return Fail(BASS_ERROR_HANDLE);
    PlayMusic();
    return Succeed();
}

HSAMPLE BASS_SampleLoad(BOOL fromMemory, const void* file, std::uint32_t offset,
                        std::uint32_t length, std::uint32_t maxPlaybacks, std::uint32_t flags) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (maxPlaybacks == 0) return Fail(BASS_ERROR_ILLPARAM);
    if (sampleLoaded) return Fail(BASS_ERROR_MEM);
    std::vector<unsigned char> bytes;
    if (int error = ReadSource(fromMemory, file, offset, length, kMaxSampleFileBytes, bytes);
        error != BASS_OK)
        return Fail(error);
    if (bytes.empty() || !DecodeSample(bytes.data(), static_cast<int>(bytes.size())))
        return Fail(BASS_ERROR_FILEFORM);
    sampleLoaded = true;
    sampleMaxPlaybacks = maxPlaybacks > 16 ? 16 : static_cast<int>(maxPlaybacks);
    sampleTakesOver = (flags & (BASS_SAMPLE_OVER_VOL | BASS_SAMPLE_OVER_POS)) != 0;
    lastError = BASS_OK;
    return kSampleHandle;
}

HCHANNEL BASS_SamplePlay(HSAMPLE handle) {
    if (!initialised) return Fail(BASS_ERROR_INIT);
    if (handle != kSampleHandle || !sampleLoaded) return Fail(BASS_ERROR_HANDLE);
    if (!PlaySample(sampleMaxPlaybacks, sampleTakesOver)) return Fail(BASS_ERROR_NOCHAN);
    lastError = BASS_OK;
    sampleChannel = (sampleChannel + 1) & 0xFFFF;
    return 0x30000000u | static_cast<HCHANNEL>(sampleChannel);
}
