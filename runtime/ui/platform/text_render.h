#pragma once
// Measures text and renders it, rotated, into grey-level coverage masks (white text on
// black) for the drawing service. Only the part of the rotated text cell that falls inside
// the clipping rectangle is rendered, so huge fonts on small pictures stay cheap.
//
// Thread safety: a renderer belongs to one thread (the one drawing); renderers on
// different threads are independent. The GUI application must exist.
#include <cstdint>
#include <memory>

#include "fonts.h"

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

  // False when no GUI application exists (nothing can be measured or rendered then).
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
