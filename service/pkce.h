#pragma once

#include "service/service_context.h"

#include <cstddef>
#include <string>

namespace orb {

// Proof Key for Code Exchange (RFC 7636) for the browser sign-in, and the consent address
// that carries it. Every random draw comes from OpenSSL; when none is available the makers
// return an empty text rather than a guessable one.

constexpr std::size_t kCodeVerifierLength = 64;
constexpr std::size_t kStateLength = 32;

// kCodeVerifierLength characters from [A-Za-z0-9-._~].
std::string MakeCodeVerifier();
// BASE64URL (no padding) of the verifier's SHA-256.
std::string CodeChallengeS256(const std::string& verifier);
// kStateLength url-safe characters that tie the redirect to this sign-in.
std::string MakeState();

// The consent page for the browser: authorisation code with PKCE S256, a refresh token
// (offline, consent asked again) and both scopes; every value percent-encoded.
std::string BrowserConsentUrl(const ServiceConfig& config, const std::string& redirectUri, const std::string& challenge,
                              const std::string& state);

} // namespace orb
