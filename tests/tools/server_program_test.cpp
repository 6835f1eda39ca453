#include "server_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "catalogue_checks.h"

extern char** environ;

namespace {

using catalogue::RunServerProgram;

// The real program as a child process, its first line of output read with a guard so
// that a silent or hung child fails the test instead of stalling it.
class Child {
 public:
  explicit Child(std::vector<std::string> args, const std::filesystem::path& errorFile) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    args.insert(args.begin(), TRAWL_CATALOGUE_SERVER_BINARY);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    output_ = out[0];
  }
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) ::close(output_);
  }

  std::string FirstLine() {
    std::string line;
    char c;
    pollfd wanted{output_, POLLIN, 0};
    while (::poll(&wanted, 1, 20000) == 1 && ::read(output_, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  // The exit code, or -1 when the child was killed or did not end in time.
  int Wait() {
    for (int tries = 0; tries < 400 && pid_ > 0; ++tries) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }

  void Signal(int number) { ::kill(pid_, number); }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
};

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int PortOf(const std::string& firstLine) {
  std::smatch match;
  static const std::regex listening(R"(listening on http://127\.0\.0\.1:(\d+)/)");
  return std::regex_match(firstLine, match, listening) ? std::stoi(match[1]) : 0;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { temp_.Write("album/a.jpg", checks::TinyJpeg(32, 24)); }
  std::string Folder() const { return (temp_.Path() / "album").string(); }
  std::filesystem::path ErrorFile() const { return temp_.Path() / "stderr.txt"; }

  checks::TempFolder temp_;
};

TEST_F(ProgramTest, AsAProcessItAnnouncesItsPortServesAndStopsCleanlyOnSignals) {
  for (int stopSignal : {SIGTERM, SIGINT}) {
    Child child({"--port", "0", "--folder", Folder()}, ErrorFile());
    int port = PortOf(child.FirstLine());
    ASSERT_NE(port, 0);
    httplib::Client client("127.0.0.1", port);
    auto ping = client.Get("/trawl/ping");
    ASSERT_TRUE(ping);
    EXPECT_EQ(ping->status, 200);
    auto catalogue = client.Get("/trawl/catalog/sample.xml");
    ASSERT_TRUE(catalogue);
    checks::ReadCatalogue read = checks::Read(catalogue->body);
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].name, "album_a.jpg");
    EXPECT_EQ(read.rows[0].address,
              "http://127.0.0.1:" + std::to_string(port) + "/trawl/pictures/a.jpg");
    child.Signal(stopSignal);
    EXPECT_EQ(child.Wait(), 0) << "signal " << stopSignal;
    EXPECT_NE(ReadFile(ErrorFile()).find("\"GET /trawl/ping\" 200"), std::string::npos);
  }
}

TEST_F(ProgramTest, AsAProcessItExitsWithTwoForEachStartingError) {
  catalogue::CatalogueServer occupant(checks::Samples());
  std::string error;
  ASSERT_TRUE(occupant.Start("127.0.0.1", 0, error)) << error;
  std::filesystem::create_directories(temp_.Path() / "nothing");
  struct Case {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--folder", (temp_.Path() / "absent").string()}, "no such folder"},
      {{"--folder", (temp_.Path() / "nothing").string()}, "no pictures"},
      {{"--folder", Folder(), "--port", std::to_string(occupant.Port())}, "cannot listen"},
      {{"--bogus"}, "unknown argument"},
  };
  for (const Case& c : cases) {
    Child child(c.args, ErrorFile());
    EXPECT_EQ(child.FirstLine(), "") << c.says;
    EXPECT_EQ(child.Wait(), 2) << c.says;
    EXPECT_NE(ReadFile(ErrorFile()).find(c.says), std::string::npos) << ReadFile(ErrorFile());
  }
}

TEST_F(ProgramTest, InProcessTheFirstLineNamesThePortTheServerHolds) {
  std::ostringstream out, err;
  int seenPort = -1;
  int code = RunServerProgram({"--folder=" + Folder(), "--port=0"}, out, err,
                              [&](const catalogue::CatalogueServer& server) {
                                seenPort = PortOf(out.str().substr(0, out.str().find('\n')));
                                EXPECT_EQ(seenPort, server.Port());
                                httplib::Client client("127.0.0.1", server.Port());
                                auto got = client.Get("/trawl/pictures/a.jpg");
                                EXPECT_TRUE(got && got->status == 200);
                              });
  EXPECT_EQ(code, 0);
  EXPECT_GT(seenPort, 0);
  EXPECT_NE(err.str().find("/trawl/pictures/a.jpg\" 200"), std::string::npos) << err.str();
}

TEST(ProgramOptions, BadCommandLinesAreUsageErrorsAndHelpDescribesTheRoutes) {
  auto never = [](const catalogue::CatalogueServer&) { ADD_FAILURE() << "must not serve"; };
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--port", "70000"}, {"--port", "-1"}, {"--port", "80x"},
        {"--port"}, {"--folder"}, {"--folder="}, {"--address"}, {"folder"}, {"--portal=1"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(RunServerProgram(args, out, err, never), 2) << args[0];
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
  }
  std::ostringstream out, err;
  EXPECT_EQ(RunServerProgram({"--help"}, out, err, never), 0);
  for (const char* word : {"--folder", "--address", "--port", "series", "yearly", "sample.xml"})
    EXPECT_NE(out.str().find(word), std::string::npos) << word;

  catalogue::ProgramOptions options;
  std::string error;
  ASSERT_TRUE(catalogue::ParseProgramOptions({"--port=0", "--address", "::1"}, options, error));
  EXPECT_EQ(options.port, 0);
  EXPECT_EQ(options.address, "::1");
  EXPECT_EQ(options.folder, "");
}

}  // namespace
