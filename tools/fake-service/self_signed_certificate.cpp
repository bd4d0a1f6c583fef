#include "tools/fake-service/self_signed_certificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <random>

namespace orb::fake {

namespace {

constexpr long kValiditySeconds = 24 * 60 * 60;
constexpr long kClockSkewSeconds = 60;
constexpr const char* kCommonName = "127.0.0.1";
constexpr const char* kAlternativeNames = "IP:127.0.0.1,DNS:localhost";
constexpr const char* kCurve = "prime256v1"; // quick to make, and every TLS client knows it

struct KeyDeleter
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateDeleter
{
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool AddExtension(X509* certificate, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension) {
        return false;
    }
    bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

} // namespace

bool WriteSelfSignedCertificate(const std::string& directory, TlsFiles& files, std::string& error)
{
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen(kCurve));
    std::unique_ptr<X509, CertificateDeleter> certificate(X509_new());
    if (!key || !certificate) {
        error = "cannot make a key and a certificate";
        return false;
    }
    std::random_device random;
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), static_cast<long>(random() & 0x7FFFFFFF));
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -kClockSkewSeconds);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), kValiditySeconds);
    X509_set_pubkey(certificate.get(), key.get());
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(kCommonName), -1, -1,
                               0);
    X509_set_issuer_name(certificate.get(), name);
    if (!AddExtension(certificate.get(), NID_subject_alt_name, kAlternativeNames) ||
        X509_sign(certificate.get(), key.get(), EVP_sha256()) == 0) {
        error = "cannot sign the certificate";
        return false;
    }

    files.certificate = directory + "/fake-service-certificate.pem";
    files.privateKey = directory + "/fake-service-key.pem";
    FileHandle certificateFile(std::fopen(files.certificate.c_str(), "w"));
    FileHandle keyFile(std::fopen(files.privateKey.c_str(), "w"));
    if (!certificateFile || !keyFile) {
        error = "cannot write the certificate files in " + directory;
        return false;
    }
    chmod(files.privateKey.c_str(), S_IRUSR | S_IWUSR);
    if (PEM_write_X509(certificateFile.get(), certificate.get()) != 1 ||
        PEM_write_PrivateKey(keyFile.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        error = "cannot write the certificate files in " + directory;
        return false;
    }
    return true;
}

} // namespace orb::fake
