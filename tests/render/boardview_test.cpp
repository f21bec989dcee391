#include <gtest/gtest.h>

#include <QPainter>

#include "game/board.h"
#include "render/boardview.h"
#include "render/frame.h"
#include "render/text.h"
#include "tests/render/pixels.h"

namespace {

const QRgb Black = qRgb(0, 0, 0), White = qRgb(255, 255, 255);

// Tile t is a solid, distinct colour; the blank tile is white.
std::vector<QImage> SolidTiles(int n, int tileSize) {
    std::vector<QImage> tiles;
    for (int t = 0; t < n * n; ++t) {
        QImage tile(tileSize, tileSize, QImage::Format_RGB32);
        tile.fill(qRgb(20 + 4 * t, 200 - 3 * t, 100));
        tiles.push_back(tile);
    }
    QImage blank(tileSize, tileSize, QImage::Format_RGB32);
    blank.fill(Qt::white);
    tiles.push_back(blank);
    return tiles;
}

class BoardDrawing : public testing::Test {
protected:
    void Setup(int n, int tileSize) {
        board.BoardCols = board.BoardRows = n;
        board.TileSize = tileSize;
        board.BoardSize = n * tileSize;
        board.BoardLeft = 35;
        board.BoardTop = 50;
        board.SolveBoardNow();
        board.TileGrid[n - 1][n - 1] = n * n;
        tiles = SolidTiles(n, tileSize);
        renderer.Resize(315, 305);
        model.state = ScreenState::Playing;
        model.board = &board;
        model.tiles = tiles.data();
        model.tileCount = int(tiles.size());
        model.status.levelName = "Harbour";
        model.status.levelIndex = 2;
        model.status.levelCount = 10;
    }
    QRgb Pixel(int x, int y) const { return renderer.BackBuffer.pixel(x, y); }
    QRgb TileColour(int t) const { return tiles[size_t(t)].pixel(0, 0); }

    // Bounding box of the pixels of one colour within a region.
    QRect Extent(const QRect& region, QRgb colour) const {
        QRect box;
        for (int y = region.top(); y <= region.bottom(); ++y)
            for (int x = region.left(); x <= region.right(); ++x)
                if (Pixel(x, y) == colour) box |= QRect(x, y, 1, 1);
        return box;
    }

    Board board;
    std::vector<QImage> tiles;
    FrameRenderer renderer;
    FrameModel model;
};

}  // namespace

TEST_F(BoardDrawing, GridLinesFollowEachCellButNoneBeforeTheFirst) {
    Setup(6, 40);
    renderer.DrawFrame(model);
    for (int c = 0; c < 6; ++c) {
        const int left = 35 + c * 40;
        EXPECT_EQ(Pixel(left, 60), TileColour(c * 6 + 0)) << "column " << c << " starts with picture";
        EXPECT_EQ(Pixel(left + 38, 60), TileColour(c * 6 + 0));
        EXPECT_EQ(Pixel(left + 39, 60), Black) << "line after column " << c;
    }
    for (int r = 0; r < 6; ++r) {
        const int top = 50 + r * 40;
        EXPECT_EQ(Pixel(40, top), TileColour(r));
        EXPECT_EQ(Pixel(40, top + 38), TileColour(r));
        EXPECT_EQ(Pixel(40, top + 39), Black) << "line after row " << r;
    }
    EXPECT_EQ(Pixel(34, 60), Black);  // left of the board: frame background
    EXPECT_EQ(Pixel(35 + 5 * 40 + 10, 50 + 5 * 40 + 10), White) << "the gap shows the blank tile";
}

