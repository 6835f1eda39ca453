// The text table's Windows wording.
#include <gtest/gtest.h>

#include "texts.h"

namespace {

// On Windows the catalogue server is a program the user starts: the message shown when
// it does not answer names the installer's Start-menu entry and the program itself.
TEST(TextTable, OnWindowsTheServiceErrorSaysHowToStartTheServer) {
  const Text text = TextTable::BuiltIn().Clear(TextRole::ConnectivityErrorFirst);
  for (const char16_t* part :
       {u"catalogue server", u"Start menu (Trawl catalogue server)", u"trawl-catalogue-server.exe"})
    EXPECT_NE(text.find(part), Text::npos) << TextToUtf8(part);
}

}  // namespace
