#include "render/text.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

QFont ArialFont(int points, bool bold) {
    QFont font("Arial");
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
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
