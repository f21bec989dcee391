#include "render/boardview.h"

#include <QPainter>

#include "game/board.h"
#include "render/text.h"

QRect CellRect(const Board& board, int index) {
    const int left = board.BoardLeft + board.CellColumn(index) * board.TileSize;
    const int top = board.BoardTop + board.CellRow(index) * board.TileSize;
    return QRect(left, top, board.TileSize, board.TileSize);
}

namespace {
// The whole tile picture, mapped onto its cell less the last column and row.
void TileCopy(QPainter& painter, const QImage& tile, const QRect& cell) {
    painter.drawImage(QRect(cell.x(), cell.y(), cell.width() - 1, cell.height() - 1), tile);
}

struct Tiles {
    const QImage* images;
    int count;
    const QImage& operator[](int tile) const {
        static const QImage none;
        return tile >= 0 && tile < count ? images[tile] : none;
    }
};
}  // namespace

void DrawBoard(QPainter& painter, const Board& board, const QImage* images, int tileCount) {
    const Tiles tiles{images, tileCount};
    const int n = board.BoardCols;
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r)
            TileCopy(painter, tiles[board.TileGrid[c][r]], CellRect(board, board.CellIndex(c, r)));
    if (!board.Sliding) return;
    const QImage& blank = tiles[board.TileAt(board.SlideTo)];
    TileCopy(painter, blank, CellRect(board, board.SlideTo));
    TileCopy(painter, blank, CellRect(board, board.SlideFrom));
    TileCopy(painter, tiles[board.TileAt(board.SlideFrom)],
             CellRect(board, board.SlideFrom).translated(board.SlideOffsetX, board.SlideOffsetY));
}

void DrawStatusLine(QPainter& painter, int width, const StatusLine& s) {
    painter.save();
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::black);
    painter.setFont(ArialFont(8));
    painter.setPen(ColorRef(0x00FFFF00));
    // Joined, not substituted: a level name may hold "%1" and is shown as it is.
    DrawTextAt(painter, 10, 4,
               "Screen: " + s.levelName + " [" + QString::number(s.levelIndex + 1) + "/" +
                   QString::number(s.levelCount) + "]");
    painter.setPen(ColorRef(0x0000FFFF));
    DrawTextAt(painter, 10, 18, s.hasSong ? "Music: " + s.songTitle : QString("Music: none"));
    if (s.timerActive) {
        const QFont clock = ArialFont(14);
        painter.setFont(clock);
        painter.setPen(ColorRef(s.timeLeft > 30 ? 0x0000FF00 : 0x000000FF));
        const QString t = FormatTime(s.timeLeft);
        DrawTextAt(painter, width - 10 - TextWidth(clock, t), 6, t);
    }
    painter.restore();
}

QString FormatTime(int seconds) {
    // A restored game can show a clock that already ran out; it reads as run out.
    if (seconds < 0) seconds = 0;
    const int minutes = seconds / 60, rest = seconds % 60;
    return QString("%1:%2").arg(minutes).arg(rest, 2, 10, QChar('0'));
}
