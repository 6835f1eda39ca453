// Calls from worker threads, events posted through the Qt platform, and the modal
// requesters (closed by the tests themselves).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "gadgets.h"
#include "report_list.h"
#include "requesters.h"
#include "statusbar.h"
#include "ui_support.h"
#include "windows.h"

namespace {

class WorkerTest : public testing::Test {
 protected:
  void SetUp() override {
    WindowCreate(4, 0, 0, 400, 200, u"workers", 0xCF0000);
    GadgetCreateProgressBar(50, 0, 0, 200, 10, 1, 100, 0);
    GadgetCreateReportList(51, 0, 20, 300, 150, u"#", 50, 1);
    ListAddColumn(51, 1, u"size", 80);
    for (int i = 0; i < 20; ++i) ListAddItem(51, -1, u"n\n-");
    StatusbarCreate(4, WindowGetHandle(4));
    StatusbarAddField(240);
    ForgetEvents();
  }
  void TearDown() override {
    WindowClose(4);
    ForgetEvents();
  }
};

TEST_F(WorkerTest, WorkerCallsAreCarriedOutBeforeTheyReturn) {
  std::atomic<bool> done{false};
  std::atomic<int> mismatches{0};
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) {
      GadgetSetValue(50, i % 100 + 1);
      if (GadgetGetValue(50) != i % 100 + 1) ++mismatches;
      int row = i % 20;
      Text size = u"size " + TextFromInt(i);
      ListSetCellText(51, row, size, 1);
      if (ListGetCellText(51, row, 1) != size) ++mismatches;
      if (ListItemCount(51) != 20 || ListGetItemFlags(51, row) != 0) ++mismatches;
      StatusbarSetText(4, 0, size, 0);
    }
    WindowSetDisabled(4, 1);
    done = true;
  });
  bool finished = PumpUntil([&] { return done.load(); }, 20000);
  worker.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(GadgetGetValue(50), 100);
  EXPECT_EQ(ListGetCellText(51, 19, 1), u"size 199");
  EXPECT_EQ(StatusbarGetText(4, 0), u"size 199");
  EXPECT_EQ(WindowIsDisabled(4), 1);
}

TEST_F(WorkerTest, WorkerChangesRaiseNoEventsEither) {
  RecordEvents(kEventGadget);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    ListSetItemFlags(51, 3, 3);
    GadgetSetValue(51, 5);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(ListGetItemFlags(51, 5), 1);
  EXPECT_EQ(CountSeen(kEventGadget, 51, kGadgetChange), 0u);
}

TEST_F(WorkerTest, PostedEventsArriveInOrderAndWakeTheWait) {
  RecordEvents(0x10000);
  RecordEvents(0x10001);
  constexpr int kPosts = 500;
  std::thread worker([] {
    for (int i = 0; i < kPosts; ++i) EventPost(0x10000 + (i % 2), 4, i);
  });
  std::vector<int64_t> objects;
  PumpUntil([&] { return Seen().size() == kPosts; }, 20000);
  worker.join();
  ASSERT_EQ(Seen().size(), static_cast<size_t>(kPosts));
  for (int i = 0; i < kPosts; ++i) {
    EXPECT_EQ(Seen()[i].object, i);
    EXPECT_EQ(Seen()[i].event, 0x10000 + (i % 2));
  }
}

TEST_F(WorkerTest, WaitWithATimeLimitReturnsWhenNothingComes) {
  ForgetEvents();
  EXPECT_EQ(EventWait(0), 0);
  EXPECT_EQ(EventWait(30), 0);
  std::thread worker([] { EventPost(0x10005, 0, 7); });
  int32_t got = 0;
  for (int i = 0; i < 500 && got != 0x10005; ++i) got = EventWait(10);
  worker.join();
  EXPECT_EQ(got, 0x10005);
  EXPECT_EQ(EventCurrentObject(), 7);
}

TEST_F(WorkerTest, MessageBoxFromAWorkerIsAnsweredWhileTheLoopRuns) {
  std::atomic<int64_t> answer{-1};
  QString shownText;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    shownText = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  std::thread worker([&] { answer = ShowMessageBox(u"Sizes", u"3 entries", kMessageInformation); });
  PumpUntil([&] { return answer.load() != -1; }, 20000);
  worker.join();
  EXPECT_EQ(answer, kMessageResultOk);
  EXPECT_EQ(shownText, "3 entries");
}

TEST_F(WorkerTest, MessageBoxFlagsChooseIconAndButtons) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    icon = box->icon();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(ShowMessageBox(u"t", u"m", 16 | 4), 7) << "No of a Yes/No box";
  EXPECT_EQ(icon, QMessageBox::Critical);
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    icon = box->icon();
    box->reject();
  });
  EXPECT_EQ(ShowMessageBox(u"t", u"m", kMessageWarning), kMessageResultOk)
      << "a box with only OK answers OK when closed";
  EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST_F(WorkerTest, FolderChooserAnswersWithATrailingSeparatorOrNothing) {
  QTemporaryDir temporary;
  ASSERT_TRUE(temporary.isValid());
  QString folder = temporary.path();
  QString opened;
  WhenModal<QFileDialog>([&](QFileDialog* dialog) {
    opened = dialog->directory().absolutePath();
    static_cast<QDialog*>(dialog)->accept();  // the folder it opened in
  });
  Text chosen = ChooseFolder(u"Folder", FromQ(folder) + u"/");
  EXPECT_EQ(opened, folder) << "opened without the trailing separator";
  EXPECT_EQ(chosen, FromQ(folder) + u"/");

  WhenModal<QFileDialog>([&](QFileDialog* dialog) {
    opened = dialog->directory().absolutePath();
    dialog->reject();
  });
  EXPECT_EQ(ChooseFolder(u"Folder", u"/"), u"");
  EXPECT_EQ(opened, "/") << "the root keeps its separator";
}

}  // namespace
