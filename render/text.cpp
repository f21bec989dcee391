#include "render/text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

QFont ArialFont(int points, bool bold) {
    // The screens ask for the same few fonts every frame: each is made once. Never
    // destroyed: no font may outlive the application object at the program's end.
    struct Made {
        int points;
        bool bold;
        QFont font;
    };
    static thread_local auto& made = *new std::vector<Made>;
    for (const Made& m : made)
        if (m.points == points && m.bold == bold) return m.font;
    QFont font("Arial");
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    // Pure colours, no smoothing. Without it, hinting decides how letters sit: the default
    // leaves glyph positions unhinted at small sizes and tears words apart ("Hom e",
    // "M usic" at 8 points); full hinting fits every glyph and its advance to the pixel
    // grid and reads cleanly at every size the screens use.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    made.push_back({points, bold, font});
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

namespace {
struct KeptLine {
    QFont font;
    QRgb colour = 0;
    QString text;
    QImage image;   // the line's ink on transparent, cut to the box that holds it
    QPoint offset;  // where that box lies from the point the line is drawn at
    // The ink as runs of `colour`, [x0, x1) left to right and row after row: what a copy
    // with no painter fills. Not made when the ink is not all that opaque colour.
    std::vector<std::pair<int, int>> runs;
    // Where a row's runs go on from a column, found without a search through the row: for
    // each row, for each block of kBlock columns, the first run that ends beyond the
    // block's start; a row's last entry is where its runs end.
    static constexpr int kBlock = 64;
    std::vector<uint32_t> runsFrom;
    bool madeRuns = false;
    int Blocks() const { return (image.width() + kBlock - 1) / kBlock; }
};

const KeptLine& Kept(const QFont& font, QRgb colour, const QString& text) {
    // Never destroyed, for the same reason as TextWidth's.
    static thread_local auto& kept = *new std::array<KeptLine, 4>{};
    static thread_local size_t next = 0;
    for (const KeptLine& k : kept)
        if (k.colour == colour && k.text == text && k.font == font && !k.image.isNull()) return k;
    KeptLine& k = kept[next];
    next = (next + 1) % kept.size();
    const QFontMetrics metrics(font);
    // Room for glyphs that reach beyond their advance or above and below the line.
    const int margin = metrics.height();
    QImage line(metrics.horizontalAdvance(text) + 2 * margin, metrics.height() + 2 * margin,
                QImage::Format_ARGB32_Premultiplied);
    line.fill(Qt::transparent);
    {
        QPainter p(&line);
        p.setFont(font);
        p.setPen(QColor::fromRgb(colour));
        p.drawText(QPoint(margin, margin + metrics.ascent()), text);
    }
    // Only the ink is kept: the rest would be copied as nothing, every frame.
    int top = line.height(), bottom = -1, left = line.width(), right = -1;
    for (int y = 0; y < line.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(line.constScanLine(y));
        for (int x = 0; x < line.width(); ++x) {
            if (qAlpha(row[x]) == 0) continue;
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    const QRect ink = bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    k = KeptLine();
    k.font = font;
    k.colour = colour;
    k.text = text;
    k.image = line.copy(ink);
    k.offset = ink.topLeft() - QPoint(margin, margin);
    // Opaque ink in the pen's colour, premultiplied, is that colour itself.
    bool one = qAlpha(colour) == 255;
    for (int y = 0; y < k.image.height(); ++y) {
        const size_t begin = k.runs.size();
        const QRgb* row = reinterpret_cast<const QRgb*>(k.image.constScanLine(y));
        for (int x = 0; x < k.image.width(); ++x) {
            if (qAlpha(row[x]) == 0) continue;
            one = one && row[x] == colour;
            if (k.runs.size() > begin && k.runs.back().second == x) ++k.runs.back().second;
            else k.runs.emplace_back(x, x + 1);
        }
        size_t i = begin;
        for (int b = 0; b < k.Blocks(); ++b) {
            while (i < k.runs.size() && k.runs[i].second <= b * KeptLine::kBlock) ++i;
            k.runsFrom.push_back(uint32_t(i));
        }
        k.runsFrom.push_back(uint32_t(k.runs.size()));
    }
    k.madeRuns = one;
    return k;
}
}  // namespace

QRect DrawKeptTextAt(QPainter& painter, int x, int y, const QString& text) {
    const QPaintDevice* device = painter.device();
    const QPen& pen = painter.pen();
    // Unsmoothed glyphs in an opaque colour are all-or-nothing pixels, so the copy of the
    // picture puts down exactly what drawing the text there would.
    const bool same = device && painter.backgroundMode() == Qt::TransparentMode &&
                      painter.worldTransform().isIdentity() && !painter.hasClipping() &&
                      painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
                      painter.opacity() == 1.0 && pen.style() == Qt::SolidLine &&
                      pen.brush().style() == Qt::SolidPattern && pen.color().alpha() == 255 &&
                      painter.font().styleStrategy() & QFont::NoAntialias;
    // The raster engine's coordinates end at 2^15: a longer line is drawn as text.
    if (!same || TextWidth(painter.font(), text) > 30000) {
        DrawTextAt(painter, x, y, text);
        return device ? QRect(0, 0, device->width(), device->height()) : QRect();
    }
    const KeptLine& k = Kept(painter.font(), pen.color().rgb(), text);
    const QPoint at = QPoint(x, y) + k.offset;
    const QRect target = QRect(at, k.image.size()) & QRect(0, 0, device->width(), device->height());
    if (target.isEmpty()) return QRect();
    painter.drawImage(target.topLeft(), k.image, target.translated(-at));
    return target;
}

QRect DrawKeptTextAt(QImage& image, const QFont& font, QRgb colour, int x, int y, const QString& text) {
    const bool pixels = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
    const KeptLine* k = pixels && qAlpha(colour) == 255 && font.styleStrategy() & QFont::NoAntialias &&
                                TextWidth(font, text) <= 30000
                            ? &Kept(font, colour, text)
                            : nullptr;
    if (!k || !k->madeRuns) {
        QPainter painter(&image);
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.setFont(font);
        painter.setPen(QColor::fromRgba(colour));
        return DrawKeptTextAt(painter, x, y, text);
    }
    // Opaque ink replaces what lies below it and the clear rest leaves it be: filling the
    // runs is what the painter's blend of the picture gives.
    const QPoint at = QPoint(x, y) + k->offset;
    const QRect target = QRect(at, k->image.size()) & image.rect();
    if (target.isEmpty()) return QRect();
    const int x0 = target.left() - at.x(), x1 = target.right() + 1 - at.x();  // the picture's columns
    const int blocks = k->Blocks();
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int ty = target.top(); ty <= target.bottom(); ++ty) {
        const uint32_t* from = k->runsFrom.data() + size_t(ty - at.y()) * size_t(blocks + 1);
        size_t run = from[x0 / KeptLine::kBlock];
        const size_t end = from[blocks];
        while (run < end && k->runs[run].second <= x0) ++run;
        QRgb* const row = reinterpret_cast<QRgb*>(bits + ty * stride) + target.left();  // column x0
        for (; run < end && k->runs[run].first < x1; ++run)
            std::fill(row + (std::max(k->runs[run].first, x0) - x0), row + (std::min(k->runs[run].second, x1) - x0),
                      k->colour);
    }
    return target;
}
