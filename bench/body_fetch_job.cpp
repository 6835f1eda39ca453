// One large body fetched into memory, as the download worker receives a picture.
//   body_fetch_job ADDRESS EXPECTED_BYTES
// Prints the line of job_clock.h; fails unless exactly EXPECTED_BYTES arrived.
#include <string>

#include "http.h"
#include "job_clock.h"
#include "memory.h"

int main(int argc, char** argv) {
  if (argc != 3) return JobFailed(argv[0], "usage: ADDRESS EXPECTED_BYTES");
  const Text address = TextFromUtf8(argv[1]);
  const long long expected = std::stoll(argv[2]);

  JobClock clock;
  uint8_t* body = FetchToMemoryBlock(address);
  const long long size = body ? MemorySize(body) : 0;
  clock.Report();
  MemoryFree(body);
  if (size != expected)
    return JobFailed(argv[0], "received " + std::to_string(size) + " bytes, expected " + argv[2]);
  return 0;
}
