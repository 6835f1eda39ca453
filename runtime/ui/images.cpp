#include "images.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "bmp_codec.h"
#include "icon_codec.h"
#include "images_codec.h"
#include "jpeg_codec.h"
#include "object_table.h"
#include "read_file.h"
#include "replace_file.h"

namespace {

constexpr int64_t kTableGrowth = 16;
// A file may hold a little more than its largest picture: headers, palette, metadata.
constexpr int64_t kMaxFileBytes = kImageMaxPixelBytes + (int64_t{1} << 24);

struct ImageRecord {
  std::unique_ptr<ImageBitmap> handle;
};
using ImageTable = ObjectTable<ImageRecord>;

struct Decoder {
  int64_t code;
  ImageDecodeRoutine decode;
};

struct Encoder {
  int64_t code;
  ImageEncodeRoutine encode24;
  ImageEncodeRoutine encode32;  // null when the codec keeps no alpha
};

// Registered once at start-up, read by any thread that decodes or saves.
struct Codecs {
  std::mutex mutex;
  std::vector<Decoder> decoders;  // in the order they are tried
  std::vector<Encoder> encoders;
};

std::unique_ptr<ImageTable> images;

Codecs& TheCodecs() {
  static Codecs codecs;
  return codecs;
}

std::vector<Decoder> RegisteredDecoders() {
  std::lock_guard lock(TheCodecs().mutex);
  return TheCodecs().decoders;
}

bool FindEncoder(int64_t code, Encoder& found) {
  std::lock_guard lock(TheCodecs().mutex);
  for (const Encoder& e : TheCodecs().encoders)
    if (e.code == code) {
      found = e;
      return true;
    }
  return false;
}

void Register(const Decoder& decoder, const Encoder& encoder) {
  std::lock_guard lock(TheCodecs().mutex);
  auto& decoders = TheCodecs().decoders;
  if (std::any_of(decoders.begin(), decoders.end(),
                  [&](const Decoder& d) { return d.code == decoder.code; }))
    return;
  decoders.push_back(decoder);
  TheCodecs().encoders.push_back(encoder);
}

// Icons are recognised first; then the registered decoders, each on a fresh bitmap.
bool Decode(const uint8_t* data, size_t size, ImageBitmap& out) {
  if (IconDecode(data, size, out)) return true;
  for (const Decoder& decoder : RegisteredDecoders()) {
    out = ImageBitmap{};
    if (decoder.decode(data, size, out)) return true;
  }
  return false;
}

// A failed decode leaves the number free; the dynamic marker names no picture.
void ReleaseNumber(int64_t image) {
  if (image != kDynamicNumber) ImageFree(image);
}

const ImageBitmap* BitmapOf(int64_t image) {
  ImageRecord* record = images ? images->Get(image) : nullptr;
  return record ? record->handle.get() : nullptr;
}

bool IsSavableDepth(int64_t depth) {
  return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 24 || depth == 32;
}

// c' = ((c - 255) x a + 65025) / 255 per colour channel.
bool ComposeOverWhite(const ImageBitmap& in, ImageBitmap& out) {
  if (!ImageBitmapAllocate(out, in.width, in.height, 24)) return false;
  for (int64_t y = 0; y < in.height; ++y) {
    const uint8_t* src = in.Line(y);
    uint8_t* dst = out.Line(y);
    for (int64_t x = 0; x < in.width; ++x, src += 4, dst += 3) {
      int alpha = src[3];
      for (int c = 0; c < 3; ++c) dst[c] = static_cast<uint8_t>(((src[c] - 255) * alpha + 65025) / 255);
    }
  }
  out.sourceDepth = in.sourceDepth;
  return true;
}

bool Encode(const ImageBitmap& bitmap, const Encoder& encoder, int64_t quality, int64_t depth,
            std::vector<uint8_t>& bytes) {
  if (bitmap.depth == 24) return encoder.encode24(bitmap, quality, bytes);
  if (bitmap.depth != 32) return false;
  if (encoder.encode32 && depth == 32) return encoder.encode32(bitmap, quality, bytes);
  ImageBitmap composed;
  return ComposeOverWhite(bitmap, composed) && encoder.encode24(composed, quality, bytes);
}

int64_t Save(int64_t image, const Text& path, int64_t format, int64_t quality, int64_t depth) {
  const ImageBitmap* bitmap = BitmapOf(image);
  if (path.empty() || !bitmap || bitmap->isIcon || bitmap->pixels.empty()) return 0;
  if (depth == -1) depth = bitmap->sourceDepth;
  Encoder encoder{};
  if (!IsSavableDepth(depth) || !FindEncoder(format, encoder)) return 0;
  std::vector<uint8_t> bytes;
  if (!Encode(*bitmap, encoder, quality, depth, bytes)) return 0;
  return ReplaceFileWhole(path, bytes.data(), static_cast<int64_t>(bytes.size())) ? 1 : 0;
}

int64_t FromMemory(int64_t image, const void* data, int64_t size) {
  auto bitmap = std::make_unique<ImageBitmap>();
  if (!images || !data || size <= 0 ||
      !Decode(static_cast<const uint8_t*>(data), static_cast<size_t>(size), *bitmap)) {
    ReleaseNumber(image);
    return 0;
  }
  ImageRecord* record = images->Reserve(image);
  if (!record) return 0;
  ImageBitmap* picture = bitmap.get();
  record->handle = std::move(bitmap);
  if (image == kDynamicNumber) return ImageTable::HandleOf(record);
  return reinterpret_cast<intptr_t>(picture);
}

}  // namespace

