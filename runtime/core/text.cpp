#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <stdexcept>
#include <system_error>

namespace {

constexpr int64_t kMaxDecimals = 512;
constexpr size_t kMaxFloatUnits = 1024;

// Clamps a 1-based count or position into [0, limit] as a size_t.
size_t Clamp(int64_t value, size_t limit) {
  if (value <= 0) return 0;
  return static_cast<uint64_t>(value) >= limit ? limit : static_cast<size_t>(value);
}

// A 1-based position as an offset into a text of `size` units. Positions of 1 or less
// are tested before the subtraction, which therefore cannot overflow.
size_t OffsetOf(int64_t position, size_t size) { return position <= 1 ? 0 : Clamp(position - 1, size); }

// Runs an operation's body. A result too large to allocate, or to be a text at all,
// becomes an empty one: no text operation throws.
template <typename Result, typename Body>
Result Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return Result();
}

Text Widen(std::string_view ascii) { return Text(ascii.begin(), ascii.end()); }

bool IsBlankOrTab(char16_t unit) { return unit == u' ' || unit == u'\t'; }

// The value of `unit` as a digit in `base` (2, 10 or 16), or -1.
int DigitValue(char16_t unit, int base) {
  int value = -1;
  if (unit >= u'0' && unit <= u'9') value = unit - u'0';
  else if (unit >= u'a' && unit <= u'f') value = unit - u'a' + 10;
  else if (unit >= u'A' && unit <= u'F') value = unit - u'A' + 10;
  return value < base ? value : -1;
}

// The fixed-point text of `value`, correctly rounded and independent of the C locale
// (the toolkit sets the user's locale, whose decimal point may be a comma). A minus
// before a value that rounded to zero is dropped, so that no "-0" ever appears.
std::string FixedPoint(double value, int decimals) {
  char buffer[kMaxFloatUnits + 64];  // 309 integer digits, sign, point and 512 decimals
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::fixed, decimals);
  if (error != std::errc()) return "0";
  std::string text(buffer, end);
  if (text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
  return text;
}

void StripTrailingZeros(std::string& text) {
  if (text.find('.') == std::string::npos) return;
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
}

}  // namespace

int64_t TextLength(TextView s) noexcept { return static_cast<int64_t>(s.size()); }

int64_t TextFind(TextView s, TextView sub, int64_t start) noexcept {
  if (s.empty() || sub.empty()) return 0;
  size_t from = OffsetOf(start, s.size());
  if (from >= s.size()) return 0;
  size_t at = s.find(sub, from);
  return at == TextView::npos ? 0 : static_cast<int64_t>(at) + 1;
}

int64_t TextCount(TextView s, TextView sub) noexcept {
  if (s.empty() || sub.empty()) return 0;
  int64_t count = 0;
  for (size_t at = s.find(sub); at != TextView::npos; at = s.find(sub, at + sub.size())) ++count;
  return count;
}

Text TextLeft(TextView s, int64_t n) noexcept {
  return Guarded<Text>([&] { return Text(s.substr(0, Clamp(n, s.size()))); });
}

Text TextRight(TextView s, int64_t n) noexcept {
  return Guarded<Text>([&] { return Text(s.substr(s.size() - Clamp(n, s.size()))); });
}

Text TextMid(TextView s, int64_t start, int64_t count) noexcept {
  return Guarded<Text>([&] {
    size_t from = OffsetOf(start, s.size());
    return Text(s.substr(from, Clamp(count, s.size() - from)));
  });
}

Text TextMid(TextView s, int64_t start) noexcept {
  return Guarded<Text>([&] { return Text(s.substr(OffsetOf(start, s.size()))); });
}

Text TextField(TextView s, int64_t index, TextView separator) noexcept {
  return Guarded<Text>([&] {
    if (index < 1) return Text();
    if (separator.empty()) return index == 1 ? Text(s) : Text();
    size_t fieldStart = 0;
    for (int64_t field = 1; field < index; ++field) {
      size_t at = s.find(separator, fieldStart);
      if (at == TextView::npos) return Text();
      fieldStart = at + separator.size();
    }
    size_t fieldEnd = s.find(separator, fieldStart);
    return Text(s.substr(fieldStart, fieldEnd == TextView::npos ? TextView::npos : fieldEnd - fieldStart));
  });
}

Text TextInsert(TextView s, TextView insert, int64_t position) noexcept {
  return Guarded<Text>([&] {
    size_t at = OffsetOf(position, s.size());
    Text result;
    result.reserve(s.size() + insert.size());
    result.append(s.substr(0, at)).append(insert).append(s.substr(at));
    return result;
  });
}

