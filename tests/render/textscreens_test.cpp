// The text screens drawn into the BackBuffer, at the design size and zoomed.
#include <gtest/gtest.h>

#include "common/random.h"
#include "game/board.h"
#include "game/hiscoretable.h"
#include "render/frame.h"
#include "render/layout.h"
#include "render/particles.h"
#include "render/text.h"
#include "render/textscreens.h"
#include "tests/render/pixels.h"

namespace {

using pixels::Extent;
using pixels::InkBox;

const QRgb Black = qRgb(0, 0, 0), White = qRgb(255, 255, 255), Yellow = qRgb(255, 255, 0);
const QRgb Blue = qRgb(0, 0, 255), Red = qRgb(255, 0, 0), Silver = qRgb(192, 192, 192);
const QRgb Cyan = qRgb(0, 255, 255), Grey = qRgb(90, 90, 90);

class TextScreens : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        const WindowSizes sizes = GetParam() ? ZoomOn(DesignSizes) : DesignSizes;
        layout = ComputeLayout(sizes.panelWidth, sizes.panelHeight);
        W = layout.W;
        H = layout.H;
        renderer.Resize(W, H);
        preview = QImage(layout.BoardSize, layout.BoardSize, QImage::Format_RGB32);
        preview.fill(Grey);
        model.preview = &preview;
        model.pause = &pause;
        model.particles = &particles;
        model.hiScores = &table;
    }
    const QImage& Frame() const { return renderer.BackBuffer; }
    QRect All() const { return QRect(0, 0, W, H); }
    QSize Size() const { return QSize(W, H); }
    void Draw(ScreenState state) {
        model.state = state;
        renderer.DrawFrame(model);
    }
    // The grey picture's place on each of a run of Paused frames, read from the frames.
    std::vector<QPoint> Drift(int frames) {
        std::vector<QPoint> at;
        for (int i = 0; i < frames; ++i) {
            Draw(ScreenState::Paused);
            at.push_back(Extent(Frame(), All(), Grey).topLeft());
        }
        return at;
    }

    Layout layout;
    int W = 0, H = 0;
    FrameRenderer renderer;
    FrameModel model;
    QImage preview;
    PauseAnimation pause;
    Random random;
    ParticleSystem particles{random};
    HiScoreTable table;
};

INSTANTIATE_TEST_SUITE_P(DesignAndZoomed, TextScreens, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "Zoomed" : "Design"; });

TEST_P(TextScreens, LoadingIsYellowOnBlackCentredTwentyPixelsAboveTheMiddle) {
    Draw(ScreenState::Loading);
    const QRect ink = Extent(Frame(), All(), Yellow);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_EQ(pixels::Others(Frame(), All(), Yellow), 0) << "nothing but yellow text on black";
    const QFont font = ArialFont(18);
    EXPECT_EQ(ink, InkBox(Size(), font, (W - TextWidth(font, "Loading...")) / 2, H / 2 - 20, "Loading..."));
    EXPECT_LE(std::abs(ink.left() - (W - 1 - ink.right())), 3) << "centred";
    EXPECT_GE(ink.top(), H / 2 - 20);
    EXPECT_LT(ink.bottom(), H / 2 - 20 + QFontMetrics(font).height());
}

TEST_P(TextScreens, GameOverIsBoldBlueOnBlack) {
    Draw(ScreenState::GameOver);
    const QRect ink = Extent(Frame(), All(), Blue);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_EQ(pixels::Others(Frame(), All(), Blue), 0) << "no board behind it";
    const QFont bold = ArialFont(24, true);
    const int x = (W - TextWidth(bold, "Game Over")) / 2;
    EXPECT_EQ(ink, InkBox(Size(), bold, x, H / 2 - 30, "Game Over"));
    EXPECT_NE(ink.width(), InkBox(Size(), ArialFont(24), x, H / 2 - 30, "Game Over").width());
}

