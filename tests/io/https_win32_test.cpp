#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "curl_handles.h"
#include "http.h"
#include "memory.h"

namespace {

// The server is a Linux one that scripts/windows/test.sh starts with a fresh self-signed
// certificate for "localhost": TRAWL_TEST_HTTPS_URL names a file it serves,
// TRAWL_TEST_HTTPS_BODY holds that file's content, TRAWL_TEST_HTTPS_CA the server's
// certificate and TRAWL_TEST_HTTPS_OTHER_CA another one (PEM files, Windows paths).
std::string Setting(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Fetched(TextView url) {
  uint8_t* block = FetchToMemoryBlock(url, 0);
  const std::string bytes = block ? std::string(reinterpret_cast<const char*>(block),
                                                static_cast<size_t>(MemorySize(block)))
                                  : std::string();
  MemoryFree(block);
  return bytes;
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(HttpsTest, OnlyACertificateThatChainsToATrustedRootIsAccepted) {
  const std::string url = Setting("TRAWL_TEST_HTTPS_URL");
  const std::string body = Setting("TRAWL_TEST_HTTPS_BODY");
  const std::string ca = Setting("TRAWL_TEST_HTTPS_CA");
  const std::string otherCa = Setting("TRAWL_TEST_HTTPS_OTHER_CA");
  if (url.empty() || body.empty() || ca.empty() || otherCa.empty())
    GTEST_SKIP() << "no HTTPS test server named";
  const Text address = TextFromUtf8(url);

  FetchSetCaFile(TextFromUtf8(ca));
  EXPECT_EQ(Fetched(address), body);
  EXPECT_NE(TextToUtf8(FetchHeaders(address)).find("Content-Length: "), std::string::npos);
  FetchSetCaFile(TextFromUtf8(otherCa));
  EXPECT_EQ(FetchToMemory(address), 0);
  EXPECT_EQ(FetchHeaders(address), u"");
  FetchSetCaFile(u"");
  // Without a CA file Schannel checks the chain against the Windows store, where this
  // certificate is not. Wine's Schannel accepts any chain there, so only Windows can tell.
  if (UnderWine()) {
    RecordProperty("store_check", "not checked: Wine's Schannel does not validate chains");
  } else {
    EXPECT_EQ(FetchToMemory(address), 0);
  }
}

// Windows' Schannel fails a handshake whose certificate's revocation state cannot be
// learnt, which Wine's does not model: what can be checked here is that requests ask for a
// best-effort check from the Schannel the program is built with, and do not switch the
// check off (a revoked certificate must still fail).
TEST(HttpsTest, RevocationIsCheckedAsFarAsItCanBeLearnt) {
  const curl_version_info_data* library = curl_version_info(CURLVERSION_NOW);
  ASSERT_NE(library->ssl_version, nullptr);
  EXPECT_NE(std::string(library->ssl_version).find("Schannel"), std::string::npos) << library->ssl_version;
  EXPECT_NE(kCurlTlsOptions & CURLSSLOPT_REVOKE_BEST_EFFORT, 0);
  EXPECT_EQ(kCurlTlsOptions & CURLSSLOPT_NO_REVOKE, 0);
  CurlHandle handle = CurlHandleTake();
  ASSERT_TRUE(handle);
  EXPECT_EQ(curl_easy_setopt(handle.get(), CURLOPT_SSL_OPTIONS, kCurlTlsOptions), CURLE_OK);
}

}  // namespace
