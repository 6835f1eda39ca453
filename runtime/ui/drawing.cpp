#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "fonts.h"
#include "per_thread.h"
#include "platform/text_render.h"

namespace {

constexpr uint32_t kNoColour = 0xFFFFFFFF;  // not a 24-bit colour: the first one given applies

struct DrawContext {
  ImageBitmap* target = nullptr;
  std::unique_ptr<TextRenderer> text;  // made by DrawBegin
  uint32_t front = kNoColour;
  int64_t originX = 0;
  int64_t originY = 0;
};

struct DrawThread {
  std::unique_ptr<DrawContext> current;
};

DrawThread& ThisThread() {
  static PerThread<DrawThread> threads;
  return threads.Get();
}

// The thread's context once drawing has begun, else null.
DrawContext* Begun() {
  DrawContext* context = ThisThread().current.get();
  return context && context->text ? context : nullptr;
}

double NormalisedAngle(double angle) {
  double turned = std::fmod(angle, 360.0);
  return turned < 0 ? turned + 360.0 : turned;
}

void BlendPixel(uint8_t* pixel, int m, const int front[3]) {
  for (int c = 0; c < 3; ++c) pixel[c] = static_cast<uint8_t>((m * front[c] + (255 - m) * pixel[c]) / 255);
}

}  // namespace

int64_t ImageDrawTarget(int64_t image) {
  auto* bitmap = reinterpret_cast<ImageBitmap*>(ImageGetHandle(image));
  if (!bitmap || bitmap->isIcon || bitmap->pixels.empty()) return 0;
  auto context = std::make_unique<DrawContext>();
  context->target = bitmap;
  DrawContext* made = context.get();
  ThisThread().current = std::move(context);
  return reinterpret_cast<intptr_t>(made);
}

int64_t DrawBegin(int64_t target) {
  auto& current = ThisThread().current;
  if (target == 0 || !current || reinterpret_cast<intptr_t>(current.get()) != target ||
      !TextRenderer::Available()) {
    current.reset();
    return 0;
  }
  current->text = std::make_unique<TextRenderer>();
  return 1;
}

void DrawEnd() { ThisThread().current.reset(); }

int64_t DrawSetFont(int64_t fontHandle) {
  DrawContext* context = Begun();
  if (!context) return 0;
  if (fontHandle == kDrawSystemFont) {
    context->text->UseSystemFont();
    return 1;
  }
  FontSpec description;
  if (!FontDescribe(fontHandle, description)) return 0;
  context->text->UseFont(description);
  return 1;
}

int64_t DrawTextWidth(const Text& text) {
  DrawContext* context = Begun();
  return context ? context->text->Width(text) : 0;
}

int64_t DrawTextHeight(const Text& text) {
  DrawContext* context = Begun();
  return context ? context->text->Height(text) : 0;
}

void DrawTextRotated(int64_t x, int64_t y, const Text& text, double angle, uint32_t colour) {
  DrawContext* context = Begun();
  if (!context || text.empty() || !std::isfinite(angle)) return;
  context->front = colour & 0xFFFFFF;
  ImageBitmap& target = *context->target;
  TextMask mask;
  if (!context->text->Render(text, x + context->originX, y + context->originY,
                             NormalisedAngle(angle), target.width, target.height, mask))
    return;
  DrawBlendMask(target, mask.left, mask.top, mask.width, mask.height, mask.bits, mask.stride,
                context->front);
}

int64_t DrawText(int64_t x, int64_t y, const Text& text) {
  DrawContext* context = Begun();
  if (!context) return x;
  uint32_t colour = context->front == kNoColour ? 0 : context->front;
  DrawTextRotated(x, y, text, 0.0, colour);
  return x + context->text->Width(text);
}

void DrawBlendMask(ImageBitmap& target, int64_t left, int64_t top, int64_t width,
                   int64_t height, const uint8_t* mask, int64_t maskStride, uint32_t colour) {
  if (!mask || (target.depth != 24 && target.depth != 32)) return;
  const int front[3] = {static_cast<int>(colour >> 16 & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                        static_cast<int>(colour & 0xFF)};  // blue, green, red: the pixel order
  int bytes = target.depth / 8;
  int64_t x0 = std::max<int64_t>(0, left), x1 = std::min(target.width, left + width);
  int64_t y0 = std::max<int64_t>(0, top), y1 = std::min(target.height, top + height);
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* coverage = mask + (y - top) * maskStride + (x0 - left);
    uint8_t* pixel = target.Line(y) + x0 * bytes;
    for (int64_t x = x0; x < x1; ++x, ++coverage, pixel += bytes)
      if (*coverage) BlendPixel(pixel, *coverage, front);
  }
}
