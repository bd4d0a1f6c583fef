#include "service/pkce.h"

#include "service/text_codec.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <string_view>

namespace orb {

namespace {

// RFC 7636's unreserved characters; url-safe as they are.
constexpr std::string_view kUnreserved = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~";

constexpr const char* kCalendarScopePath = "/auth/calendar";
constexpr const char* kTasksScopePath = "/auth/tasks";

// Bytes at or above the largest multiple of the alphabet's size are drawn again, so every
// character is equally likely.
std::string RandomText(std::size_t length, std::string_view alphabet)
{
    constexpr std::size_t kByteValues = 256;
    const std::size_t usable = kByteValues - kByteValues % alphabet.size();
    std::string text;
    text.reserve(length);
    unsigned char pool[64];
    while (text.size() < length) {
        if (RAND_bytes(pool, sizeof pool) != 1)
            return {};
        for (const unsigned char byte : pool) {
            if (byte < usable && text.size() < length)
                text += alphabet[byte % alphabet.size()];
        }
    }
    return text;
}

std::string Base64UrlWithoutPadding(const unsigned char* bytes, int size)
{
    std::string text(4 * ((size + 2) / 3) + 1, '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes, size);
    text.resize(written);
    while (!text.empty() && text.back() == '=')
        text.pop_back();
    for (char& c : text)
        c = c == '+' ? '-' : c == '/' ? '_' : c;
    return text;
}

} // namespace

std::string MakeCodeVerifier()
{
    return RandomText(kCodeVerifierLength, kUnreserved);
}

std::string CodeChallengeS256(const std::string& verifier)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(verifier.data(), verifier.size(), digest, &size, EVP_sha256(), nullptr) != 1)
        return {};
    return Base64UrlWithoutPadding(digest, static_cast<int>(size));
}

std::string MakeState()
{
    return RandomText(kStateLength, kUnreserved);
}

std::string BrowserConsentUrl(const ServiceConfig& config, const std::string& redirectUri, const std::string& challenge,
                              const std::string& state)
{
    const std::string scopes = config.apiBase + kCalendarScopePath + " " + config.apiBase + kTasksScopePath;
    return config.authUri + "?response_type=code&client_id=" + EncodeQueryValue(config.clientId) +
           "&redirect_uri=" + EncodeQueryValue(redirectUri) + "&scope=" + EncodeQueryValue(scopes) +
           "&code_challenge=" + EncodeQueryValue(challenge) +
           "&code_challenge_method=S256&state=" + EncodeQueryValue(state) + "&access_type=offline&prompt=consent";
}

} // namespace orb
