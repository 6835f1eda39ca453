#include "network.h"

#include <gtest/gtest.h>

#include <string>

#include "http_test_server.h"

namespace {

using trawl_test::HttpTestServer;

Text Address(const std::string& text) { return Text(text.begin(), text.end()); }

TEST(NetworkTest, StartingTwiceAnswersStarted) {
  NetworkServiceInit();
  EXPECT_EQ(NetworkStart(), 1);
  EXPECT_EQ(NetworkStart(), 1);
  NetworkConnectionClose(3);  // no such connection: ignored
  NetworkEnd();
  EXPECT_EQ(NetworkStart(), 1);
  NetworkEnd();
}

TEST(NetworkTest, ConnectivityMeansAConnectionToTheAddressesHostAndPort) {
  NetworkServiceInit();
  ASSERT_EQ(NetworkStart(), 1);
  HttpTestServer server;
  server.Start();
  const std::string port = std::to_string(server.Port());
  EXPECT_NE(CheckConnectivity(Address("http://127.0.0.1:" + port + "/trawl/ping")), 0);
  EXPECT_NE(CheckConnectivity(Address("https://127.0.0.1:" + port)), 0);
  EXPECT_NE(CheckConnectivity(Address("http://user@127.0.0.1:" + port + "?q")), 0);
  EXPECT_NE(CheckConnectivity(Address("127.0.0.1:" + port)), 0);

  server.Stop();  // nothing listens there any more: refused
  EXPECT_EQ(CheckConnectivity(Address("http://127.0.0.1:" + port + "/")), 0);
  NetworkEnd();
}

TEST(NetworkTest, MalformedAddressesAreUnreachable) {
  for (const char* address : {"", "http://", "http:///path", "ftp://127.0.0.1:21/",
                              "http://127.0.0.1:99999/", "http://127.0.0.1:8o/", "http://[::1/"}) {
    EXPECT_EQ(CheckConnectivity(Address(address)), 0) << address;
  }
}

}  // namespace
