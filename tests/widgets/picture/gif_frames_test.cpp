#include "widgets/gif_frames.h"

#include "tests/widgets/picture/gif_builder.h"

#include <gtest/gtest.h>

#include <random>

namespace orb {
namespace {

using test::GifBuilder;
using test::TestFrame;

constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kWhite = 0xFFFFFF;
// Four entries of three bytes after the 13-byte header.
constexpr std::size_t kFirstBlock = 13 + 12;

// Three frames: a kept one, one without a graphic control extension behind a comment, and
// one at an offset with a restore-previous disposal.
std::vector<std::uint8_t> ThreeFrames()
{
    return GifBuilder(5, 4, {kBlue, kRed, kGreen, kWhite}, 2)
        .Add({.width = 5, .height = 4, .delay = 7, .disposal = kGifDisposeLeave})
        .Comment("made for a test")
        .Add({.left = 1, .top = 2, .width = 2, .height = 1})
        .Add({.left = 3, .top = 1, .width = 2, .height = 2, .delay = 0, .disposal = kGifDisposePrevious})
        .Bytes();
}

TEST(GifFrames, SignatureIsGif87aOrGif89a)
{
    auto bytes = [](std::string text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    EXPECT_TRUE(HasGifSignature(bytes("GIF87a")));
    EXPECT_TRUE(HasGifSignature(bytes("GIF89a...")));
    EXPECT_FALSE(HasGifSignature(bytes("GIF88a....")));
    EXPECT_FALSE(HasGifSignature(bytes("\x89PNG\r\n\x1a\n")));
    EXPECT_FALSE(HasGifSignature(bytes("GIF89")));
    EXPECT_FALSE(HasGifSignature({}));

    GifFile gif;
    EXPECT_FALSE(ParseGif(bytes("\x89PNG\r\n\x1a\n and more bytes"), gif));
}

TEST(GifFrames, HeaderAndEveryFrameAreRead)
{
    GifFile gif;
    ASSERT_TRUE(ParseGif(ThreeFrames(), gif));
    EXPECT_EQ(gif.width, 5);
    EXPECT_EQ(gif.height, 4);
    EXPECT_EQ(gif.colorTableSize, 12u);
    EXPECT_EQ(gif.firstBlock, kFirstBlock);
    EXPECT_EQ(gif.background, kGreen);

    ASSERT_EQ(gif.frames.size(), 3u);
    const GifFrame& kept = gif.frames[0];
    EXPECT_EQ(kept.delay, 7);
    EXPECT_EQ(kept.disposal, kGifDisposeLeave);
    EXPECT_EQ(kept.width, 5);
    EXPECT_EQ(kept.height, 4);

    const GifFrame& bare = gif.frames[1];
    EXPECT_EQ(bare.delay, kGifNoDelay) << "a frame without its own extension must not inherit the last one";
    EXPECT_EQ(bare.disposal, kGifDisposeNone);
    EXPECT_EQ(bare.left, 1);
    EXPECT_EQ(bare.top, 2);

    const GifFrame& restoring = gif.frames[2];
    EXPECT_EQ(restoring.delay, 0);
    EXPECT_EQ(restoring.disposal, kGifDisposePrevious);
    EXPECT_EQ(restoring.left, 3);
    EXPECT_EQ(restoring.top, 1);
    EXPECT_EQ(restoring.width, 2);
    EXPECT_EQ(restoring.height, 2);
}

TEST(GifFrames, EachCutFrameIsAStandAloneGifOfOneFrame)
{
    const auto source = ThreeFrames();
    GifFile gif;
    ASSERT_TRUE(ParseGif(source, gif));
    for (const GifFrame& frame : gif.frames) {
        ASSERT_GT(frame.gif.size(), kFirstBlock);
        // Header, screen descriptor and colour table unchanged; the trailer last.
        EXPECT_TRUE(std::equal(source.begin(), source.begin() + kFirstBlock, frame.gif.begin()));
        EXPECT_EQ(frame.gif.back(), 0x3B);

        GifFile single;
        ASSERT_TRUE(ParseGif(frame.gif, single));
        ASSERT_EQ(single.frames.size(), 1u);
        EXPECT_EQ(single.frames[0].gif, frame.gif);
        EXPECT_EQ(single.frames[0].delay, frame.delay);
        EXPECT_EQ(single.frames[0].left, frame.left);
    }
    // The frame blocks themselves are copied: together they rebuild the source.
    std::vector<std::uint8_t> blocks;
    for (const GifFrame& frame : gif.frames)
        blocks.insert(blocks.end(), frame.gif.begin() + kFirstBlock, frame.gif.end() - 1);
    const std::vector<std::uint8_t> comment{0x21, 0xFE, 15};
    const auto at = std::search(source.begin(), source.end(), comment.begin(), comment.end());
    ASSERT_NE(at, source.end());
    std::vector<std::uint8_t> withoutComment(source.begin() + kFirstBlock, at);
    withoutComment.insert(withoutComment.end(), at + 3 + 15 + 1, source.end() - 1);
    EXPECT_EQ(blocks, withoutComment) << "only the comment between frames is left out";
}

TEST(GifFrames, BackgroundComesOnlyFromAGlobalTableEntry)
{
    GifFile gif;
    ASSERT_TRUE(ParseGif(GifBuilder(2, 2, {kBlue, kRed, kGreen, kWhite}, 3).Add({}).Add({}).Bytes(), gif));
    EXPECT_EQ(gif.background, kWhite);
    // Index 9 of a four-entry table would read the blocks after it.
    ASSERT_TRUE(ParseGif(GifBuilder(2, 2, {kBlue, kRed, kGreen, kWhite}, 9).Add({}).Add({}).Bytes(), gif));
    EXPECT_FALSE(gif.background);
    ASSERT_TRUE(ParseGif(GifBuilder(2, 2, {}, 0).Add({.palette = {kRed, kRed, kRed, kRed}}).Bytes(), gif));
    EXPECT_FALSE(gif.background);
    EXPECT_EQ(gif.firstBlock, 13u);
    EXPECT_EQ(gif.frames.size(), 1u);
}

TEST(GifFrames, ShortDelaysPlayAtOneHundredMilliseconds)
{
    for (int delay = 0; delay <= 4; ++delay)
        EXPECT_EQ(GifFrameIntervalMs(delay), 100) << delay;
    EXPECT_EQ(GifFrameIntervalMs(kGifNoDelay), 100);
    EXPECT_EQ(GifFrameIntervalMs(5), 50);
    EXPECT_EQ(GifFrameIntervalMs(12), 120);
    EXPECT_EQ(GifFrameIntervalMs(65535), 655350);
}

// Cut at every length: never a read past the end (the sanitizer build checks that), and
// every frame kept is exactly the frame of the whole file.
TEST(GifFrames, TruncatedDataKeepsTheCompleteFramesBeforeTheCut)
{
    const auto source = ThreeFrames();
    GifFile whole;
    ASSERT_TRUE(ParseGif(source, whole));
    std::size_t lastCount = 0;
    for (std::size_t length = 0; length < source.size(); ++length) {
        const std::vector<std::uint8_t> cut(source.begin(), source.begin() + length);
        GifFile gif;
        const bool parsed = ParseGif(cut, gif);
        EXPECT_EQ(parsed, length >= kFirstBlock) << length;
        ASSERT_LE(gif.frames.size(), whole.frames.size());
        EXPECT_GE(gif.frames.size(), lastCount) << "a longer prefix never loses a frame";
        lastCount = gif.frames.size();
        for (std::size_t i = 0; i < gif.frames.size(); ++i)
            EXPECT_EQ(gif.frames[i].gif, whole.frames[i].gif) << length;
    }
    // Only the trailer is missing at the last length: all three frames are complete.
    EXPECT_EQ(lastCount, 3u);
}

TEST(GifFrames, ABrokenBlockEndsTheWalk)
{
    auto source = ThreeFrames();
    GifFile whole;
    ASSERT_TRUE(ParseGif(source, whole));
    // The first frame's blocks end where its cut GIF's trailer is.
    const std::size_t afterFirst = whole.frames[0].gif.size() - 1;

    auto garbage = source;
    garbage[afterFirst] = 0x99;
    GifFile gif;
    ASSERT_TRUE(ParseGif(garbage, gif));
    EXPECT_EQ(gif.frames.size(), 1u);

    // A sub-block length that runs past the end drops the frame it belongs to.
    auto overlong = GifBuilder(2, 2, {kBlue, kRed, kGreen, kWhite}).Add({.delay = 5}).Bytes();
    overlong.pop_back(); // trailer
    overlong.pop_back(); // block terminator
    overlong.push_back(200);
    overlong.push_back(1);
    ASSERT_TRUE(ParseGif(overlong, gif));
    EXPECT_TRUE(gif.frames.empty());

    // A graphic control extension of the wrong size is skipped, not read.
    auto odd = GifBuilder(2, 2, {kBlue, kRed, kGreen, kWhite}).Add({}).Add({}).Bytes();
    const std::vector<std::uint8_t> shortControl{0x21, 0xF9, 0x02, 0x0C, 0x05, 0x00};
    odd.insert(odd.begin() + kFirstBlock, shortControl.begin(), shortControl.end());
    ASSERT_TRUE(ParseGif(odd, gif));
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.frames[0].delay, kGifNoDelay);
}

TEST(GifFrames, RandomCorruptionStaysInsideTheData)
{
    const auto source = ThreeFrames();
    std::mt19937 random(20261208); // fixed, so a failure can be replayed
    for (int round = 0; round < 2000; ++round) {
        auto bytes = source;
        const int flips = 1 + round % 4;
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        bytes.resize(kFirstBlock + random() % (bytes.size() - kFirstBlock + 1));
        GifFile gif;
        if (!ParseGif(bytes, gif))
            continue;
        for (const GifFrame& frame : gif.frames) {
            ASSERT_LE(frame.gif.size(), gif.firstBlock + bytes.size() + 1);
            ASSERT_EQ(frame.gif.back(), 0x3B);
        }
    }
}

} // namespace
} // namespace orb
