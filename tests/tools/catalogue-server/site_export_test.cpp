#include "site_export.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "catalogue_checks.h"
#include "catalogue_document.h"
#include "server_platform.h"
#include "server_program.h"

namespace {

namespace fs = std::filesystem;
using catalogue::platform::PathFromUtf8;
using catalogue::platform::Utf8Path;

constexpr char kBaseUrl[] = "https://pictures.example.org/site";

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below `folder` by the address a static web server answers it at.
std::map<std::string, fs::path> ExportedFiles(const fs::path& folder) {
  std::map<std::string, fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::string path = "/" + checks::SlashPath(entry.path().lexically_relative(folder));
    files[path == "/index.html" ? "/" : path] = entry.path();
  }
  return files;
}

// What the export must hold, worked out from the set alone.
std::set<std::string> ExpectedPaths(const catalogue::PictureSet& set,
                                    const std::string& catalogues) {
  std::set<std::string> paths{"/", "/trawl/ping", catalogues + "/sample.xml"};
  for (const auto& album : set.albums) paths.insert(catalogues + "/" + album.slug + ".xml");
  size_t count = set.pictures.size();
  for (size_t a = 900; a <= 926; ++a) {
    for (size_t b = 0; b * (a - 899) < count; ++b)
      paths.insert(catalogues + "/series/" + std::to_string(a) + "/" + std::to_string(b) + ".xml");
  }
  for (size_t b = 0; b < count; ++b)
    paths.insert(catalogues + "/yearly/365/" + std::to_string(b) + ".xml");
  for (const auto& picture : set.pictures) paths.insert("/trawl/pictures/" + picture.path);
  return paths;
}

struct ExportCase {
  std::string name;
  bool ownFolder;             // a folder of the test's, else the built-in samples
  std::string cataloguePath;  // empty: the default
};

void PrintTo(const ExportCase& c, std::ostream* os) { *os << c.name; }

class SiteExportTest : public ::testing::TestWithParam<ExportCase> {
 protected:
  void SetUp() override {
    if (!GetParam().ownFolder) return;
    // Albums in subfolders, names with a space and outside ASCII, 14 pictures: several
    // pages in most series.
    const std::string jpeg = checks::SomeJpeg(24, 16);
    for (const std::string& name : checks::Words("a.jpg b.jpeg c.jpg"))
      temp_.Write(PathFromUtf8("Pictures/" + name), jpeg + name);
    for (int i = 0; i < 8; ++i)
      temp_.Write(
          PathFromUtf8("Pictures/Boats \xC3\xA9t\xC3\xA9/one two " + std::to_string(i) + ".jpg"),
          jpeg + std::to_string(i));
    for (const std::string& name : checks::Words("x.jpg y.jpg z.jpg"))
      temp_.Write(PathFromUtf8("Pictures/City/" + name), jpeg + name);
  }

  // The options both the export and the server are given.
  std::vector<std::string> SiteOptions() const {
    std::vector<std::string> args{"--base-url", std::string(kBaseUrl) + "/"};
    if (GetParam().ownFolder)
      args.insert(args.end(), {"--folder", Utf8Path(temp_.Path() / "Pictures")});
    if (!GetParam().cataloguePath.empty())
      args.insert(args.end(), {"--catalogue-path", GetParam().cataloguePath});
    return args;
  }

  std::shared_ptr<const catalogue::PictureSet> Set() const {
    std::string error;
    return GetParam().ownFolder ? catalogue::LoadPictureFolder(temp_.Path() / "Pictures", error)
                                : checks::Samples();
  }

  checks::TempFolder temp_;
};

TEST_P(SiteExportTest, EveryExportedFileIsWhatTheServerAnswersAndNothingIsMissingOrExtra) {
  const fs::path out = temp_.Path() / "site";
  std::vector<std::string> args = SiteOptions();
  args.insert(args.end(), {"--export", Utf8Path(out)});
  std::ostringstream said, errors;
  ASSERT_EQ(catalogue::RunServerProgram(args, said, errors, {}), 0) << errors.str();
  auto set = Set();
  ASSERT_TRUE(set);
  EXPECT_NE(said.str().find(std::to_string(set->pictures.size()) + " pictures"), std::string::npos)
      << said.str();

  const auto files = ExportedFiles(out);
  std::set<std::string> exported;
  for (const auto& [path, file] : files) exported.insert(path);
  std::string catalogues =
      GetParam().cataloguePath.empty() ? "/trawl/catalog" : GetParam().cataloguePath;
  EXPECT_EQ(exported, ExpectedPaths(*set, catalogues));
  auto rows = checks::Read(Contents(out / PathFromUtf8(catalogues.substr(1) + "/sample.xml"))).rows;
  ASSERT_EQ(rows.size(), set->pictures.size());
  EXPECT_EQ(rows[0].address.rfind(std::string(kBaseUrl) + "/trawl/pictures/", 0), 0u);

  args = SiteOptions();
  args.insert(args.end(), {"--port", "0"});
  std::ostringstream listening, log;
  int code = catalogue::RunServerProgram(
      args, listening, log, [&](const catalogue::CatalogueServer& server) {
        httplib::Client client("127.0.0.1", server.Port());
        for (const auto& [path, file] : files) {
          auto answer = client.Get(catalogue::EscapeUrlPath(path).c_str());
          ASSERT_TRUE(answer) << path;
          EXPECT_EQ(answer->status, 200) << path;
          EXPECT_TRUE(answer->body == Contents(file)) << path;
        }
      });
  EXPECT_EQ(code, 0) << log.str();
}

INSTANTIATE_TEST_SUITE_P(
    Sets, SiteExportTest,
    ::testing::Values(ExportCase{"FolderWithCataloguesAbovePictures", true, "/trawl"},
                      ExportCase{"Samples", false, ""},
                      ExportCase{"SamplesInALongerFolder", false, "/pictures/catalogue-files"}),
    [](const ::testing::TestParamInfo<ExportCase>& info) { return info.param.name; });

}  // namespace
