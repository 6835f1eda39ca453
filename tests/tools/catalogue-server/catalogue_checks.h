#pragma once
// Helpers for the catalogue server tests: an independent reader of the catalogue format
// (as Trawl reads it), a JPEG size probe, temporary folders and raw HTTP exchanges with
// servers the tests start on 127.0.0.1.
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
  std::filesystem::path Write(const std::string& relative, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// The sample set, made once per test binary.
std::shared_ptr<const catalogue::PictureSet> Samples();

// Sends `request` to 127.0.0.1:port and returns all that comes back until the server
// closes. `endSending` closes the sending side at once (for cut-off requests).
std::string RawExchange(int port, const std::string& request, bool endSending = false);
int StatusOf(const std::string& answer);  // 0 without a status line

// Words of a text split at blanks, for long lists of cases.
std::vector<std::string> Words(const std::string& text);

}  // namespace checks
