#pragma once

#include <string>

namespace orb::fake {

// Proof Key for Code Exchange (RFC 7636): binds a browser sign-in's code to the program
// that asked for it.
constexpr const char* kChallengeS256 = "S256";
constexpr const char* kChallengePlain = "plain";

// 43 to 128 characters of A-Z a-z 0-9 - . _ ~ (verifiers and the challenges made of them).
bool IsVerifierShaped(const std::string& text);
// BASE64URL(SHA-256(verifier)) without padding.
std::string S256Challenge(const std::string& verifier);
bool VerifierAnswersChallenge(const std::string& method, const std::string& challenge, const std::string& verifier);

} // namespace orb::fake
