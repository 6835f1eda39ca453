#pragma once
// The status bar's field layout, shared by the platforms: fields sit side by side from
// the left; kKeepValue widths share what the fixed ones leave of the available width
// (truncated, and nothing when they leave nothing).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/platform_values.h"

inline std::vector<int64_t> StatusbarFieldWidths(int64_t available,
                                                 const std::vector<int64_t>& widths) {
  int64_t fixed = 0;
  int64_t shared = 0;
  for (int64_t width : widths) {
    if (width == kKeepValue)
      ++shared;
    else
      fixed += width;
  }
  const int64_t sharedWidth = shared ? std::max<int64_t>((available - fixed) / shared, 0) : 0;
  std::vector<int64_t> result;
  for (int64_t width : widths) result.push_back(width == kKeepValue ? sharedWidth : width);
  return result;
}
