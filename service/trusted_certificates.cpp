#include "service/trusted_certificates.h"

#include "core/atomic_file.h"

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

// The number of certificates in `pem`, or -1 when one of them does not parse.
int CountCertificates(const std::string& pem, std::vector<Certificate>* parsed)
{
    std::unique_ptr<BIO, BioDeleter> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio)
        return -1;
    std::vector<Certificate> certificates;
    ERR_clear_error();
    while (X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr))
        certificates.emplace_back(certificate);
    // Running out of blocks is the normal end; anything else is a broken certificate.
    const unsigned long last = ERR_peek_last_error();
    const bool cleanEnd =
        last == 0 || (ERR_GET_LIB(last) == ERR_LIB_PEM && ERR_GET_REASON(last) == PEM_R_NO_START_LINE);
    ERR_clear_error();
    if (!cleanEnd)
        return -1;
    const int count = static_cast<int>(certificates.size());
    if (parsed)
        *parsed = std::move(certificates);
    return count;
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
    const int count = CountCertificates(text, nullptr);
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

void CertificateFree::operator()(x509_st* certificate) const
{
    X509_free(certificate);
}

std::vector<Certificate> ParseCertificates(const std::string& pem)
{
    std::vector<Certificate> certificates;
    CountCertificates(pem, &certificates);
    return certificates;
}

} // namespace orb
