#include "catalogue_checks.h"

#include <expat.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "sample_pictures.h"
#include "server_platform.h"

namespace checks {
namespace {

struct Walker {
  ReadCatalogue result;
  std::vector<std::string> open;  // the open elements, "group" marked "pictures" when wanted
  std::string context;
  bool entryWaitsForChild = false;

  void TakeFirstChild(const std::string& address) {
    size_t n = open.size();
    if (entryWaitsForChild && n >= 3 && open[n - 3] == "section" && open[n - 2] == "pictures")
      result.rows.push_back({context + "_" + address.substr(address.rfind('/') + 1), address});
    entryWaitsForChild = false;
  }
};

std::string Attribute(const XML_Char** attributes, const char* name) {
  for (int i = 0; attributes[i]; i += 2)
    if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
  return {};
}

void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& w = *static_cast<Walker*>(data);
  std::string element = name;
  if (w.open.empty()) w.result.rootIsCatalogue = element == "catalogue";
  if (w.open.size() == 1 && element == "album") w.context = Attribute(attributes, "title");
  if (w.open.size() == 1 && element == "section") ++w.result.sections;
  if (w.entryWaitsForChild) w.TakeFirstChild(Attribute(attributes, "src"));
  if (element == "group" && Attribute(attributes, "kind") == "pictures") element = "pictures";
  w.open.push_back(element);
  w.entryWaitsForChild = element == "entry";
}

void Text(void* data, const XML_Char*, int) {
  auto& w = *static_cast<Walker*>(data);
  if (w.entryWaitsForChild) w.TakeFirstChild("");
}

void End(void* data, const XML_Char*) {
  auto& w = *static_cast<Walker*>(data);
  w.open.pop_back();
  w.entryWaitsForChild = false;
}

}  // namespace

ReadCatalogue Read(const std::string& xml) {
  Walker walker;
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetUserData(parser, &walker);
  XML_SetElementHandler(parser, Start, End);
  XML_SetCharacterDataHandler(parser, Text);
  walker.result.wellFormed =
      XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return walker.result;
}

std::pair<int, int> JpegSize(const std::string& bytes) {
  auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  size_t n = bytes.size();
  if (n < 4 || at(0) != 0xFF || at(1) != 0xD8 || at(n - 2) != 0xFF || at(n - 1) != 0xD9)
    return {0, 0};
  for (size_t i = 2; i + 9 < n && at(i) == 0xFF; i += 2 + (at(i + 2) << 8 | at(i + 3))) {
    if (at(i + 1) >= 0xC0 && at(i + 1) <= 0xC2)  // baseline, extended or progressive frame
      return {at(i + 7) << 8 | at(i + 8), at(i + 5) << 8 | at(i + 6)};
  }
  return {0, 0};
}

std::string SomeJpeg(int width, int height) {
  return catalogue::EncodeJpeg(catalogue::PaintScene(catalogue::Scene::City, 7, width, height), 75);
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("trawl-tools-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::Write(const std::filesystem::path& relative,
                                        const std::string& content) const {
  std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return file;
}

std::string SlashPath(const std::filesystem::path& relative) {
  std::string path;
  for (const std::filesystem::path& part : relative)
    path += (path.empty() ? "" : "/") + catalogue::platform::Utf8Path(part);
  return path;
}

std::shared_ptr<const catalogue::PictureSet> Samples() {
  static const auto samples = catalogue::MakeSamplePictureSet();
  return samples;
}

int StatusOf(const std::string& answer) {
  int status = 0;
  return std::sscanf(answer.c_str(), "HTTP/1.%*d %d", &status) == 1 ? status : 0;
}

int Child::AnnouncedPort() {
  int port = 0;
  char slash = 0;
  const std::string line = FirstLine();
  return std::sscanf(line.c_str(), "listening on http://127.0.0.1:%d%c", &port, &slash) == 2 &&
                 slash == '/'
             ? port
             : 0;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace checks
