// The bitmap reader: the header forms it accepts, the image record it delivers, and the messages
// and null result for every kind of damaged file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "screen/bitmap.h"
#include "tests/render/bmp_writer.h"
#include "tests/support/fake_platform.h"

namespace {

using testbmp::Bytes;

struct Decoded {
    ImageRecord* image = nullptr;
    ~Decoded() { FreeImage(image); }
};

std::vector<unsigned char> Pixels(const ImageRecord* image) {
    return {image->pixels,
            image->pixels + static_cast<std::size_t>(image->width) * image->height * 3};
}

// A 3 x 2 picture, bottom row first, in RGB: rows of 9 bytes, which the file pads to 12.
const std::vector<unsigned char> kRgb3x2 = {
    255, 0,  0,  0,  255, 0,  0,   0,   255,  // bottom: red, green, blue
    10,  20, 30, 40, 50,  60, 250, 128, 1};   // top

class BitmapReader : public ::testing::Test {
  protected:
    void SetUp() override { fake::Reset(); }

    // Decodes data that must be refused: null and exactly one "Error" box with the text.
    void ExpectRefused(const Bytes& data, const std::string& text, const std::string& what) {
        fake::state.boxes.clear();
        ImageRecord* image = DecodeBitmap(data.data(), data.size(), "bad.bmp");
        EXPECT_EQ(image, nullptr) << what;
        FreeImage(image);
        ASSERT_EQ(fake::state.boxes.size(), 1u) << what;
        EXPECT_EQ(fake::state.boxes[0].text, text) << what;
        EXPECT_EQ(fake::state.boxes[0].caption, "Error") << what;
        EXPECT_EQ(fake::state.boxes[0].type, MB_OK) << what;
    }
};

TEST_F(BitmapReader, DeliversRgbBottomRowFirstWithoutPadding) {
    const Bytes file = testbmp::Write24(3, 2, kRgb3x2);
    Decoded d{DecodeBitmap(file.data(), file.size(), "x.bmp")};
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->width, 3);
    EXPECT_EQ(d.image->height, 2);
    EXPECT_EQ(Pixels(d.image), kRgb3x2);
    EXPECT_TRUE(fake::state.boxes.empty());
}

TEST_F(BitmapReader, TopDownBitmapGivesTheSamePictureAsBottomUp) {
    testbmp::Options top;
    top.topDown = true;
    const Bytes file = testbmp::Write24(3, 2, kRgb3x2, top);
    Decoded d{DecodeBitmap(file.data(), file.size(), "x.bmp")};
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->height, 2);
    EXPECT_EQ(Pixels(d.image), kRgb3x2);
}

TEST_F(BitmapReader, PalettedShortHeaderPackedAndRleFormsDecode) {
    // Four pixels a row, two rows; indices into a three-colour table.
    const std::vector<unsigned char> indices = {0, 1, 2, 1, 2, 2, 0, 0};
    const std::vector<unsigned char> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};  // RGB
    const std::vector<unsigned char> expected = {255, 0,   0, 0, 255, 0,   0, 0, 255, 0, 255, 0, 0,
                                                 0,   255, 0, 0, 255, 255, 0, 0, 255, 0, 0};

    struct Case {
        const char* name;
        testbmp::Options options;
    };
    std::vector<Case> cases;
    cases.push_back({"40-byte header, colours used 3", {}});
    cases.back().options.colorsUsed = 3;
    cases.push_back({"40-byte header, full table", {}});
    cases.push_back({"12-byte header", {}});
    cases.back().options.coreHeader = true;
    cases.push_back({"no file header", {}});
    cases.back().options.fileHeader = false;
    cases.push_back({"no file header, 12-byte header", {}});
    cases.back().options.fileHeader = false;
    cases.back().options.coreHeader = true;
    cases.push_back({"RLE8", {}});
    cases.back().options.rle8 = true;

    for (const Case& c : cases) {
        const Bytes file = testbmp::Write8(4, 2, indices, palette, c.options);
        Decoded d{DecodeBitmap(file.data(), file.size(), "p.bmp")};
        ASSERT_NE(d.image, nullptr) << c.name;
        EXPECT_EQ(d.image->width, 4) << c.name;
        EXPECT_EQ(d.image->height, 2) << c.name;
        EXPECT_EQ(Pixels(d.image), expected) << c.name;
    }
    EXPECT_TRUE(fake::state.boxes.empty());
}

