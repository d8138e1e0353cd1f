// The bitmap conversion over SDL2's BMP decoder: any depth and compression SDL reads comes out
// as 24-bit blue-green-red rows, bottom row first, padded to 4 bytes.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

bool ConvertBitmapToBgr24(const unsigned char* file, std::size_t size, ConvertedBitmap* out) {
    if (!file || !out || size == 0 || size > 0x7FFFFFFF) return false;
    *out = ConvertedBitmap{};
    SDL_RWops* stream = SDL_RWFromConstMem(file, static_cast<int>(size));
    if (!stream) return false;
    SDL_Surface* decoded = SDL_LoadBMP_RW(stream, 1);
    if (!decoded) return false;
    // SDL_PIXELFORMAT_BGR24 keeps the bytes in memory as blue, green, red.
    SDL_Surface* bgr = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_BGR24, 0);
    SDL_FreeSurface(decoded);
    if (!bgr) return false;

    bool ok = false;
    const int width = bgr->w;
    const int height = bgr->h;
    if (width > 0 && height > 0 && width <= 0x7FFFFFFF / 3 - 3 && SDL_LockSurface(bgr) == 0) {
        const int stride = (width * 3 + 3) & ~3;
        auto* bits =
            static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(stride) * height, 1));
        if (bits) {
            // SDL holds rows top first; the delivered picture starts with the bottom row.
            const auto* pixels = static_cast<const unsigned char*>(bgr->pixels);
            for (int row = 0; row < height; ++row) {
                std::memcpy(bits + static_cast<std::size_t>(height - 1 - row) * stride,
                            pixels + static_cast<std::size_t>(row) * bgr->pitch,
                            static_cast<std::size_t>(width) * 3);
            }
            out->width = width;
            out->height = height;
            out->stride = stride;
            out->bits = bits;
            ok = true;
        }
        SDL_UnlockSurface(bgr);
    }
    SDL_FreeSurface(bgr);
    return ok;
}

void FreeConvertedBitmap(ConvertedBitmap* bitmap) {
    if (!bitmap) return;
    std::free(bitmap->bits);
    *bitmap = ConvertedBitmap{};
}
