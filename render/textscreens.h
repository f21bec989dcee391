#pragma once
// The screens other than Playing: Loading, LevelComplete, GameOver, the Paused screen's
// drifting picture and scroller, and the Top 10 table. Each step sets the pen, font and
// background it uses and leaves the painter as it found it; text has no background box.

#include <QImage>
#include <QString>
#include <cstdint>

class Board;
class HiScoreTable;
class QPainter;
class Random;

// The Paused screen's animation, kept by the main window from one pause to the next.
struct PauseAnimation {
    int32_t PreviewX = 0, PreviewY = 0;              // the grey picture's top-left corner
    bool PreviewBackX = false, PreviewBackY = false;  // true: moving toward smaller values
    int32_t ScrollerPos = 0;                          // pixels the scroller has advanced

    // Entering Paused restarts the scroller and picks new directions (x first, then y);
    // the picture stays where the last pause left it.
    void Enter(Random& random);
};

// What the scroller tells about the current gamepack and level.
struct ScrollerInfo {
    QString Description;
    QString LevelName;
    int LevelIndex = 0;  // 0-based
    int LevelCount = 0;
    QString Version;
};

// The scroller's whole text, from the gamepack's description to the credit line.
QString ScrollerText(const ScrollerInfo& info);

// width and height are the BackBuffer's (and the paint box's) size.
void DrawLoading(QPainter& painter, int width, int height);
// The solved picture, every tile filling its whole cell, under "Very Good!". tiles[t] is
// tile t's picture; a grid entry outside 0..tileCount-1 leaves its cell black. A `line`
// that is not empty stands in small letters under "Very Good!".
void DrawLevelComplete(QPainter& painter, const Board& board, const QImage* tiles, int tileCount,
                       int width, const QString& line = QString());
// The level-complete screen's line of the moves taken on the level and the fewest it could
// have taken from its start: "42 moves" while the fewest is not known (fewest < 0),
// "42 moves; 36 was possible" when it is proven, and "130 moves; the fewest is at most 118"
// for the best solution found but not proven.
QString MovesLine(int moves, int fewest, bool proven);
void DrawGameOver(QPainter& painter, int width, int height);
// One frame of the drift of a picture of `preview` size: a pixel along each axis, turning
// back on the frame after the picture has touched an edge.
void MovePreview(PauseAnimation& pause, QSize preview, int width, int height);
// The drift's step (MovePreview), then the picture at its new place.
void DrawPreview(QPainter& painter, const QImage& preview, PauseAnimation& pause, int width,
                 int height);
// "PAUSED" and one frame of the scroller with its shadow; the scroller starts again at the
// right edge once its last character has left the left edge. Returns the part of the
// frame it may have drawn on.
QRect DrawPaused(QPainter& painter, const QString& scroller, PauseAnimation& pause, int width,
                int height);
// The same straight into the frame's pixels, with no painter (DrawKeptTextAt).
QRect DrawPaused(QImage& frame, const QString& scroller, PauseAnimation& pause, int width, int height);
void DrawTopTen(QPainter& painter, const HiScoreTable& table, int width, int height);