TEST_P(TextScreens, LevelCompleteShowsEveryPieceWithoutGridLines) {
    for (int n = 3; n <= 7; ++n) {
        SCOPED_TRACE(n);
        Board board;
        board.BoardCols = board.BoardRows = n;
        board.TileSize = layout.BoardSize / n;
        board.BoardSize = board.TileSize * n;
        board.BoardLeft = layout.BoardLeft;
        board.BoardTop = layout.BoardTop;
        board.SolveBoardNow();
        board.TileGrid[n - 1][n - 1] = n * n - 1;  // what the window writes on this screen
        std::vector<QImage> tiles;
        for (int t = 0; t <= n * n; ++t) {
            QImage tile(board.TileSize, board.TileSize, QImage::Format_RGB32);
            tile.fill(t == n * n ? White : qRgb(10 + 4 * t, 220 - 4 * t, 60 + t));
            tiles.push_back(tile);
        }
        model.board = &board;
        model.tiles = tiles.data();
        model.tileCount = int(tiles.size());
        Draw(ScreenState::LevelComplete);
        int wrong = 0;
        for (int t = 0; t < n * n; ++t) {
            const QRect cell = CellRect(board, t);
            wrong += cell.width() * cell.height() - pixels::Count(Frame(), cell, tiles[size_t(t)].pixel(0, 0));
        }
        EXPECT_EQ(wrong, 0) << "each cell filled to its last row and column with its own piece";
        const QRect last = CellRect(board, n * n - 1);
        EXPECT_EQ(Frame().pixel(last.right(), last.bottom()), tiles[size_t(n * n - 1)].pixel(0, 0));
        const QRect text = Extent(Frame(), QRect(0, 0, W, layout.BoardTop), White);
        const QFont font = ArialFont(16);
        EXPECT_EQ(text, InkBox(Size(), font, (W - TextWidth(font, "Very Good!")) / 2, 12, "Very Good!"));
        // A board shortened to fit n cells keeps its corner: the strip beyond it stays black.
        EXPECT_EQ(Frame().pixel(board.BoardLeft + board.BoardSize, board.BoardTop + 5), Black);
    }
}

// The line of the fewest moves: small, centred, wholly between "Very Good!" and the picture.
TEST_P(TextScreens, LevelCompleteLineStandsBetweenVeryGoodAndThePicture) {
    Board board;
    board.BoardCols = board.BoardRows = 3;
    board.TileSize = layout.BoardSize / 3;
    board.BoardSize = board.TileSize * 3;
    board.BoardLeft = layout.BoardLeft;
    board.BoardTop = layout.BoardTop;
    board.SolveBoardNow();
    std::vector<QImage> tiles(9, QImage(board.TileSize, board.TileSize, QImage::Format_RGB32));
    for (QImage& tile : tiles) tile.fill(Grey);
    model.board = &board;
    model.tiles = tiles.data();
    model.tileCount = 9;
    Draw(ScreenState::LevelComplete);
    const QImage without = Frame().copy();
    const QRect above(0, 0, W, layout.BoardTop);
    const QRect veryGood = Extent(without, above, White);
    for (const QString line : {"1 move; 1 was possible", "130 moves; the fewest is at most 118"}) {
        SCOPED_TRACE(line.toStdString());
        model.levelLine = line;
        Draw(ScreenState::LevelComplete);
        const QRect between(0, veryGood.bottom() + 1, W, layout.BoardTop - veryGood.bottom() - 1);
        const QRect ink = Extent(Frame(), between, White);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_EQ(Extent(Frame(), above, White), veryGood | ink) << "nothing else is drawn";
        EXPECT_LT(ink.height(), veryGood.height()) << "smaller than \"Very Good!\"";
        EXPECT_LE(std::abs(ink.left() - (W - 1 - ink.right())), 3) << "centred";
        EXPECT_EQ(Frame().copy(0, layout.BoardTop, W, H - layout.BoardTop),
                  without.copy(0, layout.BoardTop, W, H - layout.BoardTop)) << "the picture as it was";
    }
}

TEST(MovesLine, TheMovesAloneUntilTheFewestAreKnownThenProvenOrAtMost) {
    EXPECT_EQ(MovesLine(42, -1, false), "42 moves");
    EXPECT_EQ(MovesLine(1, -1, true), "1 move");
    EXPECT_EQ(MovesLine(42, 36, true), "42 moves; 36 was possible");
    EXPECT_EQ(MovesLine(130, 118, false), "130 moves; the fewest is at most 118");
}

