// The download worker: file names that stay inside the download folder, the JPEG marker
// check, and download runs end to end (statuses and colours row by row, the messages,
// the saved, marked and recompressed pictures, and pictures that must not be saved).
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app_state.h"
#include "download_worker.h"
#include "gadgets.h"
#include "picture_helpers.h"
#include "program.h"
#include "report_list.h"
#include "run_fixture.h"
#include "startup.h"
#include "threads.h"

namespace {

bool StaysInFolder(const Text& name) {
  return !name.empty() && name != u"." && name != u".." && name.find(u'/') == Text::npos &&
         name.find(u'\\') == Text::npos;
}

TEST(SafeFileName, KeepsOrdinaryNames) {
  EXPECT_EQ(SafeFileName(u"Harbour_harbour-01.jpg"), u"Harbour_harbour-01.jpg");
  EXPECT_EQ(SafeFileName(u"Fjord \u00e5 \u6e2f.jpg"), u"Fjord \u00e5 \u6e2f.jpg");
  EXPECT_EQ(SafeFileName(u"...jpg"), u"...jpg");
  EXPECT_EQ(SafeFileName(u".hidden"), u".hidden");
}

TEST(SafeFileName, NeverLeavesTheFolder) {
  const std::vector<Text> hostile = {u"../x.jpg", u"a/b.jpg",   u"/etc/passwd", u"..",
                                     u".",        u"",          u"a\\..\\b",    u"../../",
                                     u"x/",       u"/",         u"\\\\server\\share"};
  for (const Text& name : hostile) {
    Text safe = SafeFileName(name);
    if (name.empty()) {
      EXPECT_TRUE(safe.empty()) << "an empty name became a file name";
      continue;
    }
    EXPECT_TRUE(StaysInFolder(safe)) << TextToUtf8(name) << " -> " << TextToUtf8(safe);
    EXPECT_EQ(safe.size(), name.size()) << TextToUtf8(name);
  }
  EXPECT_EQ(SafeFileName(u"a/b.jpg"), u"a_b.jpg");
}

TEST(SafeFileName, ReplacesControlAndRefusedCharacters) {
  Text safe = SafeFileName(Text(u"a\tb\nc:d*e?f\"g<h>i|j") + char16_t(0x7F) + char16_t(0) + u"k");
  EXPECT_EQ(safe, u"a_b_c_d_e_f_g_h_i_j__k");
}

// Windows opens a device for CON.jpg and drops trailing dots and blanks, so that "a." would
// write over "a". Other platforms keep such names.
TEST(SafeFileName, NamesWindowsWouldReadOtherwiseAreMendedThereOnly) {
  struct Case {
    const char16_t *name, *onWindows;
  } cases[] = {
      {u"CON", u"_CON"},           {u"con.jpg", u"_con.jpg"},     {u"Nul.tar.gz", u"_Nul.tar.gz"},
      {u"aux .jpg", u"_aux .jpg"}, {u"COM1.jpg", u"_COM1.jpg"},   {u"lpt9", u"_lpt9"},
      {u"COM\u00b9.jpg", u"_COM\u00b9.jpg"}, {u"name.", u"name_"},      {u"name. .", u"name___"},
      {u"NUL.", u"_NUL_"},         {u"CONSOLE.jpg", u"CONSOLE.jpg"}, {u"COM0.jpg", u"COM0.jpg"},
      {u"COM10", u"COM10"},        {u"my CON.jpg", u"my CON.jpg"},   {u"a.b c", u"a.b c"},
  };
#ifdef _WIN32
  constexpr bool kWindows = true;
#else
  constexpr bool kWindows = false;
#endif
  for (const Case& c : cases)
    EXPECT_EQ(SafeFileName(c.name), kWindows ? c.onWindows : c.name) << TextToUtf8(c.name);
}

TEST(JpegMarkers, TellsPicturesFromOtherDataAndTruncatedPictures) {
  auto markers = [](std::vector<uint8_t> bytes) {
    return JpegMarkers(bytes.data(), static_cast<int64_t>(bytes.size()));
  };
  EXPECT_EQ(JpegMarkers(nullptr, 10), 0);
  EXPECT_EQ(markers({}), 0);
  EXPECT_EQ(markers({0xFF}), 0);
  EXPECT_EQ(markers({'<', 'h', 't', 'm', 'l', '>'}), 0);
  EXPECT_EQ(markers({0xFF, 0xD9, 0xFF, 0xD8}), 0);
  EXPECT_EQ(markers({0xFF, 0xD8}), 1);
  EXPECT_EQ(markers({0xFF, 0xD8, 0xD9}), 1);
  EXPECT_EQ(markers({0xFF, 0xD8, 0x00, 0x11, 0x22}), 1);
  EXPECT_EQ(markers({0xFF, 0xD8, 0xFF, 0xD9}), 2);
  EXPECT_EQ(markers({0xFF, 0xD8, 0x12, 0x34, 0xFF, 0xD9}), 2);
  // Only a short prefix of the block is given: the end is judged where the size says.
  std::vector<uint8_t> longer = {0xFF, 0xD8, 0x00, 0xFF, 0xD9, 0x00};
  EXPECT_EQ(JpegMarkers(longer.data(), 5), 2);
  EXPECT_EQ(JpegMarkers(longer.data(), 6), 1);
}

}  // namespace

