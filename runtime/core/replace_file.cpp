#include "replace_file.h"

#include "program.h"
#include "random_numbers.h"

Text TemporaryBeside(TextView path) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  Text name = PathOfFile(path) + u".trawl-";  // no folder: the working one
  for (uint64_t bits = RandomNumber(), i = 0; i < 16; ++i, bits >>= 4) name += kDigits[bits & 15];
  return name + u".part";
}
