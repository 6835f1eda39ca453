#include "fault_plan.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace faults {

std::string_view OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Whole: return "whole";
    case Outcome::NotFound: return "404";
    case Outcome::Reset: return "reset";
    case Outcome::Truncated: return "truncated";
    case Outcome::PauseThenWhole: return "pause-then-whole";
    case Outcome::DripThenWhole: return "drip-then-whole";
    case Outcome::SlowHead: return "slow-head";
  }
  return "?";
}

FaultPlan::FaultPlan(uint64_t seed, double rate, FaultWeights weights)
    : random_(seed), rate_(rate), weights_(weights) {}

Outcome FaultPlan::ForHead(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  Outcome outcome = Draw();
  drawnAtHead_[path] = outcome;
  return outcome;
}

Outcome FaultPlan::ForGet(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  Outcome outcome;
  if (auto found = drawnAtHead_.find(path); found != drawnAtHead_.end()) {
    outcome = found->second;
    drawnAtHead_.erase(found);
  } else {
    outcome = Draw();
  }
  return outcome == Outcome::SlowHead ? Outcome::Whole : outcome;
}

Outcome FaultPlan::Draw() {
  if (Uniform() >= rate_) return Outcome::Whole;
  const std::pair<int, Outcome> table[] = {
      {weights_.notFound, Outcome::NotFound},
      {weights_.reset, Outcome::Reset},
      {weights_.truncated, Outcome::Truncated},
      {weights_.dripThenWhole, Outcome::DripThenWhole},
      {weights_.pauseThenWhole, Outcome::PauseThenWhole},
      {weights_.slowHead, Outcome::SlowHead},
  };
  int total = 0;
  for (const auto& [weight, outcome] : table) total += weight;
  if (total <= 0) return Outcome::Whole;
  double pick = Uniform() * total;
  for (const auto& [weight, outcome] : table) {
    if (pick < weight) return outcome;
    pick -= weight;
  }
  return table[std::size(table) - 1].second;
}

double FaultPlan::Uniform() {
  // The 53 high bits: the <random> distributions differ between libraries.
  return static_cast<double>(random_() >> 11) * 0x1.0p-53;
}

std::optional<double> ParseRate(std::string_view text) {
  double value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value) || value < 0 || value > 1)
    return std::nullopt;
  return value;
}

}  // namespace faults
