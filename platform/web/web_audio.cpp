// The sound under the audio library's front half, in a web page: one AudioContext, a master
// gain for BASS_SetVolume, each module played by chiptune3 (libopenmpt in an AudioWorklet,
// looping from the module's own restart position as libopenmpt does natively) and each sample
// as an AudioBuffer. Browsers let a page sound only after a key press or a click; the context
// is resumed by the first one, and until then everything plays silently.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "platform/audio_back.h"

namespace {

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
    // By slot: musics[slot] = {player, ready, playWhenReady, bytes},
    // samples[slot] = {buffer, playing: [the sources still sounding, oldest first]}.
    const audio = {context, master, connected: false, musics: [], samples: []};
    Module.kelvadoAudio = audio;
    // The first key, click or tap lets the page sound. A touch counts as the player's only once
    // it is lifted, so its end is listened for too.
    const resume = () => {
        if (context.state === "suspended") context.resume();
    };
    for (const type of ["keydown", "pointerdown", "pointerup", "touchstart", "touchend"]) {
        addEventListener(type, resume, {capture: true});
    }
    return true;
});

EM_JS(void, CloseAudio, (), {
    const audio = Module.kelvadoAudio;
    if (!audio) return;
    for (const music of audio.musics) if (music) music.player.stop();
    for (const sample of audio.samples) {
        if (sample) for (const source of sample.playing) source.stop();
    }
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
    for (const music of audio.musics) {
        if (!music) continue;
        music.player.stop();
        music.playWhenReady = false;
    }
    for (const sample of audio.samples) {
        if (!sample) continue;
        for (const source of sample.playing) source.stop();
        sample.playing = [];
    }
});

EM_JS(void, SetMasterGain, (double gain), {
    if (Module.kelvadoAudio) Module.kelvadoAudio.master.gain.value = gain;
});

// The module's bytes go to the worklet once it has started; chiptune3 is the page's import.
EM_JS(bool, PrepareMusic, (int slot, const unsigned char* bytes, int length, bool loop), {
    const audio = Module.kelvadoAudio;
    const Player = Module.kelvado && Module.kelvado.ChiptuneJsPlayer;
    if (!audio || !Player) return false;
    const player = new Player({context: audio.context, repeatCount: loop ? -1 : 0});
    const music = {player, ready: false, playWhenReady: false,
                   bytes: HEAPU8.slice(bytes, bytes + length).buffer};
    player.gain.connect(audio.master);
    player.onInitialized(() => {
        music.ready = true;
        if (music.playWhenReady) player.play(music.bytes.slice(0));
    });
    player.onError((error) => console.error("kelvado: the music could not be played:", error));
    audio.musics[slot] = music;
    return true;
});

EM_JS(void, PlayMusic, (int slot), {
    const audio = Module.kelvadoAudio;
    const music = audio && audio.musics[slot];
    if (!music) return;
    if (music.ready) {
        music.player.play(music.bytes.slice(0));
    } else {
        music.playWhenReady = true;
    }
});

// Decoded before the call returns, so that a file Web Audio cannot read fails the load.
EM_ASYNC_JS(bool, DecodeSample, (int slot, const unsigned char* bytes, int length), {
    const audio = Module.kelvadoAudio;
    if (!audio) return false;
    try {
        const buffer = await audio.context.decodeAudioData(HEAPU8.slice(bytes, bytes + length).buffer);
        audio.samples[slot] = {buffer, playing: []};
        return true;
    } catch (e) {
        return false;
    }
});

// A new playback when one of the allowed ones is free; else, with takeOver, the one furthest
// along starts again. The playback's number, or -1 when none is free.
EM_JS(int, PlaySample, (int slot, int maxPlaybacks, bool takeOver), {
    const audio = Module.kelvadoAudio;
    const sample = audio && audio.samples[slot];
    if (!sample) return -1;
    if (sample.playing.length >= maxPlaybacks) {
        if (!takeOver) return -1;
        sample.playing.shift().stop();
    }
    const source = audio.context.createBufferSource();
    source.buffer = sample.buffer;
    source.connect(audio.master);
    source.onended = () => {
        const at = sample.playing.indexOf(source);
        if (at >= 0) sample.playing.splice(at, 1);
    };
    sample.playing.push(source);
    source.start();
    return sample.playing.length - 1;
});

// What each sample slot was loaded with.
int sampleMaxPlaybacks[kMaxSamples];
bool sampleTakesOver[kMaxSamples];

}  // namespace

int AudioOutputOpen(int, std::uint32_t) { return OpenAudio() ? BASS_OK : BASS_ERROR_DRIVER; }

void AudioOutputClose() { CloseAudio(); }

void AudioOutputStart() { ConnectOutput(true); }

void AudioOutputStop() {
    StopEverything();
    ConnectOutput(false);
}

void AudioOutputVolume(int volume) { SetMasterGain(volume / 100.0); }

// The page has one thread: the module is read by the load itself (web_read_ahead.cpp).
bool AudioMusicAheadFits(BOOL, const void*, std::uint32_t, std::uint32_t) { return false; }
void AudioMusicAheadDrop() {}

int AudioMusicDecode(int slot, const std::vector<unsigned char>& bytes, bool loop) {
    if (!PrepareMusic(slot, bytes.data(), static_cast<int>(bytes.size()), loop))
        return BASS_ERROR_INIT;
    return BASS_OK;
}

void AudioMusicPlay(int slot) { PlayMusic(slot); }

int AudioSampleDecode(int slot, const std::vector<unsigned char>& bytes, int maxPlaybacks,
                      bool takeOver) {
    if (!DecodeSample(slot, bytes.data(), static_cast<int>(bytes.size())))
        return BASS_ERROR_FILEFORM;
    sampleMaxPlaybacks[slot] = maxPlaybacks;
    sampleTakesOver[slot] = takeOver;
    return BASS_OK;
}

int AudioSamplePlay(int slot) {
    return PlaySample(slot, sampleMaxPlaybacks[slot], sampleTakesOver[slot]);
}
