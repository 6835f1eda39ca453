#include <gtest/gtest.h>

#include "program.h"

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

}  // namespace
