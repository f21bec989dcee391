#include "render/text.h"

#include <QFontMetrics>
#include <QPainter>
#include <array>
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
    // The screens measure the same few texts every frame (the Paused screen its whole
    // scroller, a few hundred characters); the last answers are kept.
    struct Measured {
        QFont font;
        QString text;
        int width;
    };
    // Never destroyed: no font may outlive the application object at the program's end.
    static thread_local auto& kept = *new std::array<Measured, 4>{};
    static thread_local size_t next = 0;
    for (const Measured& m : kept)
        if (m.text == text && m.font == font && !m.text.isNull()) return m.width;
    const int width = QFontMetrics(font).horizontalAdvance(text);
    kept[next] = {font, text, width};
    next = (next + 1) % kept.size();
    return width;
}
