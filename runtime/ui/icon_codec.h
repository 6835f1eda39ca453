#pragma once
// Icon and cursor files. Of the entries stored as device-independent bitmaps the largest
// (then the deepest) that decodes is taken; entries stored as PNG are passed over. The
// result is a 32-bit bitmap with alpha: from the entry's own alpha channel when it has
// one, else from its transparency mask. Stateless: safe on any thread.
#include <cstddef>
#include <cstdint>

#include "images.h"

bool IconDecode(const uint8_t* data, size_t size, ImageBitmap& out);
