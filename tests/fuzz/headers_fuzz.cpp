// Header text to size: the bytes of a header request's answer (a redirect chain of
// header blocks), read as FetchHeaders reads them.
#include <cstdint>
#include <string_view>

#include "size_headers.h"
#include "texts.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TextsLoad(TextTable::BuiltIn());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text headers = TextFromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  RemoteSizeFromHeaders(headers);
  return 0;
}