TEST_F(BoardDrawing, RunningSlideShowsBothCellsWhiteExceptUnderTheMovingTile) {
    Setup(3, 81);
    // Gap at column 2, row 2; the tile at column 1, row 2 moves right by 30 pixels.
    board.Sliding = true;
    board.SlideFrom = board.CellIndex(1, 2);
    board.SlideTo = board.CellIndex(2, 2);
    board.SlideOffsetX = 30;
    renderer.DrawFrame(model);
    const int fromLeft = 35 + 81, top = 50 + 2 * 81;
    const QRgb moving = TileColour(board.CellIndex(1, 2));
    EXPECT_EQ(Pixel(fromLeft + 5, top + 40), White) << "the cell being left";
    EXPECT_EQ(Pixel(fromLeft + 29, top + 40), White);
    EXPECT_EQ(Pixel(fromLeft + 30, top + 40), moving);
    EXPECT_EQ(Pixel(fromLeft + 80, top + 40), moving) << "covers the grid line where it passes";
    EXPECT_EQ(Pixel(fromLeft + 30 + 79, top + 40), moving);
    EXPECT_EQ(Pixel(fromLeft + 30 + 80, top + 40), White) << "the target cell beyond the tile";
    EXPECT_EQ(Pixel(35 + 2 * 81 + 70, top + 40), White);

    // Upward slide: the displacement is negative, the tile is drawn above its cell.
    Setup(3, 81);
    std::swap(board.TileGrid[2][2], board.TileGrid[2][1]);  // gap at column 2, row 1
    board.Sliding = true;
    board.SlideFrom = board.CellIndex(2, 2);
    board.SlideTo = board.CellIndex(2, 1);
    board.SlideOffsetY = -50;
    renderer.DrawFrame(model);
    const int x = 35 + 2 * 81 + 40;
    EXPECT_EQ(Pixel(x, 50 + 2 * 81 - 50), TileColour(8 - 1));
    EXPECT_EQ(Pixel(x, 50 + 81 + 10), White);
    EXPECT_EQ(Pixel(x, 50 + 2 * 81 + 80 - 50 + 1), White);
}

