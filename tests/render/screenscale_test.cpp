// Enlarging a frame by a fractional factor: every line keeps its weight wherever it lies,
// and redoing the rows a change reaches gives what enlarging the whole frame gives.
#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>
#include <cmath>

#include "render/screenscale.h"

namespace {

// Black, with white vertical lines one pixel wide at x = 4, 7, 10 ... and horizontal ones
// at y = 4, 7, 10 ...
QImage Lines(int width, int height, bool vertical) {
    QImage frame(width, height, QImage::Format_RGB32);
    frame.fill(Qt::black);
    for (int i = 4; i < (vertical ? width : height) - 2; i += 3)
        for (int j = 0; j < (vertical ? height : width); ++j)
            frame.setPixel(vertical ? i : j, vertical ? j : i, qRgb(255, 255, 255));
    return frame;
}

}  // namespace

TEST(ScreenScaler, EveryLineKeepsItsWeightAtTheUsualScales) {
    for (double factor : {1.25, 1.5, 1.75, 2.25}) {
        for (bool vertical : {true, false}) {
            const QImage frame = Lines(101, 97, vertical);
            ScreenScaler scaler;
            scaler.Update(frame, factor, 0, frame.height() - 1);
            const QImage& out = scaler.Scaled();
            ASSERT_EQ(out.size(), QSize(int(std::ceil(101 * factor)), int(std::ceil(97 * factor))));
            EXPECT_EQ(out.devicePixelRatio(), factor);
            // The light of each line, between the lines beside it, in frame pixels of white.
            QStringList uneven;
            for (int i = 4; i < (vertical ? 101 : 97) - 2; i += 3) {
                double light = 0;
                for (int k = int(std::lround((i - 1) * factor)); k < int(std::lround((i + 2) * factor)); ++k)
                    light += qGreen(vertical ? out.pixel(k, 40) : out.pixel(40, k)) / 255.0;
                light /= factor;
                if (std::abs(light - 1) > 0.02) uneven << QString("%1: %2").arg(i).arg(light);
            }
            EXPECT_TRUE(uneven.isEmpty()) << factor << (vertical ? " columns " : " rows ")
                                          << uneven.join(", ").toStdString();
        }
    }
}

TEST(ScreenScaler, RedoingTheChangedRowsGivesTheWholeFrameEnlarged) {
    QImage frame(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) frame.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) % 256));
    for (double factor : {1.25, 1.5, 1.75}) {
        ScreenScaler scaler;
        scaler.Update(frame, factor, 0, frame.height() - 1);
        // A band of rows changes; the rows around it do not.
        QImage changed = frame.copy();
        for (int y = 31; y <= 45; ++y)
            for (int x = 0; x < changed.width(); ++x) changed.setPixel(x, y, qRgb(255 - x, 17, y * 5));
        scaler.Update(changed, factor, 31, 45);
        ScreenScaler whole;
        whole.Update(changed, factor, 0, changed.height() - 1);
        EXPECT_EQ(scaler.Scaled(), whole.Scaled()) << factor;
        scaler.Update(changed, factor + 0.25, 0, -1);  // another screen: all of it anew
        whole.Update(changed, factor + 0.25, 0, changed.height() - 1);
        EXPECT_EQ(scaler.Scaled(), whole.Scaled()) << factor + 0.25;
    }
}
