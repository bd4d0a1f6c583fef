#include "service/trusted_certificates.h"
#include "tools/fake-service/self_signed_certificate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace orb {
namespace {

std::size_t CountBlocks(const std::string& pem)
{
    std::size_t count = 0;
    for (std::size_t at = pem.find("-----BEGIN CERTIFICATE-----"); at != std::string::npos;
         at = pem.find("-----BEGIN CERTIFICATE-----", at + 1))
        ++count;
    return count;
}

// A proxy's certificate must not cost the user every other site: Google's own chain still
// has to verify when the proxy is switched off.
TEST(TrustedCertificates, ACaFileAddsToTheSystemsCertificatesInsteadOfReplacingThem)
{
    const auto folder = std::filesystem::temp_directory_path() / ("orb-trust-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    fake::TlsFiles files;
    std::string error;
    ASSERT_TRUE(fake::WriteSelfSignedCertificate(folder.string(), files, error)) << error;
    std::string pem;
    ASSERT_TRUE(ReadCaFile(files.certificate, pem, error)) << error;
    EXPECT_EQ(CountBlocks(pem), 1u);

    const std::string bundle = WithSystemCertificates(pem);
    // Debian's bundle holds well over a hundred authorities.
    EXPECT_GT(CountBlocks(bundle), 100u);
    EXPECT_EQ(bundle.substr(bundle.size() - pem.size()), pem);
    EXPECT_EQ(bundle.find("-----END CERTIFICATE----------BEGIN"), std::string::npos) << "blocks run together";

    // A private key is no certificate: naming the wrong file of the pair is told, not trusted.
    EXPECT_FALSE(ReadCaFile(files.privateKey, pem, error));
    EXPECT_EQ(error, files.privateKey + " holds no PEM certificate");
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace orb
