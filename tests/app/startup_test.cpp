// Start-up end to end: the connectivity check, the notice, the main window as built and
// laid out, the window filter, and the orderly end; the start-up download folder and the
// command line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <QWidget>

#include "app_harness.h"
#include "app_state.h"
#include "download_folder.h"
#include "fonts.h"
#include "gadgets.h"
#include "main_window.h"
#include "program.h"
#include "report_list.h"
#include "startup.h"
#include "statusbar.h"
#include "texts.h"
#include "toolbar.h"
#include "windows.h"

namespace {

using R = TextRole;
using namespace std::chrono_literals;

constexpr int kIconWarning = 2;
constexpr int kIconCritical = 3;

std::string ClosedAddress() {
  TestWebServer gone;  // its port is closed again once it has stopped
  return gone.Url("/");
}

class StartupConnectivityTest : public ::testing::Test {
 protected:
  // Runs the program with the two connectivity addresses and returns its exit code.
  int RunWith(const std::string& first, const std::string& second) {
    app_.Launch(TestTextTable(server_.Port())
                    .With(R::ConnectivityFirst, TextFromUtf8(first))
                    .With(R::ConnectivitySecond, TextFromUtf8(second)));
    return app_.WaitForExit(60s).value_or(-1);
  }

  TestWebServer server_;
  AppRun app_;
};

TEST_F(StartupConnectivityTest, FirstUnreachableAddressShowsOnlyItsErrorAndEnds) {
  ASSERT_EQ(RunWith(ClosedAddress(), ClosedAddress()), 0);
  const auto boxes = app_.Boxes();
  ASSERT_EQ(boxes.size(), 1u) << "neither the second check nor the notice may follow";
  EXPECT_EQ(boxes[0].title.toStdU16String(), T(R::ConnectivityErrorTitle));
  EXPECT_EQ(boxes[0].text.toStdU16String(), T(R::ConnectivityErrorFirst));
  EXPECT_EQ(boxes[0].icon, kIconCritical);
}

TEST_F(StartupConnectivityTest, SecondUnreachableAddressShowsItsOwnError) {
  ASSERT_EQ(RunWith(server_.Url("/ping"), ClosedAddress()), 0);
  const auto boxes = app_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.toStdU16String(), T(R::ConnectivityErrorSecond));
  EXPECT_EQ(boxes[0].icon, kIconCritical);
}

// The texts stand in the program only scrambled: no clear form of them, in UTF-16 or in
// UTF-8, is anywhere in this executable, which links the same text table as the program.
TEST(TextTable, ProgramHoldsItsTextsOnlyScrambled) {
  std::ifstream file("/proc/self/exe", std::ios::binary);
  const std::string program((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(program.size(), 100000u);
  const TextTable& table = TextTable::BuiltIn();
  for (R role : {R::NoticeText, R::ConnectivityErrorFirst, R::EmptyQueryMessage, R::SizeUnknownText,
                 R::FirstWrapperMarker, R::CataloguePrefix}) {
    const Text clear = table.Clear(role);
    ASSERT_GE(clear.size(), 15u);
    const std::string utf16(reinterpret_cast<const char*>(clear.data()), clear.size() * sizeof(char16_t));
    EXPECT_EQ(program.find(utf16), std::string::npos) << TextToUtf8(clear);
    EXPECT_EQ(program.find(TextToUtf8(clear)), std::string::npos) << TextToUtf8(clear);
  }
  // A table made for a test keeps the other texts and gives back the new one.
  const TextTable changed = table.With(R::MarkText, u"Elsewhere");
  EXPECT_EQ(changed.Clear(R::MarkText), u"Elsewhere");
  EXPECT_EQ(changed.Clear(R::NoticeText), table.Clear(R::NoticeText));
  EXPECT_NE(table.Clear(R::MarkText), u"Elsewhere");
}

// An installed program's folder takes no files: downloads then go to a folder of the
// program's own in the pictures folder, made only by the first save, and to the home
// folder when that folder cannot be made. Paths through a file stand in for folders
// nobody may write (file modes would not stop a test run as root).
TEST(StartDownloadFolder, ProgramFolderElsePicturesElseHome) {
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  const std::string base = scratch.path().toStdString() + "/";
  for (const char* folder : {"program", "home/Pictures/taken"})
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(base + folder)));
  for (const char* file : {"file", "home/Pictures/taken/Trawl"}) {
    QFile made(QString::fromStdString(base + file));
    ASSERT_TRUE(made.open(QIODevice::WriteOnly));
  }
  TextsLoad(TextTable::BuiltIn());
  const std::string own = TextToUtf8(T(R::DownloadFolderName)) + "/";
  ASSERT_EQ(own, "Trawl/");

  const std::string home = base + "home/";
  const std::string locked = base + "file/bin/";  // cannot be written or made
  struct Case {
    std::string program, pictures, expected;
  } cases[] = {
      {base + "program/", home + "Pictures/", base + "program/"},
      {locked, home + "Pictures/", home + "Pictures/" + own},
      {locked, home + "Desktop pictures/", home + "Desktop pictures/" + own},  // made with it
      {locked, home, home + own},  // no pictures folder: the home folder stands in
      {locked, base + "file/Pictures/", home},
      {locked, home + "Pictures/taken/", home},  // the name is held by a file
      {locked, "", home},
  };
  for (const Case& c : cases) {
    const Text chosen = StartDownloadFolder(TextFromUtf8(c.program), TextFromUtf8(c.pictures),
                                            TextFromUtf8(home));
    EXPECT_EQ(TextToUtf8(chosen), c.expected) << c.program << " | " << c.pictures;
  }
  EXPECT_EQ(StartDownloadFolder(TextFromUtf8(locked), u"", u""), TextFromUtf8(locked));
  // Choosing made nothing.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(home + "Pictures/Trawl")));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(home + "Desktop pictures")));
}

