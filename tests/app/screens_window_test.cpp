// The text screens as the main window feeds them: the finished picture on LevelComplete,
// the pause's start values, the bursts of the effects timer and the Top 10 from the table.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTextDocument>

#include "common/random.h"
#include "app/settingsdialog.h"
#include "render/text.h"
#include "render/textscreens.h"
#include "tests/app/windowfixture.h"
#include "tests/render/pixels.h"

namespace {

const QRgb Yellow = qRgb(255, 255, 0), Silver = qRgb(192, 192, 192), Cyan = qRgb(0, 255, 255);

class WindowScreens : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Write("default.spx", MakeGamepack(1, 0, 3));  // 4 x 4, no clock, three levels
    }
    const QImage& Frame() const { return form->renderer.BackBuffer; }
};

}  // namespace

// Pixels on the last column and row of the cells that are black: the grid lines of play.
int GridLinePixels(const QImage& frame, const Board& board) {
    int black = 0;
    for (int i = 0; i < board.BoardCols * board.BoardRows; ++i) {
        const QRect cell = CellRect(board, i);
        for (int k = 0; k < cell.width(); ++k) {
            black += frame.pixel(cell.right(), cell.top() + k) == qRgb(0, 0, 0);
            black += frame.pixel(cell.left() + k, cell.bottom()) == qRgb(0, 0, 0);
        }
    }
    return black;
}

TEST_F(WindowScreens, LevelCompleteFillsTheGapWithItsPieceAndKeepsIt) {
    MainWindow& form = Start();
    const int n = 4;
    Board& board = form.flow.board;
    board.SolveBoardNow();
    board.TileGrid[n - 1][n - 1] = board.EmptyMarker();  // solved by play: the gap is last
    form.DrawFrame();
    const QRect last = CellRect(board, n * n - 1);
    EXPECT_EQ(Frame().pixel(last.center()), qRgb(255, 255, 255)) << "playing: the gap is white";
    EXPECT_GT(GridLinePixels(Frame(), board), 0);
    ASSERT_TRUE(form.flow.CheckSolved());
    for (int frame = 0; frame < 2; ++frame) {
        form.DrawFrame();
        EXPECT_EQ(board.TileGrid[n - 1][n - 1], n * n - 1);
        EXPECT_TRUE(testutil::Near(Frame().pixel(last.center()), testutil::BlockColour(n - 1, n - 1)));
        EXPECT_EQ(GridLinePixels(Frame(), board), 0) << "the tiles join without lines";
    }
    // The next level replaces the grid.
    form.paintBoxPressed(1, 1);
    EXPECT_EQ(form.flow.LevelIndex, 1);
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    int gaps = 0;
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) gaps += board.TileGrid[c][r] == board.EmptyMarker();
    EXPECT_EQ(gaps, 1);
}

TEST_F(WindowScreens, EachPauseRestartsTheScrollerButNotThePicture) {
    MainWindow& form = Start();
    form.Pause.PreviewX = 20;
    form.Pause.PreviewY = 7;
    form.Pause.ScrollerPos = 99;
    ProgramRandom().Seed(31);
    Random twin;
    twin.Seed(31);
    form.pauseAction->trigger();
    ASSERT_EQ(form.flow.State, ScreenState::Paused);
    EXPECT_EQ(form.Pause.ScrollerPos, 0);
    EXPECT_EQ(form.Pause.PreviewBackX, twin.Next(2) == 1);
    EXPECT_EQ(form.Pause.PreviewBackY, twin.Next(2) == 1);
    for (int i = 0; i < 5; ++i) form.DrawFrame();
    EXPECT_EQ(form.Pause.ScrollerPos, 5);
    const int x = form.Pause.PreviewX, y = form.Pause.PreviewY;
    EXPECT_EQ(std::abs(x - 20), 5);
    form.pauseAction->trigger();
    ASSERT_EQ(form.flow.State, ScreenState::Playing);
    form.DrawFrame();
    EXPECT_EQ(form.Pause.PreviewX, x) << "frozen while playing";
    form.pauseAction->trigger();
    EXPECT_EQ(form.Pause.ScrollerPos, 0);
    EXPECT_EQ(form.Pause.PreviewX, x);
    EXPECT_EQ(form.Pause.PreviewY, y);
    form.DrawFrame();
    EXPECT_EQ(std::abs(form.Pause.PreviewX - x), 1) << "the second pause goes on from there";
}

TEST_F(WindowScreens, ScrollerTellsTheGamepackAndTheLevel) {
    MainWindow& form = Start();
    form.pauseAction->trigger();
    const int W = Frame().width(), H = Frame().height();
    form.Pause.ScrollerPos = 399;  // the next frame draws the text at x = W - 400
    form.DrawFrame();
    const QString text = ScrollerText({"Test pack", "Level 1", 0, 3, "1.10"});
    const QRect band(0, H - 40, W, 40);
    EXPECT_EQ(pixels::Extent(Frame(), band, Yellow),
              pixels::InkBox(Frame().size(), ArialFont(12, true), W - 400, H - 40, text));
}

