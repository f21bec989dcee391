#pragma once
// Reading the BackBuffer in drawing tests: where pixels of one colour lie, and where a
// text's pixels would lie if drawn alone. Text is compared by metrics and by where its
// pixels fall, never against stored pictures: the font behind "Arial" differs by system.

#include <QImage>
#include <QPainter>
#include <QRect>

#include "render/text.h"

namespace pixels {

// The bounding box of the pixels of one colour within a region.
inline QRect Extent(const QImage& image, const QRect& region, QRgb colour) {
    QRect box;
    const QRect r = region & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixel(x, y) == colour) box |= QRect(x, y, 1, 1);
    return box;
}

inline int Count(const QImage& image, const QRect& region, QRgb colour) {
    int n = 0;
    const QRect r = region & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += image.pixel(x, y) == colour;
    return n;
}

// Pixels of the region that are neither black nor one of the two colours given.
inline int Others(const QImage& image, const QRect& region, QRgb a, QRgb b = qRgb(0, 0, 0)) {
    int n = 0;
    const QRect r = region & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += p != a && p != b && p != qRgb(0, 0, 0);
        }
    return n;
}

// The ink of `text` in `font` drawn alone at (x, y) on a black image of the given size.
inline QRect InkBox(const QSize& size, const QFont& font, int x, int y, const QString& text) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        DrawTextAt(painter, x, y, text);
    }
    return Extent(image, image.rect(), qRgb(255, 255, 255));
}

// The pixels of the region where the frame's `colour` and the ink of `text` drawn alone at
// (x, y) disagree: 0 when the frame shows exactly that text there, glyph for glyph (texts of
// equal width, such as "[1/2]" and "[2/3]", differ here where their boxes do not).
inline int InkDifference(const QImage& frame, const QRect& region, QRgb colour, const QFont& font,
                         int x, int y, const QString& text) {
    QImage alone(frame.size(), QImage::Format_RGB32);
    alone.fill(Qt::black);
    {
        QPainter painter(&alone);
        painter.setFont(font);
        painter.setPen(Qt::white);
        DrawTextAt(painter, x, y, text);
    }
    int n = 0;
    const QRect r = region & frame.rect();
    for (int py = r.top(); py <= r.bottom(); ++py)
        for (int px = r.left(); px <= r.right(); ++px)
            n += (frame.pixel(px, py) == colour) != (alone.pixel(px, py) == qRgb(255, 255, 255));
    return n;
}

}  // namespace pixels
