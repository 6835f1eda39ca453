#include "replace_file.h"

#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "program.h"

namespace {

// Seeded from the system's randomness and, should that be a fixed sequence (some
// platforms' have been), the clock and the thread.
uint64_t Seed() {
  std::random_device device;
  const uint64_t random = (uint64_t{device()} << 32) ^ device();
  const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return random ^ now ^ std::hash<std::thread::id>{}(std::this_thread::get_id());
}

}  // namespace

Text TemporaryBeside(TextView path) {
  thread_local std::mt19937_64 random{Seed()};
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  Text name = PathOfFile(path) + u".trawl-";  // no folder: the working one
  for (uint64_t bits = random(), i = 0; i < 16; ++i, bits >>= 4) name += kDigits[bits & 15];
  return name + u".part";
}
