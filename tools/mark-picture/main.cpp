// trawl-mark-picture IN.jpg OUT.jpg [TEXT]
// Loads a picture, draws TEXT (default "Trawl") diagonally across its middle in red with
// the worker's mark font (DejaVu Sans, 216 points, bold) and saves it as a JPEG at
// quality 0 or 1, chosen at random. Needs no display: it renders offscreen.
#include <cmath>
#include <cstdio>
#include <random>

#include "drawing.h"
#include "fonts.h"
#include "images.h"
#include "platform/text_render.h"

namespace {

constexpr int64_t kImage = 100;
constexpr int64_t kFont = 1;
constexpr double kAngle = 45.0;
constexpr uint32_t kRed = 255;

// The anchor sits `offset` left of and below the centre, so that the middle of the
// text's length lands about on the centre.
int64_t MarkOffset(int64_t textWidth) {
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(textWidth) * 0.707 / 2.0));
}

bool Mark(const Text& text, int64_t& textWidth) {
  if (!DrawBegin(ImageDrawTarget(kImage))) return false;
  DrawSetFont(FontGetHandle(kFont));
  textWidth = DrawTextWidth(text);
  int64_t offset = MarkOffset(textWidth);
  DrawTextRotated(ImageGetWidth(kImage) / 2 - offset, ImageGetHeight(kImage) / 2 + offset, text,
                  kAngle, kRed);
  DrawEnd();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s IN.jpg OUT.jpg [TEXT]\n", argv[0]);
    return 2;
  }
  if (!PlatformTextStart()) {
    std::fprintf(stderr, "no GUI platform to render text with\n");
    return 1;
  }
  FontServiceInit();
  ImageServiceInit();
  ImageRegisterJpeg();
  Text text = argc == 4 ? TextFromUtf8(argv[3]) : Text(u"Trawl");
  int status = 1;
  int64_t textWidth = 0;
  int64_t quality = std::random_device()() % 2;
  if (!FontLoad(kFont, u"DejaVu Sans", 216, kFontBold)) {
    std::fprintf(stderr, "the mark font could not be made\n");
  } else if (!ImageLoad(kImage, TextFromUtf8(argv[1]))) {
    std::fprintf(stderr, "%s: not a picture that can be read\n", argv[1]);
  } else if (!Mark(text, textWidth)) {
    std::fprintf(stderr, "%s: cannot be drawn on\n", argv[1]);
  } else if (!ImageSave(kImage, TextFromUtf8(argv[2]), kImageFormatJpeg, quality)) {
    std::fprintf(stderr, "%s: could not be written\n", argv[2]);
  } else {
    std::printf("%lldx%lld, text width %lld, offset %lld, quality %lld\n",
                static_cast<long long>(ImageGetWidth(kImage)),
                static_cast<long long>(ImageGetHeight(kImage)), static_cast<long long>(textWidth),
                static_cast<long long>(MarkOffset(textWidth)), static_cast<long long>(quality));
    status = 0;
  }
  ImageServiceEnd();
  FontServiceEnd();
  return status;
}
