// The frame on a screen scaled by QT_SCALE_FACTOR (150 % and 200 %, set by the build rule).
// The window keeps its layout in its own pixels; on the screen a whole-number scale makes
// each frame pixel a square of screen pixels, and a fractional one gives every line of the
// frame the same weight wherever it lies, where whole screen pixels would make some
// columns of the status text one pixel wide and some two.
#include <QScreen>
#include <QTest>
#include <cmath>

#include "tests/app/windowfixture.h"

namespace {

class ScaledScreen : public WindowTest {
protected:
    MainWindow& Shown() {
        Write("default.spx", MakeGamepack(1, 0, 1));
        MainWindow& window = Start();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        return window;
    }
    // The paint box in screen pixels, painted as it paints itself on the screen. (The
    // offscreen platform's grab of the screen gives the window's size in its own pixels.)
    QImage Screen() const { return form->paintBox->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The light of one line of the screen (a row, or a column when `columns`) between two
    // frame coordinates, in frame pixels of white: a white line of the frame one pixel
    // wide gives 1 wherever it lies.
    static double Light(const QImage& screen, double scale, bool columns, int across, int from, int to) {
        const int line = int(std::lround((across + 0.5) * scale));
        double sum = 0;
        for (int i = int(std::lround(from * scale)); i < int(std::lround(to * scale)); ++i)
            sum += qGreen(columns ? screen.pixel(i, line) : screen.pixel(line, i)) / 255.0;
        return sum / scale;
    }
};

}  // namespace

TEST_F(ScaledScreen, FrameLinesKeepTheirWeightAndTheLayoutItsPixels) {
    MainWindow& window = Shown();
    const double scale = window.devicePixelRatioF();
    ASSERT_GT(scale, 1.0) << "run with QT_SCALE_FACTOR";
    EXPECT_EQ(window.centralWidget()->size(), QSize(326, 315));
    EXPECT_EQ(window.paintBox->size(), QSize(315, 305));

    // White lines one pixel wide, three apart, across and down a black frame.
    QImage frame(315, 305, QImage::Format_RGB32);
    frame.fill(Qt::black);
    for (int x = 10; x < 300; x += 3)
        for (int y = 10; y < 140; ++y) frame.setPixel(x, y, qRgb(255, 255, 255));
    for (int y = 160; y < 300; y += 3)
        for (int x = 10; x < 140; ++x) frame.setPixel(x, y, qRgb(255, 255, 255));
    window.paintBox->ShowFrame(frame);
    const QImage screen = Screen();

    if (scale == std::floor(scale)) {
        const int n = int(scale);
        EXPECT_EQ(screen, frame.scaled(frame.width() * n, frame.height() * n)) << "each pixel a square";
        return;
    }
    QStringList uneven;
    for (int x = 10; x < 300; x += 3) {
        const double light = Light(screen, scale, true, 70, x - 1, x + 2);
        if (std::abs(light - 1) > 0.05) uneven << QString("column %1: %2").arg(x).arg(light);
    }
    for (int y = 160; y < 300; y += 3) {
        const double light = Light(screen, scale, false, 70, y - 1, y + 2);
        if (std::abs(light - 1) > 0.05) uneven << QString("row %1: %2").arg(y).arg(light);
    }
    EXPECT_TRUE(uneven.isEmpty()) << uneven.join(", ").toStdString();

    // The next frame differs in a band of rows: the screen shows it all, not only the band.
    QImage next = frame.copy();
    for (int y = 120; y < 170; ++y)
        for (int x = 0; x < next.width(); ++x) next.setPixel(x, y, qRgb(x % 256, 40, y));
    window.paintBox->ShowFrame(next);
    ScreenScaler whole;
    whole.Update(next, scale, 0, next.height() - 1);
    EXPECT_EQ(Screen(), whole.Scaled().convertToFormat(QImage::Format_RGB32));
}
