#include "network.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <string>

namespace {

// A socket on 127.0.0.1 with an ephemeral port; listening when asked.
class LoopbackSocket {
 public:
  explicit LoopbackSocket(bool listening) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      port_ = -1;
    else
      port_ = ntohs(address.sin_port);
    if (listening) ::listen(fd_, 4);
  }
  ~LoopbackSocket() { ::close(fd_); }
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  int Port() const { return port_; }

 private:
  int fd_;
  int port_;
};

Text Address(const std::string& text) { return Text(text.begin(), text.end()); }

TEST(NetworkTest, StartingTwiceAnswersStartedAndIgnoresBrokenPipes) {
  NetworkServiceInit();
  EXPECT_EQ(NetworkStart(), 1);
  EXPECT_EQ(NetworkStart(), 1);
  struct sigaction action {};
  ASSERT_EQ(::sigaction(SIGPIPE, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_IGN);
  NetworkConnectionClose(3);  // no such connection: ignored
  NetworkEnd();
  EXPECT_EQ(NetworkStart(), 1);
  NetworkEnd();
}

TEST(NetworkTest, ConnectivityMeansAConnectionToTheAddressesHostAndPort) {
  LoopbackSocket open(true);
  ASSERT_GT(open.Port(), 0);
  const std::string port = std::to_string(open.Port());
  EXPECT_NE(CheckConnectivity(Address("http://127.0.0.1:" + port + "/trawl/ping")), 0);
  EXPECT_NE(CheckConnectivity(Address("https://127.0.0.1:" + port)), 0);
  EXPECT_NE(CheckConnectivity(Address("http://user@127.0.0.1:" + port + "?q")), 0);
  EXPECT_NE(CheckConnectivity(Address("127.0.0.1:" + port)), 0);

  int closedPort;
  {
    LoopbackSocket bound(false);  // bound but never listening: refused
    closedPort = bound.Port();
    EXPECT_EQ(CheckConnectivity(Address("http://127.0.0.1:" + std::to_string(closedPort) + "/")), 0);
  }
  EXPECT_EQ(CheckConnectivity(Address("http://127.0.0.1:" + std::to_string(closedPort) + "/")), 0);
}

TEST(NetworkTest, MalformedAddressesAreUnreachable) {
  for (const char* address : {"", "http://", "http:///path", "ftp://127.0.0.1:21/",
                              "http://127.0.0.1:99999/", "http://127.0.0.1:8o/", "http://[::1/"}) {
    EXPECT_EQ(CheckConnectivity(Address(address)), 0) << address;
  }
}

}  // namespace
