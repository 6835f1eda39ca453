#pragma once
// The catalogue server: publishes a picture set over HTTP (see catalogue_routes.h for
// the addresses) on a listening socket of its own, served by a small thread pool.
//
// Start, Stop and the destructor belong to one controlling thread; Port, BaseUrl and
// IsRunning may be read from any thread once Start has returned. The log receives one
// line per request, from the serving threads, one call at a time.
#include <functional>
#include <memory>
#include <string>

#include "picture_set.h"
#include "site_addresses.h"

namespace catalogue {

constexpr int kDefaultPort = 8917;
inline constexpr char kDefaultAddress[] = "127.0.0.1";

class CatalogueServer {
 public:
  using Log = std::function<void(const std::string& line)>;

  // `site` as checked by site_addresses.h.
  explicit CatalogueServer(std::shared_ptr<const PictureSet> pictures, Log log = {},
                           SiteAddresses site = {});
  ~CatalogueServer();
  CatalogueServer(const CatalogueServer&) = delete;
  CatalogueServer& operator=(const CatalogueServer&) = delete;

  // Binds `address`:`port` (0 = a free port) and serves until Stop. False with a
  // message in `error` when the address cannot be bound (in use, not local, invalid).
  // A server starts once; returns once the socket accepts connections. On POSIX, sets
  // SIGPIPE to be ignored when it has its default action.
  bool Start(const std::string& address, int port, std::string& error);

  // Stops accepting, finishes the requests under way and waits for the serving threads.
  void Stop();

  bool IsRunning() const;
  int Port() const;
  // "http://ADDRESS:PORT", the prefix of every src address the catalogues hand out
  // unless the site has a base URL of its own.
  std::string BaseUrl() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// "http://HOST:PORT", with IPv6 hosts in brackets.
std::string MakeBaseUrl(const std::string& host, int port);

}  // namespace catalogue
