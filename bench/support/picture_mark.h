#pragma once
// The mark as the download worker draws it: `text` in `font`, rotated 45 degrees, its
// middle about on the centre of `image`.
#include <cstdint>

#include "text.h"

// False when the image cannot be drawn on.
bool MarkLikeTheWorker(int64_t image, int64_t font, const Text& text, uint32_t colour);
