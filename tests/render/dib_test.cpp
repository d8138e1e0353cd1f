// Our own bitmap decoder (the web build's) against SDL's (the desktop's): every bitmap the game
// ships, every depth and encoding the game's reader hands on, and damage to their tables and
// pixels decode to the same pixels, or are refused by both.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/web/dib.h"
#include "platform/platform.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put(Bytes& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A bitmap file in the form the game's reader builds: file header, 40-byte header, masks for
// bit fields, a colour table of 4-byte entries, then the rows as given (padding included).
Bytes Build(int width, int height, int bitCount, std::uint32_t compression, const Bytes& extra,
            std::uint32_t colors, const Bytes& pixels) {
    Bytes info;
    Put(info, 40, 4);
    Put(info, static_cast<std::uint32_t>(width), 4);
    Put(info, static_cast<std::uint32_t>(height), 4);
    Put(info, 1, 2);
    Put(info, static_cast<std::uint32_t>(bitCount), 2);
    Put(info, compression, 4);
    Put(info, static_cast<std::uint32_t>(pixels.size()), 4);
    Put(info, 2835, 4);
    Put(info, 2835, 4);
    Put(info, colors, 4);
    Put(info, 0, 4);
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size() + extra.size());
    Bytes file = {'B', 'M'};
    Put(file, static_cast<std::uint32_t>(offset + pixels.size()), 4);
    Put(file, 0, 4);
    Put(file, offset, 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), extra.begin(), extra.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

Bytes Palette(int entries) {
    Bytes table;
    for (int i = 0; i < entries; ++i) Put(table, 0x00102030u * static_cast<std::uint32_t>(i + 1), 4);
    return table;
}

Bytes Counting(std::size_t n, unsigned step) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(i * step + 7);
    return b;
}

// What both decoders make of the bytes; "refused" when they agree that it cannot be decoded.
void ExpectSameDecoding(const Bytes& file, const std::string& what) {
    ConvertedBitmap sdl{}, ours{};
    const bool sdlOk = ConvertBitmapToBgr24(file.data(), file.size(), &sdl);
    const bool ourOk = DecodeDibToBgr24(file.data(), file.size(), &ours);
    EXPECT_EQ(ourOk, sdlOk) << what;
    if (sdlOk && ourOk) {
        EXPECT_EQ(ours.width, sdl.width) << what;
        EXPECT_EQ(ours.height, sdl.height) << what;
        EXPECT_EQ(ours.stride, sdl.stride) << what;
        if (ours.width == sdl.width && ours.height == sdl.height && ours.stride == sdl.stride) {
            const std::size_t n = static_cast<std::size_t>(sdl.stride) * sdl.height;
            EXPECT_TRUE(std::equal(ours.bits, ours.bits + n, sdl.bits)) << what;
        }
    }
    if (sdlOk) FreeConvertedBitmap(&sdl);
    if (ourOk) FreeConvertedBitmap(&ours);
}

std::vector<std::pair<std::string, Bytes>> Variants() {
    std::vector<std::pair<std::string, Bytes>> v;
    Bytes masks565;
    Put(masks565, 0xF800, 4);
    Put(masks565, 0x07E0, 4);
    Put(masks565, 0x001F, 4);
    Bytes masks32;
    Put(masks32, 0x00FF0000, 4);
    Put(masks32, 0x0000FF00, 4);
    Put(masks32, 0x000000FF, 4);
    v.push_back({"24-bit, padded rows", Build(5, 3, 24, 0, {}, 0, Counting(16 * 3, 5))});
    v.push_back({"24-bit, top down", Build(5, -3, 24, 0, {}, 0, Counting(16 * 3, 3))});
    v.push_back({"32-bit", Build(3, 2, 32, 0, {}, 0, Counting(24, 11))});
    v.push_back({"16-bit 5-5-5", Build(3, 2, 16, 0, {}, 0, Counting(16, 37))});
    v.push_back({"16-bit fields 5-6-5", Build(3, 2, 16, 3, masks565, 0, Counting(16, 29))});
    v.push_back({"32-bit fields", Build(3, 2, 32, 3, masks32, 0, Counting(24, 13))});
    Bytes indices8 = {0, 1, 2, 3, 3, 2, 1, 0};
    v.push_back({"8-bit", Build(4, 2, 8, 0, Palette(4), 4, indices8)});
    v.push_back({"8-bit, index outside the table",
                 Build(4, 2, 8, 0, Palette(4), 4, {0, 1, 2, 9, 3, 2, 1, 0})});
    v.push_back({"4-bit", Build(5, 2, 4, 0, Palette(16), 16, {0x01, 0x23, 0x40, 0, 0xFE, 0xDC, 0xB0, 0})});
    v.push_back({"1-bit", Build(9, 2, 1, 0, Palette(2), 2, {0xA5, 0x80, 0, 0, 0x5A, 0x00, 0, 0})});
    v.push_back({"RLE8: runs, a literal, a delta", Build(6, 3, 8, 1, Palette(8), 8,
                 {3, 1, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 4, 0, 0, 6, 5, 0, 1})});
    v.push_back({"RLE4", Build(6, 2, 4, 2, Palette(16), 16,
                 {6, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1})});
    return v;
}

TEST(OurBitmapDecoder, DecodesAsSdlDoesEveryShippedBitmapDepthAndDamage) {
    std::vector<std::pair<std::string, Bytes>> files = Variants();
    for (const char* name : {"texture.bmp", "matohanta.bmp", "puutexture.bmp", "valo.bmp",
                             "font1.bmp", "font1mask.bmp", "art_matopaa.bmp",
                             "art_matopaamask.bmp", "alku.bmp", "sky.bmp"}) {
        std::ifstream in(std::string(KELVADO_DATA_DIR) + "/" + name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        files.push_back({name, Bytes(std::istreambuf_iterator<char>(in), {})});
    }
    for (const auto& [name, file] : files) {
        ExpectSameDecoding(file, name);
        // Damage the game's reader hands on: it rebuilds and checks the headers, and the size of
        // unencoded pixels, so what may be wrong is in the table and the pixels, and the end of
        // run-length data. (Bit-field masks it hands on as they are; for masks of more than 8
        // bits SDL reads out of its own tables, which no decoder can match.)
        const std::size_t reach = std::min<std::size_t>(file.size(), 240);
        const bool runLength = file[30] == 1 || file[30] == 2;
        for (std::size_t cut = 54; runLength && cut < file.size(); ++cut) {
            ExpectSameDecoding(Bytes(file.begin(), file.begin() + cut),
                               name + " cut to " + std::to_string(cut));
        }
        const std::size_t firstDamaged = file[30] == 3 ? 54 + 12 : 54;
        for (std::size_t at = firstDamaged; at < reach; ++at) {
            Bytes flipped = file;
            flipped[at] ^= 0xFF;
            ExpectSameDecoding(flipped, name + " byte " + std::to_string(at) + " flipped");
        }
    }
}

}  // namespace
