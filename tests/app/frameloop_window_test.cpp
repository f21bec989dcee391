// The frame loop of the shown main window: its order (draw, slide step, poll), its wait,
// its pause under menus and modal windows, and what reaches the screen.
#include <QExposeEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "platform/keystate.h"
#include "tests/app/windowfixture.h"

namespace {

class FrameLoop : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Write("default.spx", MakeGamepack(1, 0, 2));  // 4 x 4, no clock
    }
    void TearDown() override {
        KeyState::Clear();
        WindowTest::TearDown();
    }
    // The window shown, on a clock the test moves by hand.
    MainWindow& Shown() {
        MainWindow& form = Start();
        form.FrameClock = [this] { return now; };
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        return form;
    }
    // What the window system has of the paint box.
    QImage Screen() const {
        const QPoint at = form->paintBox->mapTo(form.get(), QPoint(0, 0));
        const QSize size = form->paintBox->size();
        return form->screen()
            ->grabWindow(form->winId(), at.x(), at.y(), size.width(), size.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // The next frame's wait is over, on the test's clock.
    void WaitOver() {
        now += MainWindow::FrameWaitMs + 1;
        form->FrameWaitTimer();
    }
    static void HoldArrows(bool down) {
        for (int vk : {VK::Left, VK::Right, VK::Up, VK::Down}) KeyState::SetDown(vk, down);
    }
    // A slide started and brought to its last displaced position: the next step ends it.
    static void SlideToItsLastStep(MainWindow& form) {
        Board& b = form.flow.board;
        ASSERT_TRUE(b.TryMoveCell(b.CellForArrow(Board::Arrow::Left) >= 0 ? b.CellForArrow(Board::Arrow::Left)
                                                                            : b.CellForArrow(Board::Arrow::Right)));
        const int speed = form.SlideSpeed();
        while (std::abs(b.SlideOffsetX) + std::abs(b.SlideOffsetY) + speed < b.TileSize) b.AdvanceSlide(speed);
        ASSERT_TRUE(b.Sliding);
    }

    uint32_t now = 0xFFFFFFF0u;  // the wait wraps the 32-bit clock
};

}  // namespace

TEST_F(FrameLoop, DrawsThenStepsTheSlideThenPolls) {
    MainWindow& form = Shown();
    Board& b = form.flow.board;
    SlideToItsLastStep(form);
    const int moves = b.MoveCount;
    form.DrawFrame();
    const QImage lastStep = form.renderer.BackBuffer.copy();
    HoldArrows(true);
    form.RunFrameLoop();
    EXPECT_EQ(form.paintBox->Shown(), lastStep) << "the frame shows the slide before its step";
    EXPECT_EQ(Screen(), lastStep) << "the slide's last displaced position reaches the screen";
    // The step ended the slide before the poll, which started the next one.
    EXPECT_TRUE(b.Sliding);
    EXPECT_EQ(b.SlideOffsetX, 0);
    EXPECT_EQ(b.SlideOffsetY, 0);
    EXPECT_EQ(b.MoveCount, moves + 1);
}

TEST_F(FrameLoop, NextFrameComesWhenMoreThanThirtyMillisecondsHavePassed) {
    MainWindow& form = Shown();
    const uint64_t frames = form.FramesDrawn;
    form.RunFrameLoop();
    EXPECT_EQ(form.FramesDrawn, frames + 1);
    EXPECT_EQ(form.FrameWaitLeft(), 31);
    now += 10;
    form.FrameWaitTimer();
    EXPECT_EQ(form.FrameWaitLeft(), 21) << "woken early, the wait goes on for the rest";
    now += 20;
    form.FrameWaitTimer();
    EXPECT_EQ(form.FramesDrawn, frames + 1) << "30 ms are not enough";
    EXPECT_EQ(form.FrameWaitLeft(), 1);
    now += 1;
    form.FrameWaitTimer();
    EXPECT_EQ(form.FramesDrawn, frames + 2);
    EXPECT_EQ(form.FrameWaitLeft(), 31);
}

