#pragma once
// Reading a whole regular file into memory in one go (a picture to decode). Folders,
// devices, empty files and files over the caller's limit give nothing.
//
// Thread safety: any thread.
#include <cstdint>
#include <vector>

#include "text.h"

// true with the file's bytes in `bytes`; false (and `bytes` unspecified) otherwise.
bool ReadFileWhole(TextView path, int64_t maxBytes, std::vector<uint8_t>& bytes);
