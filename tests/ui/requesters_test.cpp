// The modal requesters, answered by the tests themselves, also when a worker asks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QTest>
#include <QMessageBox>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "requesters.h"
#include "ui_support.h"

namespace {

TEST(RequestersTest, MessageBoxFromAWorkerIsAnsweredWhileTheLoopRuns) {
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

TEST(RequestersTest, MessageBoxFlagsChooseIconAndButtons) {
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

// A key held down when the box opened (say, the Escape that cancelled a job) repeats; its
// repeats must not close the box. A key pressed in the box acts, and may repeat.
TEST(RequestersTest, MessageBoxIgnoresTheRepeatsOfAKeyHeldWhenItOpened) {
  bool openAfterRepeats = false;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
    for (int i = 0; i < 5; ++i) {
      QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
      QApplication::sendEvent(focus, &repeat);
    }
    openAfterRepeats = box->isVisible();
    QTest::keyClick(focus, Qt::Key_Escape);
  });
  EXPECT_EQ(ShowMessageBox(u"Sizes", u"Stopped", kMessageInformation), kMessageResultOk);
  EXPECT_TRUE(openAfterRepeats) << "the held key's repeats closed the box";
}

TEST(RequestersTest, FolderChooserAnswersWithATrailingSeparatorOrNothing) {
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