TEST_F(WindowScreens, EffectsTimerAndTopTenUseTheWindowsPoolAndTable) {
    MainWindow& form = Start();
    for (int i = 0; i < 10; ++i) form.tickEffects();
    EXPECT_EQ(form.Particles->GroupsInUse(), 0) << "Playing";
    form.RecordResult(42, 17);
    form.topTenAction->trigger();
    ASSERT_EQ(form.flow.State, ScreenState::TopTen);
    form.tickEffects();
    EXPECT_GE(form.Particles->GroupsInUse(), 1);
    form.DrawFrame();
    const int W = Frame().width(), H = Frame().height();
    const int y = H / 20 * 4 + 20, moves = W - W / 5;
    EXPECT_EQ(pixels::Extent(Frame(), QRect(moves, y, W - moves, 20), Silver),
              pixels::InkBox(Frame().size(), ArialFont(11), moves, y, "42"))
        << "opened from the menu: the new entry is silver";
}

TEST_F(WindowScreens, EachLevelsOwnPicturesReachTheBoard) {
    const int n = 4;
    GamepackSource source;
    source.SizeIndex = n - 3;
    source.Levels.push_back({"Plain", testutil::BlockJpeg(n, 48), {}, ""});
    source.Levels.push_back({"Turned", EncodeJpeg(testutil::BlockPicture(n, 48).mirrored(true, true), 95), {}, ""});
    Write("default.spx", BuildGamepack(source));
    MainWindow& form = Start();
    Board& board = form.flow.board;
    for (int level = 0; level < 2; ++level) {
        if (level == 1) form.LoadGamepack(std::string("default.spx"), 1);
        board.SolveBoardNow();
        form.DrawFrame();
        const int block = level == 0 ? 0 : n - 1;  // the picture's top-left block
        EXPECT_TRUE(testutil::Near(Frame().pixel(CellRect(board, 0).center()), testutil::BlockColour(block, block)))
            << "level " << level;
    }
}

TEST_F(WindowScreens, TextsFromFilesAreShownAsTheyAre) {
    // Percent signs and markup in a gamepack's texts and in its file name are plain text.
    GamepackSource source;
    source.Description = "100% sure: %1 <b>as  is</b>";
    source.Levels.push_back({"100%1 Pure", testutil::BlockJpeg(3, 48),
                             lh5::PackArchive(testutil::TinyYm3(100), "song.ym"), "%2 & %3"});
    source.Levels.push_back({"Second", testutil::BlockJpeg(3, 48), {}, ""});
    Write("100%1 %2.spx", BuildGamepack(source));
    store.WriteString("GamepackName", "100%1 %2.spx");
    MainWindow& form = Start();
    ASSERT_EQ(form.Settings.GamepackName, "100%1 %2.spx");
    form.DrawFrame();
    const QSize size = Frame().size();
    const QRect line1(0, 0, size.width() / 2, 17), line2(0, 18, size.width() / 2, 14);
    EXPECT_EQ(pixels::InkDifference(Frame(), line1, Cyan, ArialFont(8), 10, 4, "Screen: 100%1 Pure [1/2]"), 0);
    EXPECT_EQ(pixels::InkDifference(Frame(), line2, Yellow, ArialFont(8), 10, 18, "Music: %2 & %3"), 0);

    form.pauseAction->trigger();
    form.Pause.ScrollerPos = 399;  // drawn at x = W - 400: the description's piece shows
    form.DrawFrame();
    const QRect band(0, size.height() - 40, size.width(), 40);
    EXPECT_EQ(pixels::InkDifference(Frame(), band, Yellow, ArialFont(12, true), size.width() - 400,
                                    size.height() - 40, QString(20, ' ') + "*** 100% sure: %1 <b>as  is</b> ***"),
              0);
    form.pauseAction->trigger();

    form.RecordResult(12, -1);
    form.topTenAction->trigger();
    form.DrawFrame();
    const int W = size.width(), H = size.height(), y = H / 20 * 4 + 20;
    EXPECT_EQ(pixels::InkDifference(Frame(), QRect(W / 20, y, W / 2, 20), Silver, ArialFont(11), W / 20, y,
                                    "1. 100%1 %2.spx"),
              0);

    SettingsDialog dialog(&form, SettingsDialogLinks{*form.MusicEngine, form.Settings.GamepackName,
                                     form.Settings.MusicVolume, form.Settings.SlideSpeed, nullptr, {}});
    ASSERT_NE(dialog.gamepackList->currentItem(), nullptr);
    EXPECT_EQ(dialog.gamepackList->currentItem()->text(), "100%1 %2.spx");
    EXPECT_EQ(dialog.descriptionText->text(), "100% sure: %1 <b>as  is</b>");
    QTextDocument tip;  // what the description's tip shows, read as a tip reads it
    const QString toolTip = dialog.descriptionText->toolTip();
    if (Qt::mightBeRichText(toolTip)) tip.setHtml(toolTip);
    else tip.setPlainText(toolTip);
    EXPECT_EQ(tip.toPlainText(), "100% sure: %1 <b>as  is</b>");
}
