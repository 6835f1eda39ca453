// Size formatting, digit grouping and reading the announced length from header text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "size_headers.h"
#include "size_query.h"
#include "texts.h"

namespace {

class SizeTextTest : public ::testing::Test {
 protected:
  void SetUp() override { TextsLoad(TextTable::BuiltIn()); }

  // The n-th unit name (1 = bytes) joined to a value as the program shows it.
  static Text Shown(const char16_t* value, int64_t unit) {
    return Text(value) + T(TextRole::UnitSeparator) +
           TextField(T(TextRole::UnitList), unit, T(TextRole::UnitListSeparator));
  }
  static Text Grouped(std::u16string text) {
    return TextReplace(text, u"'", T(TextRole::GroupingSeparator));
  }
};

TEST_F(SizeTextTest, FormatSizeChoosesUnitAndDecimalsByPowerOf1024) {
  EXPECT_EQ(FormatSize(0, 1), Shown(u"0", 1));
  EXPECT_EQ(FormatSize(1023, 1), Shown(u"1023", 1));
  EXPECT_EQ(FormatSize(1024, 1), Shown(u"1.0", 2));
  EXPECT_EQ(FormatSize(1536, 1), Shown(u"1.5", 2));
  EXPECT_EQ(FormatSize(3000, 1), Shown(u"2.9", 2));
  // Even powers show no decimals: 1.5 MB is rounded to whole megabytes.
  EXPECT_EQ(FormatSize(1048576, 1), Shown(u"1", 3));
  EXPECT_EQ(FormatSize(1572864, 1), Shown(u"2", 3));
  EXPECT_EQ(FormatSize(5368709121, 1), Shown(u"5.0", 4));
  EXPECT_EQ(FormatSize(int64_t{3} << 40, 1), Shown(u"3", 5));
  EXPECT_EQ(FormatSize(int64_t{3} << 50, 1), Shown(u"3.0", 6));
}

TEST_F(SizeTextTest, FormatSizeStaysInRangeAtTheEdges) {
  // Counts just below a power of 1024 keep the smaller unit; a floating-point logarithm
  // would round 2^60 - 1 up to the next one.
  EXPECT_EQ(FormatSize(1048575, 1), Shown(u"1024.0", 2));
  EXPECT_EQ(FormatSize((int64_t{1} << 60) - 1, 1), Shown(u"1024.0", 6));
  EXPECT_EQ(FormatSize(int64_t{1} << 60, 1), Shown(u"1", 7));
  EXPECT_EQ(FormatSize(INT64_MAX, 1), Shown(u"8", 7));
  EXPECT_EQ(FormatSize(-5, 1), Shown(u"-5", 1));
  EXPECT_EQ(FormatSize(1536, 3), Shown(u"1.500", 2));
}

TEST_F(SizeTextTest, GroupDigitsSeparatesThousandsFromTheRight) {
  EXPECT_EQ(GroupDigits(0), u"0");
  EXPECT_EQ(GroupDigits(999), u"999");
  EXPECT_EQ(GroupDigits(1000), Grouped(u"1'000"));
  EXPECT_EQ(GroupDigits(65536), Grouped(u"65'536"));
  EXPECT_EQ(GroupDigits(100000), Grouped(u"100'000"));
  EXPECT_EQ(GroupDigits(1234567), Grouped(u"1'234'567"));
  EXPECT_EQ(GroupDigits(INT64_MAX), Grouped(u"9'223'372'036'854'775'807"));
  EXPECT_EQ(GroupDigits(-1234), Grouped(u"-1'234"));
}

TEST_F(SizeTextTest, LengthComesFromTheFirstHeaderOfTheLastResponse) {
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/1.1 200 OK\r\nContent-Length: 1234\r\n\r\n"), 1234);
  // HTTP/2 sends header names in lower case.
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/2 200\r\ncontent-length: 77\r\n\r\n"), 77);
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/1.1 200 OK\r\nCONTENT-LENGTH:\t 9\r\n\r\n"), 9);
  // A redirect's own length describes its little body, not the picture.
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/1.1 302 Found\r\nContent-Length: 5\r\nLocation: /b\r\n\r\n"
                                  u"HTTP/1.1 301 Moved\r\nContent-Length: 6\r\n\r\n"
                                  u"HTTP/1.1 200 OK\r\nDate: x\r\nContent-Length: 4096\r\n"
                                  u"Content-Length: 8192\r\n\r\n"),
            4096);
  // The last response announces nothing: the redirect's length does not stand in.
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/1.1 302 Found\r\nContent-Length: 5\r\n\r\n"
                                  u"HTTP/1.1 200 OK\r\nServer: test\r\n\r\n"),
            0);
}

TEST_F(SizeTextTest, HeadersWithoutAUsableLengthGiveZero) {
  EXPECT_EQ(RemoteSizeFromHeaders(u""), 0);
  EXPECT_EQ(RemoteSizeFromHeaders(u"\r\n\r\n\r\n"), 0);
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/1.1 200 OK\r\nX-Content-Length: 5\r\n"
                                  u"Content-Lengths: 6\r\nContent-Length 7\r\n\r\n"),
            0);
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\n"), 0);
  // No final line end: the last line still counts.
  EXPECT_EQ(RemoteSizeFromHeaders(u"HTTP/1.1 200 OK\r\nContent-Length: 31"), 31);
}

}  // namespace