TEST_P(TextScreens, PreviewReachesEachEdgeOnOneFrameAndTurnsOnTheNext) {
    const int maxX = W - layout.BoardSize, maxY = H - layout.BoardSize;
    ASSERT_GT(maxX, maxY) << "the two axes turn on different frames";
    const std::vector<QPoint> at = Drift(2 * maxX + 10);
    EXPECT_EQ(at[0], QPoint(1, 1));
    int touchedX = 0, touchedY = 0, touchedZero = 0;
    for (size_t i = 0; i + 1 < at.size(); ++i) {
        EXPECT_GE(at[i].x(), 0);
        EXPECT_LE(at[i].x(), maxX);
        EXPECT_GE(at[i].y(), 0);
        EXPECT_LE(at[i].y(), maxY);
        EXPECT_EQ(std::abs(at[i + 1].x() - at[i].x()), 1);
        EXPECT_EQ(std::abs(at[i + 1].y() - at[i].y()), 1);
        if (at[i].x() == maxX) {
            ++touchedX;
            EXPECT_EQ(at[i + 1].x(), maxX - 1);
        }
        if (at[i].y() == maxY) {
            ++touchedY;
            EXPECT_EQ(at[i + 1].y(), maxY - 1);
        }
        if (at[i].y() == 0) {
            ++touchedZero;
            EXPECT_EQ(at[i + 1].y(), 1);
        }
    }
    EXPECT_EQ(at[size_t(maxX - 1)].x(), maxX) << "frame " << maxX << " touches the right edge";
    EXPECT_EQ(at[size_t(maxY - 1)].y(), maxY);
    EXPECT_EQ(at[size_t(2 * maxY - 1)].y(), 0) << "back at the top after twice the run";
    EXPECT_EQ(touchedX, 1);
    EXPECT_GE(touchedY, 1);
    EXPECT_GE(touchedZero, 1);
    EXPECT_EQ(pause.PreviewX, at.back().x()) << "the position is the window's to keep";
}

TEST_P(TextScreens, ScrollerWrapsOnlyAfterItsLastCharacterHasLeft) {
    model.preview = nullptr;
    model.scroller = "MARLIPAN";
    const QFont font = ArialFont(12, true);
    const int run = TextWidth(font, model.scroller) + W;
    const QRect band(0, H - 40, W, H - (H - 40));
    pause.ScrollerPos = run - 10;
    Draw(ScreenState::Paused);  // drawn at x = 10 - text width: the N's last columns remain
    const QRect tail = Extent(Frame(), band, Yellow);
    ASSERT_FALSE(tail.isEmpty()) << "the last character is still in the window";
    EXPECT_LT(tail.right(), 10);
    EXPECT_EQ(Extent(Frame(), band, Silver).bottom(), tail.bottom() + 1) << "the shadow, a pixel lower";
    pause.ScrollerPos = run - 2;
    Draw(ScreenState::Paused);
    EXPECT_EQ(pause.ScrollerPos, run - 1);
    Draw(ScreenState::Paused);
    EXPECT_EQ(pause.ScrollerPos, 0) << "wraps on reaching text width + window width";
    EXPECT_TRUE(Extent(Frame(), band, Yellow).isEmpty()) << "drawn just beyond the right edge";
    EXPECT_TRUE(Extent(Frame(), band, Silver).isEmpty());
    for (int i = 0; i < 12; ++i) Draw(ScreenState::Paused);
    const QRect head = Extent(Frame(), band, Yellow);
    ASSERT_FALSE(head.isEmpty()) << "enters again at the right edge";
    EXPECT_GE(head.left(), W - 12);
}

TEST_P(TextScreens, PausedTextsHaveNoBackgroundBoxOverThePicture) {
    // The picture sits under both the title and the scroller; a text background would
    // leave black boxes in it.
    pause.PreviewX = 30;
    pause.PreviewY = 50;
    pause.PreviewBackX = pause.PreviewBackY = true;
    model.scroller = ScrollerText({"A description", "Lighthouse", 2, 10, "1.10"});
    pause.ScrollerPos = W;
    Draw(ScreenState::Paused);
    const QRect picture(pause.PreviewX, pause.PreviewY, preview.width(), preview.height());
    ASSERT_EQ(Extent(Frame(), All(), Grey).topLeft(), picture.topLeft());
    const QFontMetrics title(ArialFont(28, true));
    const QRect titleBox(0, H / 2 - 40, W, title.height());
    const QFontMetrics scroller(ArialFont(12, true));
    const QRect scrollerBox(0, H - 40, W, scroller.height() + 1);
    EXPECT_EQ(pixels::Count(Frame(), titleBox & picture, Black), 0);
    EXPECT_EQ(pixels::Count(Frame(), scrollerBox & picture, Black), 0);
    EXPECT_GT(pixels::Count(Frame(), titleBox & picture, Red), 0);
    EXPECT_GT(pixels::Count(Frame(), scrollerBox & picture, Yellow), 0);
}

