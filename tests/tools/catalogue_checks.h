#pragma once
// Helpers for the catalogue server tests: an independent reader of the catalogue format
// (as Trawl reads it), JPEG header checks, temporary folders and plain HTTP requests to
// servers the tests start on 127.0.0.1.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
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

// Reads a catalogue the way Trawl does: <album title> sets the context, entries of
// <group kind="pictures"> inside <section> become rows.
ReadCatalogue Read(const std::string& xml);

struct JpegInfo {
  bool decodes = false;
  int width = 0;
  int height = 0;
};
// Decodes the whole picture, so broken data shows.
JpegInfo InspectJpeg(const std::string& bytes);

// A small real JPEG file of the given size.
std::string TinyJpeg(int width, int height);

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }
  // Writes `content` to `relative` (creating folders on the way) and returns the path.
  std::filesystem::path Write(const std::string& relative, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// The sample set is made once per test binary; making it is the slow part of start-up.
std::shared_ptr<const catalogue::PictureSet> Samples();

// Sends `request` as is to 127.0.0.1:port and returns all that comes back until the
// server closes ("" when nothing does). `endSending` closes the sending side at once,
// so that the server sees a cut-off request end instead of waiting for the rest.
std::string RawExchange(int port, const std::string& request, bool endSending = false);
// Status code of a raw answer, or 0.
int StatusOf(const std::string& answer);

}  // namespace checks
