// The game's start of the sound and its fade at exit, on the fake platform.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/audio.h"
#include "platform/audio_mixer.h"
#include "platform/bass.h"
#include "tests/audio/test_sounds.h"
#include "tests/support/fake_platform.h"

using namespace testsound;

namespace {

class GameAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        fake::Reset();
        musicEnabled = true;
        musicHandle = 0;
        plopSample = 0;
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(dir.path);  // the game reads its sounds from here
    }
    void TearDown() override {
        BASS_Free();
        std::filesystem::current_path(previousDir);
    }

    void WriteGoodFiles() {
        WriteFile(dir.path / "Kv_play.xm", MakeModule());
        WriteFile(dir.path / "plop.wav", MakeWav(22050, 1, 2205, 1000.0, 0.5));
    }

    int Loudness(int frames) {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
        RenderAudioFrames(out.data(), frames);
        return Peak(out, 0, frames);
    }

    ScratchDir dir;
    std::filesystem::path previousDir;
};

TEST_F(GameAudio, StartsMusicAndSampleAndFadesOut) {
    WriteGoodFiles();
    InitAudio(nullptr);
    EXPECT_TRUE(fake::state.boxes.empty());
    EXPECT_TRUE(musicEnabled);
    EXPECT_NE(musicHandle, 0u);
    EXPECT_NE(plopSample, 0u);
    // The output runs on SDL's dummy device as well; the module loops, so it is heard whenever
    // the mix is looked at.
    EXPECT_GT(Loudness(FrameAt(2 * kSongMs)), 3000);
    EXPECT_NE(BASS_SamplePlay(plopSample), 0u);

    FadeOutMusic();
    EXPECT_EQ(fake::state.sleepTotal, 1010u) << "101 steps of 10 ms";
    EXPECT_EQ(Loudness(FrameAt(2 * kSongMs)), 0) << "stopped";
    // The shut-down's last call puts the volume back without bringing the music back.
    EXPECT_TRUE(BASS_SetVolume(100));
    EXPECT_EQ(Loudness(FrameAt(2 * kSongMs)), 0);
}

TEST_F(GameAudio, MissingOrBrokenFilesAndNoDevice) {
    // No module: the file message, no music and no fade; the sample still loads.
    WriteFile(dir.path / "plop.wav", MakeWav(22050, 1, 2205, 1000.0, 0.5));
    InitAudio(nullptr);
    ASSERT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_EQ(fake::state.boxes[0].text, "Error loading music, File couldn't opened");
    EXPECT_EQ(fake::state.boxes[0].caption, "Error");
    EXPECT_EQ(fake::state.boxes[0].type, MB_OK);
    EXPECT_FALSE(musicEnabled);
    EXPECT_EQ(musicHandle, 0u);
    EXPECT_NE(plopSample, 0u);
    EXPECT_EQ(Loudness(FrameAt(500)), 0);
    BASS_Free();

    // A module file that is not a module: no message, and the fade at exit still runs.
    fake::Reset();
    musicEnabled = true;
    const std::string words = "Kv_play, a tune that never was.\n";
    WriteFile(dir.path / "Kv_play.xm", Bytes(words.begin(), words.end()));
    std::filesystem::remove(dir.path / "plop.wav");
    InitAudio(nullptr);
    EXPECT_TRUE(fake::state.boxes.empty());
    EXPECT_TRUE(musicEnabled);
    EXPECT_EQ(musicHandle, 0u);
    EXPECT_EQ(plopSample, 0u) << "no sample file, no handle and no message";
    BASS_Free();

    // No sound device at all: the library does not start, and the load reports that.
    fake::Reset();
    musicEnabled = true;
    WriteGoodFiles();
    std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    InitAudio(nullptr);
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    ASSERT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_EQ(fake::state.boxes[0].text, "Error loading music, Initialization failed");
    EXPECT_EQ(fake::state.boxes[0].caption, "Error");
    EXPECT_FALSE(musicEnabled);
    EXPECT_EQ(musicHandle, 0u);
    EXPECT_EQ(plopSample, 0u);
    EXPECT_EQ(BASS_SamplePlay(plopSample), 0u);
}

TEST_F(GameAudio, AModuleReadAheadIsLoadedOnlyWhileItsFileIsUnchanged) {
    WriteGoodFiles();
    StartReadingAudioAhead();
    InitAudio(nullptr);
    EXPECT_TRUE(fake::state.boxes.empty());
    EXPECT_NE(musicHandle, 0u);
    EXPECT_GT(Loudness(FrameAt(2 * kSongMs)), 3000);
    BASS_Free();

    // Gone by the time of the load: the load's own message, as without reading ahead.
    fake::Reset();
    musicEnabled = true;
    StartReadingAudioAhead();
    std::filesystem::remove(dir.path / "Kv_play.xm");
    InitAudio(nullptr);
    ASSERT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_EQ(fake::state.boxes[0].text, "Error loading music, File couldn't opened");
    EXPECT_EQ(musicHandle, 0u);
    BASS_Free();

    // Rewritten since: the load reads what is there now, here no module at all.
    fake::Reset();
    musicEnabled = true;
    WriteGoodFiles();
    StartReadingAudioAhead();
    const std::string words = "Kv_play, a tune that never was.\n";
    WriteFile(dir.path / "Kv_play.xm", Bytes(words.begin(), words.end()));
    InitAudio(nullptr);
    EXPECT_TRUE(fake::state.boxes.empty());
    EXPECT_TRUE(musicEnabled);
    EXPECT_EQ(musicHandle, 0u);
}

TEST_F(GameAudio, FadeAfterTheWindowClosedOnlyWaits) {
    WriteGoodFiles();
    InitAudio(nullptr);
    ASSERT_TRUE(BASS_Free());  // what the window does on close
    FadeOutMusic();
    FadeOutMusic();
    EXPECT_EQ(fake::state.sleepTotal, 2020u);
    EXPECT_FALSE(BASS_SetVolume(100));
    EXPECT_EQ(BASS_SamplePlay(plopSample), 0u);
    EXPECT_EQ(Loudness(1000), 0);
}

}  // namespace
