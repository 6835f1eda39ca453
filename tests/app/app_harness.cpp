#include "app_harness.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>

#include "app_state.h"
#include "gadgets.h"
#include "report_list.h"
#include "startup.h"
#include "statusbar.h"
#include "toolkit_windows.h"

using namespace std::chrono_literals;

namespace {

// The main thread's work: runs of the application asked for by the tests.
std::mutex jobLock;
std::condition_variable jobSignal;
std::optional<TextTable> pendingTable;
std::optional<int> exitCode;
bool testsFinished = false;

// The tests' work for the UI thread waits in a queue under courierLock, and its state
// changes under that lock; the platform's courier carries only a wake-up. So the hand-over
// in both directions is visible to ThreadSanitizer, which cannot see the platform's locks.
struct UiCall {
  enum class State { Queued, Running, Done, Dropped };
  std::function<void()> work;
  State state = State::Queued;
};

std::mutex courierLock;
std::condition_variable callEnded;
std::deque<std::shared_ptr<UiCall>> queuedCalls;
bool courierOpen = false;  // while the toolkit is up
bool wakePosted = false;

// Under courierLock.
void PostWake() {
  wakePosted = true;
  CourierWake();
}

// On the UI thread, for each wake-up: the next call still wanted, marked running. While
// calls remain a wake-up stays posted, so that a modal window this call opens (its nested
// event loop) goes on with them.
std::shared_ptr<UiCall> NextCall() {
  std::lock_guard lock(courierLock);
  std::shared_ptr<UiCall> next;
  while (!next && !queuedCalls.empty()) {
    next = std::move(queuedCalls.front());
    queuedCalls.pop_front();
    if (next->state == UiCall::State::Queued)
      next->state = UiCall::State::Running;
    else
      next.reset();  // its caller gave up
  }
  CourierRearm();
  wakePosted = false;
  if (!queuedCalls.empty()) {
    PostWake();
    CourierRearm();
  }
  return next;
}

void CallsArrived() {
  if (std::shared_ptr<UiCall> call = NextCall()) {
    call->work();
    {
      std::lock_guard lock(courierLock);
      call->state = UiCall::State::Done;
    }
    callEnded.notify_all();
  }
}

void ToolkitHook(bool started) {
  std::lock_guard lock(courierLock);
  if (started) {
    CourierOpen(&CallsArrived);
    courierOpen = true;
    wakePosted = false;
    return;
  }
  CourierClose();  // its pending wake-up goes with it
  courierOpen = false;
  for (const std::shared_ptr<UiCall>& call : queuedCalls) call->state = UiCall::State::Dropped;
  queuedCalls.clear();
  callEnded.notify_all();  // their waiters are released
}

bool CourierReady() {
  std::lock_guard lock(courierLock);
  return courierOpen;
}

// False when nothing could be posted (the application is not running).
bool PostToUi(std::shared_ptr<UiCall> call) {
  std::lock_guard lock(courierLock);  // the courier is not closed under a post
  if (!courierOpen) return false;
  queuedCalls.push_back(std::move(call));
  if (!wakePosted) PostWake();
  return true;
}

// Posts `work` to the UI thread and waits for it; false when it was dropped (the end of
// the run) or late. Late work that has not started is given up, so that it never touches
// the caller's gone stack; work already under way is waited for.
bool RunOnUi(std::function<void()> work, std::chrono::milliseconds timeout) {
  auto call = std::make_shared<UiCall>();
  call->work = std::move(work);
  if (!PostToUi(call)) return false;
  using State = UiCall::State;
  std::unique_lock lock(courierLock);
  const auto ended = [&call] {
    return call->state == State::Done || call->state == State::Dropped;
  };
  if (!callEnded.wait_for(lock, timeout, ended)) {
    if (call->state == State::Queued) {
      call->state = State::Dropped;
      return false;
    }
    callEnded.wait(lock, ended);
  }
  return call->state == State::Done;
}

std::string Html404() { return "<html><body><h1>404 Not Found</h1></body></html>"; }

}  // namespace

