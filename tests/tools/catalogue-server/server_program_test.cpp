#include "server_program.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
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
      {{"--export", (temp_.Path() / "site").string()}, "--base-url"},
  };
  for (const auto& [args, says] : cases) {
    checks::Child child(args, ErrorFile());
    EXPECT_EQ(child.AnnouncedPort(), 0) << says;
    EXPECT_EQ(child.ExitCode(), 2) << says;
    EXPECT_NE(Errors().find(says), std::string::npos) << Errors();
  }
}

// Every file and folder below `folder` with the files' contents: what a failed export
// must leave as it was.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
  std::map<std::string, std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    found[checks::SlashPath(entry.path().lexically_relative(folder))] =
        entry.is_directory() ? "(folder)" : std::string(std::istreambuf_iterator<char>(in), {});
  }
  return found;
}

int RunInProcess(const std::vector<std::string>& args, std::string& said, std::string& errors) {
  std::ostringstream out, err;
  int code = catalogue::RunServerProgram(args, out, err, [](const catalogue::CatalogueServer&) {});
  said = out.str();
  errors = err.str();
  return code;
}

TEST_F(ProgramTest, AnExportRefusesBadInputWithTwoAndLeavesEverythingAsItWas) {
  temp_.Write("old/index.html", "an old export");
  temp_.Write("no pictures/notes.txt", "text");
  temp_.Write("a file", "not a folder");
  const std::string url = "https://example.org/pics";
  auto in = [&](const std::string& name) { return Utf8Path(temp_.Path() / name); };
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--folder", Folder(), "--export", in("old"), "--base-url", url}, "not empty"},
      {{"--folder", Folder(), "--export", in("a file"), "--base-url", url}, "not a folder"},
      {{"--folder", Folder(), "--export", in("absent/site"), "--base-url", url}, "does not exist"},
      {{"--folder", in("absent"), "--export", in("site"), "--base-url", url}, "no such folder"},
      {{"--folder", in("a file"), "--export", in("site"), "--base-url", url}, "no such folder"},
      {{"--folder", in("no pictures"), "--export", in("site"), "--base-url", url}, "no pictures"},
      {{"--export", in("site"), "--base-url", "ftp://example.org"}, "http://"},
      {{"--export", in("site"), "--base-url", url + "?x=1"}, "query"},
      {{"--export", in("site"), "--base-url", url + "#top"}, "fragment"},
      {{"--export", in("site"), "--base-url", "https:///pics"}, "host"},
      {{"--export", in("site")}, "--base-url"},
      {{"--export", in("site"), "--base-url", url, "--catalogue-path", "xml/"}, "catalogue path"},
      {{"--export", in("site"), "--base-url", url, "--catalogue-path", "/a/../b"},
       "catalogue path"},
      {{"--export", in("site"), "--base-url", url, "--catalogue-path", "/trawl/ping"},
       "/trawl/ping"},
      {{"--base-url", url, "--force"}, "--export"},
  };
  const auto before = Snapshot(temp_.Path());
  for (const auto& [args, says] : cases) {
    std::string said, errors;
    EXPECT_EQ(RunInProcess(args, said, errors), 2) << says;
    EXPECT_NE(errors.find(says), std::string::npos) << errors;
    EXPECT_EQ(said, "") << says;
    EXPECT_EQ(Snapshot(temp_.Path()), before) << says;
  }
}

TEST_F(ProgramTest, ForceReplacesAnOldExportAndLeavesNothingBesideIt) {
  temp_.Write("site/stale.txt", "from an old export");
  temp_.Write("site/trawl/catalog/gone.xml", "an album since removed");
  std::string said, errors;
  ASSERT_EQ(RunInProcess({"--folder", Folder(), "--export", Utf8Path(temp_.Path() / "site"),
                          "--base-url", "http://h", "--force"},
                         said, errors),
            0)
      << errors;
  EXPECT_NE(said.find("1 pictures"), std::string::npos) << said;
  const auto after = Snapshot(temp_.Path());
  EXPECT_EQ(after.count("site/stale.txt") + after.count("site/trawl/catalog/gone.xml"), 0u);
  EXPECT_EQ(after.at("site/trawl/pictures/a.jpg"), checks::SomeJpeg(32, 24));
  std::set<std::string> topLevel;
  for (const auto& entry : std::filesystem::directory_iterator(temp_.Path()))
    topLevel.insert(Utf8Path(entry.path().filename()));
  EXPECT_EQ(topLevel, (std::set<std::string>{kAlbum, "site"}));
}

TEST_F(ProgramTest, ServingWithABaseUrlAndACataloguePathMovesAddressesAndCatalogues) {
  std::ostringstream out, err;
  const std::vector<std::string> args{"--folder",         Folder(),
                                      "--port",           "0",
                                      "--base-url",       "https://h.example:8443/p/",
                                      "--catalogue-path", "/catalogues/for-trawl"};
  int code =
      catalogue::RunServerProgram(args, out, err, [](const catalogue::CatalogueServer& server) {
        httplib::Client client("127.0.0.1", server.Port());
        const std::string catalogues = "/catalogues/for-trawl";
        for (const std::string& name :
             checks::Words("sample.xml series/900/7.xml yearly/365/-1.xml")) {
          auto rows = checks::Read(client.Get((catalogues + "/" + name).c_str())->body).rows;
          ASSERT_EQ(rows.size(), 1u) << name;
          EXPECT_EQ(rows[0].address, "https://h.example:8443/p/trawl/pictures/a.jpg");
        }
        EXPECT_EQ(client.Get("/trawl/catalog/sample.xml")->status, 404);
        EXPECT_EQ(client.Get("/trawl/ping")->status, 200);
        EXPECT_EQ(client.Get("/trawl/pictures/a.jpg")->status, 200);
        EXPECT_NE(
            client.Get("/")->body.find("\"https://h.example:8443/p" + catalogues + "/sample.xml\""),
            std::string::npos);
      });
  EXPECT_EQ(code, 0) << err.str();
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
  for (const std::string& word : checks::Words(
           "--folder --address --port --export --base-url --catalogue-path --force series yearly "
           "sample canonical"))
    EXPECT_NE(out.str().find(word), std::string::npos) << word;
}

}  // namespace
