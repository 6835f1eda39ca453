#pragma once
// The built-in sample pictures: painted scenes (harbour, forest, city) encoded as JPEG,
// so that the catalogue server has something to publish with no data and no network.
//
// Everything here is deterministic: the same scene, seed and size always give the same
// bytes. All functions are pure and may be called from any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace catalogue {

enum class Scene { Harbour, Forest, City };

// An RGB picture in memory, three bytes per pixel, rows top to bottom.
struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Paints one scene; the seed varies the details (sun, boats, trees, buildings).
Canvas PaintScene(Scene scene, uint32_t seed, int width, int height);

// Baseline JPEG of the canvas; empty when the canvas is empty or encoding fails.
std::string EncodeJpeg(const Canvas& canvas, int quality);

}  // namespace catalogue
