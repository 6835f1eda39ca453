#include "fonts.h"

#include <atomic>
#include <memory>

#include "object_table.h"
#include "platform/text_render.h"

namespace {

constexpr int64_t kTableGrowth = 8;
constexpr int64_t kMostPoints = 4000;

// The handle of a font is the address of its description.
struct FontRecord {
  std::unique_ptr<FontSpec> handle;
};
using FontTable = ObjectTable<FontRecord>;

std::unique_ptr<FontTable> fonts;
std::atomic<int64_t> screenDpi{96};

}  // namespace

void FontServiceInit() {
  if (fonts) FontFree(kDynamicNumber);
  screenDpi = PlatformFontScreenDpi();
  fonts = std::make_unique<FontTable>(kTableGrowth, nullptr);
}

void FontServiceEnd() {
  if (!fonts) return;
  FontFree(kDynamicNumber);
  fonts.reset();
}

int64_t FontLoad(int64_t number, const Text& face, int64_t points, int64_t flags) {
  if (!fonts || face.empty() || points < 1 || points > kMostPoints) return 0;
  auto description = std::make_unique<FontSpec>();
  if (!PlatformFontResolve(face, description->face)) return 0;
  int64_t dpi = screenDpi;
  description->pixelHeight = (points * dpi + 36) / 72;
  description->flags = flags;
  FontRecord* record = fonts->Reserve(number);
  if (!record) return 0;
  FontSpec* font = description.get();
  record->handle = std::move(description);
  return reinterpret_cast<intptr_t>(font);
}

int64_t FontGetHandle(int64_t number) {
  FontRecord* record = fonts ? fonts->Get(number) : nullptr;
  return record ? reinterpret_cast<intptr_t>(record->handle.get()) : 0;
}

void FontFree(int64_t number) {
  if (fonts) fonts->ReleaseOneOrAll(number);
}

bool FontDescribe(int64_t handle, FontSpec& description) {
  if (!fonts || handle == 0) return false;
  bool found = false;
  fonts->ForEach([&](int64_t, FontRecord& record) {
    if (!found && reinterpret_cast<intptr_t>(record.handle.get()) == handle) {
      description = *record.handle;
      found = true;
    }
  });
  return found;
}

int64_t FontScreenDpi() { return screenDpi; }