int AppHarnessRunTests(int argc, char** argv) {
  AppSetToolkitHook(&ToolkitHook);
  int result = 0;
  std::thread tests([&result] {
    result = RUN_ALL_TESTS();
    std::lock_guard lock(jobLock);
    testsFinished = true;
    jobSignal.notify_all();
  });
  std::unique_lock lock(jobLock);
  for (;;) {
    jobSignal.wait(lock, [] { return testsFinished || pendingTable.has_value(); });
    if (!pendingTable) break;
    TextTable table = *pendingTable;
    pendingTable.reset();
    lock.unlock();
    const int code = AppMain(argc, argv, table);
    lock.lock();
    exitCode = code;
    jobSignal.notify_all();
  }
  lock.unlock();
  tests.join();
  return result;
}

// ---- TestWebServer ----

TestWebServer::TestWebServer() {
  // The program keeps connections open for its next request; the server's end waits for
  // them, so they must not idle long.
  server_.set_keep_alive_timeout(1);
  server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Answer(request, response);
  });
  port_ = server_.bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running()) std::this_thread::sleep_for(1ms);
}

TestWebServer::~TestWebServer() {
  server_.stop();
  thread_.join();
}

std::string TestWebServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TestWebServer::Serve(const std::string& path, std::string body, std::string contentType,
                          int status) {
  Handle(path, [body = std::move(body), contentType = std::move(contentType), status](
                   const httplib::Request&, httplib::Response& response) {
    response.status = status;
    response.set_content(body, contentType.c_str());
  });
}

void TestWebServer::Handle(const std::string& path, Handler handler) {
  std::lock_guard lock(lock_);
  routes_[path] = std::move(handler);
}

int TestWebServer::Hits(const std::string& path) const {
  std::lock_guard lock(lock_);
  auto it = hits_.find(path);
  return it == hits_.end() ? 0 : it->second;
}

void TestWebServer::Answer(const httplib::Request& request, httplib::Response& response) {
  Handler handler;
  {
    std::lock_guard lock(lock_);
    ++hits_[request.path];
    auto it = routes_.find(request.path);
    if (it != routes_.end()) handler = it->second;
  }
  if (handler) {
    handler(request, response);
    return;
  }
  response.status = 404;
  response.set_content(Html404(), "text/html");
}

// ---- Test texts ----

TestAddresses TestAddressesFor(int port) {
  const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
  TestAddresses addresses;
  addresses.cataloguePrefix = base + std::string(35 - base.size(), 'c');
  addresses.firstTemplate = base + "series/";
  addresses.secondTemplate = base + "yearly/";
  addresses.suffix = ".xml";
  return addresses;
}

TextTable TestTextTable(int port) {
  const TestAddresses addresses = TestAddressesFor(port);
  const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
  return TextTable::BuiltIn()
      .With(TextRole::ConnectivityFirst, TextFromUtf8(base + "ping"))
      .With(TextRole::ConnectivitySecond, TextFromUtf8(base))
      .With(TextRole::CataloguePrefix, TextFromUtf8(addresses.cataloguePrefix))
      .With(TextRole::FirstTemplatePrefix, TextFromUtf8(addresses.firstTemplate))
      .With(TextRole::SecondTemplatePrefix, TextFromUtf8(addresses.secondTemplate))
      .With(TextRole::TemplateSuffix, TextFromUtf8(addresses.suffix));
}

// ---- AppRun ----

AppRun::~AppRun() {
  if (launched_) Stop();
}

void AppRun::Launch(const TextTable& table) {
  {
    std::lock_guard lock(jobLock);
    exitCode.reset();
    pendingTable = table;
  }
  jobSignal.notify_all();
  launched_ = true;
  watching_ = true;
  boxWatcher_ = std::thread([this] { AnswerBoxesWhileRunning(); });
}

