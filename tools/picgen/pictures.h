// The level pictures and the program icon, drawn with QPainter onto QImages.
#pragma once

#include <QImage>
#include <QPainter>
#include <QString>
#include <vector>

namespace marlipan::pictures {

constexpr int kSize = 512;  // pictures are square; the game scales them to its board

struct Picture {
    QString name;             // file name without ".png"
    void (*draw)(QImage&);    // paints the whole kSize x kSize image
};

const std::vector<Picture>& all();
QImage render(const Picture& picture);

// Program icon: a 4 x 4 board with one tile sliding into the gap, drawn in a 64 x 64 square
// of the painter's coordinates (drawIcon), or into a transparent image of any size.
void drawIcon(QPainter& p);
QImage icon(int size);

}  // namespace marlipan::pictures
