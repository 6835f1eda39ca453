#pragma once
// The text part of the platform, under the font and drawing services: the screen's
// pixels per inch, the face a requested font resolves to, and a renderer that measures
// text and renders it, rotated, into grey-level coverage masks (white text on black).
// Only the part of the rotated text cell that falls inside the clipping rectangle is
// rendered, so huge fonts on small pictures stay cheap. A platform implementation
// provides it (for Qt: platform/qt/qt_font.cpp and qt_text_render.cpp).
//
// Thread safety: PlatformFontScreenDpi on the UI thread; PlatformFontResolve on any
// thread once the platform's text part is up. A renderer belongs to one thread (the one
// drawing); renderers on different threads are independent.
#include <cstdint>
#include <memory>

#include "platform/platform_values.h"

// The screen's vertical pixels per inch, or 96 when there is no screen to ask.
int64_t PlatformFontScreenDpi();
// The installed family that `face` resolves to (a sans-serif one for unknown faces);
// false when the text part is not up.
bool PlatformFontResolve(const Text& face, Text& resolved);
// Brings the text part up in a process without windows (tools and benchmarks that
// render text); does nothing when it is up. Returns false if it could not be.
bool PlatformTextStart();

// A rendered mask in the target's coordinates; `bits` stays valid until the next Render.
struct TextMask {
  int64_t left = 0;
  int64_t top = 0;
  int64_t width = 0;
  int64_t height = 0;
  int64_t stride = 0;
  const uint8_t* bits = nullptr;
};

class TextRenderer {
 public:
  TextRenderer();  // with the system font
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // False while the text part is not up (nothing can be measured or rendered then).
  static bool Available();

  void UseFont(const FontSpec& description);
  void UseSystemFont();
  int64_t Width(const Text& text) const;
  int64_t Height(const Text& text) const;

  // Renders the text with the top-left corner of its unrotated cell at (x, y), turned by
  // `angle` degrees counter-clockwise (screen y points down), clipped to [0, clipWidth) x
  // [0, clipHeight). False when no part of the rotated cell lies inside.
  bool Render(const Text& text, int64_t x, int64_t y, double angle, int64_t clipWidth,
              int64_t clipHeight, TextMask& mask);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