bool ImageBitmapAllocate(ImageBitmap& bitmap, int64_t width, int64_t height, int depth) {
  if (width <= 0 || height <= 0 || (depth != 24 && depth != 32)) return false;
  int64_t stride = (width * (depth / 8) + 3) / 4 * 4;
  if (stride > kImageMaxPixelBytes / height) return false;
  try {
    bitmap.pixels.assign(static_cast<size_t>(stride * height), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  bitmap.width = width;
  bitmap.height = height;
  bitmap.depth = depth;
  bitmap.sourceDepth = depth;
  bitmap.stride = stride;
  bitmap.format = 0;
  bitmap.isIcon = false;
  return true;
}

void ImageServiceInit() {
  if (images) ImageFree(kDynamicNumber);
  images = std::make_unique<ImageTable>(kTableGrowth, [](int64_t image) {
    if (ImageRecord* record = images->Get(image)) record->handle.reset();
  });
  {
    std::lock_guard lock(TheCodecs().mutex);
    TheCodecs().decoders.clear();
    TheCodecs().encoders.clear();
  }
  Register({kImageFormatBmp, BmpDecode}, {kImageFormatBmp, BmpEncode24, BmpEncode32});
}

void ImageServiceEnd() {
  if (!images) return;
  ImageFree(kDynamicNumber);
  images.reset();
  std::lock_guard lock(TheCodecs().mutex);
  TheCodecs().decoders.clear();
  TheCodecs().encoders.clear();
}

void ImageRegisterJpeg() {
  Register({kImageFormatJpeg, JpegDecode}, {kImageFormatJpeg, JpegEncode24, nullptr});
}

int64_t ImageFromMemory(int64_t image, const void* data, int64_t size) {
  try {
    return FromMemory(image, data, size);
  } catch (...) {  // out of memory on the way: a failed load like any other
    ReleaseNumber(image);
    return 0;
  }
}

int64_t ImageLoad(int64_t image, const Text& path, int64_t) {
  std::vector<uint8_t> bytes;
  bool read = false;
  try {
    read = ReadFileWhole(path, kMaxFileBytes, bytes);
  } catch (...) {
    read = false;
  }
  if (!read) {
    ReleaseNumber(image);
    return 0;
  }
  return ImageFromMemory(image, bytes.data(), static_cast<int64_t>(bytes.size()));
}

int64_t ImageGetHandle(int64_t image) {
  return reinterpret_cast<intptr_t>(BitmapOf(image));
}

int64_t ImageGetWidth(int64_t image) {
  const ImageBitmap* bitmap = BitmapOf(image);
  return bitmap ? bitmap->width : 0;
}

int64_t ImageGetHeight(int64_t image) {
  const ImageBitmap* bitmap = BitmapOf(image);
  return bitmap ? bitmap->height : 0;
}

void ImageFree(int64_t image) {
  if (images) images->ReleaseOneOrAll(image);
}

int64_t ImageSave(int64_t image, const Text& path, int64_t format, int64_t quality,
                  int64_t depth) {
  try {
    return Save(image, path, format, quality, depth);
  } catch (...) {
    return 0;
  }
}
