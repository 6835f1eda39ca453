// The size total's network part: one header query per address, each on a fresh
// connection as the total workers make them, lengths summed.
//   header_total_job ADDRESS_LIST EXPECTED_TOTAL [CA_FILE]
// ADDRESS_LIST holds one address per line. Prints the line of job_clock.h; fails unless
// the lengths add up to EXPECTED_TOTAL.
#include <fstream>
#include <string>
#include <vector>

#include "http.h"
#include "job_clock.h"
#include "size_query.h"
#include "texts.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4)
    return JobFailed(argv[0], "usage: ADDRESS_LIST EXPECTED_TOTAL [CA_FILE]");
  std::vector<Text> addresses;
  std::ifstream list(argv[1]);
  for (std::string line; std::getline(list, line);)
    if (!line.empty()) addresses.push_back(TextFromUtf8(line));
  const long long expected = std::stoll(argv[2]);
  if (argc == 4) FetchSetCaFile(TextFromUtf8(argv[3]));
  TextsLoad(TextTable::BuiltIn());

  JobClock clock;
  long long total = 0;
  for (const Text& address : addresses) total += QueryRemoteSizeOf(address);
  clock.Report("requests=" + std::to_string(addresses.size()));
  if (total != expected)
    return JobFailed(argv[0], "total " + std::to_string(total) + ", expected " + argv[2]);
  return 0;
}
