#include "toolbar.h"

#include <atomic>
#include <memory>
#include <vector>

#include "images.h"
#include "platform/platform.h"
#include "toolkit_internal.h"

namespace {

struct ToolbarRecord {
  int64_t handle = 0;
  int64_t flags = 0;
};

std::unique_ptr<ObjectTable<ToolbarRecord>> table;
// The toolbar made last, on any thread: buttons go there.
std::atomic<int64_t> current{0};

ToolbarRecord* Find(int64_t number) { return table ? table->Get(number) : nullptr; }

void ReleaseToolbar(int64_t number) {
  ToolbarRecord* record = Find(number);
  if (record && current == record->handle) current = 0;
  ReleasePlatformObject(table.get(), number);
}

void Forget(int64_t handle) {
  if (current == handle) current = 0;
  ForgetPlatformObject(table.get(), handle);
}

int64_t ImageSize(int64_t flags) { return (flags & kToolbarLargeImages) ? 24 : 16; }

uint32_t PixelAt(const ImageBitmap& bitmap, int64_t x, int64_t y) {
  const uint8_t* p = bitmap.Line(y) + x * (bitmap.depth / 8);
  uint32_t alpha = bitmap.depth == 32 ? p[3] : 0xFF;
  return alpha << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

bool UsableBitmap(const ImageBitmap& bitmap) {
  if (bitmap.width <= 0 || bitmap.height <= 0) return false;
  if (bitmap.depth != 24 && bitmap.depth != 32) return false;
  return bitmap.stride >= bitmap.width * (bitmap.depth / 8) &&
         static_cast<int64_t>(bitmap.pixels.size()) >= bitmap.stride * bitmap.height;
}

}  // namespace

// The picture as `size` x `size` ARGB pixels, scaled by nearest pixel. A bitmap's pixels
// of its top-left colour become transparent (its mask); an icon keeps its own alpha.
std::vector<uint32_t> ToolbarButtonPixels(const ImageBitmap& bitmap, int64_t size) {
  std::vector<uint32_t> pixels;
  if (!UsableBitmap(bitmap) || size <= 0) return pixels;
  pixels.resize(static_cast<size_t>(size * size));
  uint32_t maskColour = PixelAt(bitmap, 0, 0);
  bool masked = !bitmap.isIcon && bitmap.depth == 24;
  for (int64_t y = 0; y < size; ++y) {
    for (int64_t x = 0; x < size; ++x) {
      uint32_t pixel = PixelAt(bitmap, x * bitmap.width / size, y * bitmap.height / size);
      if (masked && pixel == maskColour) pixel = 0;
      pixels[static_cast<size_t>(y * size + x)] = pixel;
    }
  }
  return pixels;
}

void ToolbarServiceInit() {
  if (!table) table = std::make_unique<ObjectTable<ToolbarRecord>>(4, ReleaseToolbar);
}

void ToolbarServiceEnd() {
  if (!table) return;
  OnUiThread([] { table->ReleaseAll(); });
  current = 0;
}

int64_t ToolbarCreate(int64_t number, int64_t platformWindow, int64_t flags) {
  if (!table || !PlatformRunning() || !PlatformIsUiThread()) return 0;
  if (PlatformWindowNumberOf(platformWindow) < 0) return 0;
  ToolbarRecord* record = table->Reserve(number);
  if (!record) return 0;
  record->handle = PlatformToolbarCreate(platformWindow, flags, Forget);
  record->flags = flags;
  current = record->handle;
  return record->handle;
}

void ToolbarAddStockButton(int64_t button, int64_t stockImage, int64_t mode, const Text& text) {
  int64_t toolbar = current;
  if (!toolbar || !PlatformIsUiThread()) return;
  PlatformToolbarAddButton(toolbar, button, stockImage, {}, 0, 0, mode == kToolbarToggleButton,
                           text);
}

void ToolbarAddImageButton(int64_t button, int64_t imageHandle, int64_t mode, const Text& text) {
  int64_t toolbar = current;
  if (!toolbar || !imageHandle || !PlatformIsUiThread()) return;
  int64_t flags = 0;
  table->ForEach([&](int64_t, ToolbarRecord& record) {
    if (record.handle == toolbar) flags = record.flags;
  });
  int64_t size = ImageSize(flags);
  const auto& bitmap = *reinterpret_cast<const ImageBitmap*>(imageHandle);
  PlatformToolbarAddButton(toolbar, button, -1, ToolbarButtonPixels(bitmap, size), size, size,
                           mode == kToolbarToggleButton, text);
}

void ToolbarAddSeparator() {
  int64_t toolbar = current;
  if (toolbar && PlatformIsUiThread()) PlatformToolbarAddSeparator(toolbar);
}

namespace {
// A finder of the widget handle of one button of a toolbar, for WithFound.
auto ButtonOf(int64_t button) {
  return [button](int64_t number) -> int64_t {
    ToolbarRecord* record = Find(number);
    return record ? PlatformToolbarButton(record->handle, button) : 0;
  };
}
}  // namespace

void ToolbarSetTip(int64_t number, int64_t button, const Text& text) {
  WithFound(ButtonOf(button), number, [&](int64_t handle) { PlatformSetToolTip(handle, text); });
}

Text ToolbarGetTip(int64_t number, int64_t button) {
  return WithFound(ButtonOf(button), number, Text(),
                   [](int64_t handle) { return PlatformGetToolTip(handle); });
}

void ToolbarSetButtonDisabled(int64_t number, int64_t button, int64_t disabled) {
  WithFound(ButtonOf(button), number,
            [&](int64_t handle) { PlatformSetEnabled(handle, disabled == 0); });
}

int64_t ToolbarIsButtonDisabled(int64_t number, int64_t button) {
  return WithFound<int64_t>(ButtonOf(button), number, 0, [](int64_t handle) -> int64_t {
    return PlatformIsEnabled(handle) ? 0 : 1;
  });
}

int64_t ToolbarButtonCount(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](ToolbarRecord* record) {
    return PlatformToolbarButtonCount(record->handle);
  });
}

int64_t ToolbarGetHeight(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](ToolbarRecord* record) {
    return PlatformGetGeometry(record->handle).height;
  });
}

int64_t ToolbarGetHandle(int64_t number) { return HandleIn(table.get(), number); }

void ToolbarInvalidate(int64_t number) {
  WithFound(Find, number, [](ToolbarRecord* record) { PlatformRepaint(record->handle); });
}
