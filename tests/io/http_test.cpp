#include "http.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "http_test_server.h"
#include "memory.h"

namespace {

using trawl_test::HttpTestServer;
using trawl_test::MakeBody;
using Clock = std::chrono::steady_clock;

struct BlockDeleter {
  void operator()(uint8_t* block) const { MemoryFree(block); }
};
using Block = std::unique_ptr<uint8_t, BlockDeleter>;

std::string Bytes(const Block& block) {
  return block ? std::string(reinterpret_cast<const char*>(block.get()),
                             static_cast<size_t>(MemorySize(block.get())))
               : std::string();
}

Block Fetch(const HttpTestServer& server, std::string_view path, int flags = 0) {
  return Block(FetchToMemoryBlock(server.UrlText(path), flags));
}

std::string Headers(const HttpTestServer& server, std::string_view path, int flags = 0) {
  return TextToUtf8(FetchHeaders(server.UrlText(path), flags));
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// What a poller sees of one asynchronous transfer, up to its end state.
struct Observed {
  int64_t end = 0;
  std::vector<int64_t> running;  // the non-negative values, in order
};

Observed WaitForEnd(int64_t transfer, std::chrono::seconds limit = std::chrono::seconds(30)) {
  Observed seen;
  const auto deadline = Clock::now() + limit;
  for (int64_t p = TransferProgress(transfer); Clock::now() < deadline; p = TransferProgress(transfer)) {
    if (p < 0) {
      seen.end = p;
      return seen;
    }
    seen.running.push_back(p);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return seen;
}

void WaitForProgress(int64_t transfer, int64_t atLeast) {
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (TransferProgress(transfer) < atLeast && TransferProgress(transfer) >= 0 &&
         Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override { server_.Start(); }
  HttpTestServer server_;
};

TEST_F(HttpTest, BodiesArriveWholeAndExactlySizedWhateverTheStatus) {
  for (size_t size : {1u, 1000u, 16385u, 3000000u}) {
    Block block = Fetch(server_, "/bytes/" + std::to_string(size));
    ASSERT_TRUE(block) << size;
    EXPECT_EQ(Bytes(block), MakeBody(size)) << size;
  }
  // Status codes are not examined: the 404 page is the data.
  EXPECT_EQ(Bytes(Fetch(server_, "/missing")), "<html><body><h1>404 Not Found</h1></body></html>");
  // More bytes than announced: only the announced ones count.
  EXPECT_EQ(Bytes(Fetch(server_, "/overlong/1000/1500")), MakeBody(1000));
  // The extra bytes spoil the kept connection; the next request must not pay for that.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Bytes(Fetch(server_, "/overlong/1000/9000")), MakeBody(1000));
    EXPECT_NE(Headers(server_, "/bytes/10"), "");
  }
}

TEST_F(HttpTest, EmptyBodiesBrokenTransfersAndBadAddressesFail) {
  EXPECT_FALSE(Fetch(server_, "/empty"));
  EXPECT_FALSE(Fetch(server_, "/drop/5000/2000"));
  EXPECT_EQ(FetchToMemory(u""), 0);
  EXPECT_EQ(FetchToMemory(u"", kFetchAsync), 0);
  EXPECT_EQ(FetchToMemory(u"not an address"), 0);
  // Only http and https are fetched.
  EXPECT_EQ(FetchToMemory(u"file:///etc/hostname"), 0);
  EXPECT_EQ(FetchHeaders(u"file:///etc/hostname"), u"");
  // Cut at the NUL the address would name a resource that exists.
  const Text cut = server_.UrlText("/bytes/10") + Text(1, u'\0') + u"/../missing";
  EXPECT_EQ(FetchToMemory(cut), 0);
  EXPECT_EQ(FetchHeaders(cut), u"");

  const int64_t transfer = FetchToMemory(server_.UrlText("/empty"), kFetchAsync);
  ASSERT_NE(transfer, 0);
  EXPECT_EQ(WaitForEnd(transfer).end, kTransferFailed);
  EXPECT_EQ(FinishTransfer(transfer), nullptr);
}

TEST_F(HttpTest, ARefusedConnectionFails) {
  const int port = server_.Port();
  server_.Stop();
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/bytes/10";
  EXPECT_EQ(FetchToMemory(Text(url.begin(), url.end())), 0);
  EXPECT_EQ(FetchHeaders(Text(url.begin(), url.end())), u"");
}

TEST_F(HttpTest, TheUserAgentIsSentWithEveryRequest) {
  Fetch(server_, "/bytes/10");
  FetchHeaders(server_.UrlText("/bytes/10"), 0, u"Probe/1.0");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].userAgent, "Mozilla/5.0 Gecko/41.0 Firefox/41.0");
  EXPECT_EQ(requests[1].method, "HEAD");
  EXPECT_EQ(requests[1].userAgent, "Probe/1.0");
}

TEST_F(HttpTest, OneConnectionCarriesEveryKindOfRequestInTurn) {
  EXPECT_NE(Headers(server_, "/bytes/10"), "");
  EXPECT_EQ(Bytes(Fetch(server_, "/bytes/100")), MakeBody(100));
  const int64_t transfer = FetchToMemory(server_.UrlText("/bytes/1000"), kFetchAsync);
  EXPECT_EQ(WaitForEnd(transfer).end, kTransferCompleted);
  EXPECT_EQ(Bytes(Block(FinishTransfer(transfer))), MakeBody(1000));
  EXPECT_EQ(Bytes(Fetch(server_, "/missing")).empty(), false);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  for (const auto& request : requests) EXPECT_EQ(request.remotePort, requests[0].remotePort) << request.path;
}

TEST_F(HttpTest, AWaitForATransferEndsAsSoonAsTheTransferDoes) {
  const int64_t transfer = FetchToMemory(server_.UrlText("/slow/2048/100"), kFetchAsync);
  const auto start = Clock::now();
  int64_t progress = TransferWait(transfer, 5000);
  EXPECT_EQ(progress, kTransferCompleted);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
  EXPECT_EQ(TransferWait(transfer, 5000), kTransferCompleted);  // ended: no wait at all
  Block(FinishTransfer(transfer));
  EXPECT_EQ(TransferWait(transfer, 10), kTransferFailed);  // released
}

TEST_F(HttpTest, TheBlockIsTheAnnouncedLengthElseGrowsPastItsFirstHalfMebibyte) {
  for (size_t size : {size_t{524288}, size_t{3000001}}) {
    const int64_t announced = FetchToMemory(server_.UrlText("/bytes/" + std::to_string(size)), kFetchAsync);
    ASSERT_EQ(WaitForEnd(announced).end, kTransferCompleted);
    EXPECT_EQ(TransferCapacity(announced), static_cast<int64_t>(size));
    EXPECT_EQ(Bytes(Block(FinishTransfer(announced))), MakeBody(size));
  }

  const int64_t exact = FetchToMemory(server_.UrlText("/chunked/524288"), kFetchAsync);
  ASSERT_EQ(WaitForEnd(exact).end, kTransferCompleted);
  EXPECT_EQ(TransferCapacity(exact), kFetchGrowthStep);
  EXPECT_EQ(Bytes(Block(FinishTransfer(exact))), MakeBody(524288));

  const int64_t over = FetchToMemory(server_.UrlText("/chunked/524289"), kFetchAsync);
  ASSERT_EQ(WaitForEnd(over).end, kTransferCompleted);
  // The overflowing chunk plus one more step: libcurl's chunks are 1 to 16 KiB.
  const int64_t chunk = TransferCapacity(over) - 2 * kFetchGrowthStep;
  EXPECT_GE(chunk, 1);
  EXPECT_LE(chunk, CURL_MAX_WRITE_SIZE);
  Block block(FinishTransfer(over));
  EXPECT_EQ(MemorySize(block.get()), 524289);
  EXPECT_EQ(Bytes(block), MakeBody(524289));
}

TEST_F(HttpTest, AsynchronousTransfersReportGrowingProgressThenCompletion) {
  const int64_t transfer = FetchToMemory(server_.UrlText("/slow/20480/20"), kFetchAsync);
  ASSERT_NE(transfer, 0);
  const Observed seen = WaitForEnd(transfer);
  ASSERT_EQ(seen.end, kTransferCompleted);
  ASSERT_FALSE(seen.running.empty());
  for (size_t i = 1; i < seen.running.size(); ++i) EXPECT_GE(seen.running[i], seen.running[i - 1]);
  EXPECT_GT(seen.running.back(), 0);
  EXPECT_LE(seen.running.back(), 20480);
  // The end state stays put and the data are handed over once.
  EXPECT_EQ(TransferProgress(transfer), kTransferCompleted);
  EXPECT_EQ(Bytes(Block(FinishTransfer(transfer))), MakeBody(20480));
  EXPECT_EQ(TransferProgress(transfer), kTransferFailed);  // released
  EXPECT_EQ(FinishTransfer(transfer), nullptr);
}

TEST_F(HttpTest, AnAbortDuringTheBodyReadsZeroUntilTheTransferEndsAborted) {
  const int64_t transfer = FetchToMemory(server_.UrlText("/slow/400000/10"), kFetchAsync);
  WaitForProgress(transfer, 2048);
  ASSERT_GT(TransferProgress(transfer), 0);
  RequestTransferAbort(transfer);
  const Observed seen = WaitForEnd(transfer);
  EXPECT_EQ(seen.end, kTransferAborted);
  for (int64_t value : seen.running) EXPECT_EQ(value, 0);
  EXPECT_EQ(FinishTransfer(transfer), nullptr);
}

TEST_F(HttpTest, AnAbortEndsTransfersThatReceiveNothingWithinAboutASecond) {
  for (const char* path : {"/hang", "/stall/5000"}) {
    const int64_t transfer = FetchToMemory(server_.UrlText(path), kFetchAsync);
    ASSERT_NE(transfer, 0);
    if (std::string(path) == "/stall/5000") WaitForProgress(transfer, 5000);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // well into the silence
    ASSERT_GE(TransferProgress(transfer), 0) << path;
    RequestTransferAbort(transfer);
    const Observed seen = WaitForEnd(transfer, std::chrono::seconds(3));
    EXPECT_EQ(seen.end, kTransferAborted) << path;
    EXPECT_EQ(FinishTransfer(transfer), nullptr);
  }
}

TEST_F(HttpTest, BodiesOverTheLimitFailWhetherAnnouncedOrNot) {
  struct Case {
    const char* path;
    int64_t limit;
    bool arrives;
  };
  for (const Case& c : {Case{"/bytes/5000", 5000, true}, Case{"/bytes/5001", 5000, false},
                        Case{"/chunked/5001", 5000, false}, Case{"/overlong/1000/9000", 1000, true},
                        Case{"/bytes/10", 0, false}}) {
    Block block(FetchToMemoryBlock(server_.UrlText(c.path), 0, kDefaultUserAgent, c.limit));
    EXPECT_EQ(block != nullptr, c.arrives) << c.path;
    const int64_t transfer =
        FetchToMemory(server_.UrlText(c.path), kFetchAsync, kDefaultUserAgent, c.limit);
    EXPECT_EQ(WaitForEnd(transfer).end, c.arrives ? kTransferCompleted : kTransferFailed) << c.path;
    Block(FinishTransfer(transfer));
  }
}

TEST_F(HttpTest, AHeaderRequestEndsSoonAfterItsAbortFlagIsSet) {
  std::atomic<int64_t> abort{0};
  EXPECT_NE(FetchHeaders(server_.UrlText("/bytes/10"), 0, kDefaultUserAgent, &abort), u"");
  std::thread setter([&abort] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    abort = 1;
  });
  const auto start = Clock::now();
  EXPECT_EQ(FetchHeaders(server_.UrlText("/hang"), 0, kDefaultUserAgent, &abort), u"");
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
  setter.join();
}

