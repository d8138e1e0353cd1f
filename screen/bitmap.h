// The bitmap reader: DIB files, from the disk or from memory, as RGB records. No GL.
#pragma once

#include <cstddef>

// An image as the reader delivers it: RGB bytes, bottom row first, rows unpadded.
struct ImageRecord {
    int width;
    int height;
    unsigned char* pixels;
};

// Reads and decodes a picture beside the game; a missing file is quietly null, a damaged one is
// reported first.
ImageRecord* LoadBitmapFile(const char* fileName);
// The same, but a file that cannot be opened is reported too.
ImageRecord* ReadBitmap(const char* fileName);
// Decodes a whole bitmap file held in memory; null (after its message) when it cannot. Every
// size, offset and count in the headers is checked against the data first. A top-down bitmap
// (negative height) gives the same record as the bottom-up one: bottom row first, height > 0.
ImageRecord* DecodeBitmap(const unsigned char* data, std::size_t size, const char* fileName);
// The same, with every depth (24 bits too) going through the platform's conversion: what the
// reader's own 24-bit path must match byte for byte and message for message.
ImageRecord* DecodeBitmapByConversion(const unsigned char* data, std::size_t size,
                                      const char* fileName);
void FreeImage(ImageRecord* image);
// Gives back the buffer the files were read into, once no picture is read again.
void ReleaseBitmapReadBuffer();