TEST(CommandLine, HelpAndVersionAnswerOneLineOtherArgumentsNothing) {
  const TextTable& texts = TextTable::BuiltIn();
  struct Case {
    std::vector<const char*> arguments;
    Text expected;
  } cases[] = {
      {{"trawl"}, u""},
      {{"trawl", "--help"}, texts.Clear(R::HelpLine)},
      {{"trawl", "--version"}, texts.Clear(R::VersionLine)},
      {{"trawl", "-style", "fusion", "--version", "--help"}, texts.Clear(R::VersionLine)},
      {{"trawl", "--helpful", "-h", "version", "--Help"}, u""},
  };
  for (Case& c : cases) {
    const std::string shown = c.arguments.back();
    c.arguments.push_back(nullptr);
    const Text answer = CommandLineAnswer(static_cast<int>(c.arguments.size() - 1),
                                          const_cast<char**>(c.arguments.data()), texts);
    EXPECT_EQ(answer, c.expected) << shown;
    EXPECT_EQ(answer.find(u'\n'), Text::npos);
  }
  EXPECT_NE(texts.Clear(R::HelpLine), texts.Clear(R::VersionLine));
  EXPECT_EQ(TextToUtf8(texts.Clear(R::VersionLine)).rfind("trawl ", 0), 0u);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app_.Start(TestTextTable(server_.Port()))); }
  void TearDown() override { EXPECT_EQ(app_.Stop(), 0); }

  struct Box {
    int64_t x, y, width, height;
    bool operator==(const Box&) const = default;
  };
  static Box GadgetBox(int64_t gadget) {
    return {GadgetGetX(gadget), GadgetGetY(gadget), GadgetGetWidth(gadget), GadgetGetHeight(gadget)};
  }

  TestWebServer server_;
  AppRun app_;
};

TEST_F(MainWindowTest, NoticeComesFirstAndTheWindowIsBuiltAsDesigned) {
  const auto boxes = app_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title.toStdU16String(), T(R::NoticeTitle));
  EXPECT_EQ(boxes[0].text.toStdU16String(), T(R::NoticeText));
  EXPECT_EQ(boxes[0].icon, kIconWarning);

  app_.OnUi([] {
    EXPECT_EQ(WindowGetInnerWidth(kMainWindow), 640);
    EXPECT_EQ(WindowGetInnerHeight(kMainWindow), 320);
    EXPECT_EQ(AppRun::MainWindow()->windowTitle().toStdU16String(),
              T(R::WindowTitle) + T(R::WindowTitleSecond));
    // The toolbar gadgets count from the toolbar's corner.
    const int64_t toolbar = ToolbarGetHandle(kMainToolbar);
    for (int64_t gadget : {kSearchField, kToolbarDivider, kFolderButton, kFolderField})
      EXPECT_EQ(reinterpret_cast<int64_t>(AppRun::Gadget(gadget)->parentWidget()), toolbar) << gadget;
    EXPECT_EQ(GadgetBox(kSearchField), (Box{78, 3, 240, 18}));
    EXPECT_EQ(GadgetBox(kToolbarDivider), (Box{324, 3, 2, 20}));
    EXPECT_EQ(GadgetBox(kFolderButton), (Box{330, 3, 18, 18}));
    EXPECT_EQ(GadgetBox(kFolderField), (Box{352, 3, 280, 18}));
    EXPECT_EQ(GadgetGetText(kFolderButton), T(R::SizePlaceholder));
    EXPECT_EQ(GadgetIsDisabled(kFolderField), 0);
    // The test program's folder can be written to, so downloads start there.
    EXPECT_EQ(GadgetGetText(kFolderField), PathOfFile(ProgramFilePath()));
    EXPECT_EQ(DownloadFolder, PathOfFile(ProgramFilePath()));
    EXPECT_EQ(GadgetGetText(kSearchField), u"");
    EXPECT_EQ(StatusbarGetText(kMainStatusbar, kStatusField), u"");

    const int64_t toolbarHeight = ToolbarGetHeight(kMainToolbar);
    const int64_t statusHeight = StatusbarGetHeight(kMainStatusbar);
    EXPECT_EQ(GadgetBox(kItemList), (Box{0, toolbarHeight, 640, 320 - toolbarHeight - statusHeight}));
    EXPECT_EQ(ListColumnCount(kItemList), 4);
    EXPECT_EQ(GadgetBox(kProgressPanel), (Box{240, 2, 400, statusHeight - 4}));
    EXPECT_EQ(GadgetBox(kFileProgressBar), (Box{5, 4, 123, 10}));
    EXPECT_EQ(GadgetBox(kBatchProgressBar), (Box{133, 4, 246, 10}));
    EXPECT_EQ(GadgetGetProperty(kFileProgressBar, kProgressMaximum), 100);
    EXPECT_EQ(GadgetGetProperty(kBatchProgressBar, kProgressMaximum), 1);

    EXPECT_EQ(ToolbarButtonCount(kMainToolbar), 3);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kClearButton), 0);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kDownloadButton), 1);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kStopButton), 1);
    EXPECT_EQ(ToolbarGetTip(kMainToolbar, kStopButton), T(R::TipStopButton));
    EXPECT_EQ(GadgetGetTip(kSearchField), T(R::TipSearchField));
    EXPECT_EQ(GadgetGetTip(kBatchProgressBar), T(R::TipBatchProgress));

    // The mark's font: large and bold.
    FontSpec mark;
    ASSERT_TRUE(FontDescribe(FontGetHandle(kMarkFont), mark));
    EXPECT_EQ(mark.flags & kFontBold, kFontBold);
    EXPECT_EQ(mark.pixelHeight, 216 * FontScreenDpi() / 72);
  });
}

