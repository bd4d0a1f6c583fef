#include "widgets/gif_frames.h"

#include <cstring>

namespace orb {

namespace {

constexpr char kGif87aSignature[] = "GIF87a";
constexpr char kGif89aSignature[] = "GIF89a";
constexpr std::size_t kSignatureSize = 6;

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;

constexpr std::size_t kScreenWidthOffset = 6;
constexpr std::size_t kScreenHeightOffset = 8;
constexpr std::size_t kScreenPackedOffset = 10;
constexpr std::size_t kBackgroundIndexOffset = 11;
constexpr std::uint8_t kColorTableFlag = 0x80;
constexpr std::uint8_t kColorTableSizeBits = 0x07;

constexpr std::size_t kImageDescriptorSize = 10;
constexpr std::size_t kImagePackedOffset = 9;
constexpr std::size_t kGraphicControlSize = 4;
constexpr int kDisposalShift = 2;
constexpr int kDisposalBits = 0x07;

int ReadWord(std::span<const std::uint8_t> data, std::size_t offset)
{
    return data[offset] | (data[offset + 1] << 8);
}

// 3 × 2^(n + 1) bytes when the table flag is set.
std::size_t ColorTableBytes(std::uint8_t packed)
{
    if (!(packed & kColorTableFlag))
        return 0;
    return std::size_t{3} << ((packed & kColorTableSizeBits) + 1);
}

// The offset after a chain of data sub-blocks and its zero terminator, or nothing when the
// chain runs past the end of the data.
std::optional<std::size_t> SkipSubBlocks(std::span<const std::uint8_t> data, std::size_t offset)
{
    while (offset < data.size()) {
        const std::size_t length = data[offset];
        ++offset;
        if (length == 0)
            return offset;
        offset += length;
    }
    return std::nullopt;
}

} // namespace

bool HasGifSignature(std::span<const std::uint8_t> data)
{
    if (data.size() < kSignatureSize)
        return false;
    return std::memcmp(data.data(), kGif87aSignature, kSignatureSize) == 0 ||
           std::memcmp(data.data(), kGif89aSignature, kSignatureSize) == 0;
}

int GifFrameIntervalMs(int delay)
{
    constexpr int kMsPerHundredth = 10;
    return delay > kGifShortDelayLimit ? delay * kMsPerHundredth : kGifShortDelayIntervalMs;
}

bool ParseGif(std::span<const std::uint8_t> data, GifFile& gif)
{
    gif = {};
    if (!HasGifSignature(data) || data.size() < kGifHeaderSize)
        return false;
    const std::uint8_t packed = data[kScreenPackedOffset];
    gif.width = ReadWord(data, kScreenWidthOffset);
    gif.height = ReadWord(data, kScreenHeightOffset);
    gif.colorTableSize = ColorTableBytes(packed);
    gif.firstBlock = kGifHeaderSize + gif.colorTableSize;
    if (data.size() < gif.firstBlock)
        return false;
    // An index past the table would name bytes that are not colours.
    const std::size_t backgroundEntry = std::size_t{data[kBackgroundIndexOffset]} * 3;
    if (backgroundEntry + 3 <= gif.colorTableSize) {
        const std::size_t at = kGifHeaderSize + backgroundEntry;
        gif.background = (std::uint32_t{data[at]} << 16) | (std::uint32_t{data[at + 1]} << 8) | data[at + 2];
    }

    const auto prefix = data.first(gif.firstBlock);
    std::optional<std::size_t> frameStart; // the frame's graphic control extension
    int delay = kGifNoDelay;
    int disposal = kGifDisposeNone;
    std::size_t offset = gif.firstBlock;
    while (offset < data.size()) {
        const std::uint8_t introducer = data[offset];
        if (introducer == kExtensionIntroducer) {
            if (offset + 2 > data.size())
                break;
            const std::size_t body = offset + 2;
            if (data[offset + 1] == kGraphicControlLabel && body + 1 + kGraphicControlSize <= data.size() &&
                data[body] >= kGraphicControlSize) {
                if (!frameStart)
                    frameStart = offset;
                disposal = (data[body + 1] >> kDisposalShift) & kDisposalBits;
                delay = ReadWord(data, body + 2);
            }
            const auto next = SkipSubBlocks(data, body);
            if (!next)
                break;
            offset = *next;
        } else if (introducer == kImageSeparator) {
            if (offset + kImageDescriptorSize + 1 > data.size())
                break;
            const std::size_t tableBytes = ColorTableBytes(data[offset + kImagePackedOffset]);
            // The image data: the LZW minimum code size, then sub-blocks.
            const std::size_t imageData = offset + kImageDescriptorSize + tableBytes;
            if (imageData + 1 > data.size())
                break;
            const auto next = SkipSubBlocks(data, imageData + 1);
            if (!next)
                break;
            GifFrame frame;
            frame.left = ReadWord(data, offset + 1);
            frame.top = ReadWord(data, offset + 3);
            frame.width = ReadWord(data, offset + 5);
            frame.height = ReadWord(data, offset + 7);
            frame.delay = delay;
            frame.disposal = disposal;
            const std::size_t start = frameStart.value_or(offset);
            frame.gif.reserve(prefix.size() + (*next - start) + 1);
            frame.gif.assign(prefix.begin(), prefix.end());
            frame.gif.insert(frame.gif.end(), data.begin() + start, data.begin() + *next);
            frame.gif.push_back(kTrailer);
            gif.frames.push_back(std::move(frame));
            frameStart.reset();
            delay = kGifNoDelay;
            disposal = kGifDisposeNone;
            offset = *next;
        } else {
            // The trailer, or a byte that starts no block.
            break;
        }
    }
    return true;
}

} // namespace orb
