#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orb {

// Disposal methods of a frame's graphic control extension.
constexpr int kGifDisposeNone = 0;
constexpr int kGifDisposeLeave = 1;
constexpr int kGifDisposeBackground = 2;
constexpr int kGifDisposePrevious = 3;
// Delay of a frame without a graphic control extension.
constexpr int kGifNoDelay = -1;

// Delays of 0 to 4 hundredths are played at this pace, as browsers do, so that a GIF
// written with "as fast as possible" does not spin.
constexpr int kGifShortDelayLimit = 4;
constexpr int kGifShortDelayIntervalMs = 100;

// Header, logical screen descriptor: the bytes before the global colour table.
constexpr std::size_t kGifHeaderSize = 13;

// One frame cut out of an animated GIF as a GIF of its own.
struct GifFrame
{
    std::vector<std::uint8_t> gif; // header and global colour table, the frame's blocks, trailer
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int delay = kGifNoDelay; // hundredths of a second
    int disposal = kGifDisposeNone;
};

struct GifFile
{
    int width = 0; // logical screen
    int height = 0;
    std::optional<std::uint32_t> background; // 0xRRGGBB; none without a global colour table entry
    std::size_t colorTableSize = 0;          // bytes
    std::size_t firstBlock = 0;              // offset of the first block after the colour table
    std::vector<GifFrame> frames;            // only frames whose image data is complete
};

// True for data starting with "GIF87a" or "GIF89a".
bool HasGifSignature(std::span<const std::uint8_t> data);

// Reads the header and cuts every complete frame out. False when the data is not a GIF or
// its header or global colour table is cut short. A truncated or broken block ends the
// walk: the frames before it are kept.
bool ParseGif(std::span<const std::uint8_t> data, GifFile& gif);

// How long a frame with `delay` hundredths stays on screen.
int GifFrameIntervalMs(int delay);

} // namespace orb
