#include "service/text_codec.h"

#include <cstdio>

namespace orb {

namespace {

constexpr const char* kReplacementCharacter = "\xEF\xBF\xBD";

bool IsAsciiAlnum(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void AppendHex(std::string& out, unsigned char byte, const char* format)
{
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, format, byte);
    out += buffer;
}

// Length of the well-formed UTF-8 sequence starting at `i`, or 0 when it is broken.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

std::string EncodeJsonText(const std::string& text, bool percent)
{
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '"')
            escaped += "\\\"";
        else
            escaped += c;
    }
    escaped = DecodeUtf8Text(escaped);
    if (!percent)
        return escaped;
    std::string out;
    out.reserve(escaped.size() * 3);
    for (const char c : escaped) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else
            AppendHex(out, byte, "%%%X");
    }
    return out;
}

std::string EncodeJsonBodyText(const std::string& text)
{
    constexpr unsigned char kFirstPrintable = 0x20;
    std::string escaped;
    for (const char c : EncodeJsonText(text, false)) {
        if (static_cast<unsigned char>(c) < kFirstPrintable) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            escaped += buffer;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

namespace {

// Letters, digits and `kept` stay; every other byte becomes a %-escape in `hexFormat`.
std::string PercentEncode(const std::string& text, std::string_view kept, const char* hexFormat)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsAsciiAlnum(byte) || kept.find(c) != std::string_view::npos)
            out += c;
        else
            AppendHex(out, byte, hexFormat);
    }
    return out;
}

} // namespace

std::string EncodeUrlComponent(const std::string& text)
{
    return PercentEncode(text, "!'()*-./_~", "%%%02x");
}

std::string EncodePathSegment(const std::string& text)
{
    if (text == "." || text == "..")
        return text == "." ? "%2E" : "%2E%2E";
    std::string segment;
    for (const char c : EncodeUrlComponent(text))
        segment += c == '/' ? std::string("%2F") : std::string(1, c);
    return segment;
}

std::string EncodeQueryValue(const std::string& text)
{
    return PercentEncode(text, "-._~", "%%%02X");
}

std::string DecodeUtf8Text(std::string_view text)
{
    // Runs of good text are copied whole: nearly every value is well-formed, and most ASCII.
    std::string out;
    std::size_t kept = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length != 0) {
            i += length;
            continue;
        }
        out.append(text, kept, i - kept);
        out += kReplacementCharacter;
        kept = ++i;
    }
    if (kept == 0)
        return std::string(text);
    out.append(text, kept, text.size() - kept);
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace orb
