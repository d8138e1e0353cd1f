// A Windows bitmap file decoded by our own code, for platforms without SDL's decoder. Delivers
// what ConvertBitmapToBgr24 does (platform.h), the rows allocated with malloc.
#pragma once

#include <cstddef>

#include "platform/platform.h"

bool DecodeDibToBgr24(const unsigned char* file, std::size_t size, ConvertedBitmap* out);
