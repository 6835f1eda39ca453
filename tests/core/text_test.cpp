#include "text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string_view>

namespace {

TEST(TextSearch, FindAndCount) {
  EXPECT_EQ(TextFind(u"", u"a"), 0);
  EXPECT_EQ(TextFind(u"abc", u""), 0);
  EXPECT_EQ(TextFind(u"abcabc", u"bc"), 2);
  EXPECT_EQ(TextFind(u"abcabc", u"bc", 3), 5);  // counted from the beginning
  EXPECT_EQ(TextFind(u"abcabc", u"bc", -7), 2);
  EXPECT_EQ(TextFind(u"abcabc", u"c", 6), 6);
  EXPECT_EQ(TextFind(u"abcabc", u"c", 7), 0);
  EXPECT_EQ(TextFind(u"abcabc", u"c", INT64_MAX), 0);
  EXPECT_EQ(TextFind(u"abc", u"abcd"), 0);
  EXPECT_EQ(TextFind(u"aBc", u"b"), 0);  // case-sensitive
  EXPECT_EQ(TextCount(u"aaaa", u"aa"), 2);
  EXPECT_EQ(TextCount(u"aaa", u"aa"), 1);
  EXPECT_EQ(TextCount(u"", u"a"), 0);
  EXPECT_EQ(TextCount(u"abc", u""), 0);
  EXPECT_EQ(TextLength(u"a\U0001F600"), 3);  // units, not characters
}

TEST(TextCut, LeftRightMidInsert) {
  EXPECT_EQ(TextLeft(u"abc", 2), u"ab");
  EXPECT_EQ(TextLeft(u"abc", -1), u"");
  EXPECT_EQ(TextLeft(u"abc", INT64_MAX), u"abc");
  EXPECT_EQ(TextRight(u"abc", 2), u"bc");
  EXPECT_EQ(TextRight(u"abc", 9), u"abc");
  EXPECT_EQ(TextRight(u"abc", INT64_MIN), u"");
  EXPECT_EQ(TextMid(u"abcdef", 3), u"cdef");
  EXPECT_EQ(TextMid(u"abc", 5), u"");
  EXPECT_EQ(TextMid(u"abc", 4), u"");
  EXPECT_EQ(TextMid(u"abc", 0, 2), u"ab");
  EXPECT_EQ(TextMid(u"abc", -5), u"abc");
  EXPECT_EQ(TextMid(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(TextMid(u"abcdef", 5, 100), u"ef");
  EXPECT_EQ(TextMid(u"abcdef", 2, -1), u"");
  EXPECT_EQ(TextMid(u"abcdef", INT64_MAX, INT64_MAX), u"");
  EXPECT_EQ(TextInsert(u"abc", u"XY", 2), u"aXYbc");
  EXPECT_EQ(TextInsert(u"abc", u"XY", 0), u"XYabc");
  EXPECT_EQ(TextInsert(u"abc", u"XY", 99), u"abcXY");
  EXPECT_EQ(TextInsert(u"", u"XY", 1), u"XY");
}

TEST(TextCut, Fields) {
  EXPECT_EQ(TextField(u"a,b,,c", 1, u","), u"a");
  EXPECT_EQ(TextField(u"a,b,,c", 3, u","), u"");
  EXPECT_EQ(TextField(u"a,b,,c", 4, u","), u"c");
  EXPECT_EQ(TextField(u"a,b,,c", 5, u","), u"");
  EXPECT_EQ(TextField(u"abc", 1, u","), u"abc");
  EXPECT_EQ(TextField(u"abc", 2, u","), u"");
  EXPECT_EQ(TextField(u"abc", 0, u","), u"");
  EXPECT_EQ(TextField(u"a,", 2, u","), u"");
  EXPECT_EQ(TextField(u"a::b:c", 2, u"::"), u"b:c");  // only at the two-unit sequence
  EXPECT_EQ(TextField(u"a:::b", 2, u"::"), u":b");    // found from the left, no overlap
  EXPECT_EQ(TextField(u"a,b", 1, u""), u"a,b");
  EXPECT_EQ(TextField(u"a,b", 2, u""), u"");
  EXPECT_EQ(TextField(u"a,b", INT64_MAX, u","), u"");
}

TEST(TextChange, ReplaceTrimPad) {
  EXPECT_EQ(TextReplace(u"    ", u"  ", u" "), u"  ");  // one pass halves a run
  EXPECT_EQ(TextReplace(u"a.b.c", u".", u"::"), u"a::b::c");
  EXPECT_EQ(TextReplace(u"aaa", u"a", u"aa"), u"aaaaaa");  // replacements are not searched again
  EXPECT_EQ(TextReplace(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(TextReplace(u"abc", u"d", u"x"), u"abc");
  EXPECT_EQ(TextReplace(u"abab", u"ab", u""), u"");
  EXPECT_EQ(TextTrim(u"   "), u"");
  EXPECT_EQ(TextTrim(u"  a b \t "), u"a b \t");  // blanks only; tabs stay
  EXPECT_EQ(TextTrim(u"xxaxbxx", u"xyz"), u"axb");
  EXPECT_EQ(TextTrim(u"xxx", u"x"), u"");
  EXPECT_EQ(TextTrim(u" a ", u""), u" a ");
  EXPECT_EQ(TextPadLeft(u"7", 4, u"0"), u"0007");
  EXPECT_EQ(TextPadLeft(u"12345", 4, u"0"), u"1234");  // cut on the right
  EXPECT_EQ(TextPadLeft(u"7", 3, u"*-"), u"**7");
  EXPECT_EQ(TextPadLeft(u"7", 3, u""), u"");
  EXPECT_EQ(TextPadLeft(u"7", 0, u"0"), u"");
  EXPECT_EQ(TextPadLeft(u"7", -3, u"0"), u"");
}

// Extreme positions and counts are clamped before any arithmetic, and a result too large
// to allocate is empty: nothing overflows and nothing throws.
TEST(TextLimits, ExtremeArgumentsNeitherOverflowNorThrow) {
  struct Case {
    const char* call;
    std::function<Text()> run;
    Text expected;
  };
  const Case cases[] = {
      {"insert at INT64_MIN", [] { return TextInsert(u"abc", u"X", INT64_MIN); }, u"Xabc"},
      {"insert at INT64_MAX", [] { return TextInsert(u"abc", u"X", INT64_MAX); }, u"abcX"},
      {"mid from INT64_MIN", [] { return TextMid(u"abc", INT64_MIN, 2); }, u"ab"},
      {"mid rest from INT64_MIN", [] { return TextMid(u"abc", INT64_MIN); }, u"abc"},
      {"find from INT64_MIN", [] { return TextFromInt(TextFind(u"abc", u"c", INT64_MIN)); }, u"3"},
      {"pad to 2^62", [] { return TextPadLeft(u"7", int64_t{1} << 62, u"0"); }, u""},
      {"pad to INT64_MAX", [] { return TextPadLeft(u"7", INT64_MAX, u"0"); }, u""},
  };
  for (const Case& c : cases) {
    Text got;
    EXPECT_NO_THROW(got = c.run()) << c.call;
    EXPECT_EQ(got, c.expected) << c.call;
  }
}

TEST(TextNumbers, IntegerToText) {
  EXPECT_EQ(TextFromInt(0), u"0");
  EXPECT_EQ(TextFromInt(-42), u"-42");
  EXPECT_EQ(TextFromInt(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(TextFromInt(INT64_MAX), u"9223372036854775807");
}

TEST(TextNumbers, TextToIntegerForms) {
  EXPECT_EQ(TextToInt(u"  42abc"), 42);
  EXPECT_EQ(TextToInt(u"\t +7"), 7);
  EXPECT_EQ(TextToInt(u"-$ff"), -255);
  EXPECT_EQ(TextToInt(u"$1aG"), 26);
  EXPECT_EQ(TextToInt(u"%101"), 5);
  EXPECT_EQ(TextToInt(u"%1012"), 5);
  EXPECT_EQ(TextToInt(u"0900"), 900);
  EXPECT_EQ(TextToInt(u"abc"), 0);
  EXPECT_EQ(TextToInt(u""), 0);
  EXPECT_EQ(TextToInt(u"-"), 0);
  EXPECT_EQ(TextToInt(u"$"), 0);
  EXPECT_EQ(TextToInt(u"- 5"), 0);
  EXPECT_EQ(TextToInt(u"\n5"), 0);  // only blanks and tabs are skipped
  EXPECT_EQ(TextToInt(u"1 2"), 1);
  EXPECT_EQ(TextToInt(u"\uFF11"), 0);  // no digits beyond ASCII
}

TEST(TextNumbers, TextToIntegerWrapsWithoutFault) {
  EXPECT_EQ(TextToInt(u"9223372036854775807"), INT64_MAX);
  EXPECT_EQ(TextToInt(u"9223372036854775808"), INT64_MIN);
  EXPECT_EQ(TextToInt(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(TextToInt(u"18446744073709551617"), 1);
  EXPECT_EQ(TextToInt(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(TextToInt(u"$1FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(TextToInt(u"99999999999999999999999999999999999999"), 687399551400673279);
}

TEST(TextNumbers, CanonicalDecimalRoundTrip) {
  for (const char16_t* canonical : {u"0", u"17", u"-17", u"9223372036854775807"})
    EXPECT_EQ(TextFromInt(TextToInt(canonical)), canonical);
  for (const char16_t* other : {u"017", u"+17", u" 17", u"17x", u"", u"-0", u"$11"})
    EXPECT_NE(TextFromInt(TextToInt(other)), other);
}

TEST(TextNumbers, FloatToTextDefault) {
  EXPECT_EQ(TextFromFloat(2.5), u"2.5");
  EXPECT_EQ(TextFromFloat(3.0), u"3");
  EXPECT_EQ(TextFromFloat(0.125), u"0.125");
  EXPECT_EQ(TextFromFloat(-1.75), u"-1.75");
  EXPECT_EQ(TextFromFloat(100.0), u"100");  // zeros before the point stay
  EXPECT_EQ(TextFromFloat(1.0 / 3.0), u"0.3333333333");
  EXPECT_EQ(TextFromFloat(0.99999999999), u"1");
  EXPECT_EQ(TextFromFloat(1e-11), u"0");
  EXPECT_EQ(TextFromFloat(-1e-11), u"0");
}

TEST(TextNumbers, FloatToTextSpecialValues) {
  double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(TextFromFloat(inf), u"+Infinity");
  EXPECT_EQ(TextFromFloat(-inf, 3), u"-Infinity");
  EXPECT_EQ(TextFromFloat(std::nan(""), 2), u"NaN");
  EXPECT_EQ(TextFromFloat(-0.0), u"0");
  EXPECT_EQ(TextFromFloat(-0.0, 2), u"0.00");
  EXPECT_EQ(TextFromFloat(-0.001, 2), u"0.00");
}

TEST(TextNumbers, FloatToTextFixedDecimals) {
  EXPECT_EQ(TextFromFloat(3.14159, 2), u"3.14");
  EXPECT_EQ(TextFromFloat(2.0, 3), u"2.000");  // trailing zeros kept
  EXPECT_EQ(TextFromFloat(2.7, 0), u"3");
  EXPECT_EQ(TextFromFloat(2.7, -5), u"3");  // negative other than -1 counts as 0
  EXPECT_EQ(TextFromFloat(-2.7, INT64_MIN), u"-3");
  Text wide = TextFromFloat(1.0, 100000);  // counts as 512
  EXPECT_EQ(wide.size(), 514u);
  EXPECT_EQ(wide, TextFromFloat(1.0, 512));
  Text largest = TextFromFloat(-std::numeric_limits<double>::max(), 512);
  EXPECT_LE(largest.size(), 1024u);
  EXPECT_EQ(largest.substr(0, 4), u"-179");
  EXPECT_EQ(TextFind(largest, u"."), 311);
}

TEST(TextConversion, Utf8BothWays) {
  Text mixed = u"a\u00e9\u20ac\U0001F600";
  EXPECT_EQ(TextToUtf8(mixed), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(TextFromUtf8(TextToUtf8(mixed)), mixed);
  EXPECT_EQ(TextFromUtf8(""), u"");
  Text lone = u"x";
  lone.push_back(u'\xD800');
  EXPECT_EQ(TextToUtf8(lone), "x\xEF\xBF\xBD");
  EXPECT_EQ(TextFromUtf8("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(TextFromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");        // overlong
  EXPECT_EQ(TextFromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(TextFromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");        // cut short at the end
  EXPECT_EQ(TextFromUtf8("\xF4\x90\x80\x80").substr(0, 1), u"\uFFFD");  // beyond U+10FFFF
  EXPECT_EQ(TextFromLatin1("caf\xE9"), u"caf\u00e9");
}

}  // namespace

namespace {

// Fixed decimals must round exactly as C's formatted print does in the C locale.
TEST(TextNumbers, FloatToTextAgreesWithFormattedPrint) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-20, 300);
  std::uniform_int_distribution<int> decimals(0, 40);
  for (int i = 0; i < 20000; ++i) {
    double value = std::ldexp(mantissa(random), exponent(random) / 4 - 20);
    if (i % 5 == 0) value = std::round(value * 1000) / 1000 + 0.0005;  // near ties
    int places = decimals(random);
    char expected[1200];
    std::snprintf(expected, sizeof expected, "%.*f", places, value);
    Text got = TextFromFloat(value, places);
    std::string_view want = expected;
    if (want.find_first_not_of("-0.") == std::string_view::npos && want[0] == '-') want.remove_prefix(1);
    ASSERT_EQ(TextToUtf8(got), want) << "value " << value << " decimals " << places;
  }
}

}  // namespace
