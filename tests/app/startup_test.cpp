// Start-up end to end: the connectivity check and its error messages; the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_harness.h"
#include "startup.h"
#include "texts.h"

namespace {

using R = TextRole;
using namespace std::chrono_literals;

std::string ClosedAddress() {
  TestWebServer gone;  // its port is closed again once it has stopped
  return gone.Url("/");
}

class StartupConnectivityTest : public ::testing::Test {
 protected:
  // Runs the program with the two connectivity addresses and returns its exit code.
  int RunWith(const std::string& first, const std::string& second) {
    app_.Launch(TestTextTable(server_.Port())
                    .With(R::ConnectivityFirst, TextFromUtf8(first))
                    .With(R::ConnectivitySecond, TextFromUtf8(second)));
    return app_.WaitForExit(60s).value_or(-1);
  }

  TestWebServer server_;
  AppRun app_;
};

TEST_F(StartupConnectivityTest, FirstUnreachableAddressShowsOnlyItsErrorAndEnds) {
  ASSERT_EQ(RunWith(ClosedAddress(), ClosedAddress()), 0);
  const auto boxes = app_.Boxes();
  ASSERT_EQ(boxes.size(), 1u) << "neither the second check nor the notice may follow";
  EXPECT_EQ(boxes[0].title, T(R::ConnectivityErrorTitle));
  EXPECT_EQ(boxes[0].text, T(R::ConnectivityErrorFirst));
  EXPECT_EQ(boxes[0].icon, BoxIcon::Critical);
}

TEST_F(StartupConnectivityTest, SecondUnreachableAddressShowsItsOwnError) {
  ASSERT_EQ(RunWith(server_.Url("/ping"), ClosedAddress()), 0);
  const auto boxes = app_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, T(R::ConnectivityErrorSecond));
  EXPECT_EQ(boxes[0].icon, BoxIcon::Critical);
}

TEST(CommandLine, HelpAndVersionAnswerOneLineOtherArgumentsNothing) {
  const TextTable& texts = TextTable::BuiltIn();
  struct Case {
    std::vector<const char*> arguments;
    Text expected;
  } cases[] = {
      {{"trawl"}, u""},
      {{"trawl", "--help"}, texts.Clear(R::HelpLine)},
      {{"trawl", "--version"}, texts.Clear(R::VersionLine)},
      {{"trawl", "-style", "fusion", "--version", "--help"}, texts.Clear(R::VersionLine)},
      {{"trawl", "--helpful", "-h", "version", "--Help"}, u""},
  };
  for (Case& c : cases) {
    const std::string shown = c.arguments.back();
    c.arguments.push_back(nullptr);
    const Text answer = CommandLineAnswer(static_cast<int>(c.arguments.size() - 1),
                                          const_cast<char**>(c.arguments.data()), texts);
    EXPECT_EQ(answer, c.expected) << shown;
    EXPECT_EQ(answer.find(u'\n'), Text::npos);
  }
  EXPECT_NE(texts.Clear(R::HelpLine), texts.Clear(R::VersionLine));
  EXPECT_EQ(TextToUtf8(texts.Clear(R::VersionLine)).rfind("trawl ", 0), 0u);
}

}  // namespace
