// The audio library's mixer rendered offline: music, sample, volume, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/audio_mixer.h"
#include "platform/bass.h"
#include "tests/audio/test_sounds.h"

using namespace testsound;

namespace {

std::vector<std::int16_t> Render(int frames) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2, 0x5A5A);
    RenderAudioFrames(out.data(), frames);
    return out;
}

class AudioLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        modulePath = (dir.path / "tune.mod").string();
        WriteFile(modulePath, MakeModule());
        // 0.1 s of 1 kHz at half scale, mono 22,050 Hz: the loader has to convert it.
        samplePath = (dir.path / "plop.wav").string();
        WriteFile(samplePath, MakeWav(22050, 1, 2205, 1000.0, 0.5));
    }
    void TearDown() override { BASS_Free(); }

    // A fresh library, the module (looping or not) and the pickup sample, nothing playing.
    void Start(bool loop = true) {
        BASS_Free();
        ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
        music = BASS_MusicLoad(FALSE, modulePath.c_str(), 0, 0, loop ? BASS_MUSIC_LOOP : 0);
        ASSERT_NE(music, 0u);
        sample = BASS_SampleLoad(FALSE, samplePath.c_str(), 0, 0, 1, BASS_SAMPLE_OVER_VOL);
        ASSERT_NE(sample, 0u);
    }

    ScratchDir dir;
    std::string modulePath;
    std::string samplePath;
    HMUSIC music = 0;
    HSAMPLE sample = 0;
};

TEST_F(AudioLibrary, ModulePlaysAndLoopsPastItsEnd) {
    Start(true);
    EXPECT_EQ(AudioMixRate(), 44100);
    EXPECT_EQ(Peak(Render(FrameAt(100)), 0, FrameAt(100)), 0) << "nothing plays before MusicPlay";

    ASSERT_TRUE(BASS_MusicPlay(music));
    const int total = FrameAt(5 * kSongMs + 100);
    std::vector<std::int16_t> out = Render(total);
    // Every pass of the song: the tone, then the silent rows, five times over.
    for (int pass = 0; pass < 5; ++pass) {
        int start = pass * kSongMs;
        EXPECT_GT(Peak(out, FrameAt(start + 20), FrameAt(start + kToneEndMs - 20)), 3000)
            << "tone of pass " << pass;
        EXPECT_LT(Peak(out, FrameAt(start + kToneEndMs + 30), FrameAt(start + kSongMs - 10)), 30)
            << "silent rows of pass " << pass;
    }

    // Without the loop flag the song plays once, then the music stops for good...
    Start(false);
    ASSERT_TRUE(BASS_MusicPlay(music));
    out = Render(FrameAt(3 * kSongMs));
    EXPECT_GT(Peak(out, FrameAt(20), FrameAt(kToneEndMs - 20)), 3000);
    EXPECT_EQ(Peak(out, FrameAt(kSongMs + 150), FrameAt(3 * kSongMs)), 0);
    // ...until it is played again, from the start.
    ASSERT_TRUE(BASS_MusicPlay(music));
    out = Render(FrameAt(kSongMs));
    EXPECT_GT(Peak(out, FrameAt(20), FrameAt(kToneEndMs - 20)), 3000);
}

