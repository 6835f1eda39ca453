#pragma once
// Helpers for the catalogue server tests: an independent reader of the catalogue format
// (as Trawl reads it), a JPEG size probe, temporary folders, raw HTTP exchanges with
// servers the tests start on 127.0.0.1, and the program run as a child process. What
// differs by platform is in checks_posix.cpp and checks_win32.cpp.
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "picture_set.h"

namespace checks {

struct Row {
  std::string name;     // context text + "_" + last segment of the address
  std::string address;  // src of the entry's first child
};
struct ReadCatalogue {
  bool wellFormed = false;
  bool rootIsCatalogue = false;
  std::vector<Row> rows;
  int sections = 0;
};
// <album title> sets the context; the first child of each entry of a
// <group kind="pictures"> inside a <section> makes a row (text first: no address).
ReadCatalogue Read(const std::string& xml);

// Width and height from the frame header of a whole JPEG (SOI ... EOI); {0, 0} otherwise.
std::pair<int, int> JpegSize(const std::string& bytes);
std::string SomeJpeg(int width, int height);

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }
  // Writes `content` to `relative`, making folders on the way; returns the file's path.
  std::filesystem::path Write(const std::filesystem::path& relative,
                              const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// A relative path as UTF-8 with '/' between its parts on every system.
std::string SlashPath(const std::filesystem::path& relative);

// The sample set, made once per test binary.
std::shared_ptr<const catalogue::PictureSet> Samples();

// Sends `request` to 127.0.0.1:port and returns all that comes back until the server
// closes. `endSending` closes the sending side at once (for cut-off requests).
std::string RawExchange(int port, const std::string& request, bool endSending = false);
int StatusOf(const std::string& answer);  // 0 without a status line

// Words of a text split at blanks, for long lists of cases.
std::vector<std::string> Words(const std::string& text);

int ProcessId();

// The real program (TRAWL_CATALOGUE_SERVER_BINARY) as a child process, its standard
// output read here and its standard error written to a file. Reading and waiting have
// guards, so that a silent or hung child fails the test instead of stalling it; a child
// still running at the end is killed.
class Child {
 public:
  Child(std::vector<std::string> args, const std::filesystem::path& errorFile);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The port of the first line, "listening on http://127.0.0.1:PORT/", or 0.
  int AnnouncedPort();
  // The exit code; -1 when the child was killed by a signal or did not end in time.
  int ExitCode();
  // Asks the program to stop in one of the ways StopRequests names; false when this
  // system cannot send that request.
  bool RequestStop(const std::string& how);

 private:
  // The first line of standard output, without its line end; what came within the guard.
  std::string FirstLine();

  struct Process;
  std::unique_ptr<Process> process_;
};

// The ways a user stops the program: SIGTERM and SIGINT on POSIX; Ctrl+C and Ctrl+Break
// on Windows.
std::vector<std::string> StopRequests();

}  // namespace checks
