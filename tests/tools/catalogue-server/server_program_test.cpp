#include "server_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "catalogue_checks.h"

namespace {

// The real program as a child process. Reading and waiting have guards, so that a
// silent or hung child fails the test instead of stalling it.
class Child {
 public:
  Child(std::vector<std::string> args, const std::filesystem::path& errorFile) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    args.insert(args.begin(), TRAWL_CATALOGUE_SERVER_BINARY);
    std::vector<char*> argv;  // made before the fork: the child may only exec
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    output_ = out[0];
  }
  ~Child() {
    if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
    ::close(output_);
  }

  // The port of the first line, "listening on http://127.0.0.1:PORT/", or 0.
  int AnnouncedPort() {
    std::string line;
    char c;
    pollfd wanted{output_, POLLIN, 0};
    while (::poll(&wanted, 1, 20000) == 1 && ::read(output_, &c, 1) == 1 && c != '\n') line += c;
    int port = 0;
    char slash = 0;
    return std::sscanf(line.c_str(), "listening on http://127.0.0.1:%d%c", &port, &slash) == 2 &&
                   slash == '/'
               ? port
               : 0;
  }

  // The exit code; -1 when the child was killed by a signal or did not end in time.
  int ExitCode() {
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

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { temp_.Write("album/a.jpg", checks::SomeJpeg(32, 24)); }
  std::string Folder() const { return (temp_.Path() / "album").string(); }
  std::filesystem::path ErrorFile() const { return temp_.Path() / "stderr.txt"; }
  std::string Errors() const {
    std::ifstream in(ErrorFile());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  checks::TempFolder temp_;
};

TEST_F(ProgramTest, AsAProcessItAnnouncesItsPortServesAndStopsCleanlyOnSignals) {
  for (int stopSignal : {SIGTERM, SIGINT}) {
    Child child({"--port", "0", "--folder", Folder()}, ErrorFile());
    int port = child.AnnouncedPort();
    ASSERT_NE(port, 0);
    httplib::Client client("127.0.0.1", port);
    EXPECT_EQ(client.Get("/trawl/ping")->status, 200);
    checks::ReadCatalogue read = checks::Read(client.Get("/trawl/catalog/sample.xml")->body);
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].name, "album_a.jpg");
    EXPECT_EQ(read.rows[0].address,
              "http://127.0.0.1:" + std::to_string(port) + "/trawl/pictures/a.jpg");
    child.Signal(stopSignal);
    EXPECT_EQ(child.ExitCode(), 0) << "signal " << stopSignal;
    EXPECT_NE(Errors().find("\"GET /trawl/ping\" 200"), std::string::npos) << Errors();
  }
}

TEST_F(ProgramTest, AsAProcessItExitsWithTwoForEachStartingError) {
  catalogue::CatalogueServer occupant(checks::Samples());
  std::string error;
  ASSERT_TRUE(occupant.Start("127.0.0.1", 0, error)) << error;
  std::filesystem::create_directories(temp_.Path() / "nothing");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--folder", (temp_.Path() / "absent").string()}, "no such folder"},
      {{"--folder", (temp_.Path() / "nothing").string()}, "no pictures"},
      {{"--folder", Folder(), "--port", std::to_string(occupant.Port())}, "cannot listen"},
      {{"--bogus"}, "unknown argument"},
  };
  for (const auto& [args, says] : cases) {
    Child child(args, ErrorFile());
    EXPECT_EQ(child.AnnouncedPort(), 0) << says;
    EXPECT_EQ(child.ExitCode(), 2) << says;
    EXPECT_NE(Errors().find(says), std::string::npos) << Errors();
  }
}

TEST(ProgramOptions, BadCommandLinesAreUsageErrorsAndHelpDescribesTheAddresses) {
  auto never = [](const catalogue::CatalogueServer&) { ADD_FAILURE() << "must not serve"; };
  for (const std::string& line : {"--port 70000", "--port -1", "--port 80x", "--port", "--folder",
                                  "--folder=", "--address", "folder", "--portal=1"}) {
    std::ostringstream out, err;
    EXPECT_EQ(catalogue::RunServerProgram(checks::Words(line), out, err, never), 2) << line;
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
  }
  std::ostringstream out, err;
  EXPECT_EQ(catalogue::RunServerProgram({"--help"}, out, err, never), 0);
  for (const std::string& word : checks::Words("--folder --address --port series yearly sample"))
    EXPECT_NE(out.str().find(word), std::string::npos) << word;
}

}  // namespace