// The Paused frame is put together from kept pictures, and black only where the picture
// leaves room; every frame must still be the one that clearing and drawing each step in
// turn gives, while the picture turns at the edges and sparks fly over it.
TEST_P(TextScreens, PausedFramesAreWhatDrawingEachStepInTurnGives) {
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x) preview.setPixel(x, y, qRgb(x % 256, (x + y) % 256, y % 256));
    model.scroller = ScrollerText({"A description", "Lighthouse", 2, 10, "1.10"});
    Random twinRandom;
    ParticleSystem twin{twinRandom};
    random.Seed(5);
    twinRandom.Seed(5);
    for (const QPoint at : {QPoint(W / 2, H / 2 - 30), QPoint(W / 3, H - 35)}) {
        particles.SpawnBurst(at.x(), at.y());
        twin.SpawnBurst(at.x(), at.y());
    }
    pause.PreviewX = W - preview.width() - 3;
    pause.PreviewY = 2;
    pause.ScrollerPos = W - 40;
    PauseAnimation twinPause = pause;
    for (int frame = 0; frame < 2 * (W - preview.width()) + 8; ++frame) {
        SCOPED_TRACE(frame);
        if (frame % 9 == 0) {
            particles.TickEffects(ScreenState::Paused, W, H);
            twin.TickEffects(ScreenState::Paused, W, H);
        }
        Draw(ScreenState::Paused);
        QImage expected(W, H, QImage::Format_RGB32);
        expected.fill(Qt::black);
        {
            QPainter painter(&expected);
            DrawPreview(painter, preview, twinPause, W, H);
        }
        twin.UpdateParticles(expected);
        {
            QPainter painter(&expected);
            DrawPaused(painter, model.scroller, twinPause, W, H);
        }
        ASSERT_EQ(Frame(), expected);
    }
}

// The scroller is copied from a picture of its line made once, with a painter or straight
// into the pixels; every frame must still show what drawing the text there shows:
// entering, leaving, in both colours, over the picture, with glyphs that reach below the
// line and left of their place.
TEST(KeptText, SamePixelsAsTheTextDrawnInPlace) {
    const QString text = ScrollerText({"jWfy_|Q* description", "Pier", 2, 7, "1.10"});
    const QFont font = ArialFont(12, true);
    const int w = 315, h = 60;
    QImage ground(w, h, QImage::Format_RGB32);
    ground.fill(Qt::black);
    QPainter(&ground).fillRect(40, 10, 120, 40, Grey);
    const int wide = TextWidth(font, text);
    std::vector<int> places = {w + 1, w, w - 7, 100, 0, -3, -(wide / 2), 5 - wide, -wide, -wide - 20};
    // The left edge on every column of more than a block: the ink is looked up by blocks of columns.
    for (int x = -150; x < -60; ++x) places.push_back(x);
    for (const uint32_t colour : {0x00C0C0C0u, 0x0000FFFFu})
        for (const int x : places) {
            QImage drawn = ground.copy(), kept = ground.copy(), direct = ground.copy();
            for (QImage* image : {&drawn, &kept}) {
                QPainter painter(image);
                painter.setBackgroundMode(Qt::TransparentMode);
                painter.setFont(font);
                painter.setPen(ColorRef(colour));
                if (image == &drawn) DrawTextAt(painter, x, 20, text);
                else DrawKeptTextAt(painter, x, 20, text);
            }
            DrawKeptTextAt(direct, font, ColorRefRgb(colour), x, 20, text);
            ASSERT_EQ(kept, drawn) << "colour " << colour << ", x " << x;
            ASSERT_EQ(direct, drawn) << "with no painter: colour " << colour << ", x " << x;
        }
}

// The widest run of blank columns between the first and the last inked column of `word`.
int WidestGap(const QFont& font, const QString& word) {
    const QSize size(TextWidth(font, word) + 8, QFontMetrics(font).height());
    const QRect ink = InkBox(size, font, 2, 0, word);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        DrawTextAt(painter, 2, 0, word);
    }
    int widest = 0, run = 0;
    for (int x = ink.left(); x <= ink.right(); ++x) {
        const bool blank = pixels::Count(image, QRect(x, 0, 1, size.height()), White) == 0;
        run = blank ? run + 1 : 0;
        widest = std::max(widest, run);
    }
    return widest;
}

