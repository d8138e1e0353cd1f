// The bitmap conversion without SDL: the uncompressed depths, bit fields and
// the two run-length encodings of a Windows bitmap file, delivered as SDL's decoder delivers them
// (fields of fewer than 8 bits scaled to 255, a pixel outside the colour table refused, or black
// in run-length data, pixels a run-length picture skips left at colour 0).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/web/dib.h"

namespace {

std::uint32_t Read16(const unsigned char* p) { return p[0] | (p[1] << 8); }

std::uint32_t Read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Field {
    int shift;
    int bits;
};

Field FieldOf(std::uint32_t mask) {
    Field f{0, 0};
    if (mask == 0) return f;
    while (!(mask & 1)) {
        mask >>= 1;
        ++f.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++f.bits;
    }
    return f;
}

// A field widened to 8 bits as SDL's conversion does it: scaled to 255 and truncated.
unsigned char Expand(std::uint32_t pixel, Field f) {
    if (f.bits == 0) return 0;
    const std::uint32_t v = (pixel >> f.shift) & ((1u << f.bits) - 1);
    if (f.bits >= 8) return static_cast<unsigned char>(v >> (f.bits - 8));
    return static_cast<unsigned char>(v * 255 / ((1u << f.bits) - 1));
}

struct Picture {
    int width;
    int rows;
    int stride;
    unsigned char* bits;  // bottom row first
    const unsigned char* table;
    std::uint32_t tableLength;
};

bool PutIndex(Picture& p, int x, int rowFromBottom, std::uint32_t index) {
    if (index >= p.tableLength) return false;
    const unsigned char* entry = p.table + index * 4;
    unsigned char* out = p.bits + static_cast<std::size_t>(rowFromBottom) * p.stride + x * 3;
    out[0] = entry[0];
    out[1] = entry[1];
    out[2] = entry[2];
    return true;
}

// Runs and escapes, as SDL reads them: into rows of indices padded to 4 bytes and kept top row
// first, where a run past a row's end goes on into the memory after it and whatever falls
// outside the picture is dropped. An index outside the table is black; data that ends before
// the end-of-picture escape is refused.
bool DecodeRunLength(Picture& p, const unsigned char* data, std::size_t size, bool fourBit) {
    const std::size_t pitch = (static_cast<std::size_t>(p.width) + 3) & ~std::size_t{3};
    const std::size_t total = pitch * p.rows;
    std::vector<unsigned char> indices(total, 0);
    std::ptrdiff_t row = static_cast<std::ptrdiff_t>(total - pitch);  // the bottom row
    std::ptrdiff_t x = 0;
    auto put = [&](unsigned index) {
        const std::ptrdiff_t at = row + x++;
        if (at >= 0 && at < static_cast<std::ptrdiff_t>(total))
            indices[static_cast<std::size_t>(at)] = static_cast<unsigned char>(index);
    };
    std::size_t at = 0;
    auto next = [&](unsigned* byte) {
        if (at >= size) return false;
        *byte = data[at++];
        return true;
    };
    bool ended = false;
    while (!ended) {
        unsigned count = 0, value = 0;
        if (!next(&count)) return false;
        if (count > 0) {
            if (!next(&value)) return false;
            for (unsigned i = 0; i < count; ++i)
                put(fourBit ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (!next(&value)) return false;
        switch (value) {
            case 0:  // end of line
                x = 0;
                row -= static_cast<std::ptrdiff_t>(pitch);
                break;
            case 1:  // end of picture
                ended = true;
                break;
            case 2: {  // delta
                unsigned dx = 0, dy = 0;
                if (!next(&dx) || !next(&dy)) return false;
                x += dx;
                row -= static_cast<std::ptrdiff_t>(dy * pitch);
                break;
            }
            default: {  // a literal run of `value` pixels, padded to 16 bits
                unsigned byte = 0;
                for (unsigned i = 0; i < value; ++i) {
                    if (!fourBit || i % 2 == 0) {
                        if (!next(&byte)) return false;
                    }
                    put(fourBit ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
                }
                const unsigned bytes = fourBit ? (value + 1) / 2 : value;
                if (bytes % 2 == 1 && !next(&byte)) return false;
                break;
            }
        }
    }
    for (int r = 0; r < p.rows; ++r) {
        const unsigned char* in = indices.data() + static_cast<std::size_t>(p.rows - 1 - r) * pitch;
        unsigned char* out = p.bits + static_cast<std::size_t>(r) * p.stride;
        for (int c = 0; c < p.width; ++c) {
            const unsigned index = in[c];
            if (index < p.tableLength) std::memcpy(out + c * 3, p.table + index * 4, 3);
        }
    }
    return true;
}

bool DecodeRows(Picture& p, const unsigned char* data, std::size_t size, int bitCount,
                bool topDown, const Field fields[3]) {
    const std::size_t sourceStride = ((static_cast<std::size_t>(p.width) * bitCount + 31) / 32) * 4;
    if (sourceStride * p.rows > size) return false;
    for (int r = 0; r < p.rows; ++r) {
        const unsigned char* in = data + static_cast<std::size_t>(r) * sourceStride;
        const int row = topDown ? p.rows - 1 - r : r;
        unsigned char* out = p.bits + static_cast<std::size_t>(row) * p.stride;
        for (int x = 0; x < p.width; ++x) {
            switch (bitCount) {
                case 1:
                case 4:
                case 8: {
                    const int bit = x * bitCount;
                    const unsigned index =
                        (in[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                    if (!PutIndex(p, x, row, index)) return false;
                    break;
                }
                case 24:
                    std::memcpy(out + x * 3, in + x * 3, 3);
                    break;
                case 16:
                case 32: {
                    const std::uint32_t pixel =
                        bitCount == 16 ? Read16(in + x * 2) : Read32(in + x * 4);
                    out[x * 3 + 0] = Expand(pixel, fields[2]);
                    out[x * 3 + 1] = Expand(pixel, fields[1]);
                    out[x * 3 + 2] = Expand(pixel, fields[0]);
                    break;
                }
                default:
                    return false;
            }
        }
    }
    return true;
}

}  // namespace

bool DecodeDibToBgr24(const unsigned char* file, std::size_t size, ConvertedBitmap* out) {
    if (!file || !out || size < 54 || file[0] != 'B' || file[1] != 'M') return false;
    *out = ConvertedBitmap{};
    const std::uint32_t headerSize = Read32(file + 14);
    if (headerSize < 40 || 14 + static_cast<std::uint64_t>(headerSize) > size) return false;
    const std::int32_t width = static_cast<std::int32_t>(Read32(file + 18));
    const std::int32_t height = static_cast<std::int32_t>(Read32(file + 22));
    const int bitCount = static_cast<int>(Read16(file + 28));
    const std::uint32_t compression = Read32(file + 30);
    std::uint32_t colorsUsed = Read32(file + 46);
    const std::uint64_t pixelStart = Read32(file + 10);
    if (width <= 0 || height == 0 || height == INT32_MIN || width > 16384) return false;
    const int rows = height < 0 ? -height : height;
    if (rows > 16384 || pixelStart > size) return false;

    Field fields[3] = {{16, 8}, {8, 8}, {0, 8}};  // red, green, blue of 32-bit pixels
    if (bitCount == 16) fields[0] = {10, 5}, fields[1] = {5, 5}, fields[2] = {0, 5};
    std::uint64_t tableStart = 14 + static_cast<std::uint64_t>(headerSize);
    if (compression == 3) {
        if (bitCount != 16 && bitCount != 32) return false;
        const std::uint64_t masks = headerSize == 40 ? tableStart : 14 + 40;
        if (masks + 12 > size) return false;
        for (int i = 0; i < 3; ++i) fields[i] = FieldOf(Read32(file + masks + 4 * i));
        if (headerSize == 40) tableStart += 12;
    } else if (compression == 1 ? bitCount != 8 : compression == 2 ? bitCount != 4
                                                                   : compression != 0) {
        return false;
    }
    if (bitCount <= 8) {
        const std::uint32_t most = 1u << bitCount;
        if (colorsUsed == 0 || colorsUsed > most) colorsUsed = most;
    } else {
        colorsUsed = 0;
    }
    if (tableStart + static_cast<std::uint64_t>(colorsUsed) * 4 > size) return false;
    if (height < 0 && (compression == 1 || compression == 2)) return false;

    Picture p{width, rows, (width * 3 + 3) & ~3, nullptr, file + tableStart, colorsUsed};
    p.bits = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(p.stride) * rows, 1));
    if (!p.bits) return false;
    const unsigned char* pixels = file + pixelStart;
    const std::size_t pixelBytes = size - static_cast<std::size_t>(pixelStart);
    const bool ok = (compression == 1 || compression == 2)
                        ? DecodeRunLength(p, pixels, pixelBytes, compression == 2)
                        : DecodeRows(p, pixels, pixelBytes, bitCount, height < 0, fields);
    if (!ok) {
        std::free(p.bits);
        return false;
    }
    out->width = width;
    out->height = rows;
    out->stride = p.stride;
    out->bits = p.bits;
    return true;
}
