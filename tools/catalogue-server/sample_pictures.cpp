#include "sample_pictures.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace catalogue {
namespace {

struct Colour {
  int r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
  auto channel = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
  return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

// A small deterministic generator: the pictures must not change between runs or
// standard libraries, which rules out the <random> distributions.
class Dice {
 public:
  explicit Dice(uint32_t seed) : state_(seed * 2654435761u + 1) {}
  int Roll(int low, int high) {  // inclusive bounds
    state_ = state_ * 1664525u + 1013904223u;
    return low + static_cast<int>((state_ >> 8) % static_cast<uint32_t>(high - low + 1));
  }

 private:
  uint32_t state_;
};

// Painting in coordinates relative to the canvas (0..1000 on both axes), so that every
// size shows the same scene.
class Painter {
 public:
  Painter(int width, int height) {
    canvas_.width = width;
    canvas_.height = height;
    canvas_.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  }

  void Gradient(int top, int bottom, Colour from, Colour to) {
    int y0 = Y(top), y1 = Y(bottom);
    for (int y = y0; y < y1; ++y) {
      Colour c = Mix(from, to, y1 - y0 > 1 ? double(y - y0) / (y1 - y0 - 1) : 0.0);
      for (int x = 0; x < canvas_.width; ++x) Put(x, y, c);
    }
  }

  void Rect(int left, int top, int right, int bottom, Colour c) {
    for (int y = Y(top); y < Y(bottom); ++y)
      for (int x = X(left); x < X(right); ++x) Put(x, y, c);
  }

  void Disc(int cx, int cy, int radius, Colour c) {
    long px = X(cx), py = Y(cy), r = X(radius);
    for (long y = std::max(py - r, 0L); y <= std::min(py + r, Bottom()); ++y)
      for (long x = std::max(px - r, 0L); x <= std::min(px + r, Right()); ++x)
        if ((x - px) * (x - px) + (y - py) * (y - py) <= r * r) Put(x, y, c);
  }

  void Triangle(int ax, int ay, int bx, int by, int cx, int cy, Colour c) {
    long x0 = X(ax), y0 = Y(ay), x1 = X(bx), y1 = Y(by), x2 = X(cx), y2 = Y(cy);
    auto edge = [](long px, long py, long qx, long qy, long x, long y) {
      return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    long top = std::max(std::min({y0, y1, y2}), 0L),
         bottom = std::min(std::max({y0, y1, y2}), Bottom());
    long left = std::max(std::min({x0, x1, x2}), 0L),
         right = std::min(std::max({x0, x1, x2}), Right());
    for (long y = top; y <= bottom; ++y) {
      for (long x = left; x <= right; ++x) {
        long e0 = edge(x0, y0, x1, y1, x, y), e1 = edge(x1, y1, x2, y2, x, y),
             e2 = edge(x2, y2, x0, y0, x, y);
        if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0)) Put(x, y, c);
      }
    }
  }

  Canvas Take() { return std::move(canvas_); }

 private:
  int X(int v) const { return static_cast<int>(static_cast<long>(v) * canvas_.width / 1000); }
  int Y(int v) const { return static_cast<int>(static_cast<long>(v) * canvas_.height / 1000); }
  long Right() const { return canvas_.width - 1L; }
  long Bottom() const { return canvas_.height - 1L; }
  void Put(long x, long y, Colour c) {
    if (x < 0 || y < 0 || x >= canvas_.width || y >= canvas_.height) return;
    uint8_t* p = &canvas_.rgb[(static_cast<size_t>(y) * canvas_.width + x) * 3];
    p[0] = static_cast<uint8_t>(std::clamp(c.r, 0, 255));
    p[1] = static_cast<uint8_t>(std::clamp(c.g, 0, 255));
    p[2] = static_cast<uint8_t>(std::clamp(c.b, 0, 255));
  }

