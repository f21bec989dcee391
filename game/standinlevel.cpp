#include "game/standinlevel.h"

#include <QPainter>

StandInLevel MakeStandInLevel(int n, int boardSize) {
    StandInLevel level;
    level.tileSize = boardSize / n;
    level.boardSize = level.tileSize * n;
    QImage picture(level.boardSize, level.boardSize, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, level.boardSize, level.boardSize);
    sky.setColorAt(0, QColor(30, 90, 200));
    sky.setColorAt(1, QColor(250, 160, 40));
    painter.fillRect(picture.rect(), sky);
    painter.setBrush(QColor(240, 220, 30));
    painter.drawEllipse(QPoint(level.boardSize / 3, level.boardSize / 3), level.boardSize / 5, level.boardSize / 5);
    painter.setBrush(QColor(30, 150, 60));
    painter.drawRect(0, level.boardSize * 2 / 3, level.boardSize, level.boardSize / 3);
    painter.end();
    for (int t = 0; t < n * n; ++t)
        level.tiles.push_back(picture.copy((t / n) * level.tileSize, (t % n) * level.tileSize,
                                           level.tileSize, level.tileSize));
    QImage blank(level.tileSize, level.tileSize, QImage::Format_RGB32);
    blank.fill(Qt::white);
    level.tiles.push_back(blank);
    return level;
}
