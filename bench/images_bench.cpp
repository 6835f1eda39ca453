// What the download worker does to each picture: decode a 1600 x 1200 JPEG, draw the
// diagonal mark in the 216-point bold font, encode at quality 1, and each step alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "fonts.h"
#include "images.h"
#include "picture_mark.h"
#include "platform/text_render.h"

namespace {

constexpr int64_t kWidth = 1600, kHeight = 1200;
const Text kMark = u"Trawl sample";

std::string ScratchPath(const char* name) {
  return "/tmp/trawl-images-bench-" + std::to_string(getpid()) + "-" + name;
}

// A BMP of smooth colour with some texture, so the JPEG has realistic detail.
std::vector<uint8_t> SyntheticBmp() {
  int64_t stride = kWidth * 3;
  std::vector<uint8_t> f(54 + static_cast<size_t>(stride * kHeight));
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put(10, 54), put(14, 40), put(18, kWidth), put(22, kHeight);
  f[26] = 1, f[28] = 24;
  uint8_t* p = f.data() + 54;
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x, p += 3) {
      double t = std::sin(static_cast<double>(x * y) / 5000.0);
      p[0] = static_cast<uint8_t>(x * 255 / kWidth);
      p[1] = static_cast<uint8_t>(y * 255 / kHeight);
      p[2] = static_cast<uint8_t>(127 + 100 * t);
    }
  return f;
}

struct Setup {
  std::vector<uint8_t> jpeg;
  Setup() {
    PlatformTextStart();
    FontServiceInit();
    ImageServiceInit();
    ImageRegisterJpeg();
    FontLoad(1, u"DejaVu Sans", 216, kFontBold);
    auto bmp = SyntheticBmp();
    ImageFromMemory(100, bmp.data(), static_cast<int64_t>(bmp.size()));
    std::string path = ScratchPath("source.jpg");
    ImageSave(100, TextFromUtf8(path), kImageFormatJpeg, 9);
    std::ifstream in(path, std::ios::binary);
    jpeg.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
  }
};

const Setup& Shared() {
  static Setup setup;
  return setup;
}

void Mark() { MarkLikeTheWorker(100, 1, kMark, 255); }

void Decode(const Setup& s) {
  if (!ImageFromMemory(100, s.jpeg.data(), static_cast<int64_t>(s.jpeg.size())))
    std::abort();
}

void BM_DecodeMarkEncode(benchmark::State& state) {
  const Setup& s = Shared();
  Text out = TextFromUtf8(ScratchPath("marked.jpg"));
  for (auto _ : state) {
    Decode(s);
    Mark();
    benchmark::DoNotOptimize(ImageSave(100, out, kImageFormatJpeg, 1));
  }
  std::remove(TextToUtf8(out).c_str());
}
BENCHMARK(BM_DecodeMarkEncode)->Unit(benchmark::kMillisecond);

void BM_Decode(benchmark::State& state) {
  const Setup& s = Shared();
  for (auto _ : state) Decode(s);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.jpeg.size()));
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

void BM_Mark(benchmark::State& state) {
  Decode(Shared());
  for (auto _ : state) Mark();
}
BENCHMARK(BM_Mark)->Unit(benchmark::kMillisecond);

void BM_EncodeQuality1(benchmark::State& state) {
  Decode(Shared());
  Text out = TextFromUtf8(ScratchPath("encoded.jpg"));
  for (auto _ : state) benchmark::DoNotOptimize(ImageSave(100, out, kImageFormatJpeg, 1));
  std::remove(TextToUtf8(out).c_str());
}
BENCHMARK(BM_EncodeQuality1)->Unit(benchmark::kMillisecond);

}  // namespace
