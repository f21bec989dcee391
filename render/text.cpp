#include "render/text.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

QFont ArialFont(int points, bool bold) {
    QFont font("Arial");
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    // Pure colours, no smoothing. Without it, hinting decides how letters sit: the default
    // leaves glyph positions unhinted at small sizes and tears words apart ("Hom e",
    // "M usic" at 8 points); full hinting fits every glyph and its advance to the pixel
    // grid and reads cleanly at every size the screens use.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void DrawTextAt(QPainter& painter, int x, int y, const QString& text) {
    QFontMetrics metrics(painter.font());
    if (painter.backgroundMode() == Qt::OpaqueMode)
        painter.fillRect(x, y, metrics.horizontalAdvance(text), metrics.height(), painter.background());
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

int TextWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}