TEST_F(HttpTest, ATransferThatReceivesNothingForTheStallLimitFails) {
  FetchSetStallSeconds(1);
  EXPECT_FALSE(Fetch(server_, "/stall/1"));
  EXPECT_EQ(FetchHeaders(server_.UrlText("/hang")), u"");
  FetchSetStallSeconds(0);
}

TEST_F(HttpTest, ALateAbortLeavesTheEndStateAlone) {
  const int64_t transfer = FetchToMemory(server_.UrlText("/bytes/3000"), kFetchAsync);
  ASSERT_EQ(WaitForEnd(transfer).end, kTransferCompleted);
  RequestTransferAbort(transfer);
  EXPECT_EQ(TransferProgress(transfer), kTransferCompleted);
  EXPECT_EQ(Bytes(Block(FinishTransfer(transfer))), MakeBody(3000));
}

TEST_F(HttpTest, AbortsRacingTheEndStillGiveEveryTransferOneVisibleEnd) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    const int64_t transfer = FetchToMemory(server_.UrlText("/bytes/20000"), kFetchAsync);
    ASSERT_NE(transfer, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
    if (TransferProgress(transfer) >= 0) RequestTransferAbort(transfer);
    const Observed seen = WaitForEnd(transfer, std::chrono::seconds(10));
    ASSERT_TRUE(seen.end == kTransferCompleted || seen.end == kTransferAborted) << seen.end;
    Block block(FinishTransfer(transfer));
    EXPECT_EQ(block != nullptr, seen.end == kTransferCompleted);
    if (block) EXPECT_EQ(Bytes(block), MakeBody(20000));
  }
}