TEST_F(MainWindowTest, LayoutFollowsTheWindowAndStopsAtTheMinimumSize) {
  app_.OnUi([] { WindowMove(kMainWindow, kKeepValue, kKeepValue, 1000, 600); });
  ASSERT_TRUE(app_.WaitUntil([] { return GadgetGetWidth(kFolderField) == 640; }));
  app_.OnUi([] {
    const int64_t bars = ToolbarGetHeight(kMainToolbar) + StatusbarGetHeight(kMainStatusbar);
    EXPECT_EQ(GadgetGetWidth(kItemList), 1000);
    EXPECT_EQ(GadgetGetHeight(kItemList), 600 - bars);
    EXPECT_EQ(GadgetGetWidth(kProgressPanel), 760);
    EXPECT_EQ(GadgetBox(kFileProgressBar), (Box{5, 4, 243, 10}));
    EXPECT_EQ(GadgetBox(kBatchProgressBar), (Box{253, 4, 486, 10}));
    WindowMove(kMainWindow, kKeepValue, kKeepValue, 300, 100);
  });
  ASSERT_TRUE(app_.WaitUntil([] { return GadgetGetWidth(kFolderField) == 280; }));
  app_.OnUi([] {
    EXPECT_EQ(WindowGetInnerWidth(kMainWindow), 640);
    EXPECT_EQ(WindowGetInnerHeight(kMainWindow), 320);
    EXPECT_EQ(GadgetBox(kFileProgressBar), (Box{5, 4, 123, 10}));
    EXPECT_EQ(GadgetBox(kBatchProgressBar), (Box{133, 4, 246, 10}));
  });
}

TEST_F(MainWindowTest, FilterRefusesBareCheckboxChangesOnlyDuringARun) {
  app_.OnUi([] {
    const int64_t list = GadgetGetHandle(kItemList);
    const int64_t window = WindowGetHandle(kMainWindow);
    auto answer = [&](ListChangeNotice notice, uint32_t message = kMessageNotify) {
      return MainWindowFilter(window, message, kItemList, reinterpret_cast<int64_t>(&notice));
    };
    const ListChangeNotice tick{list, kItemList, kListNotifyItemChanging, 0, kListFieldState,
                                kListStateChecked, kListStateUnchecked};
    ListChangeNotice untick = tick;
    untick.newState = kListStateUnchecked;
    ListChangeNotice selectedRow = tick;
    selectedRow.newState = kListStateChecked | kListStateSelected | kListStateFocused;
    ListChangeNotice focusedRow = tick;
    focusedRow.newState = kListStateUnchecked | kListStateFocused;
    ListChangeNotice moreFields = tick;
    moreFields.changedMask = kListFieldState | 1;
    ListChangeNotice otherList = tick;
    otherList.fromHandle = window;
    ListChangeNotice otherCode = tick;
    otherCode.code = -101;

    DownloadActive = 0;
    for (const ListChangeNotice& notice : {tick, untick, selectedRow})
      EXPECT_EQ(answer(notice), kFilterDefault);
    DownloadActive = 1;
    EXPECT_EQ(answer(tick), 1);
    EXPECT_EQ(answer(untick), 1);
    for (const ListChangeNotice& notice : {selectedRow, focusedRow, moreFields, otherList, otherCode})
      EXPECT_EQ(answer(notice), kFilterDefault);
    EXPECT_EQ(answer(tick, kMessageSize), kFilterDefault);
    EXPECT_EQ(MainWindowFilter(window, kMessageNotify, 0, 0), kFilterDefault);
    DownloadActive = 0;
  });
}

}  // namespace
