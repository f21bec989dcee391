#pragma once
#include <QImage>
#include <vector>

// A level made in memory, used until levels come from gamepack files: a colourful picture
// cut into n x n tiles (tile t at column t / n, row t % n) and a white blank tile.
struct StandInLevel {
    int boardSize = 0, tileSize = 0;
    std::vector<QImage> tiles;  // n * n pictures, then the blank tile
};

StandInLevel MakeStandInLevel(int n, int boardSize);
