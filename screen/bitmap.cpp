// The bitmap reader: a DIB file from the disk or from memory, every header field checked against
// the bytes there, delivered as an RGB record. No GL: the textures are made from it elsewhere.
#include "screen/bitmap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBitFieldsSize = 12;  // three 32-bit masks after a 40-byte header

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;

// Textures are small; anything beyond these is a damaged or hostile header, not a picture.
constexpr std::int64_t kMaxSide = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;
// The largest picture above at 32 bits a pixel, with room for its headers and colour table.
constexpr std::size_t kMaxFileBytes = kMaxPixels * 4 + (std::size_t{1} << 16);

constexpr const char* kUnknownFormat = "Unknown DIB file format.";
constexpr const char* kConversionError = "Image file conversion error.";
constexpr const char* kOutOfMemory = "Out of memory.";

void ShowReaderMessage(const char* text) { MessageBox(GetFocus(), text, "Error", MB_OK); }

std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Write16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void Write32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The header fields the reader works with, always in the 40-byte form.
struct InfoHeader {
    std::int64_t width;
    std::int64_t height;  // negative for a top-down bitmap
    std::uint32_t planes;
    std::uint32_t bitCount;
    std::uint32_t compression;
    std::uint32_t imageSize;
    std::uint32_t xPelsPerMeter;
    std::uint32_t yPelsPerMeter;
    std::uint32_t colorsUsed;
    std::uint32_t colorsImportant;
};

std::uint32_t DefaultTableLength(std::uint32_t bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

bool CompressionFitsDepth(std::uint32_t compression, std::uint32_t bitCount) {
    switch (compression) {
        case kRgb:
            return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                   bitCount == 24 || bitCount == 32;
        case kRle8:
            return bitCount == 8;
        case kRle4:
            return bitCount == 4;
        case kBitFields:
            return bitCount == 16 || bitCount == 32;
        default:
            return false;
    }
}

}  // namespace

void FreeImage(ImageRecord* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image);
}

namespace {

// The record of `height` rows of blue-green-red pixels `stride` bytes apart, bottom row first
// (top row first when `topDown`): red-green-blue, bottom row first, row padding left out.
ImageRecord* DeliverBgrRows(const unsigned char* rows, std::size_t stride, int width, int height,
                            bool topDown) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    auto* pixels = static_cast<unsigned char*>(std::malloc(rowBytes * height));
    auto* image = static_cast<ImageRecord*>(std::malloc(sizeof(ImageRecord)));
    if (!pixels || !image) {
        std::free(pixels);
        std::free(image);
        ShowReaderMessage(kOutOfMemory);
        return nullptr;
    }
    for (int row = 0; row < height; ++row) {
        const unsigned char* src =
            rows + static_cast<std::size_t>(topDown ? height - 1 - row : row) * stride;
        unsigned char* dst = pixels + static_cast<std::size_t>(row) * rowBytes;
        for (std::size_t at = 0; at < rowBytes; at += 3) {
            dst[at + 0] = src[at + 2];
            dst[at + 1] = src[at + 1];
            dst[at + 2] = src[at + 0];
        }
    }
    image->width = width;
    image->height = height;
    image->pixels = pixels;
    return image;
}

