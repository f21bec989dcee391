// The frame loop of the shown main window: its order (draw, slide step, poll), its wait,
// its pause under menus and modal windows, and what reaches the screen.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QExposeEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <thread>

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

    // Frames on the test's clock, as the wait's timer gives them, until the loop sleeps.
    bool RunUntilAsleep() {
        for (int i = 0; i < 200 && form->FrameScheduled(); ++i) WaitOver();
        return form->Asleep() && !form->FrameScheduled();
    }
    // The application's own event loop for a while (the test's clock stands still): what
    // an event handler changed is seen when the loop is about to wait for the next event.
    static void RunEvents(int ms = 60) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // What the screen shows is what a frame drawn from scratch now would show.
    void ExpectScreenIsCurrent(const char* what) {
        const QImage shown = form->paintBox->Shown().copy();
        const PauseAnimation pause = form->Pause;
        form->renderer.ClearBackBuffer();
        form->DrawFrame();
        form->Pause = pause;
        EXPECT_EQ(shown, form->renderer.BackBuffer) << what;
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
    EXPECT_EQ(form.paintBox->Shown(), paused) << "what a repaint would show";
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

// A screen on which nothing moves costs nothing: the loop stops drawing until something
// changes what the next frame would show. Until a second has passed without movement it
// keeps its pace, as the next move usually follows.
TEST_F(FrameLoop, StillScreenSleepsOnceNothingHasMovedForASecondAndKeepsItsFrame) {
    MainWindow& form = Shown();
    HoldArrows(true);
    for (int i = 0; i < 3; ++i) WaitOver();
    HoldArrows(false);
    while (form.flow.board.Sliding) WaitOver();
    KeyState::SetDown(VK::Shift, true);  // a key held: the poll might act on the next frame
    const uint32_t held = now;
    while (now - held <= 2 * MainWindow::KeepPaceMs) WaitOver();
    EXPECT_FALSE(form.Asleep()) << "polled every frame while a key is held";
    KeyState::SetDown(VK::Shift, false);
    const uint32_t released = now;
    while (form.FrameScheduled()) {
        WaitOver();
        if (now - released <= MainWindow::KeepPaceMs) {
            ASSERT_EQ(form.FrameWaitLeft(), 31) << "at its pace for a second after the last movement";
        }
        ASSERT_LE(now - released, MainWindow::KeepPaceMs + 2 * (MainWindow::FrameWaitMs + 1));
    }
    EXPECT_TRUE(form.Asleep());
    ExpectScreenIsCurrent("asleep, the screen shows the current frame");

    // The timers tick on, with nothing to change on this screen.
    const uint64_t frames = form.FramesDrawn;
    form.tickLevelClock();
    form.tickEffects();
    WaitOver();
    RunEvents();
    EXPECT_EQ(form.FramesDrawn, frames);
    EXPECT_TRUE(form.Asleep());
}

TEST_F(FrameLoop, AKeyPressedWhileAsleepIsPolledAtOnceAndSlidesOnTheNextFrame) {
    MainWindow& form = Shown();
    ASSERT_TRUE(RunUntilAsleep());
    const QImage still = form.paintBox->Shown().copy();
    const uint64_t frames = form.FramesDrawn;
    Board& b = form.flow.board;
    const bool left = b.CellForArrow(Board::Arrow::Left) >= 0;
    KeyState::SetDown(left ? VK::Left : VK::Right, true);
    now += 5000;
    RunEvents();
    EXPECT_EQ(form.FramesDrawn, frames + 1) << "woken at once, the last frame's wait long over";
    EXPECT_TRUE(b.Sliding) << "the poll of that frame took the key";
    EXPECT_EQ(b.MoveCount, 1);
    KeyState::SetDown(left ? VK::Left : VK::Right, false);
    EXPECT_EQ(form.FrameWaitLeft(), 31) << "and the pace goes on";
    WaitOver();  // the slide's first frame, with the tile still in its cell
    WaitOver();
    EXPECT_NE(form.paintBox->Shown(), still) << "the tile on its way";
    ASSERT_TRUE(RunUntilAsleep());
    ExpectScreenIsCurrent("the tile in its new cell");
}

TEST_F(FrameLoop, TheClockTickRedrawsTheStatusLineOnceAndTheLoopSleepsAgain) {
    Write("default.spx", MakeGamepack(1, 1, 2));  // a 30-second clock
    MainWindow& form = Shown();
    ASSERT_TRUE(RunUntilAsleep());
    const QImage before = form.paintBox->Shown().copy();
    const uint64_t frames = form.FramesDrawn;
    const int top = form.flow.board.BoardTop;
    form.tickLevelClock();
    now += 1000;
    RunEvents();
    EXPECT_EQ(form.FramesDrawn, frames + 1) << "one redraw a second";
    EXPECT_TRUE(form.Asleep()) << "a clock that ticks is no movement";
    const QImage after = form.paintBox->Shown();
    EXPECT_NE(after.copy(0, 0, after.width(), top), before.copy(0, 0, before.width(), top)) << "the clock";
    EXPECT_EQ(after.copy(0, top, after.width(), after.height() - top),
              before.copy(0, top, before.width(), before.height() - top));
    ExpectScreenIsCurrent("after the tick");
}

// Whatever an event handler changes, the next frame shows it: a mouse press, a command, a
// level load, the window's size, the screen it ends on.
TEST_F(FrameLoop, EveryChangeOfWhatTheNextFrameShowsWakesTheLoop) {
    MainWindow& form = Shown();
    Board& b = form.flow.board;
    const struct {
        const char* what;
        std::function<void()> act;
        ScreenState state;
    } changes[] = {
        {"a mouse press on a tile next to the gap", [&] {
             const int cell = b.CellForArrow(Board::Arrow::Left) >= 0 ? b.CellForArrow(Board::Arrow::Left)
                                                                      : b.CellForArrow(Board::Arrow::Right);
             const QPoint at = CellRect(b, cell).center();
             QTest::mouseClick(form.paintBox, Qt::LeftButton, {}, at);
         }, ScreenState::Playing},
        {"the Top 10 command", [&] { form.topTenAction->trigger(); }, ScreenState::TopTen},
        {"the Top 10 command again", [&] { form.topTenAction->trigger(); }, ScreenState::Playing},
        {"New game", [&] { form.newGameAction->trigger(); }, ScreenState::Playing},
        {"Zoom", [&] { form.zoomAction->trigger(); }, ScreenState::Playing},
        {"a hint, whose answer comes from the solver's thread", [&] {
             form.flow.Hinted = true;  // taken before: no question
             form.hintAction->trigger();
         }, ScreenState::Playing},
        {"the hidden combination's last key", [&] {
             for (int vk : {VK::Escape, VK::Shift, VK::Alt}) KeyState::SetDown(vk, true);
             KeyState::SetDown(VK::Home, true);
         }, ScreenState::LevelComplete},
        {"Space on the finished picture", [&] { KeyState::SetDown(VK::Space, true); }, ScreenState::Playing},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.what);
        if (form.flow.State != ScreenState::TopTen) {
            ASSERT_TRUE(RunUntilAsleep());  // sparks: never still
        }
        const uint64_t frames = form.FramesDrawn;
        change.act();
        now += 5000;
        // A solver's answer comes when its thread has it, later on a busy machine; the
        // test's clock stands still, so no frame beyond the one woken can come meanwhile.
        QElapsedTimer waited;
        waited.start();
        do RunEvents();
        while (form.FramesDrawn == frames && waited.elapsed() < 10000);
        EXPECT_EQ(form.FramesDrawn, frames + 1);
        EXPECT_EQ(form.flow.State, change.state);
        KeyState::Clear();
        if (form.flow.State == ScreenState::TopTen) continue;
        ASSERT_TRUE(RunUntilAsleep());
        ExpectScreenIsCurrent("once the change has come to rest");
    }
    EXPECT_EQ(form.flow.LevelIndex, 1) << "the finished picture led to the next level";
}

