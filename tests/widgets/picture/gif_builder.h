#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace orb::test {

// Writes small GIFs for the tests, with four-colour tables. Pixels are palette indices.
struct TestFrame
{
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    std::vector<std::uint8_t> pixels = {}; // width × height indices; empty fills with index 1
    int delay = -1;                        // hundredths; below 0 writes no graphic control extension
    int disposal = 0;
    int transparent = -1;                    // index, or below 0 for none
    std::vector<std::uint32_t> palette = {}; // a local colour table (0xRRGGBB, four entries) when not empty
};

class GifBuilder
{
public:
    // An empty palette writes no global colour table.
    GifBuilder(int width, int height, std::vector<std::uint32_t> palette, int backgroundIndex = 0)
        : width_(width), height_(height), palette_(std::move(palette)), background_(backgroundIndex)
    {}

    GifBuilder& Add(TestFrame frame)
    {
        frames_.push_back(std::move(frame));
        return *this;
    }

    // Extensions that are neither graphic control nor image: skipped by a reader.
    GifBuilder& Comment(const std::string& text)
    {
        std::vector<std::uint8_t> block{0x21, 0xFE};
        AppendSubBlocks(block, {text.begin(), text.end()});
        extras_.push_back({frames_.size(), block});
        return *this;
    }

    std::vector<std::uint8_t> Bytes() const
    {
        std::vector<std::uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
        AppendWord(out, width_);
        AppendWord(out, height_);
        out.push_back(palette_.empty() ? 0x00 : 0x80 | kTableBits);
        out.push_back(static_cast<std::uint8_t>(background_));
        out.push_back(0);
        AppendPalette(out, palette_);
        for (std::size_t i = 0; i <= frames_.size(); ++i) {
            for (const auto& extra : extras_) {
                if (extra.before == i)
                    out.insert(out.end(), extra.block.begin(), extra.block.end());
            }
            if (i < frames_.size())
                AppendFrame(out, frames_[i]);
        }
        out.push_back(0x3B);
        return out;
    }

private:
    static constexpr std::uint8_t kTableBits = 1; // 2^(1 + 1) = 4 entries
    static constexpr int kMinCodeSize = 2;

    struct Extra
    {
        std::size_t before; // index of the frame it precedes
        std::vector<std::uint8_t> block;
    };

    static void AppendWord(std::vector<std::uint8_t>& out, int value)
    {
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }

    static void AppendPalette(std::vector<std::uint8_t>& out, const std::vector<std::uint32_t>& palette)
    {
        for (std::uint32_t rgb : palette) {
            out.push_back((rgb >> 16) & 0xFF);
            out.push_back((rgb >> 8) & 0xFF);
            out.push_back(rgb & 0xFF);
        }
    }

    static void AppendSubBlocks(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& data)
    {
        for (std::size_t start = 0; start < data.size(); start += 255) {
            const std::size_t length = std::min<std::size_t>(255, data.size() - start);
            out.push_back(static_cast<std::uint8_t>(length));
            out.insert(out.end(), data.begin() + start, data.begin() + start + length);
        }
        out.push_back(0);
    }

    // LZW without compression: a clear code before the table could grow a code wider, so
    // every code stays kMinCodeSize + 1 bits.
    static std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& pixels)
    {
        constexpr unsigned kClear = 1u << kMinCodeSize;
        constexpr unsigned kEnd = kClear + 1;
        constexpr int kWidth = kMinCodeSize + 1;
        constexpr std::size_t kRun = kClear - 2;
        std::vector<std::uint8_t> out;
        unsigned bits = 0;
        int count = 0;
        auto put = [&](unsigned code) {
            bits |= code << count;
            count += kWidth;
            while (count >= 8) {
                out.push_back(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (i % kRun == 0)
                put(kClear);
            put(pixels[i]);
        }
        put(kEnd);
        if (count > 0)
            out.push_back(bits & 0xFF);
        return out;
    }

    static void AppendFrame(std::vector<std::uint8_t>& out, const TestFrame& frame)
    {
        if (frame.delay >= 0) {
            const bool transparent = frame.transparent >= 0;
            out.insert(out.end(), {0x21, 0xF9, 0x04});
            out.push_back(static_cast<std::uint8_t>((frame.disposal << 2) | (transparent ? 1 : 0)));
            AppendWord(out, frame.delay);
            out.push_back(static_cast<std::uint8_t>(transparent ? frame.transparent : 0));
            out.push_back(0);
        }
        out.push_back(0x2C);
        AppendWord(out, frame.left);
        AppendWord(out, frame.top);
        AppendWord(out, frame.width);
        AppendWord(out, frame.height);
        out.push_back(frame.palette.empty() ? 0x00 : 0x80 | kTableBits);
        AppendPalette(out, frame.palette);
        out.push_back(kMinCodeSize);
        std::vector<std::uint8_t> pixels = frame.pixels;
        if (pixels.empty())
            pixels.assign(static_cast<std::size_t>(frame.width * frame.height), 1);
        AppendSubBlocks(out, Compress(pixels));
    }

    int width_;
    int height_;
    std::vector<std::uint32_t> palette_;
    int background_;
    std::vector<TestFrame> frames_;
    std::vector<Extra> extras_;
};

} // namespace orb::test
