// The bitmap reader on a whole file in memory. Besides memory faults it checks the reader's
// promise: a record with a usable picture, or null after exactly one of its messages.
#include "app/textures.h"
#include "fuzz/fuzz_platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ResetFuzzMessages();
    // A copy of exactly the input's length, so that any read past the file is caught.
    auto* copy = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(copy, data, size);
    ImageRecord* image = DecodeBitmap(copy, size, "fuzz.bmp");
    std::free(copy);

    if (!image) {
        if (fuzzMessageCount != 1) Fail("null without exactly one message");
        if (!IsReaderMessage(fuzzLastMessage)) Fail("unexpected message text");
        if (std::strcmp(fuzzLastCaption, "Error") != 0) Fail("unexpected message caption");
        return 0;
    }
    if (fuzzMessageCount != 0) Fail("message shown for a decoded image");
    if (image->width <= 0 || image->height <= 0 || image->width > 16384 ||
        image->height > 16384 || !image->pixels) {
        Fail("image record out of range");
    }
    // Every pixel byte is read once, so a short buffer or an uninitialised one shows up.
    const std::size_t bytes = static_cast<std::size_t>(image->width) * image->height * 3;
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) sum += image->pixels[i];
    volatile unsigned sink = sum;
    (void)sink;
    FreeImage(image);
    return 0;
}
