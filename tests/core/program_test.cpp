#include "program.h"

#include <gtest/gtest.h>

namespace {

TEST(Program, OwnPathIsAbsoluteAndNamesThisProgram) {
  Text path = ProgramFilePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path[0], u'/');
  EXPECT_EQ(TextRight(path, 17), u"/trawl_core_tests");
  EXPECT_EQ(PathOfFile(path) + u"trawl_core_tests", path);
}

TEST(Program, FolderPartKeepsItsSeparator) {
  EXPECT_EQ(PathOfFile(u"/home/u/pics/a.jpg"), u"/home/u/pics/");
  EXPECT_EQ(PathOfFile(u"/a.jpg"), u"/");
  EXPECT_EQ(PathOfFile(u"/home/u/"), u"/home/u/");
  EXPECT_EQ(PathOfFile(u"a.jpg"), u"");
  EXPECT_EQ(PathOfFile(u""), u"");
}

}  // namespace
