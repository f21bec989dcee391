#include "render/textscreens.h"

#include <QFile>
#include <QPainter>
#include <array>

#include "common/random.h"
#include "game/board.h"
#include "game/hiscoretable.h"
#include "render/boardview.h"
#include "render/text.h"

namespace {

constexpr uint32_t kYellow = 0x0000FFFF, kWhite = 0x00FFFFFF, kBlue = 0x00FF0000;
constexpr uint32_t kRed = 0x000000FF, kSilver = 0x00C0C0C0, kCyan = 0x00FFFF00;

// Text on these screens stands on whatever lies below it, with no background box.
void ClearBrush(QPainter& painter) { painter.setBackgroundMode(Qt::TransparentMode); }

void Use(QPainter& painter, const QFont& font, uint32_t colour) {
    painter.setFont(font);
    painter.setPen(ColorRef(colour));
}

int Centred(int width, const QFont& font, const QString& text) {
    return (width - TextWidth(font, text)) / 2;
}

}  // namespace

void PauseAnimation::Enter(Random& random) {
    ScrollerPos = 0;
    PreviewBackX = random.Next(2) == 1;
    PreviewBackY = random.Next(2) == 1;
}

QString ScrollerText(const ScrollerInfo& info) {
    const QString gap(60, QChar(' '));
    return QString(20, QChar(' ')) + "*** " + info.Description + " ***" + gap +
           " *** " + info.LevelName + " [" + QString::number(info.LevelIndex + 1) + "/" +
           QString::number(info.LevelCount) + "]" + " ***" + gap +
           " *** MARLIPAN! V" + info.Version +
           " - FEATURING SMOOTH SCROLLING, AMAZING MUSIC, GOOD GAMEPLAY AND MUCH MUCH MORE *** " +
           gap + "*** MARLIPAN! (C) 2026 THE MARLIPAN DEVELOPERS ***";
}

void DrawLoading(QPainter& painter, int width, int height) {
    painter.save();
    ClearBrush(painter);
    const QFont font = ArialFont(18);
    Use(painter, font, kYellow);
    const QString text = "Loading...";
    DrawTextAt(painter, Centred(width, font, text), height / 2 - 20, text);
    painter.restore();
}

void DrawLevelComplete(QPainter& painter, const Board& board, const QImage* tiles, int tileCount,
                       int width, const QString& line) {
    painter.save();
    const int n = board.BoardCols;
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) {
            const int tile = board.TileGrid[c][r];
            if (tiles && tile >= 0 && tile < tileCount)
                painter.drawImage(CellRect(board, board.CellIndex(c, r)), tiles[tile]);
        }
    ClearBrush(painter);
    const QFont font = ArialFont(16);
    Use(painter, font, kWhite);
    const QString text = "Very Good!";
    DrawTextAt(painter, Centred(width, font, text), 12, text);
    if (!line.isEmpty()) {
        // Between "Very Good!" and the picture, which starts 50 pixels down.
        const QFont small = ArialFont(9);
        Use(painter, small, kWhite);
        DrawTextAt(painter, Centred(width, small, line), 34, line);
    }
    painter.restore();
}

QString MovesLine(int moves, int fewest, bool proven) {
    QString line = QString::number(moves) + (moves == 1 ? " move" : " moves");
    if (fewest < 0) return line;
    if (proven) return line + "; " + QString::number(fewest) + " was possible";
    return line + "; the fewest is at most " + QString::number(fewest);
}

void DrawGameOver(QPainter& painter, int width, int height) {
    painter.save();
    ClearBrush(painter);
    const QFont font = ArialFont(24, true);
    Use(painter, font, kBlue);
    const QString text = "Game Over";
    DrawTextAt(painter, Centred(width, font, text), height / 2 - 30, text);
    painter.restore();
}