TEST(SmallText, LettersOfAWordStayTogether) {
    // Unsmoothed text with glyphs placed off the pixel grid reads "Hom e" and "M usic".
    const QStringList words = {"Home", "Sweet", "Music", "Sunny", "Screen", "Gamepack", "Moves",
                               "Time", "default", "FEATURING", "SMOOTH", "AMAZING", "Harbour"};
    for (const auto& [points, bold] : {std::pair{8, false}, {9, true}, {11, false}, {12, true}}) {
        for (const QString& word : words)
            EXPECT_LE(WidestGap(ArialFont(points, bold), word), 2) << points << " pt: " << word.toStdString();
    }
}

TEST(ScrollerText, FifteenPiecesWithTheirSpacingAlsoWithoutDescription) {
    const QString s = ScrollerText({"", "Pier", 2, 7, "1.10"});
    const QString gap(60, ' ');
    const QString expectedStart = QString(20, ' ') + "***  ***" + gap + " *** Pier [3/7] ***" + gap +
                                  " *** MARLIPAN! V1.10 - FEATURING SMOOTH SCROLLING, AMAZING MUSIC, "
                                  "GOOD GAMEPLAY AND MUCH MUCH MORE *** " + gap + "*** ";
    EXPECT_TRUE(s.startsWith(expectedStart)) << s.toStdString();
    EXPECT_TRUE(s.endsWith(" ***"));
    EXPECT_TRUE(s.contains("MARLIPAN DEVELOPERS"));
    const QString full = ScrollerText({"Harbour scenes", "Pier", 2, 7, "1.10"});
    EXPECT_EQ(full.size(), s.size() + 14);
    EXPECT_TRUE(full.startsWith(QString(20, ' ') + "*** Harbour scenes ***" + gap + " *** Pier"));
}

class TopTenScreen : public TextScreens {
protected:
    // The ink of one cell of the table, and what it should be.
    void ExpectCell(const QRect& region, QRgb colour, const QFont& font, QPoint at, const QString& text) {
        EXPECT_EQ(Extent(Frame(), region, colour), InkBox(Size(), font, at.x(), at.y(), text)) << text.toStdString();
    }
};

INSTANTIATE_TEST_SUITE_P(DesignAndZoomed, TopTenScreen, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "Zoomed" : "Design"; });

TEST_P(TopTenScreen, TitleAndHeadingsStandWhereTheWindowSizeSays) {
    Draw(ScreenState::TopTen);
    const QFont title = ArialFont(24, true);
    const int w1 = TextWidth(title, "Marlipan!"), w2 = TextWidth(title, " Top 10");
    const int x0 = (W - w1 - w2) / 2;
    EXPECT_EQ(H / 20, GetParam() ? 24 : 15);
    ExpectCell(QRect(0, 0, W, H / 20 * 4), Red, title, {x0, H / 20}, "Marlipan!");
    ExpectCell(QRect(0, 0, W, H / 20 * 4), Yellow, title, {x0 + w1, H / 20}, " Top 10");
    const int yh = GetParam() ? 96 : 60;
    const QFont heading = ArialFont(9, true);
    const int xs[3] = {W / 20, W / 2 + 20, W - W / 5};
    EXPECT_EQ(xs[0], GetParam() ? 25 : 15);
    EXPECT_EQ(xs[1], GetParam() ? 272 : 177);
    EXPECT_EQ(xs[2], GetParam() ? 404 : 252);
    const QString names[3] = {"Gamepack", "Time", "Moves"};
    for (int i = 0; i < 3; ++i)
        ExpectCell(QRect(xs[i], yh, (i < 2 ? xs[i + 1] : W) - xs[i], 20), Cyan, heading, {xs[i], yh}, names[i]);
}

TEST_P(TopTenScreen, EntriesShowZeroTimeAMillionMovesAndNaForEmptySlots) {
    table.RecordResult(1000000, 0, "alpha.spx");
    table.RecordResult(25, -1, "beta.spx");  // goes first, alpha moves to the second line
    Draw(ScreenState::TopTen);
    const QFont font = ArialFont(11);
    const int left = W / 20, time = W / 2 + 20, moves = W - W / 5;
    struct Line { QString name, time, moves; QRgb colour; };
    std::vector<Line> lines = {{"1. beta.spx", "n/a", "25", Yellow}, {"2. alpha.spx", "0:00", "1000000", Silver}};
    for (int i = 3; i <= 10; ++i) lines.push_back({QString::number(i) + ". ", "n/a", "n/a", Silver});
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const int y = H / 20 * 4 + (i + 1) * 20;
        EXPECT_EQ(y, (GetParam() ? 116 : 80) + 20 * i);
        const Line& l = lines[size_t(i)];
        ExpectCell(QRect(left, y, time - left, 20), l.colour, font, {left, y}, l.name);
        ExpectCell(QRect(time, y, moves - time, 20), l.colour, font, {time, y}, l.time);
        ExpectCell(QRect(moves, y, W - moves, 20), l.colour, font, {moves, y}, l.moves);
    }
}