// Every size, offset and count in the file is checked against the bytes actually there before
// anything is read; the pixels are then handed to the platform's conversion as a freshly built,
// well-formed bitmap file, except uncompressed 24-bit ones on the fast path. A top-down bitmap
// (negative height) is delivered like any other: rows bottom first, the record's height positive.
ImageRecord* Decode(const unsigned char* data, std::size_t size, const char* fileName,
                    bool fastPath) {
    (void)fileName;
    if (!data) {
        ShowReaderMessage(kUnknownFormat);
        return nullptr;
    }

    // With the "BM" file header the pixel offset is given; without it the bitmap header starts
    // the data and the pixels follow its colour table.
    const bool hasFileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    const std::size_t headerStart = hasFileHeader ? kFileHeaderSize : 0;
    if (size < headerStart + 4) {
        ShowReaderMessage(kUnknownFormat);
        return nullptr;
    }
    const unsigned char* header = data + headerStart;
    const std::uint32_t headerSize = Read32(header);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) {
        ShowReaderMessage(kUnknownFormat);
        return nullptr;
    }
    if (size - headerStart < headerSize) {
        ShowReaderMessage(kConversionError);
        return nullptr;
    }

    InfoHeader info{};
    std::uint32_t entrySize = 4;
    if (headerSize == kCoreHeaderSize) {
        info.width = Read16(header + 4);
        info.height = Read16(header + 6);
        info.planes = Read16(header + 8);
        info.bitCount = Read16(header + 10);
        info.compression = kRgb;
        entrySize = 3;
    } else {
        info.width = static_cast<std::int32_t>(Read32(header + 4));
        info.height = static_cast<std::int32_t>(Read32(header + 8));
        info.planes = Read16(header + 12);
        info.bitCount = Read16(header + 14);
        info.compression = Read32(header + 16);
        info.imageSize = Read32(header + 20);
        info.xPelsPerMeter = Read32(header + 24);
        info.yPelsPerMeter = Read32(header + 28);
        info.colorsUsed = Read32(header + 32);
        info.colorsImportant = Read32(header + 36);
    }

    // Colour table: the header's count of colours used when it gives one, else by depth.
    std::uint64_t tableLength = DefaultTableLength(info.bitCount);
    if (headerSize == kInfoHeaderSize && info.colorsUsed != 0) tableLength = info.colorsUsed;

    const std::int64_t rows = info.height < 0 ? -info.height : info.height;
    const bool topDown = info.height < 0;
    const bool rle = info.compression == kRle8 || info.compression == kRle4;
    if (info.width <= 0 || rows <= 0 || info.width > kMaxSide || rows > kMaxSide ||
        info.width * rows > kMaxPixels || !CompressionFitsDepth(info.compression, info.bitCount) ||
        (topDown && rle) ||
        (info.bitCount <= 8 && tableLength > DefaultTableLength(info.bitCount))) {
        ShowReaderMessage(kConversionError);
        return nullptr;
    }

    // Everything between the header and the pixels must lie inside the data.
    const std::uint64_t masksSize =
        (headerSize == kInfoHeaderSize && info.compression == kBitFields) ? kBitFieldsSize : 0;
    const std::uint64_t masksStart = headerStart + headerSize;
    const std::uint64_t tableStart = masksStart + masksSize;
    const std::uint64_t tableEnd = tableStart + tableLength * entrySize;
    const std::uint64_t pixelStart = hasFileHeader ? Read32(data + 10) : tableEnd;
    if (tableEnd > size || pixelStart < tableEnd || pixelStart > size) {
        ShowReaderMessage(kConversionError);
        return nullptr;
    }
    const std::uint64_t pixelBytes = size - pixelStart;
    const std::uint64_t stride =
        ((static_cast<std::uint64_t>(info.width) * info.bitCount + 31) / 32) * 4;
    if (!rle && stride * static_cast<std::uint64_t>(rows) > pixelBytes) {
        ShowReaderMessage(kConversionError);
        return nullptr;
    }

    // Uncompressed 24-bit pixels, which every picture of the game is, need no conversion: the
    // rows are turned straight into the record. The platform's conversion gives the very same
    // bytes for them (the tests hold the two paths against each other).
    if (fastPath && info.bitCount == 24 && info.compression == kRgb) {
        return DeliverBgrRows(data + pixelStart, static_cast<std::size_t>(stride),
                              static_cast<int>(info.width), static_cast<int>(rows), topDown);
    }

    // The converted header: 40-byte form, colour entries of 4 bytes, counts filled in.
    if (info.imageSize == 0 || info.imageSize > pixelBytes) {
        const std::uint64_t packed =
            ((static_cast<std::uint64_t>(info.width) * info.bitCount + 7) / 8) * rows;
        info.imageSize = static_cast<std::uint32_t>(rle ? pixelBytes : packed);
    }
    if (info.colorsUsed == 0 || headerSize == kCoreHeaderSize) {
        info.colorsUsed = static_cast<std::uint32_t>(tableLength);
    }
    if (headerSize == kCoreHeaderSize)
        info.colorsImportant = static_cast<std::uint32_t>(tableLength);

    const std::uint64_t outPixelStart =
        kFileHeaderSize + kInfoHeaderSize + masksSize + tableLength * 4;
    const std::uint64_t outSize = outPixelStart + pixelBytes;
    auto* file = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(outSize)));
    if (!file) {
        ShowReaderMessage(kOutOfMemory);
        return nullptr;
    }
    std::memset(file, 0, static_cast<std::size_t>(outPixelStart));
    file[0] = 'B';
    file[1] = 'M';
    Write32(file + 2, static_cast<std::uint32_t>(outSize));
    Write32(file + 10, static_cast<std::uint32_t>(outPixelStart));
    unsigned char* out = file + kFileHeaderSize;
    Write32(out, kInfoHeaderSize);
    Write32(out + 4, static_cast<std::uint32_t>(static_cast<std::int32_t>(info.width)));
    Write32(out + 8, static_cast<std::uint32_t>(static_cast<std::int32_t>(info.height)));
    Write16(out + 12, info.planes);
    Write16(out + 14, info.bitCount);
    Write32(out + 16, info.compression);
    Write32(out + 20, info.imageSize);
    Write32(out + 24, info.xPelsPerMeter);
    Write32(out + 28, info.yPelsPerMeter);
    Write32(out + 32, info.colorsUsed);
    Write32(out + 36, info.colorsImportant);
    out += kInfoHeaderSize;
    if (masksSize) {
        std::memcpy(out, data + masksStart, static_cast<std::size_t>(masksSize));
        out += masksSize;
    }
    for (std::uint64_t i = 0; i < tableLength; ++i) {
        std::memcpy(out + i * 4, data + tableStart + i * entrySize, entrySize);
    }
    std::memcpy(file + outPixelStart, data + pixelStart, static_cast<std::size_t>(pixelBytes));

    ConvertedBitmap converted{};
    const bool ok = ConvertBitmapToBgr24(file, static_cast<std::size_t>(outSize), &converted);
    std::free(file);
    if (!ok || converted.width != info.width || converted.height != rows ||
        converted.stride < converted.width * 3 || !converted.bits) {
        if (ok) FreeConvertedBitmap(&converted);
        ShowReaderMessage(kConversionError);
        return nullptr;
    }

    ImageRecord* image = DeliverBgrRows(converted.bits, static_cast<std::size_t>(converted.stride),
                                        converted.width, converted.height, false);
    FreeConvertedBitmap(&converted);
    return image;
}

}  // namespace