TEST_F(BitmapReader, LyingOrDamagedHeadersAreRefusedWithTheirMessage) {
    const std::string unknown = "Unknown DIB file format.";
    const std::string conversion = "Image file conversion error.";
    const Bytes good = testbmp::Write24(3, 2, kRgb3x2);
    auto patched = [&](std::size_t offset, std::uint32_t value, int bytes = 4) {
        Bytes b = good;
        for (int i = 0; i < bytes; ++i)
            b[offset + i] = static_cast<unsigned char>(value >> (8 * i));
        return b;
    };
    ExpectRefused({}, unknown, "empty");
    ExpectRefused({'B', 'M', 0, 0}, unknown, "file header cut short");
    ExpectRefused(patched(14, 64), unknown, "header size 64");
    ExpectRefused(patched(14, 0xFFFFFFFF), unknown, "header size -1");
    ExpectRefused(Bytes(good.begin(), good.begin() + 30), conversion, "header cut short");
    ExpectRefused(patched(18, 0), conversion, "width 0");
    ExpectRefused(patched(18, static_cast<std::uint32_t>(-3)), conversion, "negative width");
    ExpectRefused(patched(18, 0x7FFFFFFF), conversion, "huge width");
    ExpectRefused(patched(22, 0), conversion, "height 0");
    ExpectRefused(patched(22, 0x80000000u), conversion, "most negative height");
    ExpectRefused(patched(22, 1000), conversion, "more rows than the file holds");
    ExpectRefused(patched(18, 0x10000), conversion, "width beyond any texture");
    ExpectRefused(patched(22, 0x7FFFFFFF), conversion, "height beyond any texture");
    {
        Bytes big = patched(18, 16384);
        for (int i = 0; i < 4; ++i) big[22 + i] = static_cast<unsigned char>(16384 >> (8 * i));
        ExpectRefused(big, conversion, "16384 x 16384 pixels");
    }
    ExpectRefused(patched(28, 7, 2), conversion, "bit count 7");
    ExpectRefused(patched(28, 0, 2), conversion, "bit count 0");
    ExpectRefused(patched(30, 4), conversion, "JPEG compression");
    ExpectRefused(patched(30, 1), conversion, "RLE8 with 24 bits");
    ExpectRefused(patched(46, 0x40000000), conversion, "colour table past the end");
    ExpectRefused(patched(10, 0xFFFFFFF0u), conversion, "pixel offset past the end");
    ExpectRefused(patched(10, 20), conversion, "pixel offset inside the header");
    ExpectRefused(Bytes(good.begin(), good.end() - 1), conversion, "last pixel byte missing");

    // A paletted picture whose table is longer than its depth allows, or runs past the end.
    const std::vector<unsigned char> palette = {255, 0, 0, 0, 255, 0};
    testbmp::Options manyColours;
    manyColours.colorsUsed = 300;
    ExpectRefused(testbmp::Write8(4, 1, {0, 1, 0, 1}, palette, manyColours), conversion,
                  "300 colours for 8 bits");
    Bytes shortTable = testbmp::Write8(4, 1, {0, 1, 0, 1}, palette);
    shortTable.resize(14 + 40 + 100);
    ExpectRefused(shortTable, conversion, "table cut short");
    // A pixel pointing beyond the table is the decoder's to refuse.
    testbmp::Options twoColours;
    twoColours.colorsUsed = 2;
    ExpectRefused(testbmp::Write8(4, 1, {0, 1, 5, 1}, palette, twoColours), conversion,
                  "pixel outside a two-colour table");
}

