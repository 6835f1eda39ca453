#include "program.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(Program, OwnPathIsAbsoluteAndNamesThisProgram) {
  const Text path = ProgramFilePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(std::filesystem::path(path).is_absolute());
  const Text folder = PathOfFile(path);
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(IsPathSeparator(folder.back()));
  const Text name = path.substr(folder.size());
  EXPECT_TRUE(name == u"trawl_core_tests" || name == u"trawl_core_tests.exe");
}

TEST(Program, FolderPartKeepsItsSeparator) {
  EXPECT_EQ(PathOfFile(u"/home/u/pics/a.jpg"), u"/home/u/pics/");
  EXPECT_EQ(PathOfFile(u"/a.jpg"), u"/");
  EXPECT_EQ(PathOfFile(u"/home/u/"), u"/home/u/");
  EXPECT_EQ(PathOfFile(u"a.jpg"), u"");
  EXPECT_EQ(PathOfFile(u""), u"");
}

}  // namespace
