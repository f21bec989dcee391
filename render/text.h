#pragma once
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>

class QImage;
class QPainter;

// A Windows colour value, 0x00BBGGRR.
inline QColor ColorRef(uint32_t c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }
// The same as an opaque QRgb (0xFFRRGGBB), for writing pixels directly.
constexpr QRgb ColorRefRgb(uint32_t c) {
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

// "Arial" at a size in points, as Windows renders it at 96 DPI, so that the layout does
// not depend on the screen's DPI; unsmoothed and fully hinted.
QFont ArialFont(int points, bool bold = false);

// Draws one line of text with its top-left corner at (x, y), as Windows does. An opaque
// background fills the text's box with the painter's background colour.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text);
int TextWidth(const QFont& font, const QString& text);
// The same as DrawTextAt with no background, for a text drawn again and again at moving
// places (the Paused screen's scroller): the line is laid out and rendered once into a
// picture, kept with the last few, and copied at (x, y), only the part that lands on the
// device. The pixels are those DrawTextAt draws; where they might not be (a transform, a
// clip, a blend, smoothed or see-through text) it simply calls DrawTextAt. Returns the part
// of the device it may have drawn on: all of it when it drew the text.
QRect DrawKeptTextAt(QPainter& painter, int x, int y, const QString& text);
// The same straight into a frame's pixels, with no painter to set up (the Paused screen
// draws its texts so every frame): `colour` as an opaque QRgb, no background. Frames of
// other formats, and texts the copy cannot draw exactly, go through a painter.
QRect DrawKeptTextAt(QImage& image, const QFont& font, QRgb colour, int x, int y, const QString& text);