TEST_F(HttpTest, FinishingARunningTransferStopsItWithoutData) {
  const int64_t transfer = FetchToMemory(server_.UrlText("/hang"), kFetchAsync);
  EXPECT_EQ(FinishTransfer(transfer), nullptr);
  EXPECT_EQ(TransferProgress(transfer), kTransferFailed);  // no longer known
  EXPECT_EQ(TransferProgress(0), kTransferFailed);
  RequestTransferAbort(0);
  EXPECT_EQ(FinishTransfer(0), nullptr);
  // Let the orphaned transfer notice the abort before the server goes.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
}

TEST_F(HttpTest, RedirectsAreFollowedByBothFetchesUnlessForbidden) {
  EXPECT_EQ(Bytes(Fetch(server_, "/redirect/3")), MakeBody(1000));
  const std::string headers = Headers(server_, "/redirect/2");
  // One block per response, in order, each ending with its empty line.
  const size_t first = headers.find("HTTP/1.1 302");
  const size_t second = headers.find("HTTP/1.1 301", first);
  const size_t third = headers.find("HTTP/1.1 302", second);
  const size_t last = headers.find("HTTP/1.1 200", third);
  EXPECT_EQ(first, 0u) << headers;
  EXPECT_NE(second, std::string::npos) << headers;
  EXPECT_NE(third, std::string::npos) << headers;
  EXPECT_NE(last, std::string::npos) << headers;
  EXPECT_EQ(Count(headers, "\r\n\r\n"), 4u);
  EXPECT_EQ(Count(headers, "Location: "), 3u);
  EXPECT_NE(headers.find("Content-Length: 1000\r\n", last), std::string::npos);
  EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");

  const size_t before = server_.Requests().size();
  EXPECT_FALSE(Fetch(server_, "/redirect/1", kFetchNoRedirects));  // a redirect has no body
  const std::string one = Headers(server_, "/redirect/1", kFetchNoRedirects);
  EXPECT_EQ(one.rfind("HTTP/1.1 301", 0), 0u);
  EXPECT_EQ(Count(one, "HTTP/1.1"), 1u);
  EXPECT_EQ(server_.Requests().size(), before + 2);
}

