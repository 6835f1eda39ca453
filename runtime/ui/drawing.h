#pragma once
// Drawing text onto pictures. A thread makes a target of a picture (ImageDrawTarget), which
// becomes its current drawing context, begins drawing on it, draws and ends. Text is
// rendered into a grey-level mask and blended into the picture's pixels per channel as
// new = (m x front + (255 - m) x old) / 255, clipped at the picture's edges.
//
// Thread safety: the drawing context is per thread, so threads may draw at the same
// time on different pictures. The picture must stay alive until DrawEnd. The draw calls
// do nothing (or return 0) on a thread without a begun context.
#include <cstdint>

#include "images.h"
#include "text.h"

constexpr int64_t kDrawSystemFont = -1;

// A drawing context for the picture, now the thread's current one (any previous one of
// the thread is dropped); 0 for a number not in use or an icon.
int64_t ImageDrawTarget(int64_t image);
// Starts drawing on the thread's current target; non-zero on success. On failure (0 or
// a target that is not the thread's current one) the thread is left without a context.
int64_t DrawBegin(int64_t target);
// Ends the thread's drawing and frees its context.
void DrawEnd();

// A font handle of the font service (FontGetHandle), or kDrawSystemFont. An unknown
// handle leaves the font as it was and returns 0.
int64_t DrawSetFont(int64_t fontHandle);
// Width and height in pixels of the text cell in the current font; 0 for empty text.
int64_t DrawTextWidth(const Text& text);
int64_t DrawTextHeight(const Text& text);
// Draws the text rotated by `angle` degrees counter-clockwise (taken modulo 360), with
// the top-left corner of the unrotated text cell at (x, y), in colour (red in the low
// byte), over the existing pixels.
void DrawTextRotated(int64_t x, int64_t y, const Text& text, double angle, uint32_t colour);
// Horizontal text over the existing pixels in the current front colour (black at first);
// returns the x position after the text.
int64_t DrawText(int64_t x, int64_t y, const Text& text);

// Blends a coverage mask (width x height bytes, rows `maskStride` apart) into the picture
// with its top-left corner at (left, top), clipped at the picture's edges.
void DrawBlendMask(ImageBitmap& target, int64_t left, int64_t top, int64_t width,
                   int64_t height, const uint8_t* mask, int64_t maskStride, uint32_t colour);
