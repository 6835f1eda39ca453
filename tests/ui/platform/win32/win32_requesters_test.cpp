// The message box and the folder chooser: their answers, the path rules of the chooser,
// and the other windows held while a requester is up. The requesters are answered from a
// timer that runs inside their modal loops.
#include "platform/win32/win32_requesters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "requesters.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

TEST(ChooserPaths, StartFolderKeepsADriveRootsBackslashOnlyAndIsCapped) {
  const Text long259(259, u'a');
  struct Case {
    Text given, start;
  };
  const Case cases[] = {
      {u"C:\\", u"C:\\"},
      {u"C:\\Pictures\\", u"C:\\Pictures"},
      {u"C:\\Pictures", u"C:\\Pictures"},
      {u"D:\\a\\", u"D:\\a"},
      {u"", u""},
      {long259 + u"bcd", long259},
      {Text(258, u'a') + u"\\", Text(258, u'a')},
      {Text(258, u'a') + u"b\\", Text(258, u'a') + u"b"},  // capped before the backslash
  };
  for (const Case& c : cases) EXPECT_EQ(ChooserStartFolder(c.given), c.start);

  EXPECT_EQ(AsFolder(u"C:\\Pictures"), u"C:\\Pictures\\");
  EXPECT_EQ(AsFolder(u"C:\\Pictures\\"), u"C:\\Pictures\\");
  EXPECT_EQ(AsFolder(u"C:\\"), u"C:\\");
  EXPECT_EQ(AsFolder(u""), u"");
}

// Calls `act` with the first visible dialog (#32770) of the calling thread once one is up.
std::function<void(HWND)> dialogAction;
HWND FindDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        wchar_t kind[16] = {};
        GetClassNameW(window, kind, 16);
        if (!IsWindowVisible(window) || lstrcmpW(kind, L"#32770") != 0) return TRUE;
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}
void CALLBACK LookForDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindDialog();
  if (!dialog) return;
  KillTimer(nullptr, timer);
  dialogAction(dialog);
}
void WhenDialog(std::function<void(HWND)> act) {
  dialogAction = std::move(act);
  SetTimer(nullptr, 0, 30, LookForDialog);
}

// Calls `act` once, `ms` from now, inside whatever loop runs then.
std::function<void()> laterAction;
void CALLBACK RunLater(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  laterAction();
}
void After(UINT ms, std::function<void()> act) {
  laterAction = std::move(act);
  SetTimer(nullptr, 0, ms, RunLater);
}

bool IsTopmost(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST; }

class RequestersTest : public Win32WindowTest {
 protected:
  void SetUp() override {
    Win32WindowTest::SetUp();
    // A second window of the thread, always on top and not in the foreground.
    WindowCreate(kOther, 300, 300, 200, 100, u"other",
                 kWindowSystemMenu | kWindowTitleBar | kWindowNoActivate);
    other_ = HwndOf(WindowGetHandle(kOther));
    SetWindowPos(other_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpFor(300);  // a window manager may focus the new window a little later
    SetForegroundWindow(window_);
    PumpUntil([this] { return GetForegroundWindow() == window_; }, 2000);
    PumpFor(20);
  }
  void TearDown() override {
    WindowClose(kOther);
    Win32WindowTest::TearDown();
  }

  // While the requester is up: the owner and the held state of the other window.
  struct Held {
    HWND owner = nullptr;
    bool otherEnabled = true, otherTopmost = true;
  };
  Held Watch(HWND dialog) const {
    return {GetWindow(dialog, GW_OWNER), IsWindowEnabled(other_) != 0, IsTopmost(other_)};
  }
  void ExpectReleased() const {
    EXPECT_TRUE(IsWindowEnabled(other_));
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_TRUE(IsTopmost(other_));
  }

  static constexpr int64_t kOther = 8;
  HWND other_ = nullptr;
};

TEST_F(RequestersTest, MessageBoxAnswersItsButtonAndHoldsTheThreadsOtherWindows) {
  struct Case {
    int64_t flags;
    int pressed;
    int64_t answer;
  };
  const Case cases[] = {{kMessageInformation, IDOK, 1}, {16 | 4, IDNO, 7}, {1, IDCANCEL, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    Held held;
    WhenDialog([&](HWND box) {
      held = Watch(box);
      PostMessageW(box, WM_COMMAND, c.pressed, 0);
    });
    EXPECT_EQ(ShowMessageBox(u"Title", u"Text", c.flags), c.answer);
    EXPECT_EQ(held.owner, window_) << "owned by the foreground window";
    EXPECT_FALSE(held.otherEnabled);
    EXPECT_FALSE(held.otherTopmost);
    ExpectReleased();
  }
}

TEST_F(RequestersTest, MessageBoxAskedByAWorkerIsShownWhileTheUiThreadWaits) {
  Held held;
  WhenDialog([&](HWND box) {
    held = Watch(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  std::atomic<int64_t> answer{-1};
  std::thread worker([&] { answer = ShowMessageBox(u"Sizes", u"3 entries", kMessageWarning); });
  EXPECT_TRUE(PumpUntil([&] { return answer.load() != -1; }, 10000));
  worker.join();
  EXPECT_EQ(answer, kMessageResultOk);
  EXPECT_FALSE(held.otherEnabled);
  ExpectReleased();
}

// A key held down when the box opened (say, the Escape that cancelled a job) repeats; its
// repeats must not answer the box. A key pressed in the box acts.
TEST_F(RequestersTest, MessageBoxIgnoresTheRepeatsOfAKeyHeldWhenItOpened) {
  bool openAfterRepeats = false;
  WhenDialog([&](HWND box) {
    const LPARAM repeated = 1 | (LPARAM{1} << 30);  // the key was down before
    for (int i = 0; i < 5; ++i) PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, repeated);
    After(300, [&openAfterRepeats, box] {
      openAfterRepeats = IsWindowVisible(box) != 0;
      PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    });
  });
  EXPECT_EQ(ShowMessageBox(u"Sizes", u"Stopped", kMessageInformation), kMessageResultOk);
  EXPECT_TRUE(openAfterRepeats) << "the held key's repeats answered the box";
}

TEST_F(RequestersTest, FolderChooserOpensAtTheFolderAndAnswersItWithOneBackslash) {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const Text folder = TextOf(windows, wcslen(windows));  // "C:\windows"
  Held held;
  WhenDialog([&](HWND chooser) {
    held = Watch(chooser);
    // After the second selection, so that it is the one answered.
    SetTimer(chooser, 1, 400, [](HWND dialog, UINT, UINT_PTR timer, DWORD) {
      KillTimer(dialog, timer);
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
  });
  EXPECT_EQ(ChooseFolder(u"Folder", folder + u"\\"), folder + u"\\");
  EXPECT_FALSE(held.otherEnabled);
  ExpectReleased();

  WhenDialog([](HWND chooser) { PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(ChooseFolder(u"Folder", u"C:\\"), u"");
}

TEST(UserFolders, EndWithOneBackslash) {
  const auto [pictures, home] = UserFolders();
  ASSERT_FALSE(home.empty());
  ASSERT_FALSE(pictures.empty());
  EXPECT_EQ(home.back(), u'\\');
  EXPECT_EQ(pictures.back(), u'\\');
  EXPECT_NE(home.substr(home.size() - 2), u"\\\\");
  EXPECT_NE(pictures.substr(pictures.size() - 2), u"\\\\");
}

}  // namespace
