#pragma once
// Which fault, if any, a fetch of a picture meets. Trawl fetches an entry as a HEAD (its
// size) followed by a GET; the fault is drawn once per fetch, at whichever of the two
// comes first, so that a slow HEAD and a broken body never fall on the same fetch.
//
// Draws come from one seeded generator in the order requests arrive: with the same seed
// and the same requests, the same faults. Safe to call from any number of threads.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace faults {

enum class Outcome {
  Whole,
  NotFound,        // 404 with an HTML page
  Reset,           // half the body, then the connection is reset
  Truncated,       // a well-formed answer whose body lacks the picture's end
  PauseThenWhole,  // half the body, a pause, the rest
  DripThenWhole,   // the body in small pieces with short pauses
  SlowHead,        // the HEAD answers late; the GET is whole
};

// The word the log uses for an outcome: "whole", "404", "reset", ...
std::string_view OutcomeName(Outcome outcome);

// Relative weights of the faults among themselves; `rate` of all fetches meet one. The
// slow kinds are the rarer: with a pause of half a second and a HEAD of a second, a soak
// of 1000 entries at a rate of 0.2 spends about 16 s on them.
struct FaultWeights {
  int notFound = 28;
  int reset = 26;
  int truncated = 26;
  int dripThenWhole = 10;
  int pauseThenWhole = 6;
  int slowHead = 4;
};

class FaultPlan {
 public:
  FaultPlan(uint64_t seed, double rate, FaultWeights weights = {});

  // The outcome for a HEAD of `path`; remembered for the GET that follows.
  Outcome ForHead(const std::string& path);
  // The outcome for a GET of `path`: the one its HEAD drew, else a new draw. Never
  // SlowHead (a late HEAD's body is whole).
  Outcome ForGet(const std::string& path);

 private:
  Outcome Draw();
  double Uniform();  // [0, 1), the same on every standard library

  std::mutex lock_;
  std::mt19937_64 random_;
  double rate_;
  FaultWeights weights_;
  std::map<std::string, Outcome, std::less<>> drawnAtHead_;
};

// Parses a rate between 0 and 1 ("0.2"). Nothing when the text is not such a number.
std::optional<double> ParseRate(std::string_view text);

}  // namespace faults
