// Random, cut and damaged bytes into every decoder: each load either fails with the number
// free or delivers a consistent picture. Run under the address and undefined-behaviour
// sanitizers to catch reads out of bounds.
#include <random>

#include "picture_helpers.h"

namespace {

class HostileInputTest : public ImagesTest {
 protected:
  void Feed(const std::vector<uint8_t>& bytes, size_t size) {
    int64_t handle = ImageFromMemory(5, bytes.data(), static_cast<int64_t>(size));
    if (handle == 0) {
      ASSERT_EQ(ImageGetHandle(5), 0);
      return;
    }
    ++decoded;
    const ImageBitmap* b = BitmapOf(5);
    ASSERT_GT(b->width, 0);
    ASSERT_GT(b->height, 0);
    ASSERT_EQ(b->pixels.size(), static_cast<size_t>(b->stride * b->height));
    ASSERT_GE(b->stride, b->width * b->depth / 8);
  }
  void Feed(const std::vector<uint8_t>& bytes) { Feed(bytes, bytes.size()); }

  std::vector<std::vector<uint8_t>> Samples() {
    std::vector<Rgb> colours{{1, 2, 3}, {200, 100, 0}, {9, 99, 199}, {255, 255, 255}};
    Picture p = Patterned(37, 21, colours);
    std::vector<uint8_t> icon{0, 0, 1, 0, 1, 0, 8, 8, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    auto dib = BmpFile(Filled(8, 16, {5, 6, 7}), 24, false);
    dib[22] = 16;  // colour rows and mask rows
    icon.insert(icon.end(), dib.begin() + 14, dib.end());
    icon[14] = static_cast<uint8_t>(dib.size() - 14), icon[15] = static_cast<uint8_t>((dib.size() - 14) >> 8);
    return {BmpFile(p, 4, false, colours), BmpFile(p, 8, true, colours), BmpFile(p, 24, false),
            BmpFile(p, 32, true), JpegFile(p, 3, 75), JpegFile(p, 1, 50),
            JpegFile(p, 3, 90, true), icon};
  }

  int decoded = 0;
};

TEST_F(HostileInputTest, RandomBytesBehindEveryKnownSignature) {
  std::mt19937 random(20240611);
  const std::vector<std::vector<uint8_t>> signatures{
      {}, {'B', 'M'}, {0xFF, 0xD8}, {0xFF, 0xD8, 0xFF, 0xE0}, {0, 0, 1, 0}, {0, 0, 2, 0, 1, 0}};
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = signatures[round % signatures.size()];
    size_t extra = random() % 700;
    for (size_t i = 0; i < extra; ++i) bytes.push_back(static_cast<uint8_t>(random()));
    ASSERT_NO_FATAL_FAILURE(Feed(bytes)) << "round " << round;
  }
}

TEST_F(HostileInputTest, EveryCutOfEverySample) {
  for (const auto& sample : Samples()) {
    ASSERT_NO_FATAL_FAILURE(Feed(sample));
    ASSERT_EQ(decoded, 1) << "the whole sample decodes";
    for (size_t cut = 0; cut < sample.size(); ++cut) ASSERT_NO_FATAL_FAILURE(Feed(sample, cut));
    decoded = 0;
  }
}

TEST_F(HostileInputTest, DamagedBytesInEverySample) {
  std::mt19937 random(77);
  for (const auto& sample : Samples()) {
    for (int round = 0; round < 400; ++round) {
      auto bytes = sample;
      int damage = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < damage; ++i) {
        // Headers are where lies hurt most: aim half of the damage at the first 64 bytes.
        size_t at = (random() % 2 ? random() % 64 : random()) % bytes.size();
        bytes[at] = static_cast<uint8_t>(random() % 3 == 0 ? 0xFF : random());
      }
      ASSERT_NO_FATAL_FAILURE(Feed(bytes));
    }
  }
}

}  // namespace
