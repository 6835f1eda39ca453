#include "run_fixture.h"

#include <fstream>
#include <iterator>
#include <thread>

#include "app_state.h"
#include "events.h"
#include "gadgets.h"
#include "picture_helpers.h"
#include "report_list.h"
#include "toolbar.h"
#include "worker_events.h"

using namespace std::chrono_literals;

namespace run_test {

std::string MakeJpeg(int width, int height) {
  Picture picture{width, height, std::vector<Rgb>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.At(x, y) = Rgb{20, static_cast<uint8_t>(60 + 150 * x / width),
                             static_cast<uint8_t>(80 + 150 * y / height)};
  const std::vector<uint8_t> bytes = JpegFile(picture, 3, 92);
  return std::string(bytes.begin(), bytes.end());
}

int SmallestQuantizer(const std::string& jpeg) {
  auto byte = [&jpeg](size_t at) { return static_cast<uint8_t>(jpeg[at]); };
  int smallest = 0;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && byte(at) == 0xFF) {
    const uint8_t marker = byte(at + 1);
    const size_t length = size_t{byte(at + 2)} << 8 | byte(at + 3);
    if (marker == 0xDA) break;  // the picture data begin
    if (marker == 0xDB) {
      size_t table = at + 4;
      const size_t end = std::min(at + 2 + length, jpeg.size());
      while (table < end) {
        const bool wide = byte(table) >> 4;
        ++table;
        for (int i = 0; i < 64 && table < end; ++i) {
          const int step = wide ? byte(table) << 8 | byte(table + 1) : byte(table);
          table += wide ? 2 : 1;
          if (smallest == 0 || step < smallest) smallest = step;
        }
      }
    }
    at += 2 + length;
  }
  return smallest;
}

Text Grouped(int64_t value) {
  Text digits = TextFromInt(value);
  for (int64_t at = static_cast<int64_t>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), T(TextRole::GroupingSeparator));
  return digits;
}

Text WithUnit(const char16_t* value, int64_t unit) {
  return Text(value) + T(TextRole::UnitSeparator) +
         TextField(T(TextRole::UnitList), unit, T(TextRole::UnitListSeparator));
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(PathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

RunTest::~RunTest() { released_ = true; }

void RunTest::TearDown() {
  released_ = true;
  if (app_.Running()) EXPECT_EQ(app_.Stop(), 0);
}

void RunTest::Start() {
  ASSERT_TRUE(scratch_.Valid());
  folder_ = scratch_.Path() + Separator() + "downloads" + Separator();
  ASSERT_TRUE(MakeFolders(folder_));
  ASSERT_TRUE(app_.Start(TestTextTable(server_.Port())));
  SetDownloadFolder(folder_);
}

void RunTest::Query(const std::vector<std::string>& paths, const std::string& album) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const std::string& path : paths) entries.emplace_back(album, path);
  QueryAlbums(entries);
}

void RunTest::QueryAlbums(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string xml = "<catalogue>";
  for (const auto& [album, path] : entries) {
    xml += "<album title=\"" + album + "\"/><section><group kind=\"pictures\"><entry><image src=\"" +
           server_.Url(path) + "\"/></entry></group></section>";
  }
  xml += "</catalogue>";
  const std::string catalogue = TestAddressesFor(server_.Port()).cataloguePrefix + "/run.xml";
  server_.Serve(catalogue.substr(server_.Url("").size()), xml);
  app_.Search(catalogue);
  ASSERT_EQ(Rows().size(), entries.size());
}

void RunTest::SetDownloadFolder(const std::string& folder) {
  app_.OnUi([folder] { DownloadFolder = TextFromUtf8(folder); });
}

std::string RunTest::PublishPicture(const std::string& name, int width, int height) {
  std::string jpeg = MakeJpeg(width, height);
  server_.Serve(PicturePath(name), jpeg, "image/jpeg");
  return jpeg;
}

std::string RunTest::PublishGatedPicture(const std::string& name) {
  std::string jpeg = MakeJpeg(400, 300);
  server_.Handle(PicturePath(name), [this, jpeg](const httplib::Request& request,
                                                 httplib::Response& response) {
    for (int waited = 0; request.method != "HEAD" && !released_ && waited < 20000; waited += 10)
      std::this_thread::sleep_for(10ms);
    response.set_content(jpeg, "image/jpeg");
  });
  return jpeg;
}

