#include "jpeg_codec.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>

#include "images_codec.h"

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to
// the setjmp in RunGuarded. Nothing with a destructor lives in the frames it skips; the
// libjpeg state sits in heap objects owned by the callers of RunGuarded.
namespace {

// Decoding work stays in proportion to the data, so that a few hostile bytes cannot cost
// seconds and gigabytes. Every 8 x 8 block of a Huffman-coded file takes at least one bit
// (two in a sequential file), so a whole file holds at most 512 pixels per byte; twice
// that is allowed, and pictures of up to 4 megapixels always pass (at most some 30 ms
// and 12 MB). A cut-short picture decodes as before while it keeps that share of its data.
constexpr int64_t kPixelsPerByte = 1024;
constexpr int64_t kPixelsAlwaysAllowed = int64_t{1} << 22;
// A progressive file can ask for any number of scans over the whole picture. Each scan
// visits every block; a file gets visits in proportion to its data, enough for dozens of
// scans over a whole file and never fewer than kFewScans, and at most kMostScans scans.
constexpr int64_t kBlockVisitsPerByte = 512;
constexpr int kFewScans = 64;
constexpr int kMostScans = 1000;

struct ErrorJump {
  jpeg_error_mgr manager{};
  std::jmp_buf jump{};
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

void Silence(j_common_ptr) {}

jpeg_error_mgr* InstallErrorJump(ErrorJump& error) {
  jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpBack;
  error.manager.output_message = Silence;
  return &error.manager;
}

template <class Step>
bool RunGuarded(ErrorJump& error, Step&& step) {
  if (setjmp(error.jump) != 0) return false;
  step();
  return true;
}

struct ScanLimit {
  jpeg_progress_mgr progress{};
  int mostScans = kMostScans;
};

void LimitScans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  const auto* limit = reinterpret_cast<const ScanLimit*>(decompress->progress);
  if (decompress->input_scan_number > limit->mostScans) JumpBack(info);
}

struct Decoder {
  jpeg_decompress_struct info{};
  ErrorJump error;
  ScanLimit scans;
  std::vector<JSAMPROW> rows;
  std::vector<uint8_t> cmykRow;
  ~Decoder() { jpeg_destroy_decompress(&info); }
};

struct Encoder {
  jpeg_compress_struct info{};
  ErrorJump error;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ~Encoder() {
    jpeg_destroy_compress(&info);
    std::free(buffer);
  }
};

bool IsCmyk(const jpeg_decompress_struct& info) {
  return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// The blocks of every component, each visited once per scan at most.
int64_t BlockCount(const jpeg_decompress_struct& info) {
  int64_t blocks = 0;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    blocks += int64_t{component.width_in_blocks} * component.height_in_blocks;
  }
  return std::max<int64_t>(blocks, 1);
}

// Fails (jumps back) when the picture would cost more than its data allow.
void KeepWorkInProportion(Decoder& d, size_t size) {
  const auto bytes = static_cast<int64_t>(size);
  const int64_t pixels = int64_t{d.info.output_width} * d.info.output_height;
  if (pixels > std::max(kPixelsAlwaysAllowed, kPixelsPerByte * bytes))
    JumpBack(reinterpret_cast<j_common_ptr>(&d.info));
  const int64_t scans = kBlockVisitsPerByte * bytes / BlockCount(d.info);
  d.scans.mostScans = static_cast<int>(std::clamp<int64_t>(scans, kFewScans, kMostScans));
}

void ReadHeader(Decoder& d, const uint8_t* data, size_t size) {
  jpeg_create_decompress(&d.info);
  d.scans.progress.progress_monitor = LimitScans;
  d.info.progress = &d.scans.progress;
  // Refuses hostile sizes early; the field is a long, 32 bits on Windows.
  d.info.mem->max_memory_to_use =
      static_cast<long>(std::min<int64_t>(2 * kImageMaxPixelBytes, LONG_MAX));
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.info, TRUE);
  if (d.info.num_components <= 0) JumpBack(reinterpret_cast<j_common_ptr>(&d.info));
  d.info.out_color_space = IsCmyk(d.info) ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_calc_output_dimensions(&d.info);
  KeepWorkInProportion(d, size);
}

