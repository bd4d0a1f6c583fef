#pragma once

#include <string>

namespace orb {

// A CaFile larger than this is no certificate bundle anyone meant.
constexpr std::size_t kLargestCaFile = std::size_t{4} << 20;

// Reads the user's extra CA certificates (a PEM bundle, as a company's TLS-inspecting proxy
// hands out). True with the file's text in `pem` when it holds at least one certificate and
// every certificate in it parses; false with why otherwise. A file others may change is
// refused: whoever can write it could read every request.
bool ReadCaFile(const std::string& path, std::string& pem, std::string& why);

// The system's CA bundle followed by `extraPem`, so that the extra certificates add to the
// system's trust instead of replacing it.
std::string WithSystemCertificates(const std::string& extraPem);

} // namespace orb
