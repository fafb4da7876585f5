// The device panel on a screen scaled to 125%: controls drawn at fractions
// of a screen pixel keep every side of their outlines.
#include "panel/DevCtrl.h"

#include <QFrame>
#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Before the test main makes its application.
const bool scaled = [] {
    qputenv("QT_SCALE_FACTOR", "1.25");
    return true;
}();

bool dark(QRgb c) { return qGray(c) < 50; } // the black outline, not the red light

} // namespace

TEST(ScaledPanel, TheReceiveMarkShowsAllFourSides)
{
    ASSERT_TRUE(scaled);
    // Panels at a few places, so the mark starts at each fraction of a
    // screen pixel.
    for (int shift = 0; shift < 4; ++shift) {
        SCOPED_TRACE(shift);
        QWidget window;
        window.resize(300, 560);
        DevCtrl p(&window);
        p.move(shift, shift);
        for (bool on : {false, true}) {
            p.set_LedRecv(on);
            window.show();
            const QFrame *mark = p.findChild<QFrame *>(QStringLiteral("shpRecv"));
            ASSERT_NE(mark, nullptr);
            ASSERT_EQ(mark->devicePixelRatioF(), 1.25);
            const QImage shot = window.grab().toImage();
            // The mark's place in screen pixels, and its sides: the outermost
            // two pixel rows and columns of the pixels it touches, along its
            // middle half.
            const QRectF r(QPointF(mark->mapTo(&window, QPoint(0, 0))) * 1.25, QSizeF(mark->size()) * 1.25);
            const int left = int(std::floor(r.left())), right = int(std::ceil(r.right())) - 1;
            const int top = int(std::floor(r.top())), bottom = int(std::ceil(r.bottom())) - 1;
            auto ink = [&](int x0, int y0, int x1, int y1) {
                int n = 0;
                for (int y = y0; y <= y1; ++y)
                    for (int x = x0; x <= x1; ++x)
                        n += dark(shot.pixel(x, y));
                return n;
            };
            const int midY0 = top + (bottom - top) / 4, midY1 = bottom - (bottom - top) / 4;
            const int midX0 = left + (right - left) / 4, midX1 = right - (right - left) / 4;
            EXPECT_GT(ink(left, midY0, left + 1, midY1), 0) << "left side, lit " << on;
            EXPECT_GT(ink(right - 1, midY0, right, midY1), 0) << "right side, lit " << on;
            EXPECT_GT(ink(midX0, top, midX1, top + 1), 0) << "top side, lit " << on;
            EXPECT_GT(ink(midX0, bottom - 1, midX1, bottom), 0) << "bottom side, lit " << on;
        }
    }
}
