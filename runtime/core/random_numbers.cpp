#include "random_numbers.h"

#include <chrono>
#include <mutex>
#include <random>

namespace {

struct Generator {
  std::mutex lock;
  std::mt19937_64 numbers;
};

uint64_t Seed() {
  std::random_device device;
  const uint64_t random = (uint64_t{device()} << 32) ^ device();
  return random ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

uint64_t RandomNumber() {
  static auto* generator = new Generator{{}, std::mt19937_64{Seed()}};  // workers may draw at exit
  std::lock_guard guard(generator->lock);
  return generator->numbers();
}
