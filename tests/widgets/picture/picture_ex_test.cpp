#include "widgets/gif_frames.h"
#include "widgets/gif_player.h"
#include "widgets/picture_ex.h"

#include "tests/widgets/picture/gif_builder.h"

#include <QBuffer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>

namespace orb {
namespace {

using test::GifBuilder;

constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kWhite = 0xFFFFFFFF;
const std::vector<std::uint32_t> kPalette{0x0000FF, 0xFF0000, 0x00FF00, 0xFFFFFF};
constexpr std::uint8_t kRedIndex = 1;
constexpr std::uint8_t kGreenIndex = 2;
constexpr std::uint8_t kWhiteIndex = 3;
// Long enough for any test to finish first, short of the GIF maximum.
constexpr int kLongDelay = 60000;
constexpr int kSignalTimeoutMs = 10000;

QByteArray Bytes(const std::vector<std::uint8_t>& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

std::vector<QRgb> Row(const QImage& image)
{
    std::vector<QRgb> row;
    for (int x = 0; x < image.width(); ++x)
        row.push_back(image.pixel(x, 0));
    return row;
}

// A 3 × 1 screen on a blue background: a kept red row, a green dot restored to what it
// covered, a white dot restored to the background, a transparent dot over it all.
QByteArray DisposalGif()
{
    return Bytes(GifBuilder(3, 1, kPalette, 0)
                     .Add({.width = 3,
                           .height = 1,
                           .pixels = {kRedIndex, kRedIndex, kRedIndex},
                           .delay = 10,
                           .disposal = kGifDisposeLeave})
                     .Add({.left = 1, .pixels = {kGreenIndex}, .delay = 10, .disposal = kGifDisposePrevious})
                     .Add({.left = 2, .pixels = {kWhiteIndex}, .delay = 10, .disposal = kGifDisposeBackground})
                     .Add({.pixels = {kWhiteIndex}, .delay = 10, .transparent = kWhiteIndex})
                     .Bytes());
}

QByteArray TwoFrames(int firstDelay, int secondDelay)
{
    return Bytes(GifBuilder(2, 2, kPalette)
                     .Add({.width = 2, .height = 2, .delay = firstDelay})
                     .Add({.width = 2, .height = 2, .delay = secondDelay})
                     .Bytes());
}

QByteArray Png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(GifPlayer, FramesAreComposedAndDisposedAsEachOneAsks)
{
    GifPlayer player;
    ASSERT_TRUE(player.Load(DisposalGif()));
    ASSERT_TRUE(player.IsAnimated());
    ASSERT_EQ(player.FrameCount(), 4);
    EXPECT_EQ(player.ScreenSize(), QSize(3, 1));
    EXPECT_EQ(Row(player.Canvas()), (std::vector<QRgb>{kBlue, kBlue, kBlue})) << "starts from the background";

    struct Step
    {
        std::vector<QRgb> shown;
        std::vector<QRgb> afterDisposal;
    };
    const Step steps[] = {
        {{kRed, kRed, kRed}, {kRed, kRed, kRed}},
        {{kRed, kGreen, kRed}, {kRed, kRed, kRed}},
        {{kRed, kRed, kWhite}, {kRed, kRed, kBlue}},
        {{kRed, kRed, kBlue}, {kBlue, kBlue, kBlue}}, // the transparent dot leaves red; then the loop restarts
    };
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(player.CurrentFrame(), i);
            EXPECT_EQ(player.ShowCurrent(), 100);
            EXPECT_EQ(Row(player.Canvas()), steps[i].shown) << "frame " << i << " round " << round;
            player.Advance();
            EXPECT_EQ(Row(player.Canvas()), steps[i].afterDisposal) << "frame " << i << " round " << round;
        }
    }
}

TEST(GifPlayer, TheLoadingAnimationIsALoopingGifWithShortDelaysAndDisposals)
{
    CPictureEx picture; // registers the compiled-in resources
    ASSERT_TRUE(picture.LoadFromResource());
    EXPECT_TRUE(picture.IsAnimated());
    EXPECT_EQ(picture.PictureSize(), QSize(31, 31));

    QFile resource(":/GIF/150");
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    GifPlayer player;
    ASSERT_TRUE(player.Load(resource.readAll()));
    bool shortDelay = false;
    std::set<int> disposals;
    for (int i = 0; i < player.FrameCount(); ++i) {
        EXPECT_FALSE(player.FrameAt(i).picture.isNull()) << i;
        shortDelay |= player.FrameAt(i).delay <= kGifShortDelayLimit;
        disposals.insert(player.FrameAt(i).disposal);
    }
    EXPECT_GE(player.FrameCount(), 3);
    EXPECT_TRUE(shortDelay);
    EXPECT_TRUE(disposals.count(kGifDisposeBackground));
    EXPECT_TRUE(disposals.count(kGifDisposePrevious));
    EXPECT_FALSE(picture.LoadFromResource(151)) << "no such GIF resource";
}

TEST(CPictureEx, StillPicturesAreDrawnOnceWithoutAThread)
{
    QImage source(4, 3, QImage::Format_ARGB32);
    source.fill(kGreen);
    source.setPixel(3, 2, kRed);

    struct Case
    {
        const char* name;
        QByteArray bytes;
        QRgb topLeft;
        QRgb bottomRight;
    };
    const Case cases[] = {
        {"data without a GIF signature", Png(source), kGreen, kRed},
        {"a GIF of one frame", Bytes(GifBuilder(4, 3, kPalette).Add({.width = 4, .height = 3, .delay = 0}).Bytes()),
         kRed, kRed},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        CPictureEx picture;
        QSignalSpy shown(&picture, &CPictureEx::frameShown);
        ASSERT_TRUE(picture.Load(test.bytes));
        EXPECT_FALSE(picture.IsAnimated());
        EXPECT_EQ(picture.PictureSize(), QSize(4, 3));
        EXPECT_EQ(picture.sizeHint(), QSize(4, 3));
        ASSERT_TRUE(picture.Draw());
        EXPECT_FALSE(picture.IsPlaying());
        picture.resize(4, 3);
        const QImage painted = picture.grab().toImage();
        EXPECT_EQ(painted.pixel(0, 0), test.topLeft);
        EXPECT_EQ(painted.pixel(3, 2), test.bottomRight);
        QTest::qWait(300);
        EXPECT_EQ(shown.count(), 0);
    }
}

TEST(CPictureEx, NothingDecodableLoadsNothing)
{
    CPictureEx picture;
    EXPECT_FALSE(picture.Draw());
    EXPECT_FALSE(picture.Load({}));
    EXPECT_FALSE(picture.Load("not a picture at all"));
    EXPECT_FALSE(picture.Load("GIF89a\x05")) << "a header cut short";
    EXPECT_FALSE(picture.Draw());
    EXPECT_FALSE(picture.IsPlaying());
}

TEST(CPictureEx, ShortDelaysPlayAtOneHundredMillisecondsAndTheLoopWraps)
{
    CPictureEx picture;
    QSignalSpy shown(&picture, &CPictureEx::frameShown);
    ASSERT_TRUE(picture.Load(Bytes(GifBuilder(2, 2, kPalette)
                                       .Add({.width = 2, .height = 2, .delay = 0})
                                       .Add({.width = 2, .height = 2, .delay = 4})
                                       .Add({.width = 2, .height = 2, .delay = 5})
                                       .Add({.width = 2, .height = 2})
                                       .Bytes())));
    ASSERT_TRUE(picture.Draw());
    EXPECT_TRUE(picture.IsPlaying());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 5; }, kSignalTimeoutMs));
    picture.Stop();
    const std::pair<int, int> expected[] = {{0, 100}, {1, 100}, {2, 50}, {3, 100}, {0, 100}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(shown[i][0].toInt(), expected[i].first) << i;
        EXPECT_EQ(shown[i][1].toInt(), expected[i].second) << i;
    }
}

