// The transport's own reading of addresses and texts, before anything is sent.
#include "service/http.h"
#include "service/text_codec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    orb::HttpRequest request;
    if (orb::ParseRequestUrl(text, request) == 0) {
        if (request.host.empty() || request.port < 1 || request.port > 65535)
            std::abort();
        if (request.target.empty() || request.target[0] != '/')
            std::abort();
        for (const char c : request.target) {
            if (static_cast<unsigned char>(c) <= ' ' || c == '\x7F')
                std::abort(); // it would split the request line
        }
    }
    const std::string encoded = orb::EncodeQueryValue(text);
    if (encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~%") !=
        std::string::npos)
        std::abort(); // every byte of a query value goes out escaped
    if (!orb::IsValidUtf8(orb::DecodeUtf8Text(text)))
        std::abort();
    return 0;
}
