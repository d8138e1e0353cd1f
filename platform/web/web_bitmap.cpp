// The bitmap conversion in the browser: our own decoder, as the page has no SDL.
#include <cstdlib>

#include "platform/web/dib.h"

bool ConvertBitmapToBgr24(const unsigned char* file, std::size_t size, ConvertedBitmap* out) {
    return DecodeDibToBgr24(file, size, out);
}

void FreeConvertedBitmap(ConvertedBitmap* bitmap) {
    if (!bitmap) return;
    std::free(bitmap->bits);
    *bitmap = ConvertedBitmap{};
}