namespace run_test {
namespace {

using R = TextRole;

// Pixels near the centre that are clearly red (the mark); the published pictures have
// no red at all. The text cell's upper edge runs through the centre, so its letters lie
// below and to the right of it.
int RedPixelsNearCentre(const Picture& image) {
  int red = 0;
  const int64_t cx = image.width / 2;
  const int64_t cy = image.height / 2;
  for (int64_t y = cy - 120; y < cy + 120; ++y)
    for (int64_t x = cx - 120; x < cx + 120; ++x) {
      const Rgb pixel = image.At(x, y);
      if (pixel.r > 170 && pixel.g < 110 && pixel.b < 110) ++red;
    }
  return red;
}

class DownloadRunTest : public RunTest {
 protected:
  void ExpectMarkedAndRecompressed(const std::string& name, const std::string& original) {
    const std::string saved = ReadFile(folder_ + name);
    ASSERT_FALSE(saved.empty()) << name;
    EXPECT_NE(saved, original) << name;
    // Quality 0 or 1 of ten: quantizer steps of 50 and more (10 and less at 92 of 100).
    EXPECT_GE(SmallestQuantizer(saved), 40) << name << ": not stored strongly compressed";
    EXPECT_LE(SmallestQuantizer(original), 10);
    Picture image;
    ASSERT_TRUE(ReadJpeg(std::vector<uint8_t>(saved.begin(), saved.end()), image)) << name;
    EXPECT_GT(RedPixelsNearCentre(image), 50) << name << ": no mark across the centre";
  }
};

// The row a worker saves under, asked from a worker's thread: its entry's own row when that
// is checked and downloading, else the first such row of the list (never a later one that
// a search from the entry's row would meet first), else none.
TEST_F(DownloadRunTest, TheDownloadingRowIsTheEntrysOwnElseTheFirstCheckedDownloadingOne) {
  Start();
  Query({PicturePath("a.jpg"), PicturePath("b.jpg"), PicturePath("c.jpg"), PicturePath("d.jpg")});
  struct Case {
    const char* what;
    std::vector<int64_t> flags;
    std::vector<int64_t> downloading;
    int64_t entry, row;
  } cases[] = {
      {"own row", {2, 2, 2, 2}, {0, 2}, 3, 2},
      {"own row unchecked", {2, 2, 0, 2}, {2, 3}, 3, 3},
      {"own row not downloading", {2, 2, 2, 2}, {0, 3}, 3, 0},
      {"own row downloading, earlier one too", {2, 2, 2, 2}, {1, 2}, 3, 2},
      {"entry beyond the list", {2, 2, 2, 2}, {1}, 9, 1},
      {"no entry", {2, 2, 2, 2}, {3}, 0, 3},
      {"nothing downloading", {2, 2, 2, 2}, {}, 2, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFlags(c.flags);
    app_.OnUi([&c] {
      for (int64_t row = 0; row < 4; ++row)
        ListSetCellText(kItemList, row, T(R::StatusTextQueued), kColumnStatus);
      for (int64_t row : c.downloading)
        ListSetCellText(kItemList, row, T(R::StatusTextDownloading), kColumnStatus);
    });
    EXPECT_EQ(DownloadingRow(c.entry), c.row);
  }
}

TEST_F(DownloadRunTest, AFailedEntryTurnsRedAndTheRunGoesOnInBlue) {
  Start();
  const std::string first = PublishPicture("a.jpg");
  const std::string third = PublishGatedPicture("c.jpg");
  Query({PicturePath("a.jpg"), PicturePath("b.jpg"), PicturePath("c.jpg")});
  WriteFlags({2, 2, 2});
  Command(kMenuDownload);

  // The third entry holds its data back until the first two have been judged.
  ASSERT_TRUE(WaitForStatus(2, R::StatusTextDownloading));
  auto rows = Rows();
  EXPECT_EQ(rows[0][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(rows[1][kColumnStatus], T(R::StatusTextFailed));
  EXPECT_EQ(StatusColour(1), kColourRed);
  EXPECT_EQ(StatusColour(2), kColourBlue);
  EXPECT_EQ(StatusColour(0), -1);
  EXPECT_EQ(app_.StatusText(), T(R::EntryFailedMessage));
  EXPECT_EQ(Enabled(), (std::vector<int>{0, 0, 1, 0, 0, 0}));

  Release();
  ASSERT_TRUE(WaitForRunEnd());
  rows = Rows();
  EXPECT_EQ(rows[2][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(StatusColour(2), kColourBlue);  // done leaves the colour as it was
  EXPECT_EQ(app_.StatusText(), T(R::RunFinishedMessage));
  EXPECT_EQ(Enabled(), (std::vector<int>{1, 1, 0, 1, 1, 1}));

  EXPECT_EQ(rows[0][kColumnSize], Grouped(static_cast<int64_t>(first.size())));
  EXPECT_EQ(rows[1][kColumnSize], T(R::SizePlaceholder));
  EXPECT_EQ(rows[2][kColumnSize], Grouped(static_cast<int64_t>(third.size())));
  EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"Run_a.jpg", "Run_c.jpg"}));
  EXPECT_EQ(TextToUtf8(rows[0][kColumnName]), "Run_a.jpg");
  ExpectMarkedAndRecompressed("Run_a.jpg", first);
  ExpectMarkedAndRecompressed("Run_c.jpg", third);
  // Two entries done of a bar that counts three plus one.
  EXPECT_EQ(Bars(), (std::pair<int64_t, int64_t>{0, 2}));
  EXPECT_TRUE(app_.Boxes().size() <= 1);  // only the start-up notice
}

TEST_F(DownloadRunTest, PicturesThatCannotBeSavedWholeAreFailures) {
  Start();
  const std::string whole = PublishPicture("whole.jpg");
  // Starts like a picture but was cut short: no end marker.
  server_.Serve(PicturePath("cut.jpg"), whole.substr(0, whole.size() / 2), "image/jpeg");
  Query({PicturePath("cut.jpg"), PicturePath("whole.jpg")});
  WriteFlags({2, 2});
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForRunEnd());
  auto rows = Rows();
  EXPECT_EQ(rows[0][kColumnStatus], T(R::StatusTextFailed));
  EXPECT_EQ(StatusColour(0), kColourRed);
  EXPECT_EQ(rows[0][kColumnSize], T(R::SizePlaceholder));
  EXPECT_EQ(rows[1][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"Run_whole.jpg"}));
  EXPECT_EQ(Bars().second, 1);  // only the saved picture advanced the batch bar

  // A folder that cannot take files (nor be made: a file holds its place): the entry
  // fails instead of passing for done.
  Command(kMenuResetAll);
  WriteFlags({0, 2});
  const std::string good = ReadFile(folder_ + "Run_whole.jpg");
  SetDownloadFolder(folder_ + "Run_whole.jpg" + Separator() + "missing" + Separator());
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Rows()[1][kColumnStatus], T(R::StatusTextFailed));
  EXPECT_EQ(app_.StatusText(), T(R::EntryFailedMessage));
  EXPECT_EQ(ReadFile(folder_ + "Run_whole.jpg"), good);
}

TEST_F(DownloadRunTest, ClosingWhileAPictureIsMarkedEndsCleanlyWithAWholeFile) {
  Start();
  const std::string big = PublishPicture("big.jpg", 4000, 3000);
  Query({PicturePath("big.jpg")});
  WriteFlags({2});
  Command(kMenuDownload);
  // The downloaded bytes land first; marking such a picture takes a while after that.
  const std::string path = folder_ + "Run_big.jpg";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!PathExists(path) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(PathExists(path));
  EXPECT_EQ(app_.Stop(), 0);
  // The services went only after the worker that used them.
  EXPECT_EQ(ThreadWaitAll(0), 1) << "a worker outlived the program's stop";
  // Either the downloaded bytes or the whole marked picture, never a cut one.
  const std::string saved = ReadFile(path);
  if (saved != big) {
    ASSERT_GT(saved.size(), 4u);
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(saved.substr(saved.size() - 2), "\xFF\xD9");
  }
  EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"Run_big.jpg"}));
}