void MovePreview(PauseAnimation& p, QSize preview, int width, int height) {
    p.PreviewX += p.PreviewBackX ? -1 : 1;
    p.PreviewY += p.PreviewBackY ? -1 : 1;
    // Tested after the move: the picture touches the edge on one frame and turns on the next.
    if (p.PreviewY >= height - preview.height()) p.PreviewBackY = true;
    if (p.PreviewY <= 0) p.PreviewBackY = false;
    if (p.PreviewX >= width - preview.width()) p.PreviewBackX = true;
    if (p.PreviewX <= 0) p.PreviewBackX = false;
}

void DrawPreview(QPainter& painter, const QImage& preview, PauseAnimation& p, int width, int height) {
    MovePreview(p, preview.size(), width, height);
    painter.drawImage(p.PreviewX, p.PreviewY, preview);
}

namespace {
struct PausedText {
    QFont font;
    uint32_t colour;
    int x, y;
    QString text;
};

// One frame's step of the scroller, and where "PAUSED", the scroller's shadow and the
// scroller go, in the order they are drawn.
std::array<PausedText, 3> PausedTexts(const QString& scroller, PauseAnimation& p, int width, int height) {
    const QFont title = ArialFont(28, true);
    const QFont font = ArialFont(12, true);
    ++p.ScrollerPos;
    // Wraps only once the last character has left the left edge.
    if (p.ScrollerPos >= TextWidth(font, scroller) + width) p.ScrollerPos = 0;
    const QString paused = QStringLiteral("PAUSED");
    return {{{title, kRed, Centred(width, title, paused), height / 2 - 40, paused},
             {font, kSilver, width - p.ScrollerPos + 1, height - 39, scroller},
             {font, kYellow, width - p.ScrollerPos, height - 40, scroller}}};
}
}  // namespace

QRect DrawPaused(QPainter& painter, const QString& scroller, PauseAnimation& p, int width, int height) {
    painter.save();
    ClearBrush(painter);
    QRect drawn;
    for (const PausedText& t : PausedTexts(scroller, p, width, height)) {
        Use(painter, t.font, t.colour);
        drawn |= DrawKeptTextAt(painter, t.x, t.y, t.text);
    }
    painter.restore();
    return drawn;
}

QRect DrawPaused(QImage& frame, const QString& scroller, PauseAnimation& p, int width, int height) {
    QRect drawn;
    for (const PausedText& t : PausedTexts(scroller, p, width, height))
        drawn |= DrawKeptTextAt(frame, t.font, ColorRefRgb(t.colour), t.x, t.y, t.text);
    return drawn;
}

void DrawTopTen(QPainter& painter, const HiScoreTable& table, int width, int height) {
    painter.save();
    ClearBrush(painter);
    const QFont title = ArialFont(24, true);
    const QString name = "Marlipan!", top = " Top 10";
    const int w1 = TextWidth(title, name), w2 = TextWidth(title, top);
    const int x0 = (width - w1 - w2) / 2, y0 = height / 20;
    Use(painter, title, kRed);
    DrawTextAt(painter, x0, y0, name);
    painter.setPen(ColorRef(kYellow));
    DrawTextAt(painter, x0 + w1, y0, top);

    const int left = width / 20, time = width / 2 + 20, moves = width - width / 5;
    const int yh = height / 20 * 4;
    Use(painter, ArialFont(9, true), kCyan);
    DrawTextAt(painter, left, yh, "Gamepack");
    DrawTextAt(painter, time, yh, "Time");
    DrawTextAt(painter, moves, yh, "Moves");

    painter.setFont(ArialFont(11));
    for (int i = 0; i < HiScoreTable::kEntryCount; ++i) {
        const HiScoreEntry& e = table.Entry(i);
        const int y = yh + (i + 1) * 20;
        painter.setPen(ColorRef(e.Colour));
        // The name is a file name's bytes, shown as the file system spells it.
        DrawTextAt(painter, left, y,
                   QString::number(i + 1) + ". " +
                       QFile::decodeName(QByteArray::fromStdString(e.Gamepack)));
        DrawTextAt(painter, time, y, e.HasTime() ? FormatTime(e.TimeLeft) : QString("n/a"));
        DrawTextAt(painter, moves, y, e.Empty() ? QString("n/a") : QString::number(e.Moves));
    }
    painter.restore();
}
