#include "tools/fake-service/sync_token.h"

#include <openssl/evp.h>

#include <charconv>
#include <vector>

namespace orb::fake {

namespace {

constexpr char kSeparator = '\n';
constexpr std::size_t kBase64Quantum = 4;

} // namespace

std::string EncodeSyncToken(const SyncPoint& point)
{
    const std::string text = point.epoch + kSeparator + std::to_string(point.change) + kSeparator + point.scope;
    std::vector<unsigned char> encoded((text.size() + 2) / 3 * kBase64Quantum + 1);
    const int length = EVP_EncodeBlock(encoded.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    return std::string(reinterpret_cast<const char*>(encoded.data()), static_cast<std::size_t>(length));
}

std::optional<SyncPoint> DecodeSyncToken(std::string_view token)
{
    if (token.empty() || token.size() % kBase64Quantum != 0)
        return std::nullopt;
    std::vector<unsigned char> decoded(token.size() / kBase64Quantum * 3);
    const int length = EVP_DecodeBlock(decoded.data(), reinterpret_cast<const unsigned char*>(token.data()),
                                       static_cast<int>(token.size()));
    if (length < 0)
        return std::nullopt;
    // EVP_DecodeBlock counts the padding as zero bytes.
    std::size_t size = static_cast<std::size_t>(length);
    for (std::size_t i = token.size(); i > 0 && token[i - 1] == '='; --i)
        --size;
    const std::string_view text(reinterpret_cast<const char*>(decoded.data()), size);
    const std::size_t first = text.find(kSeparator);
    const std::size_t second = first == std::string_view::npos ? first : text.find(kSeparator, first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    SyncPoint point;
    point.epoch = std::string(text.substr(0, first));
    const std::string_view number = text.substr(first + 1, second - first - 1);
    const auto [end, status] = std::from_chars(number.data(), number.data() + number.size(), point.change);
    if (status != std::errc() || end != number.data() + number.size() || number.empty() || point.change < 0)
        return std::nullopt;
    point.scope = std::string(text.substr(second + 1));
    return point;
}

} // namespace orb::fake
