#pragma once
// The loopback test server of http_test_server.h over TLS, with a fresh self-signed
// certificate for 127.0.0.1 that nobody trusts. Linux only: it needs OpenSSL (link with
// trawl_http_test_server, which brings it there).
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <stdexcept>
#include <string>

#include "http_test_server.h"

namespace trawl_test {

class SelfSignedCertificate {
 public:
  SelfSignedCertificate() : key_(EVP_EC_gen("P-256")), cert_(X509_new()) {
    if (!key_ || !cert_) throw std::runtime_error("no certificate");
    X509_set_version(cert_, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert_), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert_), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert_), 86400);
    X509_set_pubkey(cert_, key_);
    X509_NAME* name = X509_get_subject_name(cert_);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert_, name);
    // The address matches, so only the missing trust can make a client refuse it.
    X509_EXTENSION* altName =
        X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, const_cast<char*>("IP:127.0.0.1"));
    X509_add_ext(cert_, altName, -1);
    X509_EXTENSION_free(altName);
    if (!X509_sign(cert_, key_, EVP_sha256())) throw std::runtime_error("no signature");
  }
  ~SelfSignedCertificate() {
    X509_free(cert_);
    EVP_PKEY_free(key_);
  }
  SelfSignedCertificate(const SelfSignedCertificate&) = delete;
  SelfSignedCertificate& operator=(const SelfSignedCertificate&) = delete;

  X509* Certificate() const { return cert_; }
  EVP_PKEY* Key() const { return key_; }

  std::string Pem() const {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert_);
    char* bytes = nullptr;
    const long length = BIO_get_mem_data(bio, &bytes);
    std::string pem(bytes, static_cast<size_t>(length));
    BIO_free(bio);
    return pem;
  }

 private:
  EVP_PKEY* key_;
  X509* cert_;
};

class HttpsTestServer : public HttpTestServer {
 public:
  HttpsTestServer() : HttpsTestServer(SelfSignedCertificate()) {}

 private:
  explicit HttpsTestServer(const SelfSignedCertificate& certificate)
      : HttpTestServer(std::make_unique<httplib::SSLServer>(certificate.Certificate(), certificate.Key()),
                       Scheme::kHttps, certificate.Pem()) {}
};

}  // namespace trawl_test