Text TextReplace(TextView s, TextView find, TextView replacement) noexcept {
  return Guarded<Text>([&] {
    if (find.empty()) return Text(s);
    Text result;
    size_t done = 0;
    for (size_t at = s.find(find); at != TextView::npos; at = s.find(find, done)) {
      if (result.empty()) result.reserve(s.size());
      result.append(s.substr(done, at - done)).append(replacement);
      done = at + find.size();
    }
    result.append(s.substr(done));
    return result;
  });
}

Text TextTrim(TextView s) noexcept { return TextTrim(s, u" "); }

Text TextTrim(TextView s, TextView trimmed) noexcept {
  return Guarded<Text>([&] {
    if (trimmed.empty()) return Text(s);
    size_t first = s.find_first_not_of(trimmed[0]);
    if (first == TextView::npos) return Text();
    size_t last = s.find_last_not_of(trimmed[0]);
    return Text(s.substr(first, last - first + 1));
  });
}

// A width too large to allocate gives an empty text, never a shorter one. Widths beyond
// what a text can hold are refused before asking for memory at all.
Text TextPadLeft(TextView s, int64_t n, TextView pad) noexcept {
  if (pad.empty() || n <= 0 || static_cast<uint64_t>(n) > Text().max_size()) return Text();
  return Guarded<Text>([&] {
    size_t width = static_cast<size_t>(n);
    size_t kept = std::min(width, s.size());
    Text result(width - kept, pad[0]);
    result.append(s.substr(0, kept));
    return result;
  });
}

Text TextFromInt(int64_t value) noexcept {
  char buffer[24];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return Guarded<Text>([&] { return Widen(std::string_view(buffer, static_cast<size_t>(end - buffer))); });
}

int64_t TextToInt(TextView s) noexcept {
  size_t i = 0;
  while (i < s.size() && IsBlankOrTab(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  int base = 10;
  if (i < s.size() && s[i] == u'$') base = 16, ++i;
  else if (i < s.size() && s[i] == u'%') base = 2, ++i;
  uint64_t value = 0;  // unsigned, so that overflow wraps instead of being undefined
  for (int digit; i < s.size() && (digit = DigitValue(s[i], base)) >= 0; ++i)
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  if (negative) value = 0 - value;
  return static_cast<int64_t>(value);
}

Text TextFromFloat(double value, int64_t decimals) noexcept {
  return Guarded<Text>([&] {
    if (std::isnan(value)) return Text(u"NaN");
    if (std::isinf(value)) return Text(value > 0 ? u"+Infinity" : u"-Infinity");
    if (value == 0) value = 0;  // turns negative zero into zero
    std::string text;
    if (decimals == -1) {
      text = FixedPoint(value, 10);
      StripTrailingZeros(text);
    } else {
      text = FixedPoint(value, static_cast<int>(std::clamp<int64_t>(decimals, 0, kMaxDecimals)));
    }
    if (text.size() > kMaxFloatUnits) text.resize(kMaxFloatUnits);
    return Widen(text);
  });
}

// --- conversions at the borders -------------------------------------------------------

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(Text& out, char32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at `i`, advancing past it; malformed, overlong, surrogate
// and out-of-range sequences give U+FFFD and consume only their first byte.
char32_t DecodeUtf8(std::string_view in, size_t& i) {
  auto lead = static_cast<unsigned char>(in[i]);
  size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 1) return ++i, lead;
  if (length == 0 || lead > 0xF4 || i + length > in.size()) return ++i, kReplacement;
  char32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    auto next = static_cast<unsigned char>(in[i + k]);
    if ((next & 0xC0) != 0x80) return ++i, kReplacement;
    code = (code << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return ++i, kReplacement;
  i += length;
  return code;
}

}  // namespace

Text TextFromUtf8(std::string_view utf8) noexcept {
  return Guarded<Text>([&] {
    Text out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) AppendUtf16(out, DecodeUtf8(utf8, i));
    return out;
  });
}

std::string TextToUtf8(TextView text) noexcept {
  return Guarded<std::string>([&] {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      char32_t code = text[i];
      bool high = code >= 0xD800 && code <= 0xDBFF;
      if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
      } else if (code >= 0xD800 && code <= 0xDFFF) {
        code = kReplacement;  // a lone surrogate has no UTF-8 form
      }
      AppendUtf8(out, code);
    }
    return out;
  });
}

Text TextFromLatin1(std::string_view bytes) noexcept {
  return Guarded<Text>([&] {
    Text out;
    out.reserve(bytes.size());
    for (char byte : bytes) out.push_back(static_cast<unsigned char>(byte));
    return out;
  });
}