  Canvas canvas_;
};

void PaintHarbour(Painter& p, Dice& dice) {
  p.Gradient(0, 600, {70, 130, 200}, {250, 200, 150});
  p.Disc(dice.Roll(150, 850), dice.Roll(150, 420), dice.Roll(40, 80), {255, 230, 120});
  p.Gradient(600, 1000, {30, 90, 140}, {10, 30, 60});
  p.Rect(0, 560, dice.Roll(200, 350), 640, {110, 80, 60});  // the pier
  for (int boat = dice.Roll(2, 4); boat > 0; --boat) {
    int x = dice.Roll(250, 900), y = dice.Roll(680, 900), hull = dice.Roll(60, 120);
    int keel = hull * 3 / 5;
    p.Triangle(x - hull, y, x + hull, y, x + keel, y + 40, {120, 50, 40});
    p.Triangle(x - hull, y, x - keel, y + 40, x + keel, y + 40, {120, 50, 40});
    p.Triangle(x - hull / 2, y - 5, x, y - hull * 2, x, y - 5, {245, 245, 235});
  }
}

void PaintForest(Painter& p, Dice& dice) {
  p.Gradient(0, 700, {150, 200, 230}, {225, 235, 220});
  p.Disc(dice.Roll(300, 700), 1100, 700, {90, 140, 80});  // a hill behind the trees
  p.Gradient(700, 1000, {60, 110, 50}, {40, 70, 30});
  for (int tree = dice.Roll(8, 14); tree > 0; --tree) {
    int x = dice.Roll(0, 1000), foot = dice.Roll(650, 950), height = dice.Roll(200, 450);
    Colour green{dice.Roll(20, 60), dice.Roll(90, 150), dice.Roll(30, 60)};
    p.Rect(x - 8, foot - 40, x + 8, foot, {90, 60, 40});
    p.Triangle(x - height / 4, foot - 30, x + height / 4, foot - 30, x, foot - height, green);
  }
}

void PaintCity(Painter& p, Dice& dice) {
  p.Gradient(0, 1000, {25, 25, 70}, {230, 120, 80});
  p.Disc(dice.Roll(100, 900), dice.Roll(100, 250), 30, {240, 240, 220});  // the moon
  for (int left = 0; left < 1000;) {
    int width = dice.Roll(60, 140), top = dice.Roll(250, 700);
    int shade = dice.Roll(30, 70);
    p.Rect(left, top, left + width - 6, 1000, {shade, shade, shade + 15});
    for (int y = top + 25; y < 980; y += 45)
      for (int x = left + 12; x + 16 < left + width - 6; x += 30)
        if (dice.Roll(0, 2) > 0) p.Rect(x, y, x + 14, y + 22, {250, 215, 110});
    left += width;
  }
}

// libjpeg reports fatal errors through error_exit, which must not return.
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf escape;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->escape, 1);
}

// Only trivially destructible locals live here, so leaving through longjmp is safe.
bool Compress(const Canvas& canvas, int quality, unsigned char** out, unsigned long* size) {
  jpeg_compress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpOut;
  if (setjmp(error.escape)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, size);
  info.image_width = static_cast<JDIMENSION>(canvas.width);
  info.image_height = static_cast<JDIMENSION>(canvas.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        &canvas.rgb[static_cast<size_t>(info.next_scanline) * canvas.width * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

Canvas PaintScene(Scene scene, uint32_t seed, int width, int height) {
  Painter painter(std::max(width, 0), std::max(height, 0));
  Dice dice(seed);
  switch (scene) {
    case Scene::Harbour: PaintHarbour(painter, dice); break;
    case Scene::Forest: PaintForest(painter, dice); break;
    case Scene::City: PaintCity(painter, dice); break;
  }
  return painter.Take();
}

std::string EncodeJpeg(const Canvas& canvas, int quality) {
  if (canvas.width <= 0 || canvas.height <= 0 ||
      canvas.rgb.size() != static_cast<size_t>(canvas.width) * canvas.height * 3)
    return {};
  unsigned char* bytes = nullptr;
  unsigned long size = 0;
  bool ok = Compress(canvas, quality, &bytes, &size);
  std::string jpeg = ok && bytes ? std::string(reinterpret_cast<char*>(bytes), size) : "";
  std::free(bytes);
  return jpeg;
}

}  // namespace catalogue
