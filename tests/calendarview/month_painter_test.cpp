#include "calendarview/month_painter.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(BarDrawingTest, DrawsWhatDrawPolygonDrawsForEveryShapePenAndScale)
{
    // Heights from none inside to a large font, widths around the narrowest that fits both
    // arrows, right ends on and past the image edge as in the last column, and a scaled image.
    const QColor fill(51, 102, 204);
    const QPen outline(QColor(100, 100, 100));
    const std::pair<QPen, qreal> styles[] = {{outline, 1.0}, {QPen(Qt::black, 2), 1.0}, {outline, 1.5}};
    for (const auto& [pen, ratio] : styles)
        for (int height : {1, 2, 3, 4, 7, 20, 41})
            for (int width : {2, 7, 8, 9, 40, 41, 42, 181})
                for (int ends = 0; ends < 4; ++ends)
                    for (int past : {0, 1, 100}) {
                        const BarShape shape{
                            {10, 5, 10 + width, 5 + height}, (height - 2) / 2, ends % 2 == 1, ends / 2 == 1};
                        QImage expected(QSize(10 + width + past, 60) * ratio, QImage::Format_RGB32);
                        expected.setDevicePixelRatio(ratio);
                        expected.fill(Qt::white);
                        QImage actual = expected.copy();
                        QPainter byPolygon(&expected);
                        byPolygon.setPen(pen);
                        byPolygon.setBrush(fill);
                        byPolygon.drawPolygon(BarOutline(shape));
                        byPolygon.end();
                        QPainter piecewise(&actual);
                        DrawBar(piecewise, shape, fill, pen);
                        piecewise.end();
                        ASSERT_EQ(actual, expected) << "height " << height << " width " << width << " ends " << ends
                                                    << " pen " << pen.width() << " ratio " << ratio;
                    }
}

TEST(ElidedTextCacheTest, CutsAsThePainterFontOfEachCallDoes)
{
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    ElidedTextCache cache;
    const QString text = "A summary long enough to be cut";
    // Back to the first size at the end: nothing cut for the second may be handed out.
    for (int pixels : {10, 20, 10}) {
        QFont font = painter.font();
        font.setPixelSize(pixels);
        painter.setFont(font);
        for (int width : {40, 90, 40})
            EXPECT_EQ(cache.Elided(painter, text, width), painter.fontMetrics().elidedText(text, Qt::ElideRight, width))
                << pixels << " px, " << width << " wide";
    }
}

} // namespace
} // namespace orb
