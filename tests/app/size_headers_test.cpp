// Reading the announced length from the header text of a chain of responses.
#include <gtest/gtest.h>

#include "size_headers.h"
#include "texts.h"

namespace {

// The header names and separators are texts of the table.
class SizeHeadersTest : public ::testing::Test {
 protected:
  void SetUp() override { TextsLoad(TextTable::BuiltIn()); }
};

TEST_F(SizeHeadersTest, LengthComesFromTheFirstHeaderOfTheLastResponse) {
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

TEST_F(SizeHeadersTest, HeadersWithoutAUsableLengthGiveZero) {
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
