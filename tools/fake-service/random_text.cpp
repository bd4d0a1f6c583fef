#include "tools/fake-service/random_text.h"

#include <openssl/rand.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace orb::fake {

namespace {

std::vector<unsigned char> RandomBytes(std::size_t count)
{
    std::vector<unsigned char> bytes(count);
    if (count > 0 && RAND_bytes(bytes.data(), static_cast<int>(count)) != 1) {
        std::fputs("orb-fake-service: the random source failed\n", stderr);
        std::abort();
    }
    return bytes;
}

} // namespace

std::string RandomCharacters(std::size_t count, const char (&alphabet)[65])
{
    std::string text;
    text.reserve(count);
    // 64 divides 256, so every character is equally likely.
    for (unsigned char byte : RandomBytes(count)) {
        text += alphabet[byte % 64];
    }
    return text;
}

std::string RandomHex(std::size_t bytes)
{
    constexpr const char* kDigits = "0123456789abcdef";
    std::string text;
    text.reserve(bytes * 2);
    for (unsigned char byte : RandomBytes(bytes)) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xf];
    }
    return text;
}

} // namespace orb::fake
