// Picture decoding: any bytes go through the registered decoders (icon, BMP, JPEG). A
// picture that decodes must be as large as it says it is.
#include <cstdint>
#include <cstdlib>

#include "images.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ImageServiceInit();
  ImageRegisterJpeg();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr int64_t kImage = 1;
  const int64_t handle = ImageFromMemory(kImage, data, static_cast<int64_t>(size));
  if (handle == 0) return 0;
  const auto* bitmap = reinterpret_cast<const ImageBitmap*>(handle);
  const int64_t rowBytes = (bitmap->width * bitmap->depth + 7) / 8;
  if (bitmap->width < 1 || bitmap->height < 1 || bitmap->stride < rowBytes || bitmap->stride % 4 != 0 ||
      static_cast<int64_t>(bitmap->pixels.size()) != bitmap->stride * bitmap->height)
    std::abort();
  ImageFree(kImage);
  return 0;
}
