// Writes once to most of the machine's free memory, then gives it back.
//   memory_warmup
// On a virtual machine the host may back guest memory only when it is first written; that
// first write then costs several times a normal page fault. Whichever side of a comparison
// happened to get such pages would pay for it, so bench/compare.sh runs this first.
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kLeftFree = 4 * kGiB;  // for everything else that runs meanwhile
constexpr uint64_t kMost = 16 * kGiB;

uint64_t AvailableBytes() {
  std::ifstream info("/proc/meminfo");
  std::string key;
  uint64_t kib = 0;
  std::string unit;
  while (info >> key >> kib >> unit)
    if (key == "MemAvailable:") return kib * 1024;
  return 0;
}

}  // namespace

int main() {
  const uint64_t available = AvailableBytes();
  if (available <= kLeftFree) return 0;
  const size_t bytes = std::min(available - kLeftFree, kMost) / kGiB * kGiB;
  if (bytes == 0) return 0;
  void* region = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) return 0;  // nothing warmed is no failure
  madvise(region, bytes, MADV_HUGEPAGE);
  std::memset(region, 1, bytes);  // held until all of it is written: freed pages come back first
  munmap(region, bytes);
  std::printf("warmed %zu GiB\n", bytes / kGiB);
  return 0;
}
