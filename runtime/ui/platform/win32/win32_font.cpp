#include "win32_font.h"

#include <algorithm>
#include <string>

#include "platform/text_render.h"
#include "win32_resources.h"

namespace {

// Far beyond any font the service makes (4000 points at several hundred per inch).
constexpr int64_t kMostPixels = int64_t{1} << 20;

// Sans-serif families of Windows and of Wine's prefixes, in the order they are preferred
// for faces that are not installed.
constexpr const wchar_t* kSansFamilies[] = {
    L"Arial",   L"Segoe UI",    L"Tahoma",         L"Microsoft Sans Serif",
    L"Verdana", L"DejaVu Sans", L"Liberation Sans"};

int CALLBACK TakeFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
  if (font->lfFaceName[0] == L'@') return 1;  // the vertical variant of a CJK family
  *reinterpret_cast<std::wstring*>(found) = font->lfFaceName;
  return 0;
}

// The installed family `face` names, spelt as the system spells it, or empty.
std::wstring InstalledFamily(HDC dc, const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE || face.find(L'\0') != std::wstring::npos)
    return {};
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  face.copy(query.lfFaceName, face.size());
  std::wstring found;
  EnumFontFamiliesExW(dc, &query, TakeFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The face the font mapper picks for a Swiss font without a name.
std::wstring MapperSansFamily(HDC dc) {
  LOGFONTW request{};
  request.lfCharSet = DEFAULT_CHARSET;
  request.lfOutPrecision = OUT_TT_PRECIS;
  request.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  const GdiObject<HFONT> font(CreateFontIndirectW(&request));
  if (!font) return {};
  const Selection chosen(dc, font.Get());
  wchar_t name[LF_FACESIZE] = {};
  const int length = GetTextFaceW(dc, LF_FACESIZE, name);
  return length > 0 ? std::wstring(name) : std::wstring();
}

std::wstring SansFamily(HDC dc) {
  for (const wchar_t* family : kSansFamilies) {
    std::wstring found = InstalledFamily(dc, family);
    if (!found.empty()) return found;
  }
  return MapperSansFamily(dc);
}

}  // namespace

int64_t PlatformFontScreenDpi() {
  const WindowDc screen;
  const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

bool PlatformFontResolve(const Text& face, Text& resolved) {
  const MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  std::wstring family = InstalledFamily(dc.Get(), std::wstring(face.begin(), face.end()));
  if (family.empty()) family = SansFamily(dc.Get());
  resolved.assign(family.begin(), family.end());
  return !resolved.empty();
}

// GDI is there in every process: nothing to start.
bool PlatformTextStart() { return true; }

LOGFONTW Win32LogFont(const FontSpec& description) {
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::clamp<int64_t>(description.pixelHeight, 1, kMostPixels));
  font.lfWeight = (description.flags & kFontBold) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (description.flags & kFontItalic) != 0;
  font.lfUnderline = (description.flags & kFontUnderline) != 0;
  font.lfStrikeOut = (description.flags & kFontStrikeOut) != 0;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;  // outlines turn with the text, bitmap faces do not
  font.lfQuality = (description.flags & kFontHighQuality) ? ANTIALIASED_QUALITY : DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  size_t length = std::min<size_t>(description.face.size(), LF_FACESIZE - 1);
  std::copy_n(description.face.begin(), length, font.lfFaceName);
  return font;
}

LOGFONTW Win32SystemLogFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    return metrics.lfMessageFont;
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  return font;
}
