#pragma once
// The stop button's picture, built into the program: an uncompressed 16 x 16 BMP with
// 24 bits per pixel (54 bytes of headers, 768 of pixels), a red disc with a white
// diagonal cross on light grey. Immutable: safe on any thread.
#include <cstdint>

constexpr int64_t kStopPictureSize = 822;

const uint8_t* StopPictureData();
