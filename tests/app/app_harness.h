#pragma once
// End-to-end harness of the application's tests. The process's main thread is the UI
// thread: it runs the real AppMain (start-up, event loop, orderly stop) whenever a test
// asks for it, while the tests themselves run on a second thread and reach the UI thread
// through OnUi. Message boxes are answered by the harness (OK), and their titles, texts
// and icons are recorded. The loopback web server serves catalogues and pictures on
// 127.0.0.1 with an ephemeral port.
#include <httplib.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "texts.h"
#include "ui_driver.h"

// Runs every test on a second thread while the calling (main) thread serves the runs of
// the application. Returns RUN_ALL_TESTS's result. Call from main after InitGoogleTest.
int AppHarnessRunTests(int argc, char** argv);

// A loopback HTTP server on 127.0.0.1 with an ephemeral port. Routes may be added at
// any time; unknown paths answer 404 with a small HTML page.
class TestWebServer {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  TestWebServer();
  ~TestWebServer();
  TestWebServer(const TestWebServer&) = delete;
  TestWebServer& operator=(const TestWebServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `path`.
  std::string Url(const std::string& path) const;
  // Answers GET (and HEAD) of `path` with the body.
  void Serve(const std::string& path, std::string body,
             std::string contentType = "application/xml", int status = 200);
  void Handle(const std::string& path, Handler handler);
  // Requests received for `path` so far.
  int Hits(const std::string& path) const;

 private:
  void Answer(const httplib::Request& request, httplib::Response& response);

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex lock_;
  std::map<std::string, Handler> routes_;
  std::map<std::string, int> hits_;
};

// Service addresses of a test text table, all on the test server.
struct TestAddresses {
  std::string cataloguePrefix;  // exactly 35 characters
  std::string firstTemplate;    // first numbers 900..926
  std::string secondTemplate;   // first number 365
  std::string suffix;
};
TestAddresses TestAddressesFor(int port);
// The built-in table with every service address pointing at a server on `port`.
TextTable TestTextTable(int port);

// One run of the application. Start it, drive it, stop it; the destructor stops a run
// that is still going.
class AppRun {
 public:
  AppRun() = default;
  ~AppRun();
  AppRun(const AppRun&) = delete;
  AppRun& operator=(const AppRun&) = delete;

  // Starts AppMain with the table and waits until the main window is shown (the start-up
  // notice answered). False when it does not appear in time.
  bool Start(const TextTable& table);
  // Starts AppMain without waiting for the window (for runs that end during start-up).
  void Launch(const TextTable& table);
  // Closes the main window as the user would and waits for the exit code (-1: none).
  int Stop();
  bool Running() const { return launched_; }
  // Waits for AppMain to return; its exit code, or nullopt when it did not in time.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // Runs `work` on the UI thread and waits for it. False when the UI thread did not get
  // to it in time (the test then fails).
  bool OnUi(std::function<void()> work);
  // Posts `work` to the UI thread without waiting (for work that opens a popup menu or
  // a modal window and so returns only once the test has closed it).
  void OnUiLater(std::function<void()> work);
  template <class Result>
  Result OnUiValue(std::function<Result()> work) {
    Result result{};
    OnUi([&] { result = work(); });
    return result;
  }
  // Polls `condition` on the UI thread until it holds; false on time-out.
  bool WaitUntil(std::function<bool()> condition,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // Message boxes answered so far, oldest first.
  std::vector<MessageBoxSeen> Boxes() const;
  void ForgetBoxes();
  // While off, message boxes stay open (a test answers them itself).
  void SetAnswerBoxes(bool on) { answerBoxes_ = on; }

  // Runs the driver's input calls in `input` on the UI thread and waits until the input
  // has been handled.
  void Give(std::function<void()> input);
  // Gives the gadget the keyboard focus in the active main window.
  void Focus(int64_t gadget);
  // Types `query` into the search field (replacing its text) and presses Return there.
  void Search(const Text& query);
  void Search(const std::string& query) { Search(TextFromUtf8(query)); }
  // Presses a key, with Control when `control`, on the gadget that has the focus.
  void PressKey(UiKey key, bool control = false);
  // Column texts of every row, and the first status field.
  std::vector<std::array<Text, 4>> Rows();
  Text StatusText();

 private:
  void AnswerBoxesWhileRunning();

  std::atomic<bool> answerBoxes_{true};
  std::atomic<bool> launched_{false};
  std::atomic<bool> watching_{false};
  std::thread boxWatcher_;
  mutable std::mutex boxesLock_;
  std::vector<MessageBoxSeen> boxes_;
};
