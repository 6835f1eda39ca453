#pragma once
// The fault server: the connectivity addresses Trawl checks at start, the soak catalogue
// and its pictures, whose fetches meet the faults a FaultPlan draws.
//
//   /, /trawl/ping               200
//   /trawl/catalog/soak.xml      the catalogue of every entry
//   /trawl/pictures/NAME         HEAD and GET of an entry's picture, perhaps faulty
//
// Each picture request is logged on one line when its answer has been sent (or given
// up): "SEQ MS METHOD PATH OUTCOME", SEQ numbering the requests in the order they arrived
// and MS the milliseconds since the server started.
// A GET's outcome is what the body was: whole, 404, reset, truncated, pause-then-whole or
// drip-then-whole ("closed" for a reset whose connection could not be found: it is closed
// instead), followed by " client-gone" when the client had gone before the end.
// A HEAD's is "head" or "slow-head"; the catalogue's "catalogue". The slow answers (a
// slow HEAD, a pause, a drip) also log a line as they begin, the outcome followed by
// " begun", so that a watcher can tell such an answer is under way.
//
// Start, Stop and the destructor belong to one thread.
#include <chrono>
#include <memory>
#include <string>

#include "fault_plan.h"
#include "picture_set.h"

namespace faults {

class FaultServer {
 public:
  FaultServer(std::shared_ptr<const catalogue::PictureSet> set, std::unique_ptr<FaultPlan> plan);
  ~FaultServer();
  FaultServer(const FaultServer&) = delete;
  FaultServer& operator=(const FaultServer&) = delete;

  // Every HEAD answers `delay` late (before Start): a size total then takes long enough to
  // be cancelled by hand.
  void SetHeadDelay(std::chrono::milliseconds delay);
  // Opens the log (made anew) and listens on 127.0.0.1:`port`. False with `error` set.
  bool Start(int port, const std::string& logPath, std::string& error);
  void Stop();
  bool IsRunning() const;
  std::string BaseUrl() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace faults