void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned k = cmyk[3];
    bgr[0] = static_cast<uint8_t>(cmyk[2] * k / 255);
    bgr[1] = static_cast<uint8_t>(cmyk[1] * k / 255);
    bgr[2] = static_cast<uint8_t>(cmyk[0] * k / 255);
  }
}

void ReadPixels(Decoder& d) {
  jpeg_start_decompress(&d.info);
  JDIMENSION height = d.info.output_height;
  if (!IsCmyk(d.info)) {
    while (d.info.output_scanline < height)
      jpeg_read_scanlines(&d.info, d.rows.data() + d.info.output_scanline,
                          height - d.info.output_scanline);
    return;
  }
  JSAMPROW cmyk = d.cmykRow.data();
  while (d.info.output_scanline < height) {
    JDIMENSION line = d.info.output_scanline;
    if (jpeg_read_scanlines(&d.info, &cmyk, 1) == 1)
      CmykToBgr(cmyk, d.rows[line], d.info.output_width);
  }
}

bool PrepareRows(Decoder& d, ImageBitmap& out) {
  if (!ImageBitmapAllocate(out, d.info.output_width, d.info.output_height, 24)) return false;
  d.rows.resize(d.info.output_height);
  for (JDIMENSION y = 0; y < d.info.output_height; ++y) d.rows[y] = out.Line(y);
  if (IsCmyk(d.info)) d.cmykRow.resize(static_cast<size_t>(d.info.output_width) * 4);
  return true;
}

void Compress(Encoder& e, const ImageBitmap& in, int quality) {
  jpeg_create_compress(&e.info);
  jpeg_mem_dest(&e.info, &e.buffer, &e.size);
  e.info.image_width = static_cast<JDIMENSION>(in.width);
  e.info.image_height = static_cast<JDIMENSION>(in.height);
  e.info.input_components = 3;
  e.info.in_color_space = JCS_EXT_BGR;  // the bitmap's byte order
  jpeg_set_defaults(&e.info);
  jpeg_set_quality(&e.info, quality, FALSE);
  jpeg_start_compress(&e.info, TRUE);
  while (e.info.next_scanline < e.info.image_height) {
    auto row = const_cast<JSAMPROW>(in.Line(e.info.next_scanline));
    jpeg_write_scanlines(&e.info, &row, 1);
  }
  jpeg_finish_compress(&e.info);
}

}  // namespace

bool JpegDecode(const uint8_t* data, size_t size, ImageBitmap& out) {
  if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) return false;
  auto decoder = std::make_unique<Decoder>();
  Decoder& d = *decoder;
  d.info.err = InstallErrorJump(d.error);
  if (!RunGuarded(d.error, [&] { ReadHeader(d, data, size); })) return false;
  if (!PrepareRows(d, out)) return false;
  if (!RunGuarded(d.error, [&] { ReadPixels(d); })) return false;
  out.sourceDepth = 24;
  out.format = kImageFormatJpeg;
  return true;
}

bool JpegEncode24(const ImageBitmap& in, int64_t quality, std::vector<uint8_t>& out) {
  if (in.depth != 24 || in.width <= 0 || in.height <= 0) return false;
  auto encoder = std::make_unique<Encoder>();
  Encoder& e = *encoder;
  e.info.err = InstallErrorJump(e.error);
  int libjpegQuality = static_cast<int>(std::clamp<int64_t>(quality, 0, 10) * 10);
  if (!RunGuarded(e.error, [&] { Compress(e, in, libjpegQuality); })) return false;
  out.assign(e.buffer, e.buffer + e.size);
  return true;
}
