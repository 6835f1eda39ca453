#include "platform/text_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/rotated_cell.h"
#include "win32_font.h"
#include "win32_resources.h"

namespace {

constexpr int kTenthsPerTurn = 3600;

// GDI turns fonts in tenths of a degree; 0 to 3599.
int TenthsOf(double angle) {
  auto tenths = static_cast<int>(std::lround(std::fmod(angle, 360.0) * 10.0)) % kTenthsPerTurn;
  return tenths < 0 ? tenths + kTenthsPerTurn : tenths;
}

int LengthOf(const Text& text) {
  return static_cast<int>(std::min<size_t>(text.size(), INT32_MAX));
}

}  // namespace

struct TextRenderer::Impl {
  MemoryDc dc{CreateCompatibleDC(nullptr)};
  LOGFONTW font{};
  GdiObject<HFONT> upright;  // measures
  GdiObject<HFONT> turned;   // renders at turnedTenths (not 0: the upright font does)
  int turnedTenths = 0;
  GdiObject<HBITMAP> canvas;  // 32-bit top-down, white text is drawn on black here
  uint32_t* canvasBits = nullptr;
  int64_t canvasWidth = 0, canvasHeight = 0;
  std::vector<uint8_t> mask;
  // Last, so that they go first: the context gets its own font and bitmap back before
  // the fonts and the canvas are deleted.
  const Selection fontChoice{dc.Get(), static_cast<UINT>(OBJ_FONT)};
  const Selection canvasChoice{dc.Get(), static_cast<UINT>(OBJ_BITMAP)};

  Impl() {
    if (!dc) return;
    SetGraphicsMode(dc.Get(), GM_ADVANCED);  // escapement and orientation both apply
    SetTextAlign(dc.Get(), TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetTextColor(dc.Get(), RGB(255, 255, 255));
    SetBkMode(dc.Get(), TRANSPARENT);
  }

  void Use(const LOGFONTW& description) {
    fontChoice.Restore();
    turned.Reset();
    font = description;
    font.lfEscapement = font.lfOrientation = 0;
    upright.Reset(CreateFontIndirectW(&font));
  }

  bool Measure(const Text& text, SIZE& size) {
    if (!dc || !upright || text.empty()) return false;
    fontChoice.Choose(upright.Get());
    return GetTextExtentPoint32W(dc.Get(), reinterpret_cast<const wchar_t*>(text.data()),
                                 LengthOf(text), &size) != 0;
  }

  // How far the first glyph reaches left of the cell and the last right of it (italics).
  void Overhangs(const Text& text, int64_t& left, int64_t& right) {
    ABC first{}, last{};
    left = right = 0;
    if (GetCharABCWidthsW(dc.Get(), text.front(), text.front(), &first))
      left = std::max(0, -first.abcA);
    if (GetCharABCWidthsW(dc.Get(), text.back(), text.back(), &last))
      right = std::max(0, -last.abcC);
  }

  HFONT Turned(int tenths) {
    if (tenths == 0) return upright.Get();
    if (turned && turnedTenths == tenths) return turned.Get();
    fontChoice.Restore();  // the old turned font may be selected
    LOGFONTW description = font;
    description.lfEscapement = description.lfOrientation = tenths;
    turned.Reset(CreateFontIndirectW(&description));
    turnedTenths = tenths;
    return turned.Get();
  }

  // A canvas of at least width x height, black over that part.
  bool Canvas(int64_t width, int64_t height) {
    if (width > canvasWidth || height > canvasHeight) {
      canvasChoice.Restore();
      canvas.Reset();
      canvasWidth = canvasHeight = 0;
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = static_cast<LONG>(width);
      info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      canvas.Reset(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
      if (!canvas) return false;
      canvasBits = static_cast<uint32_t*>(bits);
      canvasWidth = width;
      canvasHeight = height;
      canvasChoice.Choose(canvas.Get());
    }
    for (int64_t y = 0; y < height; ++y)
      std::memset(canvasBits + y * canvasWidth, 0, static_cast<size_t>(width) * 4);
    const GdiObject<HRGN> clip(
        CreateRectRgn(0, 0, static_cast<int>(width), static_cast<int>(height)));
    SelectClipRgn(dc.Get(), clip.Get());  // the context keeps a copy
    return true;
  }

  // The canvas's width x height corner as grey levels (ClearType's colour fringes averaged).
  void TakeMask(int64_t width, int64_t height) {
    mask.resize(static_cast<size_t>(width * height));
    uint8_t* out = mask.data();
    for (int64_t y = 0; y < height; ++y) {
      const uint32_t* pixel = canvasBits + y * canvasWidth;
      for (int64_t x = 0; x < width; ++x, ++pixel, ++out) {
        uint32_t p = *pixel;
        *out = static_cast<uint8_t>(((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF)) / 3);
      }
    }
  }
};

TextRenderer::TextRenderer() : impl_(std::make_unique<Impl>()) { UseSystemFont(); }
TextRenderer::~TextRenderer() = default;

bool TextRenderer::Available() { return true; }

void TextRenderer::UseFont(const FontSpec& description) { impl_->Use(Win32LogFont(description)); }
void TextRenderer::UseSystemFont() { impl_->Use(Win32SystemLogFont()); }

int64_t TextRenderer::Width(const Text& text) const {
  SIZE size{};
  return impl_->Measure(text, size) ? size.cx : 0;
}

int64_t TextRenderer::Height(const Text& text) const {
  SIZE size{};
  return impl_->Measure(text, size) ? size.cy : 0;
}

bool TextRenderer::Render(const Text& text, int64_t x, int64_t y, double angle, int64_t clipWidth,
                          int64_t clipHeight, TextMask& mask) {
  SIZE cell{};
  if (std::abs(x) > kTextFarAway || std::abs(y) > kTextFarAway || !std::isfinite(angle) ||
      !impl_->Measure(text, cell))
    return false;
  int64_t before = 0, after = 0;
  impl_->Overhangs(text, before, after);
  int tenths = TenthsOf(angle);
  RotatedBox box = RotatedCell(-static_cast<double>(before), static_cast<double>(cell.cx + after),
                               cell.cy, tenths / 10.0);
  int64_t left = std::max<int64_t>(0, x + box.left);
  int64_t top = std::max<int64_t>(0, y + box.top);
  int64_t right = std::min(clipWidth, x + box.right);
  int64_t bottom = std::min(clipHeight, y + box.bottom);
  if (left >= right || top >= bottom || right - left > INT32_MAX / 4 ||
      bottom - top > INT32_MAX / 4)
    return false;

  Impl& impl = *impl_;
  HFONT font = impl.Turned(tenths);
  if (!font || !impl.Canvas(right - left, bottom - top)) return false;
  impl.fontChoice.Choose(font);
  ExtTextOutW(impl.dc.Get(), static_cast<int>(x - left), static_cast<int>(y - top), 0, nullptr,
              reinterpret_cast<const wchar_t*>(text.data()), LengthOf(text), nullptr);
  GdiFlush();  // the pixels are read directly next
  impl.TakeMask(right - left, bottom - top);
  mask = {left, top, right - left, bottom - top, right - left, impl.mask.data()};
  return true;
}
