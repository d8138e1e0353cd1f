// The generated music module and sound sample, read by the libraries the game plays them
// with, and the generator's promise to write the same bytes on every run.
#include <SDL.h>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kDataFiles[] = {"texture.bmp",     "matohanta.bmp",       "puutexture.bmp",
                                  "valo.bmp",        "font1.bmp",           "font1mask.bmp",
                                  "art_matopaa.bmp", "art_matopaamask.bmp", "alku.bmp",
                                  "sky.bmp",         "Kv_play.xm",          "plop.wav"};

std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path Data(const char* name) { return fs::path(KELVADO_DATA_DIR) / name; }

void CollectLog(const char* message, void* user) {
    static_cast<std::vector<std::string>*>(user)->push_back(message);
}

TEST(Music, LoadsCleanlyLoopsFromItsRestartAndPlaysAtASensibleLevel) {
    const std::vector<char> file = ReadAll(Data("Kv_play.xm"));
    ASSERT_GT(file.size(), 336u);
    std::vector<std::string> log;
    int error = 0;
    openmpt_module* mod = openmpt_module_create_from_memory2(
        file.data(), file.size(), CollectLog, &log, nullptr, nullptr, &error, nullptr, nullptr);
    ASSERT_NE(mod, nullptr) << "error " << error;
    const char* warnings = openmpt_module_get_metadata(mod, "warnings");
    EXPECT_STREQ(warnings, "");
    openmpt_free_string(warnings);
    const char* type = openmpt_module_get_metadata(mod, "type");
    EXPECT_STREQ(type, "xm");
    openmpt_free_string(type);
    EXPECT_TRUE(log.empty()) << log.front();

    EXPECT_EQ(openmpt_module_get_num_channels(mod), 10);
    EXPECT_EQ(openmpt_module_get_num_patterns(mod), 7);
    EXPECT_EQ(openmpt_module_get_num_orders(mod), 9);
    EXPECT_EQ(openmpt_module_get_num_instruments(mod), 8);
    const double seconds = openmpt_module_get_duration_seconds(mod);
    EXPECT_GE(seconds, 45.0);
    // The loop goes back to order 1, past the intro; the looping part alone lasts 45 s too.
    const unsigned restart =
        static_cast<unsigned char>(file[66]) | static_cast<unsigned char>(file[67]) << 8;
    EXPECT_EQ(restart, 1u);
    EXPECT_GE(seconds - openmpt_module_set_position_order_row(mod, 1, 0), 45.0);
    openmpt_module_set_position_seconds(mod, 0.0);

    // Render the whole song once: loud enough to hear, never clipping.
    std::vector<std::int16_t> buffer(2 * 4096);
    double sumSquares = 0, frames = 0;
    int peak = 0;
    for (;;) {
        const std::size_t got =
            openmpt_module_read_interleaved_stereo(mod, 44100, 4096, buffer.data());
        if (got == 0) break;
        for (std::size_t i = 0; i < 2 * got; ++i) {
            peak = std::max(peak, std::abs(int(buffer[i])));
            sumSquares += double(buffer[i]) * buffer[i];
        }
        frames += double(got);
    }
    openmpt_module_destroy(mod);
    const double rms = std::sqrt(sumSquares / (2 * frames)) / 32768.0;
    EXPECT_NEAR(frames / 44100.0, seconds, 0.5);
    EXPECT_LT(peak, 32000) << "the mix clips";
    EXPECT_GT(peak, 12000) << "the mix is faint";
    EXPECT_GT(20 * std::log10(rms), -26.0);
}

TEST(Sound, PlopIsAShortCleanMono16BitSample) {
    SDL_AudioSpec spec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV(Data("plop.wav").string().c_str(), &spec, &data, &length), nullptr)
        << SDL_GetError();
    EXPECT_EQ(spec.freq, 44100);
    EXPECT_EQ(spec.format, AUDIO_S16LSB);
    EXPECT_EQ(spec.channels, 1);
    const std::size_t count = length / 2;
    const double seconds = double(count) / 44100.0;
    EXPECT_GE(seconds, 0.1);
    EXPECT_LE(seconds, 0.2);
    std::vector<Sint16> pcm(count);
    std::memcpy(pcm.data(), data, count * 2);
    SDL_FreeWAV(data);
    // It starts and ends at silence (no click) and is clearly audible in between.
    EXPECT_LE(std::abs(pcm.front()), 64);
    EXPECT_LE(std::abs(pcm.back()), 64);
    int peak = 0, maxStep = 0;
    for (std::size_t i = 0; i < count; ++i) {
        peak = std::max(peak, std::abs(int(pcm[i])));
        if (i) maxStep = std::max(maxStep, std::abs(int(pcm[i]) - int(pcm[i - 1])));
    }
    EXPECT_GT(peak, 10000);
    EXPECT_LT(peak, 32000);
    // Round, not harsh: no jump larger than a smooth tone of its pitch would make.
    EXPECT_LT(maxStep, 3000);
}

TEST(Generator, WritesTheSameBytesOnEveryRun) {
    const fs::path base =
        fs::temp_directory_path() / ("kelvado_assets_" + std::to_string(::getpid()));
    std::vector<fs::path> runs = {base / "a", base / "b"};
    for (const fs::path& dir : runs) {
        fs::create_directories(dir);
        const std::string command = std::string("\"") + MKASSETS_PATH + "\" \"" + dir.string() +
                                    "\" \"" + KELVADO_FONT_FILE + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    for (const char* name : kDataFiles) {
        const std::vector<char> built = ReadAll(Data(name));
        ASSERT_FALSE(built.empty()) << name;
        EXPECT_EQ(ReadAll(runs[0] / name), built) << name;
        EXPECT_EQ(ReadAll(runs[1] / name), built) << name;
    }
    fs::remove_all(base);
}

}  // namespace