std::string RunTest::PublishStalledPicture(const std::string& name) {
  std::string jpeg = MakeJpeg(400, 300);
  server_.Handle(PicturePath(name), [this, jpeg](const httplib::Request&,
                                                 httplib::Response& response) {
    response.set_content_provider(
        jpeg.size(), "image/jpeg",
        [this, jpeg](size_t offset, size_t, httplib::DataSink& sink) {
          if (offset == 0) return sink.write(jpeg.data(), jpeg.size() / 2);
          for (int waited = 0; !released_ && waited < 20000; waited += 10)
            std::this_thread::sleep_for(10ms);
          return sink.write(jpeg.data() + offset, jpeg.size() - offset);
        });
  });
  return jpeg;
}

void RunTest::PublishLength(const std::string& path, int64_t length, const std::string& header,
                            int delayMs) {
  server_.Handle(path, [=](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    response.set_header(header.c_str(), std::to_string(length));
  });
}

std::string RunTest::SaveWholeOnce() {
  PublishPicture("whole.jpg");
  Query({PicturePath("whole.jpg")});
  WriteFlags({2});
  Command(kMenuDownload);
  EXPECT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Rows()[0][kColumnStatus], T(TextRole::StatusTextDone));
  Command(kMenuResetAll);
  WriteFlags({2});
  return ReadFile(folder_ + "Run_whole.jpg");
}

void RunTest::ExpectFailedAndLeftAlone(const std::string& good) {
  EXPECT_EQ(Rows()[0][kColumnStatus], T(TextRole::StatusTextFailed));
  EXPECT_EQ(ReadFile(folder_ + "Run_whole.jpg"), good);
  EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"Run_whole.jpg"}));
}

void RunTest::Command(int64_t item) {
  app_.OnUi([item] { EventRaise(kEventMenu, kMainWindow, item, 0, 0, false); });
}

void RunTest::WriteFlags(const std::vector<int64_t>& flags) {
  app_.OnUi([&flags] {
    for (size_t row = 0; row < flags.size(); ++row)
      ListSetItemFlags(kItemList, static_cast<int64_t>(row), flags[row]);
  });
}

int64_t RunTest::StatusColour(int64_t row) {
  return app_.OnUiValue<int64_t>(
      [row] { return ListGetCellColor(kItemList, row, kListColourText, kColumnStatus); });
}

std::pair<int64_t, int64_t> RunTest::Bars() {
  return app_.OnUiValue<std::pair<int64_t, int64_t>>([] {
    auto above = [](int64_t bar) {
      return GadgetGetValue(bar) - GadgetGetProperty(bar, kProgressMinimum);
    };
    return std::pair{above(kFileProgressBar), above(kBatchProgressBar)};
  });
}

std::vector<int> RunTest::Enabled() {
  return app_.OnUiValue<std::vector<int>>([] {
    return std::vector<int>{!ToolbarIsButtonDisabled(kMainToolbar, kClearButton),
                            !ToolbarIsButtonDisabled(kMainToolbar, kDownloadButton),
                            !ToolbarIsButtonDisabled(kMainToolbar, kStopButton),
                            !GadgetIsDisabled(kSearchField),
                            !GadgetIsDisabled(kFolderButton),
                            !GadgetIsDisabled(kFolderField)};
  });
}

bool RunTest::WaitForStatus(int64_t row, TextRole status, std::chrono::milliseconds timeout) {
  return app_.WaitUntil(
      [row, status] { return ListGetCellText(kItemList, row, kColumnStatus) == T(status); },
      timeout);
}

bool RunTest::WaitForRunEnd(std::chrono::milliseconds timeout) {
  return app_.WaitUntil([] { return DownloadActive == 0 && !DownloadWorkerPending(); }, timeout);
}

bool RunTest::WaitForBoxes(size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (app_.Boxes().size() < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

std::vector<std::string> RunTest::SavedFiles() const { return NamesIn(folder_, true); }

}  // namespace run_test
