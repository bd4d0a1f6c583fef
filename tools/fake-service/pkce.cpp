#include "tools/fake-service/pkce.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cctype>

namespace orb::fake {

namespace {

constexpr std::size_t kShortestVerifier = 43;
constexpr std::size_t kLongestVerifier = 128;

bool IsUnreserved(unsigned char c)
{
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

} // namespace

bool IsVerifierShaped(const std::string& text)
{
    return text.size() >= kShortestVerifier && text.size() <= kLongestVerifier &&
           std::all_of(text.begin(), text.end(), [](char c) { return IsUnreserved(static_cast<unsigned char>(c)); });
}

std::string S256Challenge(const std::string& verifier)
{
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(verifier.data()), verifier.size(), digest);
    // EVP_EncodeBlock writes padded standard base64 and a terminator.
    unsigned char encoded[4 * ((SHA256_DIGEST_LENGTH + 2) / 3) + 1];
    int length = EVP_EncodeBlock(encoded, digest, SHA256_DIGEST_LENGTH);
    std::string challenge(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(length));
    challenge.erase(challenge.find_last_not_of('=') + 1);
    std::replace(challenge.begin(), challenge.end(), '+', '-');
    std::replace(challenge.begin(), challenge.end(), '/', '_');
    return challenge;
}

bool VerifierAnswersChallenge(const std::string& method, const std::string& challenge, const std::string& verifier)
{
    if (!IsVerifierShaped(verifier)) {
        return false;
    }
    if (method == kChallengeS256) {
        return S256Challenge(verifier) == challenge;
    }
    return method == kChallengePlain && verifier == challenge;
}

} // namespace orb::fake
