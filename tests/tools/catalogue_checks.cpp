#include "catalogue_checks.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <expat.h>
#include <jpeglib.h>

#include "sample_pictures.h"

namespace checks {
namespace {

// A DOM is more than these checks need: the reader keeps the path of open elements and
// the state of the entry being read.
struct Walker {
  ReadCatalogue result;
  std::vector<std::string> open;  // names of the open elements
  std::vector<bool> wantedGroup;  // per open element: a pictures group
  std::string context;
  bool entryNeedsChild = false;

  bool InPicturesGroup() const {
    size_t n = open.size();
    return n >= 3 && open[n - 3] == "section" && open[n - 2] == "group" && wantedGroup[n - 2] &&
           open[n - 1] == "entry";
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
  if (w.entryNeedsChild && w.InPicturesGroup()) {  // first child of a pictures entry
    std::string address = Attribute(attributes, "src");
    w.result.rows.push_back({w.context + "_" + address.substr(address.rfind('/') + 1), address});
    w.entryNeedsChild = false;
  }
  bool wanted = element == "group" && Attribute(attributes, "kind") == "pictures";
  w.open.push_back(element);
  w.wantedGroup.push_back(wanted);
  w.entryNeedsChild = element == "entry";
}

// Text before an entry's first element is its first child: such an entry has no address.
void Text(void* data, const XML_Char*, int) {
  auto& w = *static_cast<Walker*>(data);
  if (w.entryNeedsChild && w.InPicturesGroup()) {
    w.result.rows.push_back({w.context + "_", ""});
  }
  w.entryNeedsChild = false;
}

void End(void* data, const XML_Char*) {
  auto& w = *static_cast<Walker*>(data);
  w.open.pop_back();
  w.wantedGroup.pop_back();
  w.entryNeedsChild = false;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf escape;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->escape, 1);
}

void Decode(const std::string& bytes, JpegInfo& info) {
  jpeg_decompress_struct d{};
  JpegError error{};
  d.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpOut;
  error.manager.emit_message = [](j_common_ptr, int) {};
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&d);
    info.decodes = false;
    return;
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  info.width = static_cast<int>(d.output_width);
  info.height = static_cast<int>(d.output_height);
  std::vector<unsigned char> row(static_cast<size_t>(d.output_width) * d.output_components);
  while (d.output_scanline < d.output_height) {
    JSAMPROW rows[] = {row.data()};
    jpeg_read_scanlines(&d, rows, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  info.decodes = true;
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

JpegInfo InspectJpeg(const std::string& bytes) {
  JpegInfo info;
  if (!bytes.empty()) Decode(bytes, info);
  return info;
}

std::string TinyJpeg(int width, int height) {
  return catalogue::EncodeJpeg(catalogue::PaintScene(catalogue::Scene::City, 7, width, height),
                               75);
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("trawl-tools-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::Write(const std::string& relative,
                                        const std::string& content) const {
  std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  return file;
}

std::shared_ptr<const catalogue::PictureSet> Samples() {
  static const auto samples = catalogue::MakeSamplePictureSet();
  return samples;
}

std::string RawExchange(int port, const std::string& request, bool endSending) {
  int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  if (sock < 0) return {};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval guard{10, 0};  // a hung server fails the test instead of stalling it
  ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof guard);
  std::string answer;
  if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::send(sock, request.data(), request.size(), MSG_NOSIGNAL) ==
          static_cast<ssize_t>(request.size())) {
    if (endSending) ::shutdown(sock, SHUT_WR);
    char buffer[4096];
    for (ssize_t n; (n = ::recv(sock, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
  }
  ::close(sock);
  return answer;
}

int StatusOf(const std::string& answer) {
  int status = 0;
  return std::sscanf(answer.c_str(), "HTTP/1.%*d %d", &status) == 1 ? status : 0;
}

}  // namespace checks
