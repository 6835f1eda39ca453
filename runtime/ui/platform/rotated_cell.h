#pragma once
// The box a text cell covers once turned, for the platforms' text renderers: they render
// only its part inside the clipping rectangle.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

// Anchors beyond this are far outside any picture; refusing them keeps the sums in range.
constexpr int64_t kTextFarAway = int64_t{1} << 40;

struct RotatedBox {
  int64_t left, top, right, bottom;  // right and bottom exclusive
};

// The bounding box of the cell [x0, x1) x [0, h) turned by `angle` degrees
// counter-clockwise (screen y down) about the origin, relative to it.
inline RotatedBox RotatedCell(double x0, double x1, double h, double angle) {
  // Rounds away the noise of cos and sin at multiples of 90 degrees.
  auto settle = [](double value) {
    double nearest = std::round(value);
    return std::abs(value - nearest) < 1e-6 ? nearest : value;
  };
  double radians = angle * std::numbers::pi / 180.0;
  double c = std::cos(radians), s = std::sin(radians);
  const double xs[4] = {x0 * c, x1 * c, x0 * c + h * s, x1 * c + h * s};
  const double ys[4] = {-x0 * s, -x1 * s, -x0 * s + h * c, -x1 * s + h * c};
  auto [minX, maxX] = std::minmax_element(xs, xs + 4);
  auto [minY, maxY] = std::minmax_element(ys, ys + 4);
  return {static_cast<int64_t>(std::floor(settle(*minX))),
          static_cast<int64_t>(std::floor(settle(*minY))),
          static_cast<int64_t>(std::ceil(settle(*maxX))),
          static_cast<int64_t>(std::ceil(settle(*maxY)))};
}
