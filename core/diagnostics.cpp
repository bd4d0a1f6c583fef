#include "core/diagnostics.h"

#include "core/shorten_text.h"

#include <cstdio>

namespace orb {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kC1Lead = 0xC2; // U+0080..U+00BF start with this byte
constexpr unsigned char kLastC1Trail = 0x9F;
constexpr const char* kHexDigits = "0123456789abcdef";

bool IsContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there starts
// none (a stray continuation byte, an overlong form, a surrogate, a cut-off sequence).
std::size_t SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - at < length || !IsContinuation(byte(1), low, high))
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(byte(i)))
            return 0;
    }
    return length;
}

void AppendHex(std::string& into, const char* prefix, unsigned value, int digits)
{
    into += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        into += kHexDigits[(value >> shift) & 0xF];
}

} // namespace

std::string EscapeControlCharacters(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = SequenceLength(text, at);
        if (length == 0 || lead < kFirstPrintable || lead == kDelete) {
            AppendHex(escaped, "\\x", lead, 2);
            ++at;
        } else if (lead == '\\') {
            escaped += "\\\\";
            ++at;
        } else if (lead == kC1Lead && static_cast<unsigned char>(text[at + 1]) <= kLastC1Trail) {
            // C2 80..C2 9F encode U+0080..U+009F: the second byte is the code point.
            AppendHex(escaped, "\\u00", static_cast<unsigned char>(text[at + 1]), 2);
            at += length;
        } else {
            escaped.append(text, at, length);
            at += length;
        }
    }
    return escaped;
}

void StdoutDiagnostics::WriteLine(const std::string& line)
{
    // Cut first: escapes lengthen the text and a cut must not split one.
    const std::string shown = EscapeControlCharacters(ShortenText(line, kLongestLine));
    std::lock_guard lock(mutex_);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace orb