TEST_F(DownloadRunTest, NamesThatClimbOutOfTheFolderAreSavedInsideIt) {
  Start();
  PublishPicture("x.jpg", 320, 240);
  PublishPicture("y.jpg", 320, 240);
  PublishPicture("z.jpg", 320, 240);
  // A row's name is the album text, the joiner and the last segment of the address.
  QueryAlbums({{"../../escape", PicturePath("x.jpg")},
               {"a/b", PicturePath("y.jpg")},
               {"/tmp/abs", PicturePath("z.jpg")}});
  // A download folder that is not there yet (the one chosen at start) is made, with
  // its missing parents, by the first save.
  const std::string base = folder_;
  folder_ = base + "inner" + Separator() + "deeper" + Separator();
  SetDownloadFolder(folder_);
  WriteFlags({2, 2, 2});
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForRunEnd());
  const auto rows = Rows();
  for (const auto& row : rows) EXPECT_EQ(row[kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(TextToUtf8(rows[0][kColumnName]), "../../escape_x.jpg");  // shown as it is
  EXPECT_EQ(TextToUtf8(rows[1][kColumnName]), "a/b_y.jpg");
  const std::vector<std::string> saved = SavedFiles();
  EXPECT_EQ(saved.size(), 3u);
  for (const std::string& name : saved) EXPECT_EQ(name.find('/'), std::string::npos) << name;
  // Nothing landed above the download folder or below it.
  auto entries = [](const std::string& folder) { return NamesIn(folder, false); };
  EXPECT_EQ(entries(base), std::vector<std::string>{"inner"});
  EXPECT_EQ(entries(base + "inner"), std::vector<std::string>{"deeper"});
  EXPECT_FALSE(PathExists("/tmp/abs_z.jpg"));
  EXPECT_EQ(entries(folder_).size(), 3u);
}

// A picture whose GET waits until Release and whose HEAD announces no length, so that the
// worker makes no toolkit call between the start of its fetch and its save.
void PublishGatedWithoutLength(TestWebServer& server, const std::string& path,
                               const std::atomic<bool>& released) {
  const std::string jpeg = MakeJpeg(400, 300);
  server.Handle(path, [&released, jpeg](const httplib::Request& request, httplib::Response& response) {
    if (request.method == "HEAD") return;
    for (int waited = 0; !released && waited < 20000; waited += 5)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    response.set_content(jpeg, "image/jpeg");
  });
}

// The window closes while a picture completes: the toolkit stops answering the worker,
// which must then save nothing (before, refused calls answered 0, a real row, and the
// picture was written as "_"). Two moments: the last bytes arrive right after the close
// began, and the close comes while the worker waits for its first answer in the save.
TEST_F(DownloadRunTest, APictureThatCompletesAsTheWindowClosesIsNotSaved) {
  for (const bool insideTheSave : {false, true}) {
    SCOPED_TRACE(insideTheSave ? "close inside the save" : "bytes right after the close");
    released_ = false;
    Start();
    std::ofstream(folder_ + "_") << "kept";
    PublishGatedWithoutLength(server_, PicturePath("late.jpg"), released_);
    Query({PicturePath("late.jpg")});
    WriteFlags({2});
    Command(kMenuDownload);
    ASSERT_TRUE(app_.WaitUntil([this] { return server_.Hits(PicturePath("late.jpg")) >= 2; }));
    if (insideTheSave) {
      // The UI thread is held while the picture completes, so the worker's first call
      // in the save waits for it; then the close's own stop runs.
      bool stopped = false;
      app_.OnUi([&] {
        Release();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stopped = StopWorkers(3000);
        EventRaise(kEventCloseWindow, kMainWindow, kMainWindow, 0, 0, true);  // as it came
      });
      EXPECT_TRUE(stopped);
      EXPECT_EQ(app_.WaitForExit(), 0);
    } else {
      std::thread releaser([this] {
        while (ShutdownRequested == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        Release();
      });
      EXPECT_EQ(app_.Stop(), 0);
      releaser.join();
    }
    EXPECT_EQ(SavedFiles(), std::vector<std::string>{"_"});
    EXPECT_EQ(ReadFile(folder_ + "_"), "kept");
    std::filesystem::remove_all(folder_);
  }
}

// A name longer than a folder entry may be is cut to fit, keeping its extension.
TEST_F(DownloadRunTest, ALongNameIsSavedCutToFit) {
  Start();
  const std::string picture = PublishPicture("x.jpg", 320, 240);
  const std::string title(266, 'h');
  QueryAlbums({{title, PicturePath("x.jpg")}, {"Short", PicturePath("x.jpg")}});
  WriteFlags({2, 2});
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForRunEnd());
  const auto rows = Rows();
  EXPECT_EQ(rows[0][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(TextToUtf8(rows[0][kColumnName]), title + "_x.jpg");  // shown whole
  const std::vector<std::string> saved = SavedFiles();
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0], "Short_x.jpg");
  const Text name = TextFromUtf8(saved[1]);
  EXPECT_LE(FileNameLength(name), kLongestFileName);
  EXPECT_LE(FileNameLength(TextFromUtf8(folder_) + name), kLongestPath);
  EXPECT_GE(name.size(), 100u) << "cut more than needed";
  EXPECT_EQ(saved[1], title.substr(0, name.size() - 4) + ".jpg");
  ExpectMarkedAndRecompressed(saved[1], picture);
}

}  // namespace
}  // namespace run_test