TEST_F(HttpTest, AnEndlessRedirectLoopFailsAfterFiftyRedirects) {
  EXPECT_FALSE(Fetch(server_, "/loop"));
  EXPECT_EQ(server_.Requests().size(), static_cast<size_t>(kFetchMaxRedirects + 1));
  EXPECT_EQ(Headers(server_, "/loop"), "");
  const int64_t transfer = FetchToMemory(server_.UrlText("/loop"), kFetchAsync);
  EXPECT_EQ(WaitForEnd(transfer).end, kTransferFailed);
  FinishTransfer(transfer);
}

TEST_F(HttpTest, HeaderQueriesReportTheLengthOnlyWhenTheServerAnnouncesIt) {
  const std::string announced = Headers(server_, "/text/500");
  EXPECT_EQ(announced.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << announced;
  EXPECT_NE(announced.find("Content-Length: 500\r\n"), std::string::npos) << announced;
  const std::string chunked = Headers(server_, "/chunked/500");
  EXPECT_EQ(chunked.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << chunked;
  EXPECT_EQ(chunked.find("Content-Length"), std::string::npos) << chunked;
  for (const auto& request : server_.Requests()) EXPECT_EQ(request.method, "HEAD");
}

TEST(UrlDecodeTest, EscapesAndBlanksDecodeUntilABrokenEscape) {
  EXPECT_EQ(UrlDecode(u"a%2Bb+c", 2), u"a+b c");
  EXPECT_EQ(UrlDecode(u"50%", 2), u"50");
  EXPECT_EQ(UrlDecode(u"%zz1", 2), u"");
  EXPECT_EQ(UrlDecode(u"ab%4", 2), u"ab");
  EXPECT_EQ(UrlDecode(u"x%4g", 2), u"x");
  EXPECT_EQ(UrlDecode(u"x%\u0664\u0661y", 2), u"x");  // digits, but not hex digits
  EXPECT_EQ(UrlDecode(u"%41%62%2f%2F", 0), u"Ab//");
  EXPECT_EQ(UrlDecode(u"", 2), u"");
}

TEST(UrlDecodeTest, ModeTwoReadsUtf8AndOtherModesLatin1) {
  EXPECT_EQ(UrlDecode(u"caf%C3%A9", 2), u"caf\u00E9");
  EXPECT_EQ(UrlDecode(u"caf%C3%A9", 0), u"caf\u00C3\u00A9");
  EXPECT_EQ(UrlDecode(u"caf%e9", 1), u"caf\u00E9");
  // Characters that are not escapes keep only their low byte.
  EXPECT_EQ(UrlDecode(u"\u20AC", 0), u"\u00AC");
}

}  // namespace
