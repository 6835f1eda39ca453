#pragma once
// Text operations. Texts are UTF-16 (std::u16string); lengths and positions count
// 16-bit units and positions are 1-based. Every operation returns a new text and
// compares exactly (case-sensitive). Nothing throws: out-of-range positions and counts
// are clamped, and a result too large to allocate is an empty text. Pure functions:
// safe on any thread.
#include <cstdint>
#include <string>
#include <string_view>

using Text = std::u16string;
using TextView = std::u16string_view;

int64_t TextLength(TextView s) noexcept;
// 1-based position of the first `sub` at or after `start` (below 1 counts as 1); 0 if none
// or either text is empty.
int64_t TextFind(TextView s, TextView sub, int64_t start = 1) noexcept;
// Occurrences of `sub`, counted from the left without overlap.
int64_t TextCount(TextView s, TextView sub) noexcept;

Text TextLeft(TextView s, int64_t n) noexcept;
Text TextRight(TextView s, int64_t n) noexcept;
Text TextMid(TextView s, int64_t start, int64_t count) noexcept;
Text TextMid(TextView s, int64_t start) noexcept;
// The index-th (1-based) stretch between separators; empty when out of range. An empty
// separator makes the whole text field 1.
Text TextField(TextView s, int64_t index, TextView separator) noexcept;
Text TextInsert(TextView s, TextView insert, int64_t position) noexcept;

Text TextReplace(TextView s, TextView find, TextView replacement) noexcept;
Text TextTrim(TextView s) noexcept;                    // U+0020 only
Text TextTrim(TextView s, TextView trimmed) noexcept;  // runs of the first unit of `trimmed`
Text TextPadLeft(TextView s, int64_t n, TextView pad) noexcept;

Text TextFromInt(int64_t value) noexcept;
// Blanks and tabs skipped, optional sign, then "$" hex, "%" binary or decimal digits;
// wraps on overflow; no digits give 0.
int64_t TextToInt(TextView s) noexcept;
// decimals -1: ten decimals with trailing zeros removed.
Text TextFromFloat(double value, int64_t decimals = -1) noexcept;

// Conversions at the borders of the runtime (Qt, libcurl, expat, file names).
Text TextFromUtf8(std::string_view utf8) noexcept;
std::string TextToUtf8(TextView text) noexcept;
Text TextFromLatin1(std::string_view bytes) noexcept;
