#include "core/shorten_text.h"

namespace orb {

std::string ShortenText(const std::string& text, std::size_t limit)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A character starts at every byte that is not a continuation byte.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (characters == limit)
            return text.substr(0, i) + "…";
        ++characters;
    }
    return text;
}

std::string WithTitle(const std::string& pattern, const std::string& title)
{
    std::string text = pattern;
    const std::size_t at = text.find("%s");
    return at == std::string::npos ? text : text.replace(at, 2, title);
}

} // namespace orb