TEST_F(BitmapReader, EveryTruncationAndCorruptionGivesNullOrAWholeImage) {
    testbmp::Options rle;
    rle.rle8 = true;
    testbmp::Options top;
    top.topDown = true;
    const std::vector<Bytes> seeds = {
        testbmp::Write24(3, 2, kRgb3x2), testbmp::Write24(3, 2, kRgb3x2, top),
        testbmp::Write8(4, 2, {0, 1, 2, 1, 2, 2, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, rle)};
    std::uint32_t random = 12345;
    auto next = [&] {
        random = random * 1103515245u + 12345u;
        return random >> 8;
    };
    int decoded = 0;
    int refused = 0;
    for (const Bytes& seed : seeds) {
        std::vector<Bytes> inputs;
        for (std::size_t n = 0; n < seed.size(); ++n)
            inputs.emplace_back(seed.begin(), seed.begin() + n);
        for (int k = 0; k < 3000; ++k) {
            Bytes b = seed;
            const int flips = 1 + static_cast<int>(next() % 4);
            for (int f = 0; f < flips; ++f) {
                // Mostly the headers, where a lie does the most harm.
                const std::size_t at = next() % (next() % 4 == 0 ? b.size() : 58);
                b[at] = static_cast<unsigned char>(next());
            }
            inputs.push_back(std::move(b));
        }
        for (const Bytes& input : inputs) {
            fake::state.boxes.clear();
            Decoded d{DecodeBitmap(input.data(), input.size(), "fuzz.bmp")};
            if (d.image) {
                ++decoded;
                EXPECT_GT(d.image->width, 0);
                EXPECT_GT(d.image->height, 0);
                EXPECT_TRUE(fake::state.boxes.empty());
                // Touch every byte so that a short buffer shows up under the sanitizers.
                unsigned sum = 0;
                for (unsigned char v : Pixels(d.image)) sum += v;
                (void)sum;
            } else {
                ++refused;
                ASSERT_EQ(fake::state.boxes.size(), 1u);
                const std::string& text = fake::state.boxes[0].text;
                EXPECT_TRUE(text == "Unknown DIB file format." ||
                            text == "Image file conversion error.")
                    << text;
            }
            // The reader's own 24-bit path gives what the platform's conversion gives.
            const std::size_t boxes = fake::state.boxes.size();
            Decoded converted{DecodeBitmapByConversion(input.data(), input.size(), "fuzz.bmp")};
            ASSERT_EQ(converted.image == nullptr, d.image == nullptr);
            if (d.image) {
                EXPECT_EQ(converted.image->width, d.image->width);
                EXPECT_EQ(converted.image->height, d.image->height);
                EXPECT_EQ(Pixels(converted.image), Pixels(d.image));
            } else {
                ASSERT_EQ(fake::state.boxes.size(), 2 * boxes);
                EXPECT_EQ(fake::state.boxes[1].text, fake::state.boxes[0].text);
            }
        }
    }
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(BitmapReader, FilesMissingAreQuietUnreadableOnesReported) {
    EXPECT_EQ(LoadBitmapFile(nullptr), nullptr);
    EXPECT_EQ(LoadBitmapFile("no-such-file.bmp"), nullptr);
    EXPECT_TRUE(fake::state.boxes.empty());

    // The reader on its own reports a file it cannot open.
    EXPECT_EQ(ReadBitmap("no-such-file.bmp"), nullptr);
    ASSERT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_EQ(fake::state.boxes[0].text, "Failed to open DIB file no-such-file.bmp.\n");
    EXPECT_EQ(fake::state.boxes[0].caption, "Error");

    // A file that exists reads whole from disk.
    const std::string path = ::testing::TempDir() + "reader_whole.bmp";
    const Bytes file = testbmp::Write24(3, 2, kRgb3x2);
    ASSERT_TRUE(testbmp::Save(path, file));
    Decoded d{LoadBitmapFile(path.c_str())};
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(Pixels(d.image), kRgb3x2);
    std::remove(path.c_str());
}

}  // namespace
