#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "program.h"
#include "replace_file.h"

namespace {

TEST(ProgramWin32, BothSlashesSeparateAFoldersParts) {
  EXPECT_EQ(PathOfFile(u"C:\\Users\\u\\pics\\a.jpg"), u"C:\\Users\\u\\pics\\");
  EXPECT_EQ(PathOfFile(u"C:\\a.jpg"), u"C:\\");
  EXPECT_EQ(PathOfFile(u"C:/u\\pics/a.jpg"), u"C:/u\\pics/");
  EXPECT_EQ(PathOfFile(u"\\\\server\\share\\a.jpg"), u"\\\\server\\share\\");
  EXPECT_EQ(PathOfFile(u"C:a.jpg"), u"");
}

TEST(ProgramWin32, OwnPathIsTheExecutablesWithBackslashes) {
  const Text path = ProgramFilePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), u":\\");
  EXPECT_EQ(path.find(u'/'), Text::npos);
  EXPECT_EQ(TextRight(path, 21), u"\\trawl_core_tests.exe");
}

// Sets or removes the machine's long-path switch, as an administrator would.
bool SwitchLongPaths(bool on) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD value = 1;
  const LONG done = on ? RegSetValueExW(key, L"LongPathsEnabled", 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&value), sizeof value)
                       : RegDeleteValueW(key, L"LongPathsEnabled");
  RegCloseKey(key);
  return done == ERROR_SUCCESS || (!on && done == ERROR_FILE_NOT_FOUND);
}

// A download folder about 300 characters deep takes whole names where the machine allows
// long paths (the program is read at its start: a fresh process sees the switch), and
// names cut to the old limit where it does not.
TEST(ProgramWin32, LongPathsCountWhereTheMachineAllowsThem) {
  namespace fs = std::filesystem;
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const fs::path folder = fs::temp_directory_path() / std::string(120, 'a') / std::string(120, 'b') /
                          std::string(50, 'c');
  const std::u16string units = folder.u16string() + u"\\";
  const Text deep(units.begin(), units.end());
  ASSERT_GT(deep.size(), 300u);
  const Text name = u"Harbour_harbour-01.jpg";
  for (const bool on : {true, false}) {
    ASSERT_TRUE(SwitchLongPaths(on));
    EXPECT_EXIT(
        {
          const bool whole = FitFileName(deep, name) == name;
          if (whole != on) std::_Exit(1);
          // Where long paths are off only Windows refuses them; Wine takes any length.
          fs::create_directories(folder);
          std::_Exit(!on || ReplaceFileWhole(deep + name, reinterpret_cast<const uint8_t*>("x"), 1) ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "")
        << (on ? "switched on" : "switched off");
  }
  SwitchLongPaths(false);
  std::error_code ignored;  // the library's removal may stop at the old limit: the next run reuses it
  fs::remove_all(fs::temp_directory_path() / std::string(120, 'a'), ignored);
}

}  // namespace
