#pragma once
#include <QImage>
#include <QRect>
#include <QString>

class Board;
class QPainter;

// A cell's rectangle in the BackBuffer (right and bottom exclusive).
QRect CellRect(const Board& board, int index);

// The board's cells from TileGrid, each tile shrunk by one pixel so a black line stays at
// the right and bottom of every cell, and a running slide drawn at its offset.
// tiles[t] is the picture of tile t; tiles[n * n] the blank tile.
void DrawBoard(QPainter& painter, const Board& board, const QImage* tiles, int tileCount);

struct StatusLine {
    QString levelName;
    int levelIndex = 0, levelCount = 0;
    bool hasSong = false;
    QString songTitle;
    bool timerActive = false;
    int timeLeft = 0;
};

// The texts above the board: level and its number, song title, and the clock at the right.
void DrawStatusLine(QPainter& painter, int width, const StatusLine& status);

// "m:ss" for a number of seconds; below zero it is "0:00".
QString FormatTime(int seconds);
