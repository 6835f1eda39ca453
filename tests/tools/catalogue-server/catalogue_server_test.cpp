#include "catalogue_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "catalogue_checks.h"

namespace {

using catalogue::CatalogueServer;

std::string Get(int port, const std::string& target) {
  return checks::RawExchange(port, "GET " + target + " HTTP/1.1\r\nConnection: close\r\n\r\n");
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { Serve(checks::Samples()); }
  void Serve(std::shared_ptr<const catalogue::PictureSet> pictures) {
    server_ = std::make_unique<CatalogueServer>(std::move(pictures), [this](const std::string& l) {
      std::lock_guard<std::mutex> hold(logLock_);
      log_.push_back(l);
    });
    std::string error;
    ASSERT_TRUE(server_->Start("127.0.0.1", 0, error)) << error;
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->Port());
  }

  // The server goes first: its serving threads write to the log until it stops.
  std::mutex logLock_;
  std::vector<std::string> log_;
  std::unique_ptr<httplib::Client> client_;
  std::unique_ptr<CatalogueServer> server_;
};

TEST_F(ServerTest, CataloguePointsAtTheRealPortAndHeadLengthsMatchTheBodies) {
  ASSERT_NE(server_->Port(), 0);
  EXPECT_EQ(server_->BaseUrl(), "http://127.0.0.1:" + std::to_string(server_->Port()));
  auto catalogue = client_->Get("/trawl/catalog/sample.xml");
  ASSERT_TRUE(catalogue);
  checks::ReadCatalogue read = checks::Read(catalogue->body);
  ASSERT_EQ(read.rows.size(), 12u);
  for (const checks::Row& row : read.rows) {
    ASSERT_EQ(row.address.rfind(server_->BaseUrl() + "/trawl/pictures/", 0), 0u) << row.address;
    std::string path = row.address.substr(server_->BaseUrl().size());
    auto head = client_->Head(path.c_str());
    auto get = client_->Get(path.c_str());
    ASSERT_TRUE(head && get) << path;
    EXPECT_TRUE(head->status == 200 && head->body.empty());
    EXPECT_EQ(head->get_header_value("Content-Type"), "image/jpeg");
    EXPECT_EQ(head->get_header_value("Content-Length"), std::to_string(get->body.size()));
    EXPECT_NE(checks::JpegSize(get->body).first, 0);
  }
  EXPECT_EQ(client_->Get("/trawl/catalog/series/927/1.xml")->status, 404);
  EXPECT_EQ(client_->Get("/")->status, 200);
}

TEST_F(ServerTest, FilesOutsideTheFolderAreNeverServed) {
  checks::TempFolder temp;
  temp.Write("pictures/inside.jpg", checks::SomeJpeg(8, 8));
  temp.Write("secret.jpg", "SECRET-OUTSIDE");
  std::string error;
  auto pictures = catalogue::LoadPictureFolder(temp.Path() / "pictures", error);
  ASSERT_TRUE(pictures) << error;
  server_.reset();
  Serve(pictures);
  for (const std::string& target :
       checks::Words("/trawl/pictures/../secret.jpg /trawl/pictures/%2e%2e/secret.jpg "
                     "/trawl/pictures/..%2fsecret.jpg /trawl/pictures/%2E%2E%2Fsecret.jpg "
                     "/trawl/pictures//etc/passwd /trawl/pictures/inside.jpg%00.txt "
                     "/trawl/../../../../etc/passwd /trawl/pictures/" +
                     temp.Path().string() + "/secret.jpg")) {
    std::string answer = Get(server_->Port(), target);
    EXPECT_EQ(checks::StatusOf(answer), 404) << target;
    EXPECT_EQ(answer.find("SECRET-OUTSIDE"), std::string::npos) << target;
    EXPECT_EQ(answer.find("root:"), std::string::npos) << target;
  }
  EXPECT_EQ(checks::StatusOf(Get(server_->Port(), "/trawl/pictures/inside.jpg")), 200);
}

TEST_F(ServerTest, MalformedHugeAndCutOffRequestsLeaveTheServerServing) {
  for (const std::string& request :
       {"GET /trawl/pictures/" + std::string(60000, 'a') + " HTTP/1.1\r\n\r\n",
        "GET /trawl/catalog/" + std::string(8000, '9') + ".xml HTTP/1.1\r\n\r\n",
        std::string("NONSENSE\r\n\r\n"), std::string("GET /trawl/ping HTTP/1.1\r\nHost")}) {
    checks::RawExchange(server_->Port(), request, true);
  }
  EXPECT_EQ(client_->Get("/trawl/ping")->status, 200);
}

TEST_F(ServerTest, ManyClientsAtOnceAllGetWholePictures) {
  std::string expected = client_->Get("/trawl/pictures/forest-02.jpg")->body;
  std::atomic<int> whole{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < 12; ++i) {
    clients.emplace_back([&] {
      httplib::Client client("127.0.0.1", server_->Port());
      for (int round = 0; round < 3; ++round) {
        auto got = client.Get("/trawl/pictures/forest-02.jpg");
        if (got && got->status == 200 && got->body == expected) ++whole;
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(whole, 36);
}

TEST_F(ServerTest, EachRequestIsOneLogLineWithoutRawControlBytes) {
  client_->Get("/trawl/ping");
  client_->Head("/trawl/pictures/city-01.jpg");
  Get(server_->Port(), "/a\x01\x1b[2J");
  server_->Stop();             // the log line follows the answer; stopping waits for it
  ASSERT_EQ(log_.size(), 3u);  // in the order the serving threads finish
  for (const std::string& expected :
       {"\"GET /trawl/ping\" 200", "\"HEAD /trawl/pictures/city-01.jpg\" 200", "\\x01\\x1B[2J"}) {
    EXPECT_TRUE(std::any_of(log_.begin(), log_.end(), [&](const std::string& line) {
      return line.find(expected) != std::string::npos;
    })) << expected;
  }
  for (const std::string& line : log_)
    EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) { return c >= 0 && c < 32; }));
}

TEST_F(ServerTest, AnOccupiedPortIsReportedAndStopReleasesIt) {
  int port = server_->Port();
  CatalogueServer second(checks::Samples());
  std::string error;
  EXPECT_FALSE(second.Start("127.0.0.1", port, error));
  EXPECT_NE(error.find(std::to_string(port)), std::string::npos) << error;
  EXPECT_FALSE(second.IsRunning());

  EXPECT_TRUE(server_->IsRunning());
  server_->Stop();
  EXPECT_FALSE(server_->IsRunning());
  EXPECT_EQ(Get(port, "/trawl/ping"), "");
  EXPECT_FALSE(server_->Start("127.0.0.1", 0, error)) << "a server starts once";
  CatalogueServer third(checks::Samples());
  EXPECT_TRUE(third.Start("127.0.0.1", port, error)) << error;
  EXPECT_EQ(checks::StatusOf(Get(port, "/trawl/ping")), 200);
}

}  // namespace