// The fewest moves of a level come from the solver's thread when they come: the
// level-complete screen, asleep meanwhile, shows them then.
TEST_F(FrameLoop, FewestMovesThatComeAfterTheLevelCompleteScreenWakeTheLoop) {
    Write("default.spx", MakeGamepack(2, 0, 1));  // 5 x 5
    MainWindow& form = Shown();
    form.Help().fewestSeconds = 1;
    // No other timer's event may stand in for the answer's.
    form.effectsTimer->stop();
    form.levelClock->stop();
    Board& b = form.flow.board;
    b.SolveBoardNow();
    b.TileGrid[4][4] = b.EmptyMarker();
    ASSERT_TRUE(form.flow.CheckSolved());
    form.fewestMovesAction->trigger();
    ASSERT_TRUE(RunUntilAsleep());
    ASSERT_TRUE(form.Help().LevelSearching()) << "asleep before the search is over";
    const QImage before = form.paintBox->Shown().copy();
    // The event loop waits for events while the answer comes, as the game's does; it is
    // told to stop a while after the answer, by an event that wakes no frame itself.
    QEventLoop loop;
    std::thread watch([&] {
        while (form.Help().LevelSearching()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    watch.join();
    EXPECT_FALSE(form.Asleep()) << "woken by the figure";
    ASSERT_TRUE(RunUntilAsleep());
    EXPECT_NE(form.paintBox->Shown(), before);
    ExpectScreenIsCurrent("with the figure");
}

// A part of the window uncovered under a message box shows black until a frame is drawn
// over it; a sleeping loop must still draw that frame once the box is gone.
TEST_F(FrameLoop, APartUncoveredWhileAsleepUnderAMessageBoxIsRedrawnWhenItCloses) {
    MainWindow& form = Shown();
    ASSERT_TRUE(RunUntilAsleep());
    const QImage frame = form.paintBox->Shown().copy();
    QMessageBox box(QMessageBox::Critical, "Marlipan!", "Invalid data type for 'Savegame'.");
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QPoint at = form.paintBox->mapTo(&form, QPoint(0, 0));
    QExposeEvent event{QRegion(QRect(60, 80, 50, 40).translated(at))};
    QCoreApplication::sendEvent(form.windowHandle(), &event);
    RunEvents();
    EXPECT_NE(Screen(), frame) << "black under the box";
    box.close();
    now += 5000;
    RunEvents();
    WaitOver();
    EXPECT_EQ(Screen(), frame);
    EXPECT_TRUE(form.Asleep());
}

// On an X server the paint box's own window takes its frames from shared memory, past Qt's
// backing store: each frame must still arrive whole, whatever part of it changed, also once
// the window has been made anew.
TEST_F(FrameLoop, OnX11EveryFrameArrivesWholeFromSharedMemory) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "an X server's own path";
    MainWindow& form = Shown();
    form.RunFrameLoop();
    ASSERT_TRUE(form.paintBox->ShownOnSurface());
    EXPECT_EQ(form.renderer.BackBuffer.constBits(), form.paintBox->Shown().constBits())
        << "drawn straight into the shared image";
    EXPECT_EQ(Screen(), form.renderer.BackBuffer) << "the first frame";
    SlideToItsLastStep(form);
    for (int i = 0; i < 3; ++i) {
        WaitOver();
        EXPECT_EQ(Screen(), form.paintBox->Shown()) << "a band: the slide, frame " << i;
    }
    form.pauseAction->trigger();
    for (int i = 0; i < 3; ++i) {
        WaitOver();
        EXPECT_EQ(Screen(), form.renderer.BackBuffer) << "every pixel: the drifting picture, frame " << i;
    }
    form.stayOnTopAction->trigger();  // Qt's way would make the box's window anew
    WaitOver();
    EXPECT_EQ(Screen(), form.renderer.BackBuffer) << "kept on top";
    const QImage shown = form.paintBox->Shown().copy();
    form.renderer.ClearBackBuffer();  // as a level load does, between frames
    EXPECT_EQ(form.paintBox->Shown(), shown) << "what a repaint would show";
}

// The X server exposes the box's own window, not the main window's, when a window over
// the box goes away: while frames are held that part is black too.
TEST_F(FrameLoop, OnX11AWindowLiftedOffTheHeldBoxLeavesBlack) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "an X server's own exposures";
    MainWindow& form = Shown();
    form.RunFrameLoop();
    const QImage frame = form.renderer.BackBuffer.copy();
    const QRect covered(60, 80, 50, 40);  // in paint-box pixels
    form.SetFrameLoopActive(false);
    QWidget cover(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    cover.setGeometry(QRect(form.paintBox->mapToGlobal(covered.topLeft()), covered.size()));
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    cover.hide();
    RunEvents(200);
    QImage expected = frame.copy();
    QPainter(&expected).fillRect(covered, Qt::black);
    EXPECT_EQ(Screen(), expected);
    form.SetFrameLoopActive(true);
    form.RunFrameLoop();
    EXPECT_EQ(Screen(), form.renderer.BackBuffer) << "the next frame covers the black";
}

// On the Paused and Top 10 screens the renderer names the rows that changed: those of the
// sparks, and on the Paused screen those of its picture and texts. Each must reach the
// screen, and the rows a spark has left as well, also on the black around the picture.
TEST_F(FrameLoop, TheAnimatedScreensChangesReachTheScreen) {
    MainWindow& form = Shown();
    for (const ScreenState screen : {ScreenState::Paused, ScreenState::TopTen}) {
        SCOPED_TRACE(int(screen));
        if (screen == ScreenState::Paused) form.pauseAction->trigger();
        else form.showTopTen();
        ASSERT_EQ(form.flow.State, screen);
        for (int i = 0; i < 60; ++i) {
            if (i % 6 == 0) form.tickEffects();
            WaitOver();
            ASSERT_EQ(form.paintBox->Shown(), form.renderer.BackBuffer) << "frame " << i;
            ASSERT_EQ(Screen(), form.renderer.BackBuffer) << "frame " << i;
        }
        if (screen == ScreenState::Paused) form.pauseAction->trigger();
    }
}