bool AppRun::Start(const TextTable& table) {
  Launch(table);
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!CourierReady()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return WaitUntil(
      [] { return WindowGetHandle(kMainWindow) != 0 && WindowIsHidden(kMainWindow) == 0; }, 20s);
}

std::optional<int> AppRun::WaitForExit(std::chrono::milliseconds timeout) {
  std::unique_lock lock(jobLock);
  if (!jobSignal.wait_for(lock, timeout, [] { return exitCode.has_value(); })) return std::nullopt;
  lock.unlock();
  watching_ = false;
  if (boxWatcher_.joinable()) boxWatcher_.join();
  launched_ = false;
  std::lock_guard again(jobLock);
  return exitCode;
}

int AppRun::Stop() {
  if (!launched_) return -1;
  // A popup or dialog a failed test left open would hold the event loop.
  RunOnUi(&CloseLeftovers, 10s);
  RunOnUi(&CloseMainWindow, 10s);
  std::optional<int> code = WaitForExit();
  EXPECT_TRUE(code.has_value()) << "the application did not end after its window closed";
  return code.value_or(-1);
}

bool AppRun::OnUi(std::function<void()> work) {
  const bool done = RunOnUi(std::move(work), 30s);
  EXPECT_TRUE(done) << "the UI thread did not carry out the test's work";
  return done;
}

void AppRun::OnUiLater(std::function<void()> work) {
  auto call = std::make_shared<UiCall>();
  call->work = std::move(work);
  EXPECT_TRUE(PostToUi(std::move(call))) << "the application is not running";
}

bool AppRun::WaitUntil(std::function<bool()> condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    bool holds = false;
    if (RunOnUi([&] { holds = condition(); }, timeout) && holds) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
}

std::vector<MessageBoxSeen> AppRun::Boxes() const {
  std::lock_guard lock(boxesLock_);
  return boxes_;
}

void AppRun::ForgetBoxes() {
  std::lock_guard lock(boxesLock_);
  boxes_.clear();
}

void AppRun::AnswerBoxesWhileRunning() {
  while (watching_) {
    if (answerBoxes_) {
      std::optional<MessageBoxSeen> seen;
      RunOnUi([&seen] { seen = AnswerMessageBox(); }, 2s);
      if (seen) {
        std::lock_guard lock(boxesLock_);
        boxes_.push_back(*seen);
      }
    }
    std::this_thread::sleep_for(20ms);
  }
}

void AppRun::Give(std::function<void()> input) {
  OnUi(std::move(input));
  // Handling may take long: a query of a huge catalogue fills the list on the UI thread,
  // and under Wine 100 000 rows take from 15 to 40 seconds.
  EXPECT_TRUE(WaitUntil(&InputSettled, 90s)) << "the input was not handled";
  OnUi([] {});  // after what handling the input posted
}

void AppRun::Focus(int64_t gadget) {
  Give([gadget] { FocusGadget(gadget); });
}

void AppRun::Search(const Text& query) {
  Give([&query] {
    FocusGadget(kSearchField);
    SetFieldText(kSearchField, u"");
    TypeText(query);
    ::PressKey(UiKey::Return);
  });
}

void AppRun::PressKey(UiKey key, bool control) {
  Give([key, control] { ::PressKey(key, control); });
}

std::vector<std::array<Text, 4>> AppRun::Rows() {
  std::vector<std::array<Text, 4>> rows;
  OnUi([&rows] {
    const int64_t count = ListItemCount(kItemList);
    rows.resize(static_cast<size_t>(count));
    for (int64_t row = 0; row < count; ++row)
      for (int64_t column = 0; column < 4; ++column)
        rows[static_cast<size_t>(row)][static_cast<size_t>(column)] =
            ListGetCellText(kItemList, row, column);
  });
  return rows;
}

Text AppRun::StatusText() {
  return OnUiValue<Text>([] { return StatusbarGetText(kMainStatusbar, kStatusField); });
}
