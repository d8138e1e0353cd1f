// Writes small Windows bitmaps in the forms the reader must accept, for the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace testbmp {

using Bytes = std::vector<unsigned char>;

struct Options {
    bool fileHeader = true;   // the 14-byte "BM" header
    bool coreHeader = false;  // the 12-byte header instead of the 40-byte one
    bool topDown = false;     // negative height, rows top first
    bool rle8 = false;        // 8-bit run-length compression
    std::uint32_t colorsUsed = 0;
};

inline void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

inline void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// rows: the pixel bytes of each row as stored (already in file order), without padding.
inline Bytes Assemble(int width, int height, int bitCount, const std::vector<Bytes>& rows,
                      const Bytes& table, int tableEntries, const Options& o,
                      std::uint32_t compression) {
    Bytes pixels;
    for (const Bytes& row : rows) {
        pixels.insert(pixels.end(), row.begin(), row.end());
        if (compression == 0) {
            while (pixels.size() % 4 != 0) pixels.push_back(0);
        }
    }
    Bytes header;
    if (o.coreHeader) {
        Put32(header, 12);
        Put16(header, static_cast<std::uint32_t>(width));
        Put16(header, static_cast<std::uint32_t>(height));
        Put16(header, 1);
        Put16(header, static_cast<std::uint32_t>(bitCount));
    } else {
        Put32(header, 40);
        Put32(header, static_cast<std::uint32_t>(width));
        Put32(header, static_cast<std::uint32_t>(o.topDown ? -height : height));
        Put16(header, 1);
        Put16(header, static_cast<std::uint32_t>(bitCount));
        Put32(header, compression);
        Put32(header, static_cast<std::uint32_t>(pixels.size()));
        Put32(header, 2835);
        Put32(header, 2835);
        Put32(header, o.colorsUsed);
        Put32(header, 0);
    }
    (void)tableEntries;
    Bytes out;
    if (o.fileHeader) {
        const std::uint32_t offset = static_cast<std::uint32_t>(14 + header.size() + table.size());
        out = {'B', 'M'};
        Put32(out, static_cast<std::uint32_t>(offset + pixels.size()));
        Put32(out, 0);
        Put32(out, offset);
    }
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// rgb: bottom row first, 3 bytes a pixel in red, green, blue.
inline Bytes Write24(int width, int height, const Bytes& rgb, const Options& o = {}) {
    std::vector<Bytes> rows;
    for (int r = 0; r < height; ++r) {
        const int source = o.topDown ? height - 1 - r : r;
        Bytes row;
        for (int c = 0; c < width; ++c) {
            const unsigned char* p = &rgb[(static_cast<std::size_t>(source) * width + c) * 3];
            row.insert(row.end(), {p[2], p[1], p[0]});
        }
        rows.push_back(row);
    }
    return Assemble(width, height, 24, rows, {}, 0, o, 0);
}

// indices: bottom row first; palette: red, green, blue triples. The table holds colorsUsed
// entries when that is set, else all 256 (the unused ones black).
inline Bytes Write8(int width, int height, const Bytes& indices, const Bytes& palette,
                    const Options& o = {}) {
    const int entries = o.coreHeader ? 256 : (o.colorsUsed ? static_cast<int>(o.colorsUsed) : 256);
    Bytes table;
    for (int i = 0; i < entries; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * 3;
        const unsigned char r = at + 2 < palette.size() ? palette[at] : 0;
        const unsigned char g = at + 2 < palette.size() ? palette[at + 1] : 0;
        const unsigned char b = at + 2 < palette.size() ? palette[at + 2] : 0;
        table.insert(table.end(), {b, g, r});
        if (!o.coreHeader) table.push_back(0);
    }
    std::vector<Bytes> rows;
    for (int r = 0; r < height; ++r) {
        const int source = o.topDown ? height - 1 - r : r;
        Bytes row(indices.begin() + source * width, indices.begin() + (source + 1) * width);
        if (o.rle8) {
            // Encoded as literal runs of one pixel each, then end of line / end of bitmap.
            Bytes encoded;
            for (unsigned char v : row) encoded.insert(encoded.end(), {1, v});
            encoded.insert(encoded.end(), {0, static_cast<unsigned char>(r + 1 == height ? 1 : 0)});
            row = encoded;
        }
        rows.push_back(row);
    }
    return Assemble(width, height, 8, rows, table, entries, o, o.rle8 ? 1u : 0u);
}

inline bool Save(const std::string& path, const Bytes& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace testbmp
