#include "service/trusted_certificates.h"

#include "core/atomic_file.h"

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace orb {

namespace {

struct BioDeleter
{
    void operator()(BIO* bio) const { BIO_free(bio); }
};
struct X509Deleter
{
    void operator()(X509* certificate) const { X509_free(certificate); }
};

// The number of certificates in `pem`, or -1 when one of them does not parse.
int CountCertificates(const std::string& pem)
{
    std::unique_ptr<BIO, BioDeleter> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio)
        return -1;
    int count = 0;
    ERR_clear_error();
    for (;;) {
        std::unique_ptr<X509, X509Deleter> certificate(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        if (!certificate)
            break;
        ++count;
    }
    // Running out of blocks is the normal end; anything else is a broken certificate.
    const unsigned long last = ERR_peek_last_error();
    const bool cleanEnd =
        last == 0 || (ERR_GET_LIB(last) == ERR_LIB_PEM && ERR_GET_REASON(last) == PEM_R_NO_START_LINE);
    ERR_clear_error();
    return cleanEnd ? count : -1;
}

bool ReadableFile(const std::string& path, std::string& text)
{
    bool missing = false;
    std::string error;
    return ReadWholeFile(path, text, missing, error);
}

} // namespace

bool ReadCaFile(const std::string& path, std::string& pem, std::string& why)
{
    struct stat info
    {};
    if (::stat(path.c_str(), &info) == 0) {
        // A system-wide bundle belongs to root; the user's own is fine too.
        if (info.st_uid != ::geteuid() && info.st_uid != 0) {
            why = path + " belongs to another user";
            return false;
        }
        if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            why = "others may write " + path;
            return false;
        }
        if (static_cast<std::size_t>(info.st_size) > kLargestCaFile) {
            why = path + " is too large for a certificate bundle";
            return false;
        }
    }
    std::string text;
    bool missing = false;
    std::string error;
    if (!ReadWholeFile(path, text, missing, error)) {
        why = error;
        return false;
    }
    const int count = CountCertificates(text);
    if (count < 0) {
        why = path + " holds a certificate that cannot be read";
        return false;
    }
    if (count == 0) {
        why = path + " holds no PEM certificate";
        return false;
    }
    pem = std::move(text);
    return true;
}

std::string WithSystemCertificates(const std::string& extraPem)
{
    std::string bundle;
    const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
    if (!(version->cainfo && ReadableFile(version->cainfo, bundle)))
        ReadableFile(X509_get_default_cert_file(), bundle);
    if (!bundle.empty() && bundle.back() != '\n')
        bundle += '\n';
    return bundle + extraPem;
}

} // namespace orb