TEST_P(TopTenScreen, ParticlesFallBehindTheTextsOfTheScreens) {
    // A red pixel of the title, with a spark put right on it.
    Draw(ScreenState::TopTen);
    const QRect title = Extent(Frame(), All(), Red);
    QPoint on;
    for (int x = title.left(); x <= title.right() && on.isNull(); ++x)
        if (Frame().pixel(x, title.center().y()) == Red) on = QPoint(x, title.center().y());
    ASSERT_FALSE(on.isNull());
    ParticleGroup& group = particles.ParticlePool[0];
    group.InUse = true;
    TParticle& p = group.Particles[0];
    p.Active = true;
    p.Life = p.MaxLife = 20;
    p.X = on.x();
    p.Y = on.y();
    TParticle& q = group.Particles[1];
    q = p;
    q.X = 3;
    q.Y = H - 3;  // nothing drawn there
    Draw(ScreenState::TopTen);
    EXPECT_EQ(Frame().pixel(on), Red);
    EXPECT_EQ(Frame().pixel(3, H - 3), ColorRefRgb(particles.ParticlePalette[7]));
}

// The texts of these screens are laid out and drawn once, then kept, and a frame only takes
// the last one's sparks away; every frame must still be the one that clearing, stepping the
// sparks and drawing the texts over them gives, while sparks cross the texts, the table
// changes, the window changes its size and something else writes into the frame.
TEST_P(TopTenScreen, KeptTextsGiveTheFramesThatDrawingThemOverTheSparksGives) {
    Random twinRandom;
    ParticleSystem twin{twinRandom};
    random.Seed(11);
    twinRandom.Seed(11);
    table.RecordResult(420, 75, "alpha.spx");
    const QFont title = ArialFont(24, true);
    const QPoint onTitle(W / 2, H / 20 + QFontMetrics(title).height() / 2), onEntry(W / 20 + 10, H / 20 * 4 + 30);
    for (const QPoint at : {onTitle, onEntry, QPoint(W / 2, H / 2 - 20)}) {
        particles.SpawnBurst(at.x(), at.y());
        twin.SpawnBurst(at.x(), at.y());
    }
    int width = W, height = H;
    for (const ScreenState state : {ScreenState::TopTen, ScreenState::GameOver, ScreenState::TopTen}) {
        for (int frame = 0; frame < 24; ++frame) {
            SCOPED_TRACE(testing::Message() << "state " << int(state) << ", frame " << frame);
            if (frame == 8) {
                table.RecordResult(300 + int(state), -1, "beta.spx");  // a new line, the old one silver
                particles.TickEffects(state, width, height);
                twin.TickEffects(state, width, height);
            }
            if (frame == 16 && state == ScreenState::GameOver) {
                width -= 30;
                height -= 20;
                renderer.Resize(width, height);
            }
            if (frame == 20) renderer.BackBuffer.setPixel(1, 1, qRgb(9, 9, 9));  // written from outside
            Draw(state);
            QImage expected(width, height, QImage::Format_RGB32);
            expected.fill(Qt::black);
            twin.UpdateParticles(expected);
            QPainter painter(&expected);
            if (state == ScreenState::TopTen) DrawTopTen(painter, table, width, height);
            else DrawGameOver(painter, width, height);
            painter.end();
            ASSERT_EQ(Frame(), expected);
        }
    }
    EXPECT_GT(particles.GroupsInUse(), 0) << "sparks to the end";
}

}  // namespace

TEST(TextWidth, EachFontAndTextIsMeasuredAsItsOwn) {
    // Asked in turns, as the screens ask every frame: no answer stands for another font's.
    const QString texts[2] = {"Screen: Level 1 [1/3]", "PAUSED"};
    for (int round = 0; round < 3; ++round)
        for (int points : {8, 12, 28})
            for (bool bold : {false, true})
                for (const QString& text : texts)
                    EXPECT_EQ(TextWidth(ArialFont(points, bold), text),
                              QFontMetrics(ArialFont(points, bold)).horizontalAdvance(text))
                        << points << (bold ? " bold " : " ") << text.toStdString();
}
