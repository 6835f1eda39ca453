#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "http.h"
#include "https_test_server.h"
#include "memory.h"

namespace {

using trawl_test::HttpsTestServer;
using trawl_test::MakeBody;

struct BlockDeleter {
  void operator()(uint8_t* block) const { MemoryFree(block); }
};
using Block = std::unique_ptr<uint8_t, BlockDeleter>;

std::string Fetched(const HttpsTestServer& server, std::string_view path) {
  Block block(FetchToMemoryBlock(server.UrlText(path), 0));
  return block ? std::string(reinterpret_cast<const char*>(block.get()),
                             static_cast<size_t>(MemorySize(block.get())))
               : std::string();
}

TEST(HttpsTest, AnUntrustedCertificateFailsUntilItsCaFileIsTrusted) {
  HttpsTestServer server;
  server.Start();
  httplib::SSLClient probe("127.0.0.1", server.Port());
  probe.enable_server_certificate_verification(false);
  auto answer = probe.Get("/bytes/100");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, MakeBody(100));

  EXPECT_EQ(FetchToMemory(server.UrlText("/bytes/100")), 0);
  EXPECT_EQ(FetchHeaders(server.UrlText("/bytes/100")), u"");

  const std::string caPath = ::testing::TempDir() + "trawl-http-test-ca.pem";
  std::ofstream(caPath) << server.CertificatePem();
  FetchSetCaFile(TextFromUtf8(caPath));
  EXPECT_EQ(Fetched(server, "/bytes/100"), MakeBody(100));
  EXPECT_NE(TextToUtf8(FetchHeaders(server.UrlText("/bytes/100"))).find("Content-Length: 100"),
            std::string::npos);
  FetchSetCaFile(u"");
  EXPECT_EQ(FetchToMemory(server.UrlText("/bytes/100")), 0);
  std::remove(caPath.c_str());
}

}  // namespace