ImageRecord* DecodeBitmap(const unsigned char* data, std::size_t size, const char* fileName) {
    return Decode(data, size, fileName, true);
}

ImageRecord* DecodeBitmapByConversion(const unsigned char* data, std::size_t size,
                                      const char* fileName) {
    return Decode(data, size, fileName, false);
}

namespace {

// The file's bytes are read into one buffer kept for all the pictures of the start-up, so that
// each one does not fault in fresh pages of its own.
std::vector<unsigned char> readBuffer;

// ReadBitmap once the file has been read (or has failed to be).
ImageRecord* DecodeRead(FileRead result, const std::vector<unsigned char>& data,
                        const char* fileName) {
    switch (result) {
        case FileRead::kRead:
            return DecodeBitmap(data.data(), data.size(), fileName);
        case FileRead::kTooLong:
            // Far larger than any picture the reader accepts: not one to decode.
            ShowReaderMessage(kConversionError);
            return nullptr;
        case FileRead::kNoMemory:
            ShowReaderMessage(kOutOfMemory);
            return nullptr;
        case FileRead::kNotOpened:
            break;
    }
    char text[1100];
    std::snprintf(text, sizeof text, "Failed to open DIB file %s.\n", fileName);
    ShowReaderMessage(text);
    return nullptr;
}

}  // namespace

ImageRecord* ReadBitmap(const char* fileName) {
    // The whole file is read into memory and decoded from there.
    const FileRead result = ReadRegularFile(fileName, kMaxFileBytes, Overlong::kRefuse, &readBuffer);
    return DecodeRead(result, readBuffer, fileName);
}

ImageRecord* LoadBitmapFile(const char* fileName) {
    if (!fileName) return nullptr;
    // A missing or unreadable file is quietly skipped, and so is anything that is not a regular
    // file (a directory, a FIFO, a device); only a damaged picture is reported. The one open
    // that tells so is also the one the picture is read through.
    bool opened = false;
    const FileRead result =
        ReadRegularFile(fileName, kMaxFileBytes, Overlong::kRefuse, &readBuffer, &opened);
    if (!opened) return nullptr;
    return DecodeRead(result, readBuffer, fileName);
}

void ReleaseBitmapReadBuffer() { std::vector<unsigned char>().swap(readBuffer); }
