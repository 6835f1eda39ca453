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

TEST(Program, LongNamesAreCutToFitKeepingTheirExtension) {
  const Text fits(kLongestFileName - 4, u'a');
  EXPECT_EQ(FitFileName(u"/", fits + u".jpg"), fits + u".jpg");
  EXPECT_EQ(FitFileName(u"/", u""), u"");
  // Cases: a plain long name, one without an extension, one whose "extension" is a long
  // tail, and characters that take more room than one unit (three UTF-8 bytes; a pair of
  // UTF-16 units that must not be split).
  const Text wide = Text(300, u'\u6e2f');
  const Text pairs = [] {
    Text t;
    for (int i = 0; i < 200; ++i) t += u"\U0001F600";
    return t;
  }();
  // A folder that leaves 40 units of the longest path for the name.
  const Text deep = Text(static_cast<size_t>(kLongestPath - 41), u'f') + u"/";
  struct Case {
    Text folder;
    Text name;
    Text extension;  // kept at the end
    int64_t room;    // for the name
  };
  const Case cases[] = {{u"/", Text(266, u'h') + u"_harbour-01.jpg", u".jpg", kLongestFileName},
                        {u"/", Text(400, u'x'), u"", kLongestFileName},
                        {u"/", u"a." + Text(300, u'y'), u"", kLongestFileName},
                        {u"/", wide + u".jpeg", u".jpeg", kLongestFileName},
                        {u"/", pairs + u".jpg", u".jpg", kLongestFileName},
                        {deep, Text(100, u'd') + u".jpg", u".jpg", 40}};
  for (const Case& c : cases) {
    const Text fitted = FitFileName(c.folder, c.name);
    const std::string shown = TextToUtf8(c.name).substr(0, 20);
    EXPECT_LE(FileNameLength(fitted), c.room) << shown;
    EXPECT_GT(FileNameLength(fitted), c.room - 4) << shown << ": cut more than needed";
    EXPECT_EQ(fitted.substr(fitted.size() - c.extension.size()), c.extension) << shown;
    EXPECT_EQ(c.name.substr(0, fitted.size() - c.extension.size()),
              fitted.substr(0, fitted.size() - c.extension.size()))
        << shown << ": the start of the name is kept";
    EXPECT_EQ(TextFromUtf8(TextToUtf8(fitted)), fitted) << shown << ": a character was split";
  }
}

TEST(Program, PathsWithANulOrNothingAreNotUsable) {
  EXPECT_TRUE(PathIsUsable(u"/tmp/a.jpg"));
  EXPECT_FALSE(PathIsUsable(u""));
  EXPECT_FALSE(PathIsUsable(Text(u"/tmp/sub\0/a.jpg", 15)));
}

}  // namespace