TEST_F(AudioLibrary, VolumeScalesTheWholeMixAndTheMixClamps) {
    const int frames = FrameAt(300);
    auto renderAt = [&](std::uint32_t volume) {
        Start(true);
        EXPECT_TRUE(BASS_SetVolume(volume));
        EXPECT_TRUE(BASS_MusicPlay(music));
        EXPECT_NE(BASS_SamplePlay(sample), 0u);
        return Render(frames);
    };
    std::vector<std::int16_t> full = renderAt(100);
    std::vector<std::int16_t> half = renderAt(50);
    std::vector<std::int16_t> none = renderAt(0);

    int fullPeak = Peak(full, 0, frames);
    ASSERT_GT(fullPeak, 10000);
    EXPECT_LT(fullPeak, 32767) << "this mix must not reach the clamp";
    EXPECT_NEAR(Peak(half, 0, frames), fullPeak / 2, 2);
    int worst = 0;
    for (std::size_t i = 0; i < full.size(); ++i)
        worst = std::max(worst, std::abs(2 * half[i] - full[i]));
    EXPECT_LE(worst, 2) << "volume 50 is half of every value";
    EXPECT_EQ(Peak(none, 0, frames), 0);

    // Out of range: refused, the volume stays where it was.
    Start(true);
    EXPECT_TRUE(BASS_SetVolume(50));
    EXPECT_FALSE(BASS_SetVolume(101));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_TRUE(BASS_MusicPlay(music));
    EXPECT_TRUE(BASS_SamplePlay(sample));
    EXPECT_EQ(Render(frames), half);

    // Two loud sounds on top of each other saturate instead of wrapping round.
    std::string loudPath = (dir.path / "loud.wav").string();
    WriteFile(loudPath, MakeWav(44100, 2, 4410, 441.0, 0.9, true));
    BASS_Free();
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    HSAMPLE a = BASS_SampleLoad(FALSE, loudPath.c_str(), 0, 0, 1, 0);
    HSAMPLE b = BASS_SampleLoad(FALSE, loudPath.c_str(), 0, 0, 1, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    ASSERT_NE(a, b);
    BASS_SamplePlay(a);
    std::vector<std::int16_t> single = Render(4410);
    BASS_SamplePlay(a);
    BASS_SamplePlay(b);
    std::vector<std::int16_t> both = Render(4410);
    int mismatches = 0;
    for (std::size_t i = 0; i < single.size(); ++i) {
        int expected = single[i] > 0 ? 32767 : single[i] < 0 ? -32767 : 0;
        if (both[i] != expected) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(AudioLibrary, SecondPlayRestartsTheSinglePlayback) {
    const int sampleFrames = 4410;  // 0.1 s after conversion to 44,100 Hz
    Start(true);
    HCHANNEL first = BASS_SamplePlay(sample);
    EXPECT_NE(first, 0u);
    std::vector<std::int16_t> once = Render(sampleFrames + 1000);
    EXPECT_GT(Peak(once, 0, sampleFrames), 15000);
    EXPECT_EQ(Peak(once, sampleFrames + 10, sampleFrames + 1000), 0) << "plays once";

    // A second play 1000 frames in: the output from there is the sample from its start again,
    // not the rest of the first playback mixed with a second copy.
    BASS_SamplePlay(sample);
    Render(1000);
    EXPECT_NE(BASS_SamplePlay(sample), 0u);
    std::vector<std::int16_t> restarted = Render(sampleFrames + 1000);
    EXPECT_EQ(restarted, once);

    // Without the take-over flag the one playback is kept and the new play is refused.
    HSAMPLE plain = BASS_SampleLoad(FALSE, samplePath.c_str(), 0, 0, 1, 0);
    ASSERT_NE(plain, 0u);
    EXPECT_NE(BASS_SamplePlay(plain), 0u);
    std::vector<std::int16_t> head = Render(1000);
    EXPECT_EQ(BASS_SamplePlay(plain), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOCHAN);
    std::vector<std::int16_t> tail = Render(sampleFrames);
    head.insert(head.end(), tail.begin(), tail.end());
    once.resize(head.size());
    EXPECT_EQ(head, once);
}

TEST_F(AudioLibrary, RefusedCallsChangeNothing) {
    // Before BASS_Init: everything refused with "not initialised".
    BASS_Free();
    EXPECT_EQ(BASS_GetVersion(), 0x00070001u);
    EXPECT_EQ(BASS_MusicLoad(FALSE, modulePath.c_str(), 0, 0, BASS_MUSIC_LOOP), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(BASS_SampleLoad(FALSE, samplePath.c_str(), 0, 0, 1, BASS_SAMPLE_OVER_VOL), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Start());
    EXPECT_FALSE(BASS_SetVolume(100));
    EXPECT_EQ(Peak(Render(1000), 0, 1000), 0);

    // Reference: music and sample as they play undisturbed.
    const int frames = FrameAt(200);
    Start(true);
    BASS_MusicPlay(music);
    BASS_SamplePlay(sample);
    std::vector<std::int16_t> reference = Render(2 * frames);

    // The same, with handle 0 and handles of the wrong kind thrown in half-way.
    Start(true);
    BASS_MusicPlay(music);
    BASS_SamplePlay(sample);
    std::vector<std::int16_t> disturbed = Render(frames);
    EXPECT_FALSE(BASS_MusicPlay(0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_SamplePlay(0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_SamplePlay(music), 0u);
    EXPECT_FALSE(BASS_MusicPlay(sample));
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    std::vector<std::int16_t> rest = Render(frames);
    disturbed.insert(disturbed.end(), rest.begin(), rest.end());
    EXPECT_EQ(disturbed, reference);

    // After BASS_Free: silence, and every call refused, the old handles included.
    ASSERT_TRUE(BASS_Free());
    EXPECT_EQ(AudioMixRate(), 0);
    EXPECT_FALSE(BASS_MusicPlay(music));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(BASS_SamplePlay(sample), 0u);
    EXPECT_FALSE(BASS_SetVolume(100));
    EXPECT_FALSE(BASS_Start());
    EXPECT_FALSE(BASS_Stop());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(Peak(Render(frames), 0, frames), 0);

    // A new start does not bring the old handles back, not even when new loads take their place.
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    ASSERT_NE(BASS_MusicLoad(FALSE, modulePath.c_str(), 0, 0, BASS_MUSIC_LOOP), 0u);
    ASSERT_NE(BASS_SampleLoad(FALSE, samplePath.c_str(), 0, 0, 1, 0), 0u);
    EXPECT_FALSE(BASS_MusicPlay(music));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_SamplePlay(sample), 0u);
    EXPECT_EQ(Peak(Render(frames), 0, frames), 0);
}

TEST_F(AudioLibrary, LoadFailuresAndSources) {
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    std::string missing = (dir.path / "missing.xm").string();
    EXPECT_EQ(BASS_MusicLoad(FALSE, missing.c_str(), 0, 0, BASS_MUSIC_LOOP), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(BASS_SampleLoad(FALSE, missing.c_str(), 0, 0, 1, BASS_SAMPLE_OVER_VOL), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);

    // Files that open but hold no module or no WAV: some other code.
    std::string text = (dir.path / "notes.txt").string();
    const std::string words = "These are not the notes of a tune, only words about one.\n";
    WriteFile(text, Bytes(words.begin(), words.end()));
    std::string empty = (dir.path / "empty.xm").string();
    WriteFile(empty, {});
    for (const std::string& path : {text, empty}) {
        EXPECT_EQ(BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_MUSIC_LOOP), 0u) << path;
        int code = BASS_ErrorGetCode();
        EXPECT_TRUE(code != BASS_OK && code != BASS_ERROR_FILEOPEN && code != BASS_ERROR_INIT)
            << path << " gave " << code;
        EXPECT_EQ(BASS_SampleLoad(FALSE, path.c_str(), 0, 0, 1, 0), 0u) << path;
        code = BASS_ErrorGetCode();
        EXPECT_TRUE(code != BASS_OK && code != BASS_ERROR_FILEOPEN && code != BASS_ERROR_INIT)
            << path << " gave " << code;
    }
    // The module as a WAV and the WAV as a module are both refused.
    EXPECT_EQ(BASS_SampleLoad(FALSE, modulePath.c_str(), 0, 0, 1, 0), 0u);
    EXPECT_EQ(BASS_MusicLoad(FALSE, samplePath.c_str(), 0, 0, 0), 0u);

    // From memory, and from a file at an offset, the same module plays the same.
    Bytes module = MakeModule();
    HMUSIC fromMemory =
        BASS_MusicLoad(TRUE, module.data(), 0, static_cast<std::uint32_t>(module.size()), 0);
    ASSERT_NE(fromMemory, 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    BASS_MusicPlay(fromMemory);
    std::vector<std::int16_t> a = Render(FrameAt(100));
    BASS_Free();

    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    Bytes padded(100 + module.size(), 0xEE);
    std::copy(module.begin(), module.end(), padded.begin() + 100);
    std::string paddedPath = (dir.path / "padded.bin").string();
    WriteFile(paddedPath, padded);
    HMUSIC atOffset = BASS_MusicLoad(FALSE, paddedPath.c_str(), 100, 0, 0);
    ASSERT_NE(atOffset, 0u);
    BASS_MusicPlay(atOffset);
    EXPECT_EQ(Render(FrameAt(100)), a);
    EXPECT_GT(Peak(a, 0, FrameAt(100)), 3000);
}

TEST_F(AudioLibrary, GeneratedGameDataPlays) {
    const std::filesystem::path data = KELVADO_DATA_DIR;
    if (!std::filesystem::exists(data / "Kv_play.xm") ||
        !std::filesystem::exists(data / "plop.wav"))
        GTEST_SKIP() << "the game's data has not been generated in " << data;
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    HMUSIC tune = BASS_MusicLoad(FALSE, (data / "Kv_play.xm").c_str(), 0, 0, BASS_MUSIC_LOOP);
    ASSERT_NE(tune, 0u);
    HSAMPLE plop =
        BASS_SampleLoad(FALSE, (data / "plop.wav").c_str(), 0, 0, 1, BASS_SAMPLE_OVER_VOL);
    ASSERT_NE(plop, 0u);
    BASS_MusicPlay(tune);
    std::vector<std::int16_t> out = Render(FrameAt(4000));
    EXPECT_GT(Peak(out, 0, FrameAt(4000)), 1000);
    BASS_MusicPlay(tune);
    BASS_SetVolume(0);
    BASS_SamplePlay(plop);
    EXPECT_EQ(Peak(Render(FrameAt(100)), 0, FrameAt(100)), 0);
}

}  // namespace
