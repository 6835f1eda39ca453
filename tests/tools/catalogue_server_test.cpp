#include "catalogue_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "catalogue_checks.h"

namespace {

using catalogue::CatalogueServer;

class ServerTest : public ::testing::Test {
 protected:
  void Serve(std::shared_ptr<const catalogue::PictureSet> pictures) {
    server_ = std::make_unique<CatalogueServer>(std::move(pictures), [this](const std::string& l) {
      std::lock_guard<std::mutex> hold(logLock_);
      log_.push_back(l);
    });
    std::string error;
    ASSERT_TRUE(server_->Start("127.0.0.1", 0, error)) << error;
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->Port());
    client_->set_read_timeout(10);
  }
  void SetUp() override { Serve(checks::Samples()); }

  std::string Body(const std::string& path) {
    auto result = client_->Get(path.c_str());
    return result && result->status == 200 ? result->body : "";
  }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> hold(logLock_);
    return log_;
  }

  // The server goes first: its serving threads write to the log until it stops.
  std::mutex logLock_;
  std::vector<std::string> log_;
  std::unique_ptr<httplib::Client> client_;
  std::unique_ptr<CatalogueServer> server_;
};

TEST_F(ServerTest, CataloguePointsAtTheRealPortAndEveryPictureHasMatchingHeadAndGet) {
  ASSERT_NE(server_->Port(), 0);
  EXPECT_EQ(server_->BaseUrl(), "http://127.0.0.1:" + std::to_string(server_->Port()));
  checks::ReadCatalogue read = checks::Read(Body("/trawl/catalog/sample.xml"));
  ASSERT_TRUE(read.wellFormed);
  ASSERT_EQ(read.rows.size(), 12u);
  for (const checks::Row& row : read.rows) {
    ASSERT_EQ(row.address.rfind(server_->BaseUrl() + "/trawl/pictures/", 0), 0u) << row.address;
    std::string path = row.address.substr(server_->BaseUrl().size());
    auto head = client_->Head(path.c_str());
    auto get = client_->Get(path.c_str());
    ASSERT_TRUE(head && get) << path;
    EXPECT_EQ(head->status, 200);
    EXPECT_TRUE(head->body.empty());
    EXPECT_EQ(head->get_header_value("Content-Type"), "image/jpeg");
    EXPECT_EQ(get->get_header_value("Content-Type"), "image/jpeg");
    EXPECT_EQ(head->get_header_value("Content-Length"), std::to_string(get->body.size()));
    EXPECT_TRUE(checks::InspectJpeg(get->body).decodes);
  }
}

TEST_F(ServerTest, ConnectivityPairAndNotFoundOverTheWire) {
  EXPECT_EQ(client_->Get("/trawl/ping")->status, 200);
  EXPECT_EQ(client_->Get("/")->status, 200);
  EXPECT_EQ(client_->Head("/")->status, 200);
  auto missing = client_->Get("/trawl/catalog/series/927/1.xml");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  EXPECT_EQ(missing->get_header_value("Content-Type").rfind("text/html", 0), 0u);
  EXPECT_EQ(client_->Post("/trawl/ping", "x", "text/plain")->status, 405);
  // Series pages over the wire: a query string does not change the page.
  EXPECT_EQ(checks::Read(Body("/trawl/catalog/series/902/3.xml?x=1")).rows.size(), 3u);
}

TEST_F(ServerTest, FilesOutsideTheFolderAreNeverServed) {
  checks::TempFolder temp;
  temp.Write("pictures/inside.jpg", checks::TinyJpeg(8, 8));
  temp.Write("secret.jpg", "SECRET-OUTSIDE");
  std::string error;
  auto pictures = catalogue::LoadPictureFolder(temp.Path() / "pictures", error);
  ASSERT_TRUE(pictures) << error;
  server_.reset();
  Serve(pictures);
  for (std::string target : std::vector<std::string>{
           "/trawl/pictures/../secret.jpg", "/trawl/pictures/%2e%2e/secret.jpg",
        "/trawl/pictures/..%2fsecret.jpg", "/trawl/pictures/%2E%2E%2Fsecret.jpg",
        "/trawl/pictures//etc/passwd",
        "/trawl/pictures/" + (temp.Path() / "secret.jpg").string(),
        "/trawl/pictures/inside.jpg%00.txt", "/trawl/../../../../etc/passwd"}) {
    std::string answer = checks::RawExchange(
        server_->Port(), "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_NE(checks::StatusOf(answer), 200) << target;
    EXPECT_NE(checks::StatusOf(answer), 0) << target << " got no answer";
    EXPECT_EQ(answer.find("SECRET-OUTSIDE"), std::string::npos) << target;
    EXPECT_EQ(answer.find("root:"), std::string::npos) << target;
  }
  std::string inside = checks::RawExchange(
      server_->Port(), "GET /trawl/pictures/inside.jpg HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(checks::StatusOf(inside), 200);
}

TEST_F(ServerTest, MalformedAndHugeRequestsGetAnAnswerAndTheServerCarriesOn) {
  std::string huge = "/trawl/pictures/" + std::string(60000, 'a');
  for (std::string request :
       {"GET " + huge + " HTTP/1.1\r\nConnection: close\r\n\r\n",
        "GET /trawl/catalog/" + std::string(8000, '9') + ".xml HTTP/1.1\r\nConnection: close\r\n\r\n",
        std::string("NONSENSE\r\n\r\n"), std::string("GET /trawl/ping HTTP/1.1\r\nHost")}) {
    checks::RawExchange(server_->Port(), request, true);
  }
  EXPECT_EQ(client_->Get("/trawl/ping")->status, 200);
}

TEST_F(ServerTest, ManyClientsAtOnceAllGetWholePictures) {
  std::string expected = Body("/trawl/pictures/forest-02.jpg");
  ASSERT_FALSE(expected.empty());
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
  checks::RawExchange(server_->Port(), "GET /a\x01\x1b[2J HTTP/1.1\r\nConnection: close\r\n\r\n");
  server_->Stop();  // the logger runs after the answer; stopping waits for it
  std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 3u);  // the serving threads log in the order they finish
  auto logged = [&](const std::string& text) {
    return std::any_of(log.begin(), log.end(),
                       [&](const std::string& line) { return line.find(text) != line.npos; });
  };
  EXPECT_TRUE(logged("\"GET /trawl/ping\" 200"));
  EXPECT_TRUE(logged("\"HEAD /trawl/pictures/city-01.jpg\" 200"));
  EXPECT_TRUE(logged("\\x01\\x1B[2J"));
  for (const std::string& line : log) {
    for (char c : line) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << line;
  }
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
  EXPECT_EQ(checks::RawExchange(port, "GET /trawl/ping HTTP/1.1\r\n\r\n"), "");
  EXPECT_FALSE(server_->Start("127.0.0.1", 0, error)) << "a server starts once";

  CatalogueServer third(checks::Samples());
  EXPECT_TRUE(third.Start("127.0.0.1", port, error)) << error;
  EXPECT_EQ(checks::StatusOf(checks::RawExchange(
                port, "GET /trawl/ping HTTP/1.1\r\nConnection: close\r\n\r\n")),
            200);
}

TEST(BaseUrl, Ipv6HostsAreBracketed) {
  EXPECT_EQ(catalogue::MakeBaseUrl("::1", 80), "http://[::1]:80");
  EXPECT_EQ(catalogue::MakeBaseUrl("127.0.0.1", 8917), "http://127.0.0.1:8917");
}

}  // namespace
