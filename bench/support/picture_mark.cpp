#include "picture_mark.h"

#include <cmath>

#include "drawing.h"
#include "fonts.h"
#include "images.h"

bool MarkLikeTheWorker(int64_t image, int64_t font, const Text& text, uint32_t colour) {
  if (!DrawBegin(ImageDrawTarget(image))) return false;
  DrawSetFont(FontGetHandle(font));
  const auto offset =
      static_cast<int64_t>(std::nearbyint(static_cast<double>(DrawTextWidth(text)) * 0.707 / 2.0));
  DrawTextRotated(ImageGetWidth(image) / 2 - offset, ImageGetHeight(image) / 2 + offset, text, 45.0,
                  colour);
  DrawEnd();
  return true;
}
