#pragma once

#include <cstddef>
#include <string>

namespace orb::fake {

// Text from OpenSSL's cryptographic random source: tokens and the control key must not be
// guessable from earlier ones. Ends the process should the source fail, since nothing
// issued without it could be trusted.
std::string RandomCharacters(std::size_t count, const char (&alphabet)[65]);
// `bytes` random bytes as lower-case hexadecimal digits.
std::string RandomHex(std::size_t bytes);

} // namespace orb::fake