TEST_F(FrameLoop, MenusAndMessageBoxesHoldTheFramesButNotTheTimers) {
    MainWindow& form = Shown();
    form.RunFrameLoop();
    const uint64_t frames = form.FramesDrawn;
    HoldArrows(true);
    QMenu* file = form.menuBar()->actions().at(0)->menu();
    file->popup(form.mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    for (int i = 0; i < 3; ++i) WaitOver();
    EXPECT_EQ(form.FramesDrawn, frames) << "no frame under an open menu";
    EXPECT_EQ(form.flow.board.MoveCount, 0) << "no key polled under an open menu";
    EXPECT_TRUE(form.FrameScheduled());
    EXPECT_TRUE(form.levelClock->isActive() && form.effectsTimer->isActive());
    file->hide();
    WaitOver();
    EXPECT_EQ(form.FramesDrawn, frames + 1);
    EXPECT_EQ(form.flow.board.MoveCount, 1);

    form.flow.board.ClearSlide();
    QMessageBox box(QMessageBox::Critical, "Marlipan!", "Invalid data type for 'Savegame'.");
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    for (int i = 0; i < 3; ++i) WaitOver();
    EXPECT_EQ(form.FramesDrawn, frames + 1) << "no frame under a message box";
    EXPECT_EQ(form.flow.board.MoveCount, 1);
    box.close();
    WaitOver();
    EXPECT_EQ(form.FramesDrawn, frames + 2);
    EXPECT_EQ(form.flow.board.MoveCount, 2);
}

TEST_F(FrameLoop, SlideEndingWhilePausedNeverShowsTheBoard) {
    MainWindow& form = Shown();
    SlideToItsLastStep(form);
    form.pauseAction->trigger();
    ASSERT_EQ(form.flow.State, ScreenState::Paused);
    const PauseAnimation pause = form.Pause;
    form.DrawFrame();
    const QImage paused = form.renderer.BackBuffer.copy();
    form.Pause = pause;
    form.RunFrameLoop();  // the slide ends here and the board is drawn once more
    ASSERT_FALSE(form.flow.board.Sliding);
    QCoreApplication::processEvents();
    EXPECT_EQ(Screen(), paused);
}

TEST_F(FrameLoop, PartsUncoveredWhileFramesAreHeldShowBlack) {
    MainWindow& form = Shown();
    form.RunFrameLoop();
    const QImage frame = form.renderer.BackBuffer.copy();
    const QPoint box = form.paintBox->mapTo(&form, QPoint(0, 0));
    const QRect uncovered(60, 80, 50, 40);  // over the board, in paint-box pixels
    auto expose = [&] {
        QExposeEvent event{QRegion(uncovered.translated(box))};
        QCoreApplication::sendEvent(form.windowHandle(), &event);
    };
    expose();
    EXPECT_EQ(Screen(), frame) << "while frames run, an exposure shows the current frame";

    form.SetFrameLoopActive(false);
    expose();
    QImage expected = frame.copy();
    QPainter(&expected).fillRect(uncovered, Qt::black);
    EXPECT_EQ(Screen(), expected) << "held: the uncovered part is black, the rest stays";

    form.SetFrameLoopActive(true);
    form.RunFrameLoop();
    EXPECT_EQ(Screen(), form.renderer.BackBuffer) << "the next frame covers the black";
}

TEST_F(FrameLoop, ZoomShowsBlackUntilTheFirstFrameAtTheNewSize) {
    MainWindow& form = Shown();
    form.RunFrameLoop();
    ASSERT_NE(Screen().pixel(100, 100), qRgb(0, 0, 0)) << "a board is shown";
    form.zoomAction->trigger();
    QCoreApplication::processEvents();
    const QImage screen = Screen();
    ASSERT_EQ(screen.size(), QSize(505, 489));
    int lit = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) lit += screen.pixel(x, y) != qRgb(0, 0, 0);
    EXPECT_EQ(lit, 0) << "pixels of the old frame, in the top-left corner";
    WaitOver();
    EXPECT_EQ(Screen(), form.renderer.BackBuffer);
}
