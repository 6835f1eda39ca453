#include "server_program.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "catalogue_checks.h"
#include "server_platform.h"

namespace {

using catalogue::platform::PathFromUtf8;
using catalogue::platform::Utf8Path;

// The album's name is outside ASCII and outside the ANSI code pages of Windows: it must
// reach the program through the command line as it is.
const std::string kAlbum = "Album \xE2\x98\x95 \xC3\xA9t\xC3\xA9";

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { temp_.Write(PathFromUtf8(kAlbum + "/a.jpg"), checks::SomeJpeg(32, 24)); }
  std::string Folder() const { return Utf8Path(temp_.Path() / PathFromUtf8(kAlbum)); }
  std::filesystem::path ErrorFile() const { return temp_.Path() / "stderr.txt"; }
  std::string Errors() const {
    std::ifstream in(ErrorFile());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  checks::TempFolder temp_;
};

// Once for each way a user stops the program.
class ProgramStopTest : public ProgramTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(ProgramStopTest, AsAProcessItAnnouncesItsPortServesAndStopsCleanlyWhenAsked) {
  checks::Child child({"--port", "0", "--folder", Folder()}, ErrorFile());
  int port = child.AnnouncedPort();
  ASSERT_NE(port, 0);
  httplib::Client client("127.0.0.1", port);
  EXPECT_EQ(client.Get("/trawl/ping")->status, 200);
  checks::ReadCatalogue read = checks::Read(client.Get("/trawl/catalog/sample.xml")->body);
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_EQ(read.rows[0].name, kAlbum + "_a.jpg");
  EXPECT_EQ(read.rows[0].address,
            "http://127.0.0.1:" + std::to_string(port) + "/trawl/pictures/a.jpg");
  if (!child.RequestStop(GetParam())) GTEST_SKIP() << "this system cannot send " << GetParam();
  EXPECT_EQ(child.ExitCode(), 0);
  EXPECT_NE(Errors().find("\"GET /trawl/ping\" 200"), std::string::npos) << Errors();
}

INSTANTIATE_TEST_SUITE_P(Requests, ProgramStopTest, ::testing::ValuesIn(checks::StopRequests()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param)
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           return name;
                         });

TEST_F(ProgramTest, AsAProcessItExitsWithTwoForEachStartingError) {
  catalogue::CatalogueServer occupant(checks::Samples());
  std::string error;
  ASSERT_TRUE(occupant.Start("127.0.0.1", 0, error)) << error;
  std::filesystem::create_directories(temp_.Path() / "nothing");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--folder", (temp_.Path() / "absent").string()}, "no such folder"},
      {{"--folder", (temp_.Path() / "nothing").string()}, "no pictures"},
      {{"--folder", Folder(), "--port", std::to_string(occupant.Port())}, "cannot listen"},
      {{"--bogus"}, "unknown argument"},
  };
  for (const auto& [args, says] : cases) {
    checks::Child child(args, ErrorFile());
    EXPECT_EQ(child.AnnouncedPort(), 0) << says;
    EXPECT_EQ(child.ExitCode(), 2) << says;
    EXPECT_NE(Errors().find(says), std::string::npos) << Errors();
  }
}

TEST(ProgramOptions, BadCommandLinesAreUsageErrorsAndHelpDescribesTheAddresses) {
  auto never = [](const catalogue::CatalogueServer&) { ADD_FAILURE() << "must not serve"; };
  for (const std::string& line : {"--port 70000", "--port -1", "--port 80x", "--port", "--folder",
                                  "--folder=", "--address", "folder", "--portal=1"}) {
    std::ostringstream out, err;
    EXPECT_EQ(catalogue::RunServerProgram(checks::Words(line), out, err, never), 2) << line;
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
  }
  std::ostringstream out, err;
  EXPECT_EQ(catalogue::RunServerProgram({"--help"}, out, err, never), 0);
  for (const std::string& word : checks::Words("--folder --address --port series yearly sample"))
    EXPECT_NE(out.str().find(word), std::string::npos) << word;
}

}  // namespace
