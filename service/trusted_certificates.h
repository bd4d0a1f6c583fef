#pragma once

#include <memory>
#include <string>
#include <vector>

struct x509_st;

namespace orb {

// A CaFile larger than this is no certificate bundle anyone meant.
constexpr std::size_t kLargestCaFile = std::size_t{4} << 20;

// Reads the user's extra CA certificates (a PEM bundle, as a company's TLS-inspecting proxy
// hands out). True with the file's text in `pem` when it holds at least one certificate and
// every certificate in it parses; false with why otherwise. A file others may change is
// refused: whoever can write it could read every request.
bool ReadCaFile(const std::string& path, std::string& pem, std::string& why);

struct CertificateFree
{
    void operator()(x509_st* certificate) const;
};
using Certificate = std::unique_ptr<x509_st, CertificateFree>;

// Every certificate in `pem`; empty when one of them does not parse.
std::vector<Certificate> ParseCertificates(const std::string& pem);

} // namespace orb
