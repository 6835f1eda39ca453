// The text table.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "program.h"
#include "scratch_folder.h"
#include "texts.h"

namespace {

using R = TextRole;

// The texts stand in the program only scrambled: no clear form of them, in UTF-16 or in
// UTF-8, is anywhere in this executable, which links the same text table as the program.
TEST(TextTable, ProgramHoldsItsTextsOnlyScrambled) {
  std::ifstream file(PathOf(TextToUtf8(ProgramFilePath())), std::ios::binary);
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

}  // namespace
