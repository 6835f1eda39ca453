// Costs of the event service's hot paths and of the text operations the catalogue query
// uses on long texts.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "event_platform.h"
#include "events.h"
#include "text.h"

namespace {

int64_t dispatched = 0;
int CountDispatch() { return static_cast<int>(++dispatched & 0); }

void FreshEventService() {
  EventServiceEnd();
  EventServiceInit();
  EventBind(kEventGadget, CountDispatch, 0);
  EventBind(kEventGadget, CountDispatch, -1, 3, 0);
  EventBind(kFirstCustomEvent, CountDispatch);
}

// One toolkit event raised (five lookups, two of them hit) and taken again.
void RaiseAndTake(benchmark::State& state) {
  FreshEventService();
  int64_t object = 0;
  for (auto _ : state) {
    EventRaise(kEventGadget, 0, object++ & 7, 0, 0, false);
    benchmark::DoNotOptimize(EventWait(0));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RaiseAndTake);

// A burst of distinct events queued, then drained: exercises the record pool.
void RaiseBurstThenDrain(benchmark::State& state) {
  FreshEventService();
  const int64_t burst = state.range(0);
  for (auto _ : state) {
    for (int64_t i = 0; i < burst; ++i) EventRaise(kEventGadget, 1, i, 0, 0, false);
    while (EventWait(0) != 0) {
    }
  }
  state.SetItemsProcessed(state.iterations() * burst);
}
BENCHMARK(RaiseBurstThenDrain)->Arg(16)->Arg(1024);

// Events posted by another thread, delivered and taken on this one.
void PostAndDeliverAcrossThreads(benchmark::State& state) {
  FreshEventService();
  constexpr int kBatch = 10000;
  for (auto _ : state) {
    std::thread poster([] {
      for (int i = 0; i < kBatch; ++i) EventPost(kFirstCustomEvent, 0, 0, 0, static_cast<uint64_t>(i));
    });
    for (int taken = 0; taken < kBatch;)
      if (EventWait(1000) == kFirstCustomEvent) ++taken;
    poster.join();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(PostAndDeliverAcrossThreads)->Unit(benchmark::kMillisecond);

Text LongRecordText(int fields) {
  Text text;
  for (int i = 0; i < fields; ++i) text += u"entry-" + TextFromInt(i) + u"  name.jpg,";
  return text;
}

void FieldOfLongText(benchmark::State& state) {
  Text text = LongRecordText(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TextField(text, state.range(0) / 2, u","));
  // The middle field: half of the text's units, two bytes each, are scanned.
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(FieldOfLongText)->Arg(1000)->Arg(10000);

void ReplaceInLongText(benchmark::State& state) {
  Text text = LongRecordText(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TextReplace(text, u"  ", u" "));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(ReplaceInLongText)->Arg(1000)->Arg(10000);

}  // namespace
