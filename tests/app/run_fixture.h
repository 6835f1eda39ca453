#pragma once
// Shared ground of the download-run and size tests: the real program against a loopback
// server that publishes a catalogue of pictures (and whatever a test adds), a download
// folder of the test's own, and short ways to command the program and read its state.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app_harness.h"
#include "scratch_folder.h"
#include "texts.h"

namespace run_test {

// A JPEG of a blue-green gradient (no red anywhere), made by libjpeg at a high quality.
std::string MakeJpeg(int width, int height);
// The smallest quantizer step of the JPEG's tables: a few units for a high quality,
// hundreds for the lowest; 0 when the data hold no table.
int SmallestQuantizer(const std::string& jpeg);
// The decimal digits of `value` grouped by thousands with the program's separator.
Text Grouped(int64_t value);
// The n-th unit name (1 = bytes) after a value, as the program writes sizes.
Text WithUnit(const char16_t* value, int64_t unit);
std::string ReadFile(const std::string& path);

class RunTest : public ::testing::Test {
 protected:
  ~RunTest() override;
  void TearDown() override;

  // "/pictures/<name>" on the test server.
  static std::string PicturePath(const std::string& name) { return "/pictures/" + name; }
  std::string PictureUrl(const std::string& name) const { return server_.Url(PicturePath(name)); }

  // Starts the program with its download folder in a folder of the test's own.
  void Start();
  // Publishes a catalogue whose album `album` lists the given addresses (paths on the
  // server), queries it and expects one row per address.
  void Query(const std::vector<std::string>& paths, const std::string& album = "Run");
  // The same with an album text of its own for each address.
  void QueryAlbums(const std::vector<std::pair<std::string, std::string>>& entries);
  void SetDownloadFolder(const std::string& folder);

  // Publishes a picture (GET and HEAD) and returns its bytes.
  std::string PublishPicture(const std::string& name, int width = 480, int height = 360);
  // Publishes a picture whose GET waits until Release (HEAD answers at once).
  std::string PublishGatedPicture(const std::string& name);
  // Publishes a picture that sends half of itself, then nothing until Release.
  std::string PublishStalledPicture(const std::string& name);
  void Release() { released_ = true; }
  // A HEAD-only entry that announces `length` under the given header name.
  void PublishLength(const std::string& path, int64_t length,
                     const std::string& header = "Content-Length", int delayMs = 0);

  // Saves the picture "Run_whole.jpg" in a run of its own and queues its row, checked,
  // again; returns the saved bytes.
  std::string SaveWholeOnce();
  // After a second run of that row that could not save: the row failed, and the file saved
  // first is all there is, unchanged, with no temporary beside it.
  void ExpectFailedAndLeftAlone(const std::string& good);

  void Command(int64_t item);
  void WriteFlags(const std::vector<int64_t>& flags);
  std::vector<std::array<Text, 4>> Rows() { return app_.Rows(); }
  int64_t StatusColour(int64_t row);
  // How far each bar is above its minimum.
  std::pair<int64_t, int64_t> Bars();
  // The enabled state of clear, download, stop, search field, folder button and field.
  std::vector<int> Enabled();
  bool WaitForStatus(int64_t row, TextRole status,
                     std::chrono::milliseconds timeout = std::chrono::seconds(15));
  // Waits until no run is active and no worker is left.
  bool WaitForRunEnd(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  bool WaitForBoxes(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(15));
  std::vector<std::string> SavedFiles() const;

  // Declared before the server, whose handlers may wait on it until it is destroyed.
  std::atomic<bool> released_{false};
  ScratchFolder scratch_;
  std::string folder_;  // the download folder, with a trailing separator
  TestWebServer server_;
  AppRun app_;
};

}  // namespace run_test
