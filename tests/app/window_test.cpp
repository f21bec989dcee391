#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "tests/app/windowfixture.h"
#include "render/layout.h"

namespace {

QAction* FindAction(MainWindow& form, const QString& caption) {
    for (QMenu* menu : form.menuBar()->findChildren<QMenu*>())
        for (QAction* a : menu->actions())
            if (a->text() == caption) return a;
    return nullptr;
}

class MainWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Write("default.spx", MakeGamepack(0, 0, 3, 1));
    }
};

}  // namespace

TEST_F(MainWindowTest, HasTheDesignLayout) {
    MainWindow& form = Start();
    EXPECT_EQ(form.windowTitle(), "Marlipan!");
    EXPECT_EQ(form.centralWidget()->size(), QSize(326, 315));
    EXPECT_EQ(form.boardPanel->geometry(), QRect(4, 2, 317, 307));
    EXPECT_EQ(form.paintBox->size(), QSize(315, 305));
    EXPECT_EQ(form.renderer.BackBuffer.size(), QSize(315, 305));
    EXPECT_EQ(form.boardPanel->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(form.boardPanel->lineWidth(), 1);
    EXPECT_EQ(form.levelClock->interval(), 1000);
    EXPECT_EQ(form.effectsTimer->interval(), 300);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_TRUE(form.FrameLoopActive);
}

TEST_F(MainWindowTest, MenuHasEveryItemWithItsShortcutAndCheckMark) {
    MainWindow& form = Start();
    struct Item { const char* caption; QKeySequence shortcut; bool checkable, checked; };
    const Item items[] = {
        {"&New game", QKeySequence("Ctrl+N"), false, false},
        {"&Pause/Preview", QKeySequence("P"), true, false},
        {"&Hint", QKeySequence("H"), false, false},
        {"&Save game", QKeySequence("Ctrl+S"), false, false},
        {"&Restore game", QKeySequence("Ctrl+R"), false, false},
        {"Show Top &10", QKeySequence("Ctrl+1"), true, false},
        {"Clear Top 10 Table", QKeySequence("Ctrl+X"), false, false},
        {"E&xit", QKeySequence("Alt+X"), false, false},
        {"Se&ttings", QKeySequence("Ctrl+T"), false, false},
        {"&Zoom", QKeySequence("Ctrl+Z"), true, false},
        {"Stay On To&p", QKeySequence("Ctrl+P"), true, false},
        {"&Music", QKeySequence("Ctrl+M"), true, true},
        {"Sound &FX", QKeySequence("Ctrl+F"), true, true},
        {"Fe&west moves", QKeySequence(), true, false},
        {"&About", QKeySequence("Alt+F1"), false, false},
    };
    for (const Item& item : items) {
        QAction* a = FindAction(form, item.caption);
        ASSERT_NE(a, nullptr) << item.caption;
        EXPECT_EQ(a->shortcut(), item.shortcut) << item.caption;
        EXPECT_EQ(a->isCheckable(), item.checkable) << item.caption;
        EXPECT_EQ(a->isChecked(), item.checked) << item.caption;
    }
    QStringList menus;
    for (QAction* a : form.menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Options", "&Help"}));
    QStringList file;
    for (QAction* a : form.menuBar()->actions().at(0)->menu()->actions()) file << a->text();
    EXPECT_EQ(file, QStringList({"&New game", "&Pause/Preview", "&Hint", "&Save game", "&Restore game", "",
                                 "Show Top &10", "Clear Top 10 Table", "", "E&xit"}));
}

TEST_F(MainWindowTest, TriggeredCheckItemsToggleOnlyWhereTheyAct) {
    MainWindow& form = Start();
    form.pauseAction->trigger();
    EXPECT_TRUE(form.pauseAction->isChecked());
    EXPECT_EQ(form.flow.State, ScreenState::Paused);
    form.topTenAction->trigger();  // not on the Paused screen
    EXPECT_FALSE(form.topTenAction->isChecked());
    form.pauseAction->trigger();
    EXPECT_FALSE(form.pauseAction->isChecked());
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
}

TEST_F(MainWindowTest, ZoomOnAndOffRestoresTheDesignSizesAndReshuffles) {
    MainWindow& form = Start();
    const auto before = form.TileBitmaps[0].size();
    form.zoomAction->trigger();
    EXPECT_TRUE(form.zoomAction->isChecked());
    EXPECT_EQ(form.centralWidget()->size(), QSize(517, 498));
    EXPECT_EQ(form.boardPanel->size(), QSize(507, 491));
    EXPECT_EQ(form.renderer.BackBuffer.size(), QSize(505, 489));
    EXPECT_EQ(form.flow.board.BoardTop, 50);
    EXPECT_GT(form.TileBitmaps[0].width(), before.width());
    form.zoomAction->trigger();
    EXPECT_EQ(form.centralWidget()->size(), QSize(326, 315));
    EXPECT_EQ(form.boardPanel->size(), QSize(317, 307));
    EXPECT_EQ(form.renderer.BackBuffer.size(), QSize(315, 305));
    EXPECT_EQ(form.TileBitmaps[0].size(), before);
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
}

TEST_F(MainWindowTest, ZoomKeepsTheMoveCountAndLeavesPause) {
    MainWindow& form = Start();
    form.flow.board.MoveCount = 17;
    form.pauseAction->trigger();
    form.zoomAction->trigger();
    EXPECT_FALSE(form.pauseAction->isChecked());
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_EQ(form.flow.board.MoveCount, 17);
    EXPECT_FALSE(form.flow.board.IsSolved());
}

TEST_F(MainWindowTest, SlideStartedBeforePauseEndsInTheFramesBehindThePausedScreen) {
    MainWindow& form = Start();
    Board& b = form.flow.board;
    b.SolveBoardNow();
    b.TileGrid[2][1] = b.EmptyMarker();  // the gap above the corner, tile 7 below it
    b.TileGrid[2][2] = 7;
    ASSERT_TRUE(b.TryMoveCell(b.CellIndex(2, 2)));
    form.pauseAction->trigger();
    ASSERT_EQ(form.flow.State, ScreenState::Paused);
    for (int frame = 0; frame < 9; ++frame) form.RunFrameLoop();  // 81 pixels at 10 a frame
    EXPECT_FALSE(b.Sliding);
    EXPECT_EQ(b.TileGrid[2][1], 7);
}

TEST(Layout, ZoomArithmeticAndBoardPlacement) {
    const WindowSizes zoomed = ZoomOn(DesignSizes);
    EXPECT_EQ(zoomed, (WindowSizes{517, 498, 507, 491}));
    const Layout off = ComputeLayout(317, 307), on = ComputeLayout(507, 491);
    EXPECT_EQ(off.W, 315);
    EXPECT_EQ(off.H, 305);
    EXPECT_EQ(off.BoardSize, 245);
    EXPECT_EQ(off.BoardLeft, 35);
    EXPECT_EQ(off.BoardTop, 50);
    EXPECT_EQ(on.BoardSize, 429);
    EXPECT_EQ(on.BoardLeft, 38);
    EXPECT_EQ(on.BoardTop, 50);
}