TEST(CPictureEx, StopEndsALongFrameAtOnce)
{
    CPictureEx picture;
    QSignalSpy shown(&picture, &CPictureEx::frameShown);
    ASSERT_TRUE(picture.Load(TwoFrames(kLongDelay, kLongDelay)));
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(picture.Draw()) << "a second Draw keeps the one thread";
    ASSERT_TRUE(shown.wait(kSignalTimeoutMs));

    const auto start = std::chrono::steady_clock::now();
    picture.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(picture.IsPlaying());

    // It plays again after a stop, and a reload stops the running thread first.
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(shown.wait(kSignalTimeoutMs));
    ASSERT_TRUE(picture.Load(TwoFrames(5, 5)));
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(picture.FrameCount(), 2);
}

TEST(CPictureEx, DestroyingAPlayingPictureIsSafe)
{
    for (int i = 0; i < 20; ++i) {
        auto picture = std::make_unique<CPictureEx>();
        ASSERT_TRUE(picture->Load(TwoFrames(0, 0)));
        ASSERT_TRUE(picture->Draw());
        QTest::qWait(i % 3 * 60);
        picture.reset();
        // Repaints the thread posted for the destroyed picture must be dropped.
        QCoreApplication::processEvents();
    }
    SUCCEED();
}

// Cut at every length and corrupted at random: Load either decodes what is there or says
// false, and a loaded picture plays and stops.
TEST(CPictureEx, TruncatedOrCorruptGifsNeverCrash)
{
    const auto source =
        GifBuilder(4, 4, kPalette)
            .Add({.width = 4, .height = 4, .delay = 0, .disposal = kGifDisposeLeave})
            .Add({.left = 1, .top = 1, .width = 2, .height = 2, .delay = 0, .disposal = kGifDisposePrevious})
            .Add({.left = 2, .top = 2, .width = 2, .height = 2, .delay = 0, .disposal = kGifDisposeBackground})
            .Bytes();
    GifFile whole;
    ASSERT_TRUE(ParseGif(source, whole));
    const std::size_t twoFramesEnd = whole.firstBlock + (whole.frames[0].gif.size() - whole.firstBlock - 1) +
                                     (whole.frames[1].gif.size() - whole.firstBlock - 1);

    CPictureEx picture;
    for (std::size_t length = 0; length <= source.size(); ++length) {
        const std::vector<std::uint8_t> cut(source.begin(), source.begin() + length);
        const bool loaded = picture.Load(Bytes(cut));
        if (length >= twoFramesEnd) {
            EXPECT_TRUE(loaded) << length;
            EXPECT_TRUE(picture.IsAnimated()) << length;
        }
        if (length < whole.firstBlock) {
            EXPECT_FALSE(loaded) << length;
        }
        if (loaded) {
            EXPECT_TRUE(picture.Draw());
            picture.Stop();
        }
    }

    std::mt19937 random(150); // fixed, so a failure can be replayed
    for (int round = 0; round < 300; ++round) {
        auto bytes = source;
        for (int i = 0; i < 1 + round % 3; ++i)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        if (picture.Load(Bytes(bytes))) {
            EXPECT_TRUE(picture.Draw());
            picture.grab();
            picture.Stop();
        }
    }
}

} // namespace
} // namespace orb
