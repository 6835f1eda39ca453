// File names that stay inside the download folder, and the JPEG marker check.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "download_worker.h"

namespace {

bool StaysInFolder(const Text& name) {
  return !name.empty() && name != u"." && name != u".." && name.find(u'/') == Text::npos &&
         name.find(u'\\') == Text::npos;
}

TEST(SafeFileName, KeepsOrdinaryNames) {
  EXPECT_EQ(SafeFileName(u"Harbour_harbour-01.jpg"), u"Harbour_harbour-01.jpg");
  EXPECT_EQ(SafeFileName(u"Fjord \u00e5 \u6e2f.jpg"), u"Fjord \u00e5 \u6e2f.jpg");
  EXPECT_EQ(SafeFileName(u"...jpg"), u"...jpg");
  EXPECT_EQ(SafeFileName(u".hidden"), u".hidden");
}

TEST(SafeFileName, NeverLeavesTheFolder) {
  const std::vector<Text> hostile = {u"../x.jpg", u"a/b.jpg",   u"/etc/passwd", u"..",
                                     u".",        u"",          u"a\\..\\b",    u"../../",
                                     u"x/",       u"/",         u"\\\\server\\share"};
  for (const Text& name : hostile) {
    Text safe = SafeFileName(name);
    EXPECT_TRUE(StaysInFolder(safe)) << TextToUtf8(name) << " -> " << TextToUtf8(safe);
    EXPECT_EQ(safe.size(), name.empty() ? 1u : name.size()) << TextToUtf8(name);
  }
  EXPECT_EQ(SafeFileName(u"a/b.jpg"), u"a_b.jpg");
}

TEST(SafeFileName, ReplacesControlAndRefusedCharacters) {
  Text safe = SafeFileName(Text(u"a\tb\nc:d*e?f\"g<h>i|j") + char16_t(0x7F) + char16_t(0) + u"k");
  EXPECT_EQ(safe, u"a_b_c_d_e_f_g_h_i_j__k");
}

TEST(JpegMarkers, TellsPicturesFromOtherDataAndTruncatedPictures) {
  auto markers = [](std::vector<uint8_t> bytes) {
    return JpegMarkers(bytes.data(), static_cast<int64_t>(bytes.size()));
  };
  EXPECT_EQ(JpegMarkers(nullptr, 10), 0);
  EXPECT_EQ(markers({}), 0);
  EXPECT_EQ(markers({0xFF}), 0);
  EXPECT_EQ(markers({'<', 'h', 't', 'm', 'l', '>'}), 0);
  EXPECT_EQ(markers({0xFF, 0xD9, 0xFF, 0xD8}), 0);
  EXPECT_EQ(markers({0xFF, 0xD8}), 1);
  EXPECT_EQ(markers({0xFF, 0xD8, 0xD9}), 1);
  EXPECT_EQ(markers({0xFF, 0xD8, 0x00, 0x11, 0x22}), 1);
  EXPECT_EQ(markers({0xFF, 0xD8, 0xFF, 0xD9}), 2);
  EXPECT_EQ(markers({0xFF, 0xD8, 0x12, 0x34, 0xFF, 0xD9}), 2);
  // Only a short prefix of the block is given: the end is judged where the size says.
  std::vector<uint8_t> longer = {0xFF, 0xD8, 0x00, 0xFF, 0xD9, 0x00};
  EXPECT_EQ(JpegMarkers(longer.data(), 5), 2);
  EXPECT_EQ(JpegMarkers(longer.data(), 6), 1);
}

}  // namespace
