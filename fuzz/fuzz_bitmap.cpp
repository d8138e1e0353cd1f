// The bitmap reader on a whole file in memory. Besides memory faults it checks the reader's
// promise: a record with a usable picture, or null after exactly one of its messages, and for
// the simple depths the very pixels of the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_platform.h"
#include "screen/bitmap.h"

namespace {

void Fail(const char* why) {
    std::fprintf(stderr, "fuzz_bitmap: %s\n", why);
    std::abort();
}

bool IsReaderMessage(const char* text) {
    return std::strcmp(text, "Unknown DIB file format.") == 0 ||
           std::strcmp(text, "Image file conversion error.") == 0 ||
           std::strcmp(text, "Out of memory.") == 0;
}

std::uint32_t Read32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// For an uncompressed file of 1, 4, 8 or 24 bits the picture can be worked out straight from the
// bytes: each row of the record is a row of the file, bottom row first whichever way the file
// stores them, with a paletted pixel looked up in the colour table (3-byte entries after a
// 12-byte header, 4-byte ones after a 40-byte header) and blue and red swapped. A pixel beyond
// the table has no colour to expect. The other depths are left to the checks above.
void CheckUncompressed(const std::uint8_t* data, std::size_t size, const ImageRecord& image) {
    const bool hasFileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    const std::size_t start = hasFileHeader ? 14 : 0;
    if (size < start + 16) return;
    const std::uint8_t* header = data + start;
    const std::uint32_t headerSize = Read32(header);
    std::int64_t width = 0, height = 0;
    unsigned bits = 0;
    std::uint64_t entrySize = 4;
    std::uint64_t colorsUsed = 0;
    if (headerSize == 40 && size >= start + 40) {
        if (Read32(header + 16) != 0) return;
        width = static_cast<std::int32_t>(Read32(header + 4));
        height = static_cast<std::int32_t>(Read32(header + 8));
        bits = header[14] | (header[15] << 8);
        colorsUsed = Read32(header + 32);
    } else if (headerSize == 12) {
        width = header[4] | (header[5] << 8);
        height = header[6] | (header[7] << 8);
        bits = header[10] | (header[11] << 8);
        entrySize = 3;
    } else {
        return;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return;
    const std::uint64_t tableLength = colorsUsed != 0 ? colorsUsed : (bits == 24 ? 0 : 1u << bits);
    const std::uint64_t tableStart = start + headerSize;
    if (tableStart + tableLength * entrySize > size)
        Fail("decoded a file whose table runs past its end");

    const bool topDown = height < 0;
    const std::int64_t rows = topDown ? -height : height;
    if (width != image.width || rows != image.height) Fail("record size differs from the header");
    const std::uint64_t offset =
        hasFileHeader ? Read32(data + 10) : tableStart + tableLength * entrySize;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    if (offset + stride * rows > size) Fail("decoded a file whose pixels run past its end");
    for (std::int64_t r = 0; r < rows; ++r) {
        const std::int64_t fileRow = topDown ? rows - 1 - r : r;
        const std::uint8_t* src = data + offset + fileRow * stride;
        const unsigned char* dst = image.pixels + r * width * 3;
        for (std::int64_t c = 0; c < width; ++c) {
            const std::uint8_t* bgr = src + c * 3;
            if (bits != 24) {
                const std::uint64_t bit = static_cast<std::uint64_t>(c) * bits;
                const unsigned index = (src[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index >= tableLength) continue;
                bgr = data + tableStart + index * entrySize;
            }
            if (dst[c * 3] != bgr[2] || dst[c * 3 + 1] != bgr[1] || dst[c * 3 + 2] != bgr[0]) {
                Fail("pixels differ from the file");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ResetFuzzMessages();
    // A copy of exactly the input's length, so that any read past the file is caught.
    auto* copy = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(copy, data, size);
    ImageRecord* image = DecodeBitmap(copy, size, "fuzz.bmp");
    // The reader's own 24-bit path and the platform's conversion agree on every input: the same
    // record or the same message.
    const int messages = fuzzMessageCount;
    char message[sizeof fuzzLastMessage];
    std::memcpy(message, fuzzLastMessage, sizeof message);
    ImageRecord* converted = DecodeBitmapByConversion(copy, size, "fuzz.bmp");
    std::free(copy);
    if (fuzzMessageCount != 2 * messages || std::strcmp(message, fuzzLastMessage) != 0)
        Fail("the two decoding paths give different messages");
    if ((image == nullptr) != (converted == nullptr)) Fail("only one decoding path decoded");
    if (image && (image->width != converted->width || image->height != converted->height ||
                  std::memcmp(image->pixels, converted->pixels,
                              static_cast<std::size_t>(image->width) * image->height * 3) != 0))
        Fail("the two decoding paths give different pictures");
    FreeImage(converted);
    fuzzMessageCount = messages;

    if (!image) {
        if (fuzzMessageCount != 1) Fail("null without exactly one message");
        if (!IsReaderMessage(fuzzLastMessage)) Fail("unexpected message text");
        if (std::strcmp(fuzzLastCaption, "Error") != 0) Fail("unexpected message caption");
        return 0;
    }
    if (fuzzMessageCount != 0) Fail("message shown for a decoded image");
    if (image->width <= 0 || image->height <= 0 || image->width > 16384 || image->height > 16384 ||
        !image->pixels) {
        Fail("image record out of range");
    }
    // Every pixel byte is read once, so a short buffer or an uninitialised one shows up.
    const std::size_t bytes = static_cast<std::size_t>(image->width) * image->height * 3;
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) sum += image->pixels[i];
    volatile unsigned sink = sum;
    (void)sink;
    CheckUncompressed(data, size, *image);
    FreeImage(image);
    return 0;
}
