#pragma once
// Where a report list gadget draws a row's checkbox, in its viewport's coordinates, for
// tests that click it. Call on the UI thread.
#include <QRect>
#include <cstdint>

#include "gadgets.h"
#include "platform/platform.h"

inline QRect ListCheckboxRect(int64_t gadget, int64_t row) {
  PlatformRect box = PlatformListCheckboxRect(GadgetGetHandle(gadget), row);
  return QRect(static_cast<int>(box.x), static_cast<int>(box.y), static_cast<int>(box.width),
               static_cast<int>(box.height));
}
