// The game's sound: started once after the window exists, faded out at exit.
#include "app/audio.h"

#include "game/host.h"
#include "platform/bass.h"
#include "platform/platform.h"
#include "platform/read_ahead.h"

namespace {

constexpr const char* kMusicFile = "Kv_play.xm";

void ReadMusicFileAhead(void*) { ReadMusicAhead(kMusicFile); }

}  // namespace

void StartReadingAudioAhead() { StartWorkAhead(ReadMusicFileAhead, nullptr); }

void InitAudio(WindowHandle window) {
    FinishWorkAhead();  // the module read ahead is the load's to take
    if (BASS_GetVersion() != BASS_VERSION)
        MessageBox(nullptr, "BASS version 1.7 was not loaded", "Incorrect BASS.DLL", MB_OK);
    // Without a sound device this fails; the module load below then reports it.
    BASS_Init(-1, 44100, 0, window);

    musicHandle = BASS_MusicLoad(FALSE, kMusicFile, 0, 0, BASS_MUSIC_LOOP);
    if (musicHandle == 0) {
        switch (BASS_ErrorGetCode()) {
            case BASS_ERROR_INIT:
                MessageBox(window, "Error loading music, Initialization failed", "Error",
                           MB_OK);
                musicEnabled = false;
                break;
            case BASS_ERROR_FILEOPEN:
                MessageBox(window, "Error loading music, File couldn't opened", "Error",
                           MB_OK);
                musicEnabled = false;
                break;
            default:
                // Any other failure goes unreported, and the fade at exit still runs.
                break;
        }
    }

    // One playback at a time; a new pickup restarts it. A missing sample just means no effect.
    plopSample = BASS_SampleLoad(FALSE, "plop.wav", 0, 0, 1, BASS_SAMPLE_OVER_VOL);

    BASS_Start();
    BASS_MusicPlay(musicHandle);  // refused harmlessly when the load failed
    BASS_SetVolume(100);
}

void PlayPickupSound() { BASS_SamplePlay(plopSample); }

void FadeOutMusic() {
    for (int volume = 100; volume >= 0; --volume) {
        BASS_SetVolume(static_cast<std::uint32_t>(volume));
        Sleep(10);
    }
    BASS_Stop();
}
