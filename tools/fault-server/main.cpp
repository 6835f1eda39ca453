// trawl-fault-server: the soak test's server. See fault_server.h and --help.
#include <signal.h>

#include <charconv>
#include <ctime>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "fault_server.h"
#include "soak_set.h"

namespace {

constexpr char kUsage[] = R"(Usage: trawl-fault-server --log FILE [--port N] [--entries N]
                          [--seed N] [--fault-rate R] [--head-delay-ms N]
                          [--pictures-folder DIR]

Serves a catalogue of many small pictures on 127.0.0.1 and fails a share of the
pictures' fetches in mixed ways, for soaking Trawl.

  --log FILE             one line per picture request: "SEQ MS METHOD PATH OUTCOME"
  --port N               the port (default 8917)
  --entries N            entries in /trawl/catalog/soak.xml (default 1000, at most 99999)
  --seed N               seed of the fault draws (default 1)
  --fault-rate R         share of fetches that meet a fault, 0 to 1 (default 0.2)
  --head-delay-ms N      every HEAD answers N ms late (default 0), at most 10000
  --pictures-folder DIR  also write each distinct served picture into DIR
  --help                 show this text

The first line on standard output is "listening on http://127.0.0.1:PORT/".
SIGINT or SIGTERM stops the server. Exit codes: 0 stopped, 1 serving failed, 2 bad
usage or a port or file that cannot be used.
)";

struct Options {
  std::string log, picturesFolder;
  uint64_t port = 8917, entries = 1000, seed = 1, headDelayMs = 0;
  double rate = 0.2;
};

bool ParseNumber(std::string_view text, uint64_t low, uint64_t high, uint64_t& value) {
  uint64_t parsed = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || parsed < low ||
      parsed > high)
    return false;
  value = parsed;
  return true;
}

// "" when the arguments are good, else what is wrong with them.
std::string ParseOptions(const std::vector<std::string_view>& args, Options& options, bool& help) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (name == "--help" || name == "-h") {
      help = true;
      continue;
    }
    if (i + 1 >= args.size()) return std::string(name) + " needs a value";
    std::string_view value = args[++i];
    bool good = true;
    if (name == "--log") {
      options.log = value;
    } else if (name == "--pictures-folder") {
      options.picturesFolder = value;
    } else if (name == "--port") {
      good = ParseNumber(value, 1, 65535, options.port);
    } else if (name == "--entries") {
      good = ParseNumber(value, 1, faults::kMostEntries, options.entries);
    } else if (name == "--seed") {
      good = ParseNumber(value, 0, UINT64_MAX, options.seed);
    } else if (name == "--head-delay-ms") {
      good = ParseNumber(value, 0, 10000, options.headDelayMs);
    } else if (name == "--fault-rate") {
      auto rate = faults::ParseRate(value);
      good = rate.has_value();
      if (good) options.rate = *rate;
    } else {
      return "unknown argument: " + std::string(name);
    }
    if (!good) return "bad value for " + std::string(name) + ": " + std::string(value);
  }
  if (!help && options.log.empty()) return "--log is needed";
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  // Taken synchronously below; blocked before any thread starts so that none takes them.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);

  Options options;
  bool help = false;
  std::string error =
      ParseOptions(std::vector<std::string_view>(argv + 1, argv + argc), options, help);
  if (help) {
    std::cout << kUsage;
    return 0;
  }
  auto set = error.empty() ? faults::MakeSoakSet(options.entries) : nullptr;
  if (set && !options.picturesFolder.empty()) {
    faults::WriteDistinctPictures(*set, options.picturesFolder, error);
  }
  faults::FaultServer server(set, std::make_unique<faults::FaultPlan>(options.seed, options.rate));
  server.SetHeadDelay(std::chrono::milliseconds(options.headDelayMs));
  if (error.empty()) server.Start(static_cast<int>(options.port), options.log, error);
  if (!error.empty()) {
    std::cerr << "trawl-fault-server: " << error << std::endl;
    return 2;
  }
  std::cout << "listening on " << server.BaseUrl() << "/" << std::endl;
  timespec poll{0, 200 * 1000 * 1000};
  while (server.IsRunning() && sigtimedwait(&stops, nullptr, &poll) < 0) {
  }
  bool failed = !server.IsRunning();
  server.Stop();
  return failed ? 1 : 0;
}
