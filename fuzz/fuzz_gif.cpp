// The frame splitter over any bytes: every frame it cuts is a GIF of its own that lies
// within the data it was cut from.
#include "widgets/gif_frames.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    orb::GifFile gif;
    if (!orb::ParseGif(bytes, gif))
        return 0;
    if (gif.firstBlock > size || gif.firstBlock < orb::kGifHeaderSize)
        std::abort();
    for (const orb::GifFrame& frame : gif.frames) {
        if (!orb::HasGifSignature(frame.gif) || frame.gif.back() != 0x3B)
            std::abort();
        if (frame.width < 0 || frame.height < 0 || orb::GifFrameIntervalMs(frame.delay) < 0)
            std::abort();
    }
    return 0;
}
