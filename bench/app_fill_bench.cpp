// Filling the item list from a catalogue answer: fetch from a loopback server, parse,
// walk, and one row plus one record per entry. Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/app_fill_bench
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <string>
#include <thread>

#include "app_state.h"
#include "bench_app.h"
#include "catalogue_items.h"
#include "catalogue_query.h"
#include "report_list.h"

namespace {

std::string CatalogueOf(int64_t entries) {
  std::string xml = "<catalogue><album title=\"Bench\"/><section><group kind=\"pictures\">";
  for (int64_t i = 1; i <= entries; ++i)
    xml += "<entry><image src=\"http://127.0.0.1:1/pictures/" + std::to_string(i) + ".jpg\"/></entry>";
  return xml + "</group></section></catalogue>";
}

// A loopback server with one catalogue per size asked for, and the main window.
class FillBench {
 public:
  FillBench() {
    BenchAppStart();
    server_.Get(R"(/c/(\d+)\.xml)", [](const httplib::Request& request, httplib::Response& response) {
      response.set_content(CatalogueOf(std::stoll(request.matches[1])), "application/xml");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~FillBench() {
    server_.stop();
    thread_.join();
  }
  Text Address(int64_t entries) const {
    return TextFromUtf8("http://127.0.0.1:" + std::to_string(port_) + "/c/" + std::to_string(entries) + ".xml");
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

FillBench& Bench() {
  static FillBench bench;
  return bench;
}

void BM_FillCatalogue(benchmark::State& state) {
  const Text address = Bench().Address(state.range(0));
  for (auto _ : state) {
    CatalogueItemsClear();
    ListRemoveAllItems(kItemList);
    FillCatalogue(address);
    if (CatalogueItemsCount() != state.range(0)) state.SkipWithError("not every entry was listed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillCatalogue)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