// The renderer blackens only what a Playing frame leaves uncovered: whatever the frames
// before left behind, each frame is the one a fresh renderer composes from its model.
TEST_F(BoardDrawing, EachFrameIsWhatItsModelAloneGives) {
    Setup(3, 81);
    const auto expectFresh = [&](const char* what) {
        FrameRenderer fresh;
        fresh.Resize(315, 305);
        fresh.DrawFrame(model);
        EXPECT_EQ(renderer.BackBuffer, fresh.BackBuffer) << what;
    };
    board.Sliding = true;
    board.SlideFrom = board.CellIndex(1, 2);
    board.SlideTo = board.CellIndex(2, 2);
    board.SlideOffsetX = 60;
    renderer.DrawFrame(model);  // the moving tile lies over the grid line
    board.ClearSlide();
    renderer.DrawFrame(model);
    expectFresh("after a slide");
    QImage clear(81, 81, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QImage kept = tiles[4];
    tiles[4] = clear.copy(0, 0, 80, 80);  // already the size it is copied at
    renderer.DrawFrame(model);
    expectFresh("a see-through tile of the copied size");
    tiles[4] = kept;
    renderer.DrawFrame(model);
    tiles[4] = clear;
    renderer.DrawFrame(model);
    expectFresh("a see-through tile");
    tiles[4] = kept.scaled(40, 40);
    renderer.DrawFrame(model);
    expectFresh("a tile of another size");
    tiles[4] = kept;
    board.TileGrid[0][0] = 99;
    renderer.DrawFrame(model);
    expectFresh("a tile number without a picture");
    board.BoardLeft = 20;
    board.BoardTop = 30;
    renderer.DrawFrame(model);
    expectFresh("the board moved");
}

// A frame of the same version is known to be the same pixels and is not even compared
// with the screen: the version changes with every input of the frame and with any
// writing into the buffer from outside.
TEST_F(BoardDrawing, FrameVersionStaysOnlyWhileThePixelsDo) {
    Setup(3, 81);
    renderer.DrawFrame(model);
    uint64_t v = renderer.FrameVersion();
    const auto changes = [&](const char* what) {
        renderer.DrawFrame(model);
        EXPECT_NE(renderer.FrameVersion(), v) << what;
        v = renderer.FrameVersion();
        renderer.DrawFrame(model);
        EXPECT_EQ(renderer.FrameVersion(), v) << what << ", drawn again";
    };
    renderer.DrawFrame(model);
    EXPECT_EQ(renderer.FrameVersion(), v);
    board.Sliding = true;
    board.SlideFrom = board.CellIndex(1, 2);
    board.SlideTo = board.CellIndex(2, 2);
    board.SlideOffsetX = 10;
    changes("a slide");
    board.SlideOffsetY = 1;
    changes("its offset");
    board.ClearSlide();
    changes("the slide's end");
    std::swap(board.TileGrid[0][0], board.TileGrid[0][1]);
    changes("the grid");
    board.BoardTop = 40;
    changes("the board's place");
    tiles[2].setPixel(0, 0, qRgb(1, 2, 3));
    changes("a tile's picture");
    model.status.timeLeft = 7;
    changes("the status line");
    renderer.BackBuffer.setPixel(0, 0, qRgb(1, 2, 3));
    changes("a pixel written from outside");
    renderer.DrawBoardOnly(model);
    EXPECT_NE(renderer.FrameVersion(), v) << "the board drawn again at a slide's end";
    v = renderer.FrameVersion();
    changes("the frame after it");
    model.state = ScreenState::Paused;
    renderer.DrawFrame(model);
    EXPECT_NE(renderer.FrameVersion(), v);
    v = renderer.FrameVersion();
    renderer.DrawFrame(model);
    EXPECT_NE(renderer.FrameVersion(), v) << "other screens are always new";
}

// The frame loop sleeps while the next frame would repeat the last: that may be said only
// of the screens without animation, and only while every input is as it was.
TEST_F(BoardDrawing, OnlyScreensWithoutAnimationRepeatAndOnlyWhileTheirInputsDo) {
    Setup(3, 81);
    for (const ScreenState state : {ScreenState::Playing, ScreenState::LevelComplete, ScreenState::Loading}) {
        SCOPED_TRACE(int(state));
        model.state = state;
        EXPECT_FALSE(renderer.Repeats(model)) << "a screen not yet drawn";
        renderer.DrawFrame(model);
        EXPECT_TRUE(renderer.Repeats(model));
        const uint64_t v = renderer.FrameVersion();
        const QImage drawn = renderer.BackBuffer.copy();
        renderer.DrawFrame(model);
        EXPECT_EQ(renderer.FrameVersion(), v);
        EXPECT_EQ(renderer.BackBuffer, drawn);
        // Any input changed: the next frame is drawn, as a renderer of its own draws it.
        const auto redrawn = [&](const char* what) {
            EXPECT_FALSE(renderer.Repeats(model)) << what;
            renderer.DrawFrame(model);
            FrameRenderer fresh;
            fresh.Resize(315, 305);
            fresh.DrawFrame(model);
            EXPECT_EQ(renderer.BackBuffer, fresh.BackBuffer) << what;
            EXPECT_TRUE(renderer.Repeats(model)) << what;
        };
        std::swap(board.TileGrid[0][0], board.TileGrid[0][1]);
        redrawn("the grid");
        tiles[1].setPixel(5, 5, qRgb(1, 2, 3));
        redrawn("a tile's picture");
        model.status.timerActive = true;
        model.status.timeLeft = 40 - int(state);
        redrawn("the status line");
        model.levelLine = QString("%1 moves").arg(int(state));
        redrawn("the line under \"Very Good!\"");
        renderer.BackBuffer.setPixel(3, 3, qRgb(1, 2, 3));
        redrawn("a pixel written from outside");
        board.Sliding = true;
        board.SlideFrom = board.CellIndex(1, 2);
        board.SlideTo = board.CellIndex(2, 2);
        redrawn("a slide");
        board.ClearSlide();
    }
    model.state = ScreenState::Playing;
    renderer.DrawFrame(model);
    model.state = ScreenState::LevelComplete;
    EXPECT_FALSE(renderer.Repeats(model)) << "another screen";
    for (const ScreenState state : {ScreenState::GameOver, ScreenState::Paused, ScreenState::TopTen}) {
        model.state = state;
        renderer.DrawFrame(model);
        EXPECT_FALSE(renderer.Repeats(model)) << "sparks or a scroller move on every frame";
    }
}

TEST_F(BoardDrawing, ClockIsGreenAboveThirtySecondsAndRedAtThirty) {
    Setup(3, 81);
    const QRgb green = qRgb(0, 255, 0), red = qRgb(255, 0, 0);
    const QRect clockArea(200, 0, 115, 45);
    model.status.timerActive = true;
    model.status.timeLeft = 31;
    renderer.DrawFrame(model);
    EXPECT_FALSE(Extent(clockArea, green).isEmpty());
    EXPECT_TRUE(Extent(clockArea, red).isEmpty());
    const QRect text = Extent(clockArea, green);
    EXPECT_LE(text.right(), 315 - 10) << "ends 10 pixels from the right";
    EXPECT_GE(text.right(), 315 - 14);
    EXPECT_GE(text.top(), 6);

    model.status.timeLeft = 30;
    renderer.DrawFrame(model);
    EXPECT_FALSE(Extent(clockArea, red).isEmpty());
    EXPECT_TRUE(Extent(clockArea, green).isEmpty());

    model.status.timerActive = false;
    renderer.DrawFrame(model);
    EXPECT_TRUE(Extent(clockArea, red).isEmpty());
}

TEST_F(BoardDrawing, StatusTextsStandAtTheirPlacesInTheirColours) {
    Setup(3, 81);
    const QRgb cyan = qRgb(0, 255, 255), yellow = qRgb(255, 255, 0), green = qRgb(0, 255, 0);
    model.status.hasSong = true;
    model.status.songTitle = "Harbour Waltz";
    model.status.timerActive = true;
    model.status.timeLeft = 31;
    renderer.DrawFrame(model);
    // Each text glyph for glyph where it belongs: the level one-based, 8 points at (10, 4)
    // and (10, 18), the clock at 14 points ending 10 pixels from the right edge.
    const QImage& frame = renderer.BackBuffer;
    const QRect strip(0, 0, 315, 50);
    const QFont small = ArialFont(8), clock = ArialFont(14);
    EXPECT_EQ(pixels::InkDifference(frame, strip, cyan, small, 10, 4, "Screen: Harbour [3/10]"), 0);
    EXPECT_EQ(pixels::InkDifference(frame, strip, yellow, small, 10, 18, "Music: Harbour Waltz"), 0);
    EXPECT_EQ(pixels::InkDifference(frame, strip, green, clock, 315 - 10 - TextWidth(clock, "0:31"), 6, "0:31"), 0);
    model.status.hasSong = false;
    renderer.DrawFrame(model);
    EXPECT_EQ(pixels::InkDifference(frame, strip, yellow, small, 10, 18, "Music: none"), 0);

    // The texts stand on opaque black boxes of their own: over anything else, each box is
    // black but for the text.
    const QRgb grey = qRgb(90, 90, 90);
    QImage under(315, 305, QImage::Format_RGB32);
    under.fill(grey);
    {
        QPainter painter(&under);
        DrawStatusLine(painter, 315, model.status);
    }
    const QFontMetrics sm(small), cm(clock);
    const QRect boxes[3] = {QRect(10, 4, sm.horizontalAdvance("Screen: Harbour [3/10]"), sm.height()),
                            QRect(10, 18, sm.horizontalAdvance("Music: none"), sm.height()),
                            QRect(315 - 10 - cm.horizontalAdvance("0:31"), 6, cm.horizontalAdvance("0:31"), cm.height())};
    for (const QRect& box : boxes) {
        EXPECT_EQ(pixels::Count(under, box, grey), 0) << "box at " << box.x() << ", " << box.y();
        EXPECT_GT(pixels::Count(under, box, qRgb(0, 0, 0)), box.width() * box.height() / 2);
        EXPECT_EQ(under.pixel(box.left() - 1, box.top()), grey) << "and no more than the box";
    }
}

TEST_F(BoardDrawing, OtherScreensStayBlackUntilTheyAreDrawn) {
    Setup(3, 81);
    model.state = static_cast<ScreenState>(9);
    renderer.DrawFrame(model);
    EXPECT_TRUE(Extent(QRect(0, 0, 315, 305), Black) == QRect(0, 0, 315, 305));
}

TEST(FormatTime, MinutesAndTwoDigitSeconds) {
    EXPECT_EQ(FormatTime(0), "0:00");
    EXPECT_EQ(FormatTime(9), "0:09");
    EXPECT_EQ(FormatTime(59), "0:59");
    EXPECT_EQ(FormatTime(60), "1:00");
    EXPECT_EQ(FormatTime(125), "2:05");
    EXPECT_EQ(FormatTime(1200), "20:00");
    EXPECT_EQ(FormatTime(6000), "100:00");
    EXPECT_EQ(FormatTime(-1), "0:00") << "a restored clock that already ran out";
}

TEST(CellRect, CellsRunDownEachColumn) {
    Board b;
    b.BoardCols = b.BoardRows = 4;
    b.TileSize = 61;
    b.BoardLeft = 35;
    b.BoardTop = 50;
    EXPECT_EQ(CellRect(b, 1), QRect(35, 50 + 61, 61, 61));
    EXPECT_EQ(CellRect(b, 4), QRect(35 + 61, 50, 61, 61));
}
