// Whole-file replacement: paths the system would misread, and the hidden names it writes
// beside the target.
#include "replace_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "read_file.h"
#include "scratch_folder.h"

namespace {

class ReplaceFileTest : public ::testing::Test {
 protected:
  std::string PathOfName(const std::string& name) const { return scratch_.Path() + Separator() + name; }
  Text PathText(const std::string& name) const { return TextFromUtf8(PathOfName(name)); }
  std::vector<std::string> Names() const { return NamesIn(scratch_.Path(), false); }

  ScratchFolder scratch_;
};

TEST_F(ReplaceFileTest, APathWithANulIsRefusedAndNothingIsWritten) {
  const uint8_t bytes[] = {1, 2, 3};
  const Text withNul = PathText("sub") + u'\0' + u"/x.jpg";
  EXPECT_FALSE(ReplaceFileWhole(withNul, bytes, 3));
  EXPECT_TRUE(Names().empty()) << "wrote " << Names().front();
  std::ofstream(PathOf(PathOfName("sub")), std::ios::binary) << "old";
  std::vector<uint8_t> read;
  EXPECT_FALSE(ReadFileWhole(withNul, 100, read));
  EXPECT_TRUE(ReadFileWhole(PathText("sub"), 100, read));
  EXPECT_FALSE(ReplaceFileWhole(Text(), bytes, 3));
}

TEST_F(ReplaceFileTest, TemporaryNamesAreHiddenBesideTheTargetAndDoNotRepeat) {
  const Text target = PathText("a.jpg");
  std::set<Text> seen;
  for (int i = 0; i < 1000; ++i) {
    const Text name = TemporaryBeside(target);
    ASSERT_EQ(name.rfind(PathText(".trawl-"), 0), 0u) << TextToUtf8(name);
    ASSERT_EQ(name.size() - PathText("").size(), 28u) << TextToUtf8(name);
    EXPECT_TRUE(seen.insert(name).second) << "repeated: " << TextToUtf8(name);
  }
  const uint8_t bytes[] = {0xFF, 0xD8, 0xFF, 0xD9};
  ASSERT_TRUE(ReplaceFileWhole(target, bytes, 4));
  EXPECT_EQ(Names(), std::vector<std::string>{"a.jpg"}) << "a temporary was left behind";
}

}  // namespace
