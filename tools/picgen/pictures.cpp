#include "tools/picgen/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QConicalGradient>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

namespace marlipan::pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kInk(34, 26, 22);

// Outlines are drawn wide: the game shrinks a picture to about half size without smoothing,
// and thin lines would break up.
QPen ink(double width = 6.0, QColor colour = kInk) {
    QPen pen(colour);
    pen.setWidthF(width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// Fixed-seed generator for scattered details (stars, flakes): same picture on every run.
class Scatter {
public:
    explicit Scatter(uint32_t seed) : state_(seed) {}
    double next() {  // 0..1
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }

private:
    uint32_t state_;
};

void verticalGradient(QPainter& p, const QRectF& r, std::initializer_list<std::pair<double, QColor>> stops) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    for (const auto& s : stops) g.setColorAt(s.first, s.second);
    p.fillRect(r, g);
}

void cloud(QPainter& p, double x, double y, double s, QColor fill = QColor(255, 255, 255)) {
    QPainterPath path;
    path.addEllipse(QPointF(x, y), 40 * s, 26 * s);
    path.addEllipse(QPointF(x + 38 * s, y - 16 * s), 34 * s, 30 * s);
    path.addEllipse(QPointF(x + 74 * s, y), 38 * s, 24 * s);
    path.addEllipse(QPointF(x + 34 * s, y + 10 * s), 44 * s, 20 * s);
    path.setFillRule(Qt::WindingFill);
    const QPainterPath solid = path.simplified();
    p.setPen(ink(4, QColor(120, 140, 170)));
    p.setBrush(fill);
    p.drawPath(solid);
}

// Gulls as two arcs meeting at the body, in the painter's pen: span is the half width,
// rise how far the wing tips stand above the body, bend where each wing curves.
void gulls(QPainter& p, std::initializer_list<QPointF> at, double span, double rise, double bend) {
    p.setBrush(Qt::NoBrush);
    for (const QPointF g : at) {
        QPainterPath w;
        w.moveTo(g.x() - span, g.y() - rise);
        w.quadTo(g.x() - bend, g.y() - 14, g.x(), g.y());
        w.quadTo(g.x() + bend, g.y() - 14, g.x() + span, g.y() - rise);
        p.drawPath(w);
    }
}

void sun(QPainter& p, QPointF c, double r, int rays) {
    p.setPen(ink(8, QColor(255, 170, 20)));
    for (int i = 0; i < rays; ++i) {
        const double a = 2 * kPi * i / rays;
        p.drawLine(QPointF(c.x() + std::cos(a) * r * 1.25, c.y() + std::sin(a) * r * 1.25),
                   QPointF(c.x() + std::cos(a) * r * 1.6, c.y() + std::sin(a) * r * 1.6));
    }
    QRadialGradient g(c, r);
    g.setColorAt(0, QColor(255, 250, 180));
    g.setColorAt(1, QColor(255, 200, 30));
    p.setBrush(g);
    p.setPen(ink(5, QColor(230, 130, 0)));
    p.drawEllipse(c, r, r);
}

QPainterPath polygon(std::initializer_list<QPointF> pts) {
    QPainterPath path;
    bool first = true;
    for (const auto& pt : pts) {
        if (first) path.moveTo(pt); else path.lineTo(pt);
        first = false;
    }
    path.closeSubpath();
    return path;
}

void flower(QPainter& p, QPointF c, double r, QColor petal, QColor heart = QColor(255, 210, 40)) {
    p.setPen(ink(3));
    p.setBrush(petal);
    for (int i = 0; i < 5; ++i) {
        const double a = 2 * kPi * i / 5;
        p.drawEllipse(QPointF(c.x() + std::cos(a) * r * 0.8, c.y() + std::sin(a) * r * 0.8), r * 0.55, r * 0.55);
    }
    p.setBrush(heart);
    p.drawEllipse(c, r * 0.45, r * 0.45);
}

void stars(QPainter& p, uint32_t seed, int count, const QRectF& area) {
    Scatter rnd(seed);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        // Each draw its own statement, y before x, so that every compiler makes the same
        // picture (the order of a call's arguments is not fixed).
        const double cy = rnd.range(area.top(), area.bottom());
        const QPointF c(rnd.range(area.left(), area.right()), cy);
        const double r = rnd.range(1.5, 4.0);
        p.setBrush(QColor(255, 255, rnd.next() < 0.3 ? 190 : 255));
        p.drawEllipse(c, r, r);
    }
}

// --- the pictures --------------------------------------------------------------------------

void lighthouse(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 330),
                     {{0, QColor(40, 24, 96)}, {0.5, QColor(220, 70, 120)}, {1, QColor(255, 176, 70)}});
    // Sun sinking into the sea.
    QRadialGradient sg(QPointF(150, 320), 80);
    sg.setColorAt(0, QColor(255, 250, 200));
    sg.setColorAt(1, QColor(255, 150, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(sg);
    p.drawEllipse(QPointF(150, 320), 78, 78);
    // Cloud streaks.
    p.setBrush(QColor(120, 50, 120, 200));
    p.drawRoundedRect(QRectF(20, 90, 220, 22), 11, 11);
    p.drawRoundedRect(QRectF(60, 130, 160, 16), 8, 8);
    p.drawRoundedRect(QRectF(300, 200, 190, 18), 9, 9);
    p.drawRoundedRect(QRectF(-20, 240, 170, 14), 7, 7);
    verticalGradient(p, QRectF(0, 330, 512, 182),
                     {{0, QColor(240, 130, 80)}, {0.35, QColor(110, 40, 110)}, {1, QColor(24, 16, 64)}});
    // Sun glitter on the water.
    p.setBrush(QColor(255, 220, 120));
    for (int i = 0; i < 8; ++i) {
        const double w = 130 - i * 13;
        p.drawRoundedRect(QRectF(150 - w / 2 + (i % 2) * 12, 340 + i * 20, w, 7), 3, 3);
    }
    // Light beams from the lantern.
    p.setBrush(QColor(255, 245, 170, 110));
    p.drawPath(polygon({{380, 118}, {0, 20}, {0, 150}}));
    p.drawPath(polygon({{380, 118}, {512, 60}, {512, 170}}));
    // Rocks.
    p.setPen(ink(5));
    QLinearGradient rg(QPointF(0, 380), QPointF(0, 512));
    rg.setColorAt(0, QColor(96, 70, 80));
    rg.setColorAt(1, QColor(40, 28, 40));
    p.setBrush(rg);
    p.drawPath(polygon({{230, 512}, {260, 440}, {300, 420}, {330, 395}, {440, 390}, {480, 415}, {512, 410}, {512, 512}}));
    // Tower: red and white bands, narrowing upwards.
    const double bottom = 400, top = 150;
    QPainterPath tower = polygon({{330, bottom}, {355, top}, {405, top}, {430, bottom}});
    p.save();
    p.setClipPath(tower);
    for (int band = 0; band < 5; ++band) {
        const double y0 = top + (bottom - top) * band / 5.0;
        p.fillRect(QRectF(300, y0, 160, (bottom - top) / 5.0 + 1),
                   band % 2 ? QColor(250, 245, 235) : QColor(215, 40, 45));
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.drawPath(tower);
    // Door and a window.
    p.setBrush(QColor(60, 40, 30));
    p.drawRoundedRect(QRectF(365, 350, 30, 50), 12, 12);
    p.setBrush(QColor(255, 230, 120));
    p.drawEllipse(QPointF(380, 250), 10, 14);
    // Gallery, lantern room and roof.
    p.setBrush(QColor(45, 45, 55));
    p.drawRect(QRectF(338, 138, 84, 14));
    p.setBrush(QColor(255, 240, 140));
    p.drawRect(QRectF(358, 96, 44, 42));
    p.drawLine(QPointF(380, 96), QPointF(380, 138));
    p.setBrush(QColor(200, 30, 40));
    p.drawPath(polygon({{350, 98}, {380, 58}, {410, 98}}));
    p.drawEllipse(QPointF(380, 54), 6, 6);
    p.setPen(ink(5, QColor(30, 20, 40)));
    gulls(p, {QPointF(90, 200), QPointF(250, 150), QPointF(200, 60)}, 22, 8, 10);
}

void sailboat(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 300), {{0, QColor(40, 130, 215)}, {1, QColor(200, 235, 255)}});
    sun(p, QPointF(430, 80), 44, 12);
    cloud(p, 40, 80, 1.0);
    cloud(p, 250, 170, 0.7);
    cloud(p, 400, 215, 0.55);
    // Island on the horizon.
    p.setPen(ink(4, QColor(30, 80, 40)));
    p.setBrush(QColor(70, 160, 80));
    QPainterPath island;
    island.moveTo(0, 300);
    island.quadTo(60, 230, 150, 300);
    p.drawPath(island);
    verticalGradient(p, QRectF(0, 300, 512, 212), {{0, QColor(30, 130, 200)}, {1, QColor(10, 50, 110)}});
    // Rows of waves, wider towards the viewer.
    p.setPen(ink(4, QColor(220, 240, 255)));
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 6; ++row) {
        const double y = 320 + row * 34;
        const double w = 30 + row * 10;
        for (double x = -w + (row % 2) * w / 2; x < 512; x += 2.2 * w) {
            QPainterPath wave;
            wave.moveTo(x, y);
            wave.quadTo(x + w / 2, y - 10 - row, x + w, y);
            p.drawPath(wave);
        }
    }
    // Hull.
    p.setPen(ink(6));
    QPainterPath hull;
    hull.moveTo(110, 355);
    hull.lineTo(410, 355);
    hull.quadTo(380, 420, 330, 425);
    hull.lineTo(170, 425);
    hull.quadTo(130, 415, 110, 355);
    QLinearGradient hg(QPointF(0, 355), QPointF(0, 425));
    hg.setColorAt(0, QColor(230, 50, 50));
    hg.setColorAt(1, QColor(140, 20, 30));
    p.setBrush(hg);
    p.drawPath(hull);
    p.setPen(ink(8, QColor(250, 250, 250)));
    p.drawLine(QPointF(140, 375), QPointF(390, 375));
    // Mast and sails.
    p.setPen(ink(6));
    p.setBrush(QColor(120, 70, 30));
    p.drawRect(QRectF(253, 60, 10, 295));
    QLinearGradient mg(QPointF(270, 0), QPointF(410, 0));
    mg.setColorAt(0, QColor(255, 255, 255));
    mg.setColorAt(1, QColor(200, 215, 235));
    p.setBrush(mg);
    p.drawPath(polygon({{270, 70}, {270, 340}, {415, 340}}));
    p.setPen(ink(5, QColor(40, 110, 200)));
    p.drawLine(QPointF(280, 250), QPointF(330, 250));
    p.drawLine(QPointF(280, 280), QPointF(358, 280));
    p.setPen(ink(6));
    QLinearGradient jg(QPointF(246, 0), QPointF(120, 0));
    jg.setColorAt(0, QColor(255, 230, 60));
    jg.setColorAt(1, QColor(250, 160, 20));
    p.setBrush(jg);
    p.drawPath(polygon({{246, 95}, {246, 340}, {120, 340}}));
    p.setBrush(QColor(40, 90, 200));
    p.drawPath(polygon({{263, 60}, {310, 45}, {263, 32}}));
    p.setPen(ink(5));
    gulls(p, {QPointF(110, 190), QPointF(160, 230), QPointF(370, 200)}, 20, 6, 8);
}

void balloon(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(90, 180, 240)}, {1, QColor(255, 240, 200)}});
    cloud(p, 20, 120, 0.9);
    cloud(p, 370, 60, 0.8);
    cloud(p, 380, 300, 0.6);
    // Hills.
    p.setPen(ink(4, QColor(30, 90, 40)));
    QPainterPath far;
    far.moveTo(0, 440);
    far.quadTo(130, 360, 260, 430);
    far.quadTo(390, 380, 512, 420);
    far.lineTo(512, 512);
    far.lineTo(0, 512);
    far.closeSubpath();
    p.setBrush(QColor(120, 190, 90));
    p.drawPath(far);
    QPainterPath near;
    near.moveTo(0, 480);
    near.quadTo(200, 420, 512, 490);
    near.lineTo(512, 512);
    near.lineTo(0, 512);
    near.closeSubpath();
    p.setBrush(QColor(60, 150, 60));
    p.drawPath(near);
    // Little balloon far away.
    p.setPen(ink(3));
    p.setBrush(QColor(150, 60, 200));
    p.drawEllipse(QPointF(80, 300), 22, 26);
    p.drawLine(QPointF(72, 322), QPointF(76, 340));
    p.drawLine(QPointF(88, 322), QPointF(84, 340));
    p.setBrush(QColor(140, 90, 40));
    p.drawRect(QRectF(74, 338, 12, 10));
    // Envelope: round top narrowing to the mouth, gores as nested ellipses.
    QPainterPath env;
    env.moveTo(196, 370);
    env.cubicTo(60, 270, 90, 40, 256, 40);
    env.cubicTo(422, 40, 452, 270, 316, 370);
    env.closeSubpath();
    const QColor gores[] = {QColor(230, 40, 50), QColor(255, 200, 30), QColor(40, 120, 220),
                            QColor(255, 255, 255), QColor(50, 180, 90), QColor(255, 120, 30)};
    p.save();
    p.setClipPath(env);
    p.setPen(Qt::NoPen);
    for (int i = 6; i >= 1; --i) {
        p.setBrush(gores[(6 - i) % 6]);
        const double w = 190.0 * i / 6.0;
        p.drawEllipse(QPointF(256, 200), w, 200);
    }
    // Horizontal band near the top.
    p.setBrush(QColor(120, 30, 120));
    p.drawRect(QRectF(0, 100, 512, 24));
    p.restore();
    p.setPen(ink(6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(env);
    // Ropes and basket.
    p.setPen(ink(4));
    p.drawLine(QPointF(200, 372), QPointF(228, 430));
    p.drawLine(QPointF(312, 372), QPointF(284, 430));
    p.drawLine(QPointF(240, 372), QPointF(246, 430));
    p.drawLine(QPointF(272, 372), QPointF(266, 430));
    p.setPen(ink(5));
    p.setBrush(QColor(160, 100, 40));
    p.drawRoundedRect(QRectF(222, 428, 68, 46), 6, 6);
    p.setPen(ink(3, QColor(100, 60, 20)));
    for (int i = 1; i < 4; ++i) p.drawLine(QPointF(222, 428 + i * 11.5), QPointF(290, 428 + i * 11.5));
}

void cat(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient bg(QPointF(256, 256), 380);
    bg.setColorAt(0, QColor(255, 220, 240));
    bg.setColorAt(1, QColor(150, 90, 190));
    p.fillRect(img.rect(), bg);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            p.drawEllipse(QPointF(32 + x * 64 + (y % 2) * 32, 32 + y * 64), 12, 12);
    const QColor fur(242, 140, 40), dark(190, 90, 20), pink(250, 150, 170);
    p.setPen(ink(7));
    // Ears.
    p.setBrush(fur);
    p.drawPath(polygon({{80, 230}, {110, 40}, {230, 130}}));
    p.drawPath(polygon({{432, 230}, {402, 40}, {282, 130}}));
    p.setBrush(pink);
    p.setPen(Qt::NoPen);
    p.drawPath(polygon({{110, 190}, {122, 80}, {195, 135}}));
    p.drawPath(polygon({{402, 190}, {390, 80}, {317, 135}}));
    // Head.
    p.setPen(ink(7));
    QRadialGradient hg(QPointF(230, 230), 260);
    hg.setColorAt(0, QColor(255, 175, 80));
    hg.setColorAt(1, fur);
    p.setBrush(hg);
    p.drawEllipse(QPointF(256, 290), 200, 175);
    // Tabby stripes on the forehead and cheeks.
    p.setPen(Qt::NoPen);
    p.setBrush(dark);
    p.drawPath(polygon({{236, 120}, {256, 200}, {276, 120}}));
    p.drawPath(polygon({{190, 128}, {222, 190}, {214, 124}}));
    p.drawPath(polygon({{322, 128}, {290, 190}, {298, 124}}));
    p.drawPath(polygon({{60, 300}, {130, 290}, {62, 270}}));
    p.drawPath(polygon({{452, 300}, {382, 290}, {450, 270}}));
    p.drawPath(polygon({{66, 340}, {128, 322}, {72, 316}}));
    p.drawPath(polygon({{446, 340}, {384, 322}, {440, 316}}));
    // Muzzle.
    p.setPen(ink(5));
    p.setBrush(QColor(255, 245, 230));
    p.drawEllipse(QPointF(214, 362), 56, 44);
    p.drawEllipse(QPointF(298, 362), 56, 44);
    // Eyes.
    for (const double x : {172.0, 340.0}) {
        p.setPen(ink(6));
        QRadialGradient eg(QPointF(x, 260), 45);
        eg.setColorAt(0, QColor(200, 255, 120));
        eg.setColorAt(1, QColor(40, 170, 60));
        p.setBrush(eg);
        p.drawEllipse(QPointF(x, 262), 46, 40);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(x, 262), 11, 34);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x + 14, 246), 8, 8);
    }
    // Nose and mouth.
    p.setPen(ink(5));
    p.setBrush(pink);
    p.drawPath(polygon({{232, 318}, {280, 318}, {256, 344}}));
    p.setBrush(Qt::NoBrush);
    QPainterPath mouth;
    mouth.moveTo(256, 344);
    mouth.lineTo(256, 368);
    mouth.moveTo(214, 370);
    mouth.quadTo(236, 392, 256, 368);
    mouth.quadTo(276, 392, 298, 370);
    p.drawPath(mouth);
    // Whiskers reach into the side tiles.
    p.setPen(ink(4));
    for (int i = -1; i <= 1; ++i) {
        p.drawLine(QPointF(170, 360 + i * 18), QPointF(10, 330 + i * 40));
        p.drawLine(QPointF(342, 360 + i * 18), QPointF(502, 330 + i * 40));
    }
    // Collar and bell.
    p.setPen(ink(6));
    p.setBrush(QColor(220, 30, 60));
    p.drawRoundedRect(QRectF(120, 456, 272, 34), 14, 14);
    QRadialGradient bell(QPointF(250, 488), 30);
    bell.setColorAt(0, QColor(255, 250, 160));
    bell.setColorAt(1, QColor(230, 170, 20));
    p.setBrush(bell);
    p.drawEllipse(QPointF(256, 494), 26, 26);
}

void robot(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(20, 60, 140)}, {1, QColor(10, 120, 170)}});
    p.setPen(QPen(QColor(120, 200, 255, 120), 2));
    for (int i = 0; i <= 512; i += 32) {
        p.drawLine(i, 0, i, 512);
        p.drawLine(0, i, 512, i);
    }
    // Antenna.
    p.setPen(ink(8));
    p.drawLine(QPointF(256, 110), QPointF(256, 50));
    QRadialGradient ball(QPointF(250, 40), 24);
    ball.setColorAt(0, QColor(255, 180, 180));
    ball.setColorAt(1, QColor(220, 20, 30));
    p.setPen(ink(5));
    p.setBrush(ball);
    p.drawEllipse(QPointF(256, 40), 22, 22);
    // Ears.
    p.setBrush(QColor(240, 140, 30));
    p.drawRoundedRect(QRectF(40, 220, 50, 110), 12, 12);
    p.drawRoundedRect(QRectF(422, 220, 50, 110), 12, 12);
    // Head.
    QLinearGradient hg(QPointF(90, 0), QPointF(422, 0));
    hg.setColorAt(0, QColor(150, 160, 175));
    hg.setColorAt(0.4, QColor(235, 240, 245));
    hg.setColorAt(1, QColor(120, 130, 150));
    p.setPen(ink(7));
    p.setBrush(hg);
    p.drawRoundedRect(QRectF(85, 105, 342, 330), 40, 40);
    // Rivets.
    p.setPen(ink(3));
    p.setBrush(QColor(200, 200, 210));
    for (const QPointF r : {QPointF(115, 135), QPointF(397, 135), QPointF(115, 405), QPointF(397, 405)})
        p.drawEllipse(r, 9, 9);
    // Eyes.
    for (const double x : {180.0, 332.0}) {
        p.setPen(ink(7));
        p.setBrush(QColor(50, 50, 60));
        p.drawEllipse(QPointF(x, 230), 58, 58);
        QRadialGradient eg(QPointF(x - 10, 220), 50);
        eg.setColorAt(0, QColor(220, 255, 255));
        eg.setColorAt(0.6, QColor(40, 220, 240));
        eg.setColorAt(1, QColor(0, 110, 160));
        p.setPen(Qt::NoPen);
        p.setBrush(eg);
        p.drawEllipse(QPointF(x, 230), 42, 42);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(x + 6, 236), 14, 14);
    }
    // Cheek lights.
    p.setPen(ink(4));
    p.setBrush(QColor(255, 110, 150));
    p.drawEllipse(QPointF(130, 320), 20, 14);
    p.drawEllipse(QPointF(382, 320), 20, 14);
    // Mouth: a row of coloured lamps.
    p.setPen(ink(6));
    p.setBrush(QColor(30, 30, 40));
    p.drawRoundedRect(QRectF(160, 330, 192, 68), 14, 14);
    const QColor lamps[] = {QColor(60, 230, 90), QColor(160, 240, 60), QColor(250, 230, 40),
                            QColor(255, 160, 30), QColor(240, 60, 50)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(lamps[i]);
        p.drawRoundedRect(QRectF(172 + i * 36, 342 + (i % 2) * 12, 26, 32 - (i % 2) * 12), 5, 5);
    }
    // Neck and shoulders.
    p.setPen(ink(6));
    p.setBrush(QColor(110, 120, 135));
    p.drawRect(QRectF(206, 435, 100, 30));
    p.setBrush(QColor(240, 180, 40));
    p.drawRoundedRect(QRectF(60, 462, 392, 80), 30, 30);
    p.setPen(ink(5));
    p.setBrush(QColor(230, 50, 60));
    p.drawEllipse(QPointF(256, 492), 16, 16);
}

void house(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 360), {{0, QColor(70, 160, 240)}, {1, QColor(200, 235, 255)}});
    sun(p, QPointF(70, 70), 40, 10);
    cloud(p, 300, 70, 0.8);
    verticalGradient(p, QRectF(0, 350, 512, 162), {{0, QColor(120, 200, 80)}, {1, QColor(40, 130, 40)}});
    // Tree at the side.
    p.setPen(ink(6));
    p.setBrush(QColor(120, 70, 30));
    p.drawRect(QRectF(428, 250, 30, 150));
    p.setBrush(QColor(50, 150, 50));
    QPainterPath crown;
    crown.addEllipse(QPointF(443, 210), 60, 60);
    crown.addEllipse(QPointF(405, 250), 45, 40);
    crown.addEllipse(QPointF(480, 250), 45, 40);
    crown.setFillRule(Qt::WindingFill);
    p.drawPath(crown.simplified());
    p.setBrush(QColor(230, 40, 40));
    p.setPen(ink(3));
    for (const QPointF a : {QPointF(420, 200), QPointF(460, 180), QPointF(470, 240), QPointF(410, 255), QPointF(445, 235)})
        p.drawEllipse(a, 9, 9);
    // Chimney and smoke.
    p.setPen(ink(6));
    p.setBrush(QColor(150, 60, 50));
    p.drawRect(QRectF(320, 120, 34, 70));
    p.setPen(ink(3, QColor(150, 150, 160)));
    p.setBrush(QColor(230, 230, 235));
    p.drawEllipse(QPointF(345, 100), 18, 14);
    p.drawEllipse(QPointF(365, 72), 24, 18);
    p.drawEllipse(QPointF(395, 40), 30, 22);
    // Walls and roof.
    p.setPen(ink(6));
    QLinearGradient wg(QPointF(150, 0), QPointF(380, 0));
    wg.setColorAt(0, QColor(255, 230, 120));
    wg.setColorAt(1, QColor(240, 190, 70));
    p.setBrush(wg);
    p.drawRect(QRectF(150, 230, 230, 180));
    p.setBrush(QColor(210, 50, 40));
    p.drawPath(polygon({{125, 240}, {265, 110}, {405, 240}}));
    p.setPen(ink(3, QColor(140, 30, 20)));
    for (int i = 1; i < 4; ++i) {
        const double y = 110 + i * 32.5;
        const double half = (y - 110) * 140 / 130;
        p.drawLine(QPointF(265 - half, y), QPointF(265 + half, y));
    }
    p.setPen(ink(5));
    p.setBrush(QColor(200, 240, 255));
    p.drawEllipse(QPointF(265, 190), 22, 22);
    p.drawLine(QPointF(243, 190), QPointF(287, 190));
    // Windows with curtains.
    for (const double x : {170.0, 300.0}) {
        p.setPen(ink(5));
        p.setBrush(QColor(170, 220, 255));
        p.drawRect(QRectF(x, 260, 60, 60));
        p.setBrush(QColor(230, 80, 140));
        p.setPen(Qt::NoPen);
        p.drawPath(polygon({{x + 3, 263}, {x + 22, 263}, {x + 3, 310}}));
        p.drawPath(polygon({{x + 57, 263}, {x + 38, 263}, {x + 57, 310}}));
        p.setPen(ink(4));
        p.drawLine(QPointF(x + 30, 260), QPointF(x + 30, 320));
        p.drawLine(QPointF(x, 290), QPointF(x + 60, 290));
        p.setBrush(QColor(140, 80, 40));
        p.drawRect(QRectF(x - 6, 320, 72, 10));
    }
    // Door.
    p.setPen(ink(5));
    p.setBrush(QColor(40, 90, 190));
    p.drawRoundedRect(QRectF(240, 330, 50, 80), 6, 6);
    p.setBrush(QColor(255, 210, 40));
    p.drawEllipse(QPointF(280, 372), 5, 5);
    // Path.
    p.setBrush(QColor(220, 190, 150));
    p.drawPath(polygon({{240, 410}, {290, 410}, {330, 512}, {200, 512}}));
    // Fence with a gap for the path.
    p.setPen(ink(4));
    p.setBrush(QColor(255, 255, 255));
    for (double x = 4; x < 512; x += 34) {
        if (x > 190 && x < 320) continue;
        p.drawPath(polygon({{x, 470}, {x, 420}, {x + 12, 408}, {x + 24, 420}, {x + 24, 470}}));
    }
    p.drawRect(QRectF(0, 432, 192, 9));
    p.drawRect(QRectF(330, 432, 182, 9));
    // Flowers in front.
    const QColor petals[] = {QColor(250, 80, 80), QColor(250, 200, 40), QColor(180, 90, 230),
                             QColor(255, 140, 200), QColor(255, 255, 255), QColor(255, 130, 40)};
    int k = 0;
    for (double x = 24; x < 512; x += 58) {
        if (x > 190 && x < 330) continue;
        flower(p, QPointF(x, 490 - (k % 2) * 10), 16, petals[k % 6]);
        ++k;
    }
}

void rocket(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient bg(QPointF(350, 150), 500);
    bg.setColorAt(0, QColor(60, 40, 130));
    bg.setColorAt(1, QColor(5, 5, 30));
    p.fillRect(img.rect(), bg);
    // Nebulae give each part of the sky its own colour.
    for (const auto& [at, r, colour] : {std::tuple{QPointF(460, 380), 170.0, QColor(230, 60, 160, 150)},
                                        std::tuple{QPointF(230, 60), 140.0, QColor(40, 200, 200, 110)}}) {
        QRadialGradient ng(at, r);
        ng.setColorAt(0, colour);
        ng.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(ng);
        p.drawEllipse(at, r, r);
    }
    stars(p, 7, 120, QRectF(0, 0, 512, 512));
    // Comet over the top.
    QLinearGradient tail(QPointF(160, 20), QPointF(290, 110));
    tail.setColorAt(0, QColor(255, 255, 255, 0));
    tail.setColorAt(1, QColor(220, 250, 255, 230));
    p.setBrush(tail);
    p.drawPath(polygon({{150, 30}, {292, 102}, {282, 120}}));
    p.setPen(ink(3, QColor(150, 220, 255)));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QPointF(290, 112), 12, 12);
    // Satellite on the right.
    p.save();
    p.translate(455, 300);
    p.rotate(-20);
    p.setPen(ink(4));
    p.setBrush(QColor(40, 70, 180));
    p.drawRect(QRectF(-60, -14, 38, 28));
    p.drawRect(QRectF(22, -14, 38, 28));
    p.setPen(ink(2, QColor(150, 190, 255)));
    p.drawLine(QPointF(-41, -14), QPointF(-41, 14));
    p.drawLine(QPointF(41, -14), QPointF(41, 14));
    p.setPen(ink(4));
    p.setBrush(QColor(240, 200, 60));
    p.drawRoundedRect(QRectF(-22, -20, 44, 40), 6, 6);
    p.drawLine(QPointF(0, -20), QPointF(0, -40));
    p.setBrush(QColor(230, 50, 50));
    p.drawEllipse(QPointF(0, -44), 6, 6);
    p.restore();
    // Ringed planet.
    p.setPen(ink(5, QColor(250, 220, 160)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(420, 100), 90, 24);
    QRadialGradient sat(QPointF(405, 85), 60);
    sat.setColorAt(0, QColor(255, 230, 150));
    sat.setColorAt(1, QColor(220, 140, 50));
    p.setPen(ink(4));
    p.setBrush(sat);
    p.drawEllipse(QPointF(420, 100), 50, 50);
    p.save();
    p.setClipRect(QRectF(0, 100, 512, 100));
    p.setPen(ink(6, QColor(250, 220, 160)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(420, 100), 90, 24);
    p.restore();
    // Big planet filling the lower left.
    QPainterPath planet;
    planet.addEllipse(QPointF(90, 560), 300, 300);
    QLinearGradient pg(QPointF(0, 260), QPointF(0, 512));
    pg.setColorAt(0, QColor(80, 200, 220));
    pg.setColorAt(0.3, QColor(40, 140, 200));
    pg.setColorAt(0.55, QColor(70, 190, 110));
    pg.setColorAt(1, QColor(20, 90, 70));
    p.setPen(ink(6, QColor(180, 240, 255)));
    p.setBrush(pg);
    p.drawPath(planet);
    p.save();
    p.setClipPath(planet);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(60, 330), 90, 18);
    p.drawEllipse(QPointF(230, 380), 70, 14);
    p.setBrush(QColor(220, 200, 120));
    p.drawEllipse(QPointF(130, 430), 60, 30);
    p.drawEllipse(QPointF(300, 470), 40, 22);
    p.restore();
    // Moon.
    p.setPen(ink(4));
    p.setBrush(QColor(200, 200, 210));
    p.drawEllipse(QPointF(90, 90), 34, 34);
    p.setBrush(QColor(150, 150, 165));
    p.drawEllipse(QPointF(80, 82), 8, 8);
    p.drawEllipse(QPointF(102, 102), 6, 6);
    // Rocket, tilted, climbing to the upper right.
    p.save();
    p.translate(300, 270);
    p.rotate(35);
    QPainterPath flame;
    flame.moveTo(-30, 110);
    flame.quadTo(0, 230, 30, 110);
    flame.closeSubpath();
    QLinearGradient fg(QPointF(0, 110), QPointF(0, 210));
    fg.setColorAt(0, QColor(255, 250, 160));
    fg.setColorAt(0.5, QColor(255, 160, 30));
    fg.setColorAt(1, QColor(230, 40, 20));
    p.setPen(ink(4, QColor(230, 80, 20)));
    p.setBrush(fg);
    p.drawPath(flame);
    p.setPen(ink(6));
    p.setBrush(QColor(220, 40, 50));
    p.drawPath(polygon({{-45, 40}, {-85, 120}, {-40, 105}}));
    p.drawPath(polygon({{45, 40}, {85, 120}, {40, 105}}));
    QPainterPath body;
    body.moveTo(0, -150);
    body.cubicTo(70, -90, 55, 60, 40, 112);
    body.lineTo(-40, 112);
    body.cubicTo(-55, 60, -70, -90, 0, -150);
    QLinearGradient bgr(QPointF(-50, 0), QPointF(50, 0));
    bgr.setColorAt(0, QColor(170, 175, 190));
    bgr.setColorAt(0.4, QColor(255, 255, 255));
    bgr.setColorAt(1, QColor(150, 155, 175));
    p.setBrush(bgr);
    p.drawPath(body);
    p.save();
    p.setClipPath(body);
    p.setBrush(QColor(220, 40, 50));
    p.drawRect(QRectF(-80, -160, 160, 60));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.setBrush(QColor(60, 160, 230));
    p.drawEllipse(QPointF(0, -30), 24, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 250, 255));
    p.drawEllipse(QPointF(-7, -37), 7, 7);
    p.setPen(ink(5));
    p.setBrush(QColor(220, 40, 50));
    p.drawRect(QRectF(-6, 40, 12, 72));
    p.restore();
}

void coralBranch(QPainter& p, QPointF from, double angle, double length, double width, int depth) {
    const QPointF to(from.x() + std::cos(angle) * length, from.y() - std::sin(angle) * length);
    QPen pen = p.pen();
    pen.setWidthF(width);
    p.setPen(pen);
    p.drawLine(from, to);
    if (depth == 0) return;
    coralBranch(p, to, angle + 0.45, length * 0.72, width * 0.75, depth - 1);
    coralBranch(p, to, angle - 0.40, length * 0.70, width * 0.75, depth - 1);
}

void fish(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(60, 200, 240)}, {1, QColor(10, 50, 120)}});
    // Light rays from the surface.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 45));
    for (int i = 0; i < 4; ++i)
        p.drawPath(polygon({{60.0 + i * 120, 0}, {110.0 + i * 120, 0}, {20.0 + i * 150, 512}, {-30.0 + i * 150, 512}}));
    // Sand.
    QPainterPath sand;
    sand.moveTo(0, 440);
    sand.quadTo(130, 410, 260, 445);
    sand.quadTo(390, 475, 512, 430);
    sand.lineTo(512, 512);
    sand.lineTo(0, 512);
    sand.closeSubpath();
    p.setPen(ink(4, QColor(160, 120, 60)));
    p.setBrush(QColor(235, 205, 140));
    p.drawPath(sand);
    // Seaweed.
    p.setBrush(Qt::NoBrush);
    p.setPen(ink(14, QColor(40, 150, 70)));
    for (const double x : {200.0, 230.0, 470.0}) {
        QPainterPath w;
        w.moveTo(x, 450);
        w.cubicTo(x - 30, 380, x + 30, 330, x - 10, 250);
        p.drawPath(w);
    }
    // Coral trees.
    p.setPen(ink(18, QColor(240, 90, 110)));
    coralBranch(p, QPointF(80, 460), kPi / 2, 90, 20, 4);
    p.setPen(ink(16, QColor(255, 150, 50)));
    coralBranch(p, QPointF(400, 460), kPi / 2 + 0.1, 80, 18, 4);
    p.setPen(ink(12, QColor(200, 70, 200)));
    coralBranch(p, QPointF(310, 470), kPi / 2 - 0.2, 50, 12, 3);
    // Brain coral.
    p.setPen(ink(5));
    p.setBrush(QColor(150, 90, 200));
    p.drawEllipse(QPointF(160, 470), 50, 32);
    p.setPen(ink(3, QColor(90, 40, 140)));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(125, 450, 70, 30), 0, 180 * 16);
    p.drawArc(QRectF(140, 462, 40, 16), 0, 180 * 16);
    // Clownfish.
    p.save();
    p.translate(270, 230);
    p.setPen(ink(6));
    p.setBrush(QColor(255, 120, 20));
    p.drawPath(polygon({{110, 0}, {190, -70}, {175, 0}, {190, 70}}));
    p.drawPath(polygon({{-20, -70}, {40, -115}, {70, -72}}));
    p.drawPath(polygon({{0, 75}, {40, 110}, {60, 72}}));
    QPainterPath body;
    body.addEllipse(QPointF(0, 0), 140, 85);
    QRadialGradient bgr(QPointF(-30, -30), 160);
    bgr.setColorAt(0, QColor(255, 180, 60));
    bgr.setColorAt(1, QColor(240, 100, 10));
    p.setBrush(bgr);
    p.drawPath(body);
    p.save();
    p.setClipPath(body);
    p.setPen(ink(6));
    p.setBrush(Qt::white);
    for (const double x : {-70.0, 20.0, 100.0})
        p.drawRoundedRect(QRectF(x - 16, -100, 32, 200), 16, 16);
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(-95, -20), 20, 20);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(-100, -20), 9, 9);
    p.setPen(ink(4));
    p.drawArc(QRectF(-135, 10, 40, 30), 200 * 16, 100 * 16);
    p.restore();
    // Small blue fish.
    for (const QPointF f : {QPointF(90, 110), QPointF(420, 80), QPointF(80, 330)}) {
        p.setPen(ink(4));
        p.setBrush(QColor(40, 90, 230));
        p.drawPath(polygon({{f.x() + 20, f.y()}, {f.x() + 44, f.y() - 16}, {f.x() + 44, f.y() + 16}}));
        p.setBrush(QColor(250, 230, 50));
        p.drawEllipse(f, 30, 16);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(f.x() - 16, f.y() - 3), 4, 4);
    }
    // Bubbles.
    p.setPen(ink(3, QColor(230, 250, 255)));
    p.setBrush(QColor(255, 255, 255, 60));
    for (const QPointF b : {QPointF(120, 190), QPointF(135, 160), QPointF(128, 125), QPointF(300, 60), QPointF(320, 30)})
        p.drawEllipse(b, 10, 10);
}

void cake(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Striped wallpaper.
    for (int x = 0; x < 512; x += 64) {
        p.fillRect(QRectF(x, 0, 32, 340), QColor(255, 210, 225));
        p.fillRect(QRectF(x + 32, 0, 32, 340), QColor(255, 235, 240));
    }
    // Bunting.
    p.setPen(ink(3));
    p.drawLine(QPointF(0, 20), QPointF(512, 20));
    const QColor flags[] = {QColor(240, 60, 60), QColor(250, 200, 30), QColor(50, 170, 230), QColor(90, 200, 90)};
    for (int i = 0; i < 8; ++i) {
        p.setBrush(flags[i % 4]);
        p.drawPath(polygon({{8.0 + i * 64, 20}, {56.0 + i * 64, 20}, {32.0 + i * 64, 62}}));
    }
    // Balloons.
    for (const auto& [c, col] : {std::pair{QPointF(60, 150), QColor(230, 40, 60)}, std::pair{QPointF(452, 140), QColor(40, 110, 230)}}) {
        p.setPen(ink(3));
        p.drawLine(QPointF(c.x(), c.y() + 48), QPointF(c.x() + 10, c.y() + 170));
        QRadialGradient g(QPointF(c.x() - 12, c.y() - 14), 50);
        g.setColorAt(0, col.lighter(160));
        g.setColorAt(1, col);
        p.setPen(ink(5));
        p.setBrush(g);
        p.drawEllipse(c, 38, 48);
    }
    // Checked table cloth.
    p.fillRect(QRectF(0, 340, 512, 172), QColor(255, 255, 255));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x + y) % 2 == 0) p.fillRect(QRectF(x * 32, 340 + y * 30, 32, 30), QColor(220, 40, 50));
    // Plate.
    p.setPen(ink(5));
    p.setBrush(QColor(230, 235, 245));
    p.drawEllipse(QPointF(256, 440), 210, 42);
    // Cake body: chocolate sponge, cream, pink icing with drips.
    QLinearGradient cg(QPointF(100, 0), QPointF(412, 0));
    cg.setColorAt(0, QColor(110, 60, 30));
    cg.setColorAt(0.5, QColor(160, 95, 50));
    cg.setColorAt(1, QColor(100, 55, 25));
    p.setBrush(cg);
    QPainterPath body;
    body.moveTo(100, 250);
    body.lineTo(100, 420);
    body.quadTo(256, 460, 412, 420);
    body.lineTo(412, 250);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(ink(4));
    p.setBrush(QColor(255, 245, 220));
    p.drawRect(QRectF(100, 330, 312, 22));
    p.setPen(ink(5));
    p.setBrush(QColor(255, 130, 180));
    QPainterPath icing;
    icing.moveTo(96, 240);
    icing.lineTo(96, 280);
    for (int i = 0; i < 8; ++i) {
        const double x = 96 + i * 40;
        icing.quadTo(x + 10, 310 + (i % 2) * 14, x + 20, 282);
        icing.quadTo(x + 30, 270, x + 40, 280);
    }
    icing.lineTo(416, 240);
    icing.closeSubpath();
    p.drawPath(icing);
    p.setBrush(QColor(255, 160, 200));
    p.drawEllipse(QPointF(256, 242), 160, 30);
    // Sprinkles.
    p.setPen(Qt::NoPen);
    Scatter rnd(11);
    const QColor sprinkle[] = {QColor(255, 255, 255), QColor(60, 200, 255), QColor(255, 230, 60), QColor(120, 220, 90)};
    for (int i = 0; i < 40; ++i) {
        p.setBrush(sprinkle[i % 4]);
        const double a = rnd.range(0, 2 * kPi), r = std::sqrt(rnd.next());
        p.drawEllipse(QPointF(256 + std::cos(a) * 140 * r, 242 + std::sin(a) * 24 * r), 4, 3);
    }
    // Strawberries.
    for (const double x : {150.0, 362.0}) {
        p.setPen(ink(4));
        p.setBrush(QColor(230, 30, 40));
        p.drawEllipse(QPointF(x, 236), 20, 22);
        p.setBrush(QColor(60, 170, 60));
        p.drawPath(polygon({{x - 14, 216}, {x, 206}, {x + 14, 216}, {x, 222}}));
    }
    // Candles and flames.
    const QColor wax[] = {QColor(60, 150, 250), QColor(250, 220, 40), QColor(120, 210, 90), QColor(250, 120, 40), QColor(200, 90, 230)};
    for (int i = 0; i < 5; ++i) {
        const double x = 188 + i * 34;
        const double top = 140 + (i % 2) * 20;
        p.setPen(ink(4));
        p.setBrush(wax[i]);
        p.drawRect(QRectF(x - 9, top, 18, 240 - top));
        p.setPen(ink(3, QColor(255, 255, 255)));
        for (double y = top + 12; y < 235; y += 24) p.drawLine(QPointF(x - 8, y + 6), QPointF(x + 8, y - 6));
        QPainterPath fl;
        fl.moveTo(x, top - 48);
        fl.quadTo(x + 20, top - 14, x, top - 4);
        fl.quadTo(x - 20, top - 14, x, top - 48);
        QRadialGradient fg(QPointF(x, top - 16), 24);
        fg.setColorAt(0, QColor(255, 255, 200));
        fg.setColorAt(1, QColor(255, 140, 20));
        p.setPen(ink(3, QColor(220, 90, 0)));
        p.setBrush(fg);
        p.drawPath(fl);
    }
}

void train(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(120, 190, 250)}, {1, QColor(230, 245, 255)}});
    sun(p, QPointF(440, 70), 36, 10);
    // Hills.
    p.setPen(ink(4, QColor(40, 100, 50)));
    p.setBrush(QColor(140, 200, 100));
    QPainterPath hills;
    hills.moveTo(0, 330);
    hills.quadTo(120, 230, 250, 320);
    hills.quadTo(380, 250, 512, 310);
    hills.lineTo(512, 512);
    hills.lineTo(0, 512);
    hills.closeSubpath();
    p.drawPath(hills);
    p.fillRect(QRectF(0, 400, 512, 112), QColor(90, 160, 70));
    // Track.
    p.setPen(ink(6, QColor(90, 60, 40)));
    for (double x = 6; x < 512; x += 28) p.drawLine(QPointF(x, 448), QPointF(x + 10, 468));
    p.setPen(ink(6, QColor(70, 70, 80)));
    p.drawLine(QPointF(0, 446), QPointF(512, 446));
    p.drawLine(QPointF(0, 462), QPointF(512, 462));
    // The train is drawn a little smaller so the whole locomotive fits, standing on the rails.
    p.save();
    p.translate(8, 446);
    p.scale(0.92, 0.92);
    p.translate(0, -446);
    // Smoke puffs drifting back over the wagons.
    p.setPen(ink(4, QColor(140, 140, 150)));
    p.setBrush(QColor(240, 240, 245));
    const QPointF puffs[] = {{400, 190}, {350, 150}, {280, 115}, {200, 95}, {110, 90}, {30, 100}};
    for (int i = 0; i < 6; ++i) p.drawEllipse(puffs[i], 26 + i * 5, 20 + i * 4);
    auto wheel = [&](QPointF c, double r, QColor hub) {
        p.setPen(ink(5));
        p.setBrush(QColor(40, 40, 45));
        p.drawEllipse(c, r, r);
        p.setBrush(hub);
        p.drawEllipse(c, r * 0.7, r * 0.7);
        p.setPen(ink(3));
        for (int k = 0; k < 4; ++k) {
            const double a = kPi * k / 4;
            p.drawLine(QPointF(c.x() - std::cos(a) * r * 0.7, c.y() - std::sin(a) * r * 0.7),
                       QPointF(c.x() + std::cos(a) * r * 0.7, c.y() + std::sin(a) * r * 0.7));
        }
    };
    // Wagons.
    const QColor wagons[] = {QColor(40, 110, 220), QColor(60, 180, 90)};
    for (int w = 0; w < 2; ++w) {
        const double x = 10 + w * 150;
        p.setPen(ink(6));
        p.setBrush(wagons[w]);
        p.drawRoundedRect(QRectF(x, 320, 130, 100), 8, 8);
        p.setBrush(QColor(250, 230, 120));
        p.drawRect(QRectF(x + 15, 338, 40, 36));
        p.drawRect(QRectF(x + 75, 338, 40, 36));
        p.setBrush(QColor(220, 60, 50));
        p.drawRect(QRectF(x - 4, 308, 138, 16));
        p.drawLine(QPointF(x + 130, 410), QPointF(x + 150, 410));
        wheel(QPointF(x + 30, 428), 20, QColor(220, 60, 50));
        wheel(QPointF(x + 100, 428), 20, QColor(220, 60, 50));
    }
    // Locomotive.
    p.setPen(ink(6));
    p.setBrush(QColor(200, 30, 40));
    p.drawRect(QRectF(300, 270, 80, 150));
    p.setBrush(QColor(250, 230, 120));
    p.drawRect(QRectF(315, 290, 50, 50));
    p.setBrush(QColor(50, 50, 60));
    p.drawRect(QRectF(290, 256, 100, 18));
    QLinearGradient boiler(QPointF(0, 320), QPointF(0, 420));
    boiler.setColorAt(0, QColor(80, 80, 95));
    boiler.setColorAt(0.4, QColor(30, 30, 40));
    boiler.setColorAt(1, QColor(20, 20, 25));
    p.setBrush(boiler);
    p.drawRoundedRect(QRectF(375, 330, 120, 82), 30, 30);
    p.setBrush(QColor(250, 200, 40));
    p.drawRect(QRectF(400, 330, 10, 82));
    p.drawRect(QRectF(450, 330, 10, 82));
    p.setBrush(QColor(50, 50, 60));
    p.drawPath(polygon({{420, 330}, {412, 250}, {458, 250}, {450, 330}}));
    p.setBrush(QColor(255, 240, 150));
    p.drawEllipse(QPointF(496, 372), 12, 16);
    p.setBrush(QColor(60, 60, 70));
    p.drawPath(polygon({{470, 412}, {512, 412}, {512, 440}, {490, 440}}));
    wheel(QPointF(340, 420), 34, QColor(250, 200, 40));
    wheel(QPointF(420, 430), 24, QColor(250, 200, 40));
    wheel(QPointF(472, 430), 20, QColor(250, 200, 40));
    p.setPen(ink(7, QColor(180, 180, 190)));
    p.drawLine(QPointF(340, 420), QPointF(420, 430));
    p.restore();
}

void castle(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(250, 150, 90)}, {0.5, QColor(250, 210, 150)}, {1, QColor(200, 230, 250)}});
    cloud(p, 30, 60, 0.8, QColor(255, 240, 235));
    cloud(p, 360, 40, 0.7, QColor(255, 240, 235));
    // Hill.
    p.setPen(ink(4, QColor(40, 90, 40)));
    p.setBrush(QColor(100, 170, 70));
    QPainterPath hill;
    hill.moveTo(0, 420);
    hill.quadTo(256, 320, 512, 420);
    hill.lineTo(512, 512);
    hill.lineTo(0, 512);
    hill.closeSubpath();
    p.drawPath(hill);
    const QColor stone(170, 165, 175), stoneDark(120, 115, 130);
    auto wall = [&](const QRectF& r) {
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, stone.lighter(115));
        g.setColorAt(1, stoneDark);
        p.setPen(ink(6));
        p.setBrush(g);
        p.drawRect(r);
        p.setPen(ink(2, QColor(100, 95, 110)));
        for (double y = r.top() + 20; y < r.bottom(); y += 20) {
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            const int row = static_cast<int>((y - r.top()) / 20);
            for (double x = r.left() + (row % 2 ? 15 : 30); x < r.right(); x += 30)
                p.drawLine(QPointF(x, y), QPointF(x, y - 20));
        }
        p.setPen(ink(6));
        p.setBrush(g);
        for (double x = r.left(); x + 14 <= r.right() + 1; x += 28) p.drawRect(QRectF(x, r.top() - 18, 16, 18));
    };
    auto roof = [&](double cx, double y, double half, QColor colour, QColor flag) {
        p.setPen(ink(6));
        p.setBrush(colour);
        p.drawPath(polygon({{cx - half, y}, {cx, y - half * 2.2}, {cx + half, y}}));
        p.setPen(ink(4));
        p.drawLine(QPointF(cx, y - half * 2.2), QPointF(cx, y - half * 2.2 - 40));
        p.setBrush(flag);
        p.drawPath(polygon({{cx, y - half * 2.2 - 40}, {cx + 34, y - half * 2.2 - 30}, {cx, y - half * 2.2 - 20}}));
    };
    wall(QRectF(130, 250, 252, 190));        // curtain wall
    wall(QRectF(200, 160, 112, 100));        // keep
    wall(QRectF(50, 210, 90, 230));          // left tower
    wall(QRectF(372, 210, 90, 230));         // right tower
    roof(95, 192, 52, QColor(40, 80, 200), QColor(250, 210, 30));
    roof(417, 192, 52, QColor(200, 40, 50), QColor(60, 180, 80));
    roof(256, 142, 64, QColor(130, 50, 170), QColor(230, 40, 60));
    // Windows.
    p.setPen(ink(4));
    p.setBrush(QColor(40, 30, 60));
    for (const QPointF w : {QPointF(95, 270), QPointF(417, 270), QPointF(95, 340), QPointF(417, 340), QPointF(236, 190), QPointF(276, 190)})
        p.drawRoundedRect(QRectF(w.x() - 10, w.y(), 20, 36), 10, 10);
    p.setBrush(QColor(255, 220, 90));
    p.drawRoundedRect(QRectF(246, 200, 20, 30), 10, 10);
    // Gate and drawbridge.
    p.setPen(ink(6));
    p.setBrush(QColor(50, 35, 30));
    QPainterPath gate;
    gate.moveTo(216, 440);
    gate.lineTo(216, 360);
    gate.arcTo(QRectF(216, 320, 80, 80), 180, -180);
    gate.lineTo(296, 440);
    gate.closeSubpath();
    p.drawPath(gate);
    p.setPen(ink(3, QColor(150, 150, 160)));
    for (double x = 228; x < 296; x += 16) p.drawLine(QPointF(x, 330), QPointF(x, 440));
    // Moat.
    p.setPen(ink(5, QColor(20, 60, 120)));
    QLinearGradient water(QPointF(0, 440), QPointF(0, 512));
    water.setColorAt(0, QColor(60, 140, 220));
    water.setColorAt(1, QColor(20, 70, 150));
    p.setBrush(water);
    p.drawRect(QRectF(-10, 445, 532, 50));
    p.setPen(ink(5));
    p.setBrush(QColor(150, 90, 40));
    p.drawPath(polygon({{216, 440}, {296, 440}, {316, 505}, {196, 505}}));
    p.setPen(ink(3, QColor(100, 60, 20)));
    for (int i = 1; i < 4; ++i) p.drawLine(QPointF(216 - i * 5, 440 + i * 16), QPointF(296 + i * 5, 440 + i * 16));
}

void seasonsTree(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Four quarters: spring, summer, autumn, winter, clockwise from the top left.
    verticalGradient(p, QRectF(0, 0, 256, 256), {{0, QColor(160, 230, 200)}, {1, QColor(230, 255, 230)}});
    verticalGradient(p, QRectF(256, 0, 256, 256), {{0, QColor(40, 150, 250)}, {1, QColor(160, 220, 255)}});
    verticalGradient(p, QRectF(0, 256, 256, 256), {{0, QColor(250, 200, 120)}, {1, QColor(200, 110, 50)}});
    verticalGradient(p, QRectF(256, 256, 256, 256), {{0, QColor(170, 185, 215)}, {1, QColor(235, 240, 250)}});
    sun(p, QPointF(455, 55), 34, 10);
    cloud(p, 20, 40, 0.6);
    // Ground: grass on the left half, snow on the right.
    p.setPen(ink(5));
    p.setBrush(QColor(90, 170, 60));
    p.drawPath(polygon({{0, 430}, {256, 410}, {256, 512}, {0, 512}}));
    p.setBrush(QColor(250, 252, 255));
    p.drawPath(polygon({{256, 410}, {512, 430}, {512, 512}, {256, 512}}));
    // Trunk and branches.
    p.setPen(ink(6));
    p.setBrush(QColor(120, 75, 40));
    p.drawPath(polygon({{226, 460}, {240, 280}, {272, 280}, {286, 460}}));
    p.setPen(ink(16, QColor(110, 70, 40)));
    p.drawLine(QPointF(250, 300), QPointF(150, 200));
    p.drawLine(QPointF(262, 300), QPointF(370, 190));
    p.drawLine(QPointF(256, 290), QPointF(256, 120));
    // Crown, coloured by the quarter it falls into.
    QPainterPath crown;
    crown.addEllipse(QPointF(256, 210), 200, 160);
    const struct { QRectF quarter; QColor leaf; QColor dot; } parts[] = {
        {QRectF(0, 0, 256, 256), QColor(140, 210, 110), QColor(255, 170, 210)},
        {QRectF(256, 0, 256, 256), QColor(40, 150, 50), QColor(30, 110, 40)},
        {QRectF(0, 256, 256, 256), QColor(240, 140, 30), QColor(200, 50, 20)},
        {QRectF(256, 256, 256, 256), QColor(255, 255, 255), QColor(200, 215, 235)},
    };
    Scatter rnd(21);
    for (const auto& part : parts) {
        p.save();
        p.setClipRect(part.quarter);
        if (part.leaf == QColor(255, 255, 255)) {
            // Winter: bare twigs with snow on them.
            p.setPen(ink(8, QColor(110, 70, 40)));
            p.drawLine(QPointF(300, 260), QPointF(430, 300));
            p.drawLine(QPointF(350, 275), QPointF(380, 340));
            p.drawLine(QPointF(270, 280), QPointF(320, 350));
            p.setPen(ink(5, QColor(255, 255, 255)));
            p.drawLine(QPointF(305, 254), QPointF(428, 292));
        } else {
            p.setPen(ink(6));
            p.setBrush(part.leaf);
            p.drawPath(crown);
            p.setPen(Qt::NoPen);
            p.setBrush(part.dot);
            for (int i = 0; i < 60; ++i) {
                const double a = rnd.range(0, 2 * kPi), r = std::sqrt(rnd.next());
                p.drawEllipse(QPointF(256 + std::cos(a) * 185 * r, 210 + std::sin(a) * 145 * r), 9, 9);
            }
        }
        p.restore();
    }
    // Fallen autumn leaves and winter snowflakes.
    p.setPen(ink(2));
    p.setBrush(QColor(230, 90, 20));
    for (int i = 0; i < 10; ++i) p.drawEllipse(QPointF(20 + i * 23, 470 + (i % 3) * 12), 9, 5);
    p.setPen(ink(3, QColor(255, 255, 255)));
    for (int i = 0; i < 12; ++i) {
        const double cy = rnd.range(280, 400);
        const QPointF c(rnd.range(290, 500), cy);
        for (int k = 0; k < 3; ++k) {
            const double a = kPi * k / 3;
            p.drawLine(QPointF(c.x() - std::cos(a) * 8, c.y() - std::sin(a) * 8), QPointF(c.x() + std::cos(a) * 8, c.y() + std::sin(a) * 8));
        }
    }
    // A snowman's little cousin in the winter corner and a flower in spring.
    p.setPen(ink(4));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(440, 470), 30, 26);
    p.drawEllipse(QPointF(440, 428), 20, 18);
    p.setBrush(QColor(255, 140, 20));
    p.drawPath(polygon({{440, 426}, {462, 430}, {440, 434}}));
    flower(p, QPointF(60, 420), 14, QColor(255, 120, 180));
    flower(p, QPointF(170, 410), 12, QColor(250, 230, 60));
}

void mandala(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Each quarter of the background has its own colour so mirrored tiles can be told apart.
    const QColor corners[] = {QColor(30, 20, 80), QColor(80, 10, 60), QColor(10, 60, 80), QColor(60, 50, 10)};
    for (int q = 0; q < 4; ++q) {
        const QRectF r((q % 2) * 256, (q / 2) * 256, 256, 256);
        QRadialGradient g(QPointF(256, 256), 360);
        g.setColorAt(0, corners[q].lighter(200));
        g.setColorAt(1, corners[q]);
        p.fillRect(r, g);
    }
    const QPointF c(256, 256);
    auto hue = [](double angle, int shift, int s = 220, int v = 250) {
        int h = static_cast<int>(angle / (2 * kPi) * 360 + shift) % 360;
        if (h < 0) h += 360;
        return QColor::fromHsv(h, s, v);
    };
    // Corner fans.
    const QPointF cornerPts[] = {{0, 0}, {512, 0}, {0, 512}, {512, 512}};
    for (int q = 0; q < 4; ++q) {
        for (int k = 4; k >= 1; --k) {
            p.setPen(ink(4));
            p.setBrush(QColor::fromHsv((q * 90 + k * 25) % 360, 200, 240));
            p.drawEllipse(cornerPts[q], k * 26.0, k * 26.0);
        }
    }
    // Rings of petals, the colour turning with the angle.
    struct Ring { int count; double radius, len, width; int shift; };
    const Ring rings[] = {{24, 205, 46, 16, 0}, {16, 160, 50, 22, 60}, {12, 112, 44, 22, 180}, {8, 66, 36, 20, 270}};
    for (const auto& ring : rings) {
        for (int i = 0; i < ring.count; ++i) {
            const double a = 2 * kPi * i / ring.count;
            p.save();
            p.translate(c.x() + std::cos(a) * ring.radius, c.y() + std::sin(a) * ring.radius);
            p.rotate(a * 180 / kPi);
            p.setPen(ink(4));
            p.setBrush(hue(a, ring.shift));
            p.drawEllipse(QPointF(0, 0), ring.len, ring.width);
            p.setBrush(hue(a, ring.shift + 180, 160, 255));
            p.drawEllipse(QPointF(ring.len * 0.25, 0), ring.len * 0.35, ring.width * 0.4);
            p.restore();
        }
    }
    // Dots between the outer petals.
    p.setPen(ink(3));
    for (int i = 0; i < 24; ++i) {
        const double a = 2 * kPi * (i + 0.5) / 24;
        p.setBrush(hue(a, 90, 100, 255));
        p.drawEllipse(QPointF(c.x() + std::cos(a) * 238, c.y() + std::sin(a) * 238), 9, 9);
    }
    // Centre: a star in a disc.
    p.setPen(ink(5));
    QRadialGradient cg(c, 40);
    cg.setColorAt(0, QColor(255, 255, 220));
    cg.setColorAt(1, QColor(255, 190, 40));
    p.setBrush(cg);
    p.drawEllipse(c, 36, 36);
    QPainterPath star;
    for (int i = 0; i < 16; ++i) {
        const double a = kPi * i / 8 - kPi / 2;
        const double r = i % 2 ? 10 : 28;
        const QPointF pt(c.x() + std::cos(a) * r, c.y() + std::sin(a) * r);
        if (i == 0) star.moveTo(pt); else star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(ink(3));
    p.setBrush(QColor(220, 40, 90));
    p.drawPath(star);
}

void butterfly(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(110, 200, 250)}, {0.65, QColor(220, 245, 255)}, {1, QColor(150, 220, 110)}});
    sun(p, QPointF(60, 60), 34, 10);
    cloud(p, 360, 40, 0.7);
    // Meadow with flowers along the bottom.
    p.setPen(ink(4, QColor(40, 110, 40)));
    p.setBrush(QColor(90, 180, 70));
    QPainterPath meadow;
    meadow.moveTo(0, 430);
    meadow.quadTo(256, 390, 512, 440);
    meadow.lineTo(512, 512);
    meadow.lineTo(0, 512);
    meadow.closeSubpath();
    p.drawPath(meadow);
    const QColor petals[] = {QColor(250, 60, 80), QColor(255, 255, 255), QColor(250, 210, 30), QColor(200, 100, 250)};
    for (int i = 0; i < 8; ++i) {
        p.setPen(ink(4, QColor(40, 120, 40)));
        p.drawLine(QPointF(30 + i * 64, 500), QPointF(30 + i * 64, 460 - (i % 3) * 12));
        flower(p, QPointF(30 + i * 64, 455 - (i % 3) * 12), 15, petals[i % 4]);
    }
    p.save();
    p.translate(256, 240);
    auto wing = [&](bool left) {
        const double s = left ? -1 : 1;
        QPainterPath upper;
        upper.moveTo(0, -10);
        upper.cubicTo(s * 60, -190, s * 250, -200, s * 230, -60);
        upper.cubicTo(s * 220, 0, s * 100, 20, 0, 10);
        QPainterPath lower;
        lower.moveTo(0, 10);
        lower.cubicTo(s * 160, 10, s * 200, 120, s * 150, 170);
        lower.cubicTo(s * 100, 210, s * 20, 150, 0, 30);
        QLinearGradient ug(QPointF(0, 0), QPointF(s * 230, -120));
        ug.setColorAt(0, QColor(120, 40, 200));
        ug.setColorAt(1, QColor(40, 160, 250));
        p.setPen(ink(7));
        p.setBrush(ug);
        p.drawPath(upper);
        QLinearGradient lg(QPointF(0, 0), QPointF(s * 150, 170));
        lg.setColorAt(0, QColor(250, 120, 20));
        lg.setColorAt(1, QColor(255, 220, 60));
        p.setBrush(lg);
        p.drawPath(lower);
        p.setPen(ink(4));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(s * 170, -90), 22, 22);
        p.drawEllipse(QPointF(s * 190, -40), 12, 12);
        p.setBrush(QColor(250, 230, 60));
        p.drawEllipse(QPointF(s * 100, -80), 30, 24);
        p.setBrush(QColor(220, 30, 60));
        p.drawEllipse(QPointF(s * 110, 100), 24, 24);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(s * 110, 100), 9, 9);
    };
    wing(true);
    wing(false);
    // Body and antennae.
    p.setPen(ink(5));
    p.setBrush(QColor(50, 40, 40));
    p.drawRoundedRect(QRectF(-14, -60, 28, 200), 14, 14);
    p.drawEllipse(QPointF(0, -76), 20, 20);
    p.setBrush(Qt::NoBrush);
    p.setPen(ink(5));
    QPainterPath ant;
    ant.moveTo(-6, -90);
    ant.quadTo(-30, -170, -70, -170);
    ant.moveTo(6, -90);
    ant.quadTo(30, -170, 70, -170);
    p.drawPath(ant);
    p.setBrush(QColor(50, 40, 40));
    p.drawEllipse(QPointF(-72, -170), 9, 9);
    p.drawEllipse(QPointF(72, -170), 9, 9);
    p.restore();
}

void windmill(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 300), {{0, QColor(60, 140, 230)}, {1, QColor(255, 235, 190)}});
    cloud(p, 20, 70, 0.8);
    cloud(p, 330, 200, 0.6);
    // Tulip fields in stripes running to the horizon.
    const QColor rows[] = {QColor(230, 30, 50), QColor(250, 210, 30), QColor(240, 110, 180),
                           QColor(150, 60, 200), QColor(250, 130, 30), QColor(240, 240, 250)};
    const double vanishX = 180, horizon = 300;
    for (int i = 0; i < 12; ++i) {
        const double x0 = -400 + i * 110.0, x1 = x0 + 110;
        p.setPen(Qt::NoPen);
        p.setBrush(i % 2 ? QColor(60, 150, 60) : rows[(i / 2) % 6]);
        const double t0 = vanishX + (x0 - vanishX) * 0.02, t1 = vanishX + (x1 - vanishX) * 0.02;
        p.drawPath(polygon({{t0, horizon}, {t1, horizon}, {x1, 512}, {x0, 512}}));
    }
    p.setPen(ink(4, QColor(40, 100, 40)));
    p.drawLine(QPointF(0, horizon), QPointF(512, horizon));
    // A village and a second mill on the horizon, and birds, so the open sky has landmarks.
    p.setPen(ink(3));
    const QColor roofs[] = {QColor(200, 60, 40), QColor(60, 90, 160), QColor(220, 140, 40)};
    for (int i = 0; i < 4; ++i) {
        const double x = 20 + i * 42;
        p.setBrush(QColor(240, 230, 210));
        p.drawRect(QRectF(x, horizon - 26, 34, 26));
        p.setBrush(roofs[i % 3]);
        p.drawPath(polygon({{x - 4, horizon - 24}, {x + 17, horizon - 46}, {x + 38, horizon - 24}}));
    }
    p.setBrush(QColor(90, 60, 50));
    p.drawPath(polygon({{200, horizon}, {208, horizon - 60}, {226, horizon - 60}, {234, horizon}}));
    p.setPen(ink(5, QColor(90, 60, 50)));
    p.drawLine(QPointF(187, horizon - 88), QPointF(247, horizon - 32));
    p.drawLine(QPointF(247, horizon - 88), QPointF(187, horizon - 32));
    p.setPen(ink(5));
    p.setBrush(Qt::NoBrush);
    for (const QPointF g : {QPointF(120, 170), QPointF(170, 140), QPointF(230, 190)}) {
        QPainterPath w;
        w.moveTo(g.x() - 18, g.y() - 6);
        w.quadTo(g.x() - 8, g.y() - 12, g.x(), g.y());
        w.quadTo(g.x() + 8, g.y() - 12, g.x() + 18, g.y() - 6);
        p.drawPath(w);
    }
    sun(p, QPointF(200, 60), 30, 10);
    // Tulip heads along the nearest stripes.
    for (int i = 0; i < 9; ++i) {
        const double x = 10 + i * 60;
        p.setPen(ink(3));
        p.setBrush(rows[i % 6]);
        p.drawPath(polygon({{x - 12, 478}, {x - 12, 496}, {x + 12, 496}, {x + 12, 478}, {x + 6, 488}, {x, 476}, {x - 6, 488}}));
    }
    // Mill body.
    p.setPen(ink(6));
    QLinearGradient tg(QPointF(300, 0), QPointF(420, 0));
    tg.setColorAt(0, QColor(170, 80, 60));
    tg.setColorAt(1, QColor(110, 45, 35));
    p.setBrush(tg);
    p.drawPath(polygon({{290, 420}, {320, 170}, {400, 170}, {430, 420}}));
    p.setBrush(QColor(60, 50, 50));
    p.drawPath(polygon({{310, 172}, {360, 110}, {410, 172}}));
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(QRectF(345, 240, 30, 36));
    p.setBrush(QColor(60, 120, 60));
    p.drawRoundedRect(QRectF(340, 350, 40, 70), 18, 18);
    p.setBrush(QColor(230, 230, 220));
    p.drawRect(QRectF(280, 300, 160, 14));
    // Sails.
    p.save();
    p.translate(360, 170);
    p.rotate(22);
    for (int k = 0; k < 4; ++k) {
        p.save();
        p.rotate(k * 90);
        p.setPen(ink(5));
        p.setBrush(QColor(120, 70, 40));
        p.drawRect(QRectF(-5, 0, 10, 190));
        p.setBrush(QColor(250, 245, 230));
        p.drawRect(QRectF(6, 30, 46, 160));
        p.setPen(ink(3, QColor(120, 70, 40)));
        for (int j = 1; j < 5; ++j) p.drawLine(QPointF(6, 30 + j * 32), QPointF(52, 30 + j * 32));
        p.drawLine(QPointF(29, 30), QPointF(29, 190));
        p.restore();
    }
    p.setPen(ink(5));
    p.setBrush(QColor(240, 200, 50));
    p.drawEllipse(QPointF(0, 0), 16, 16);
    p.restore();
}

void clockFace(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Sunburst behind the clock.
    const QPointF c(256, 256);
    for (int i = 0; i < 24; ++i) {
        const double a0 = 2 * kPi * i / 24, a1 = 2 * kPi * (i + 1) / 24;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv((i * 15) % 360, i % 2 ? 120 : 200, 240));
        p.drawPath(polygon({c, {c.x() + std::cos(a0) * 500, c.y() + std::sin(a0) * 500}, {c.x() + std::cos(a1) * 500, c.y() + std::sin(a1) * 500}}));
    }
    // Rim.
    QConicalGradient rim(c, 90);
    rim.setColorAt(0, QColor(220, 40, 50));
    rim.setColorAt(0.33, QColor(250, 180, 30));
    rim.setColorAt(0.66, QColor(40, 110, 220));
    rim.setColorAt(1, QColor(220, 40, 50));
    p.setPen(ink(7));
    p.setBrush(rim);
    p.drawEllipse(c, 236, 236);
    QRadialGradient face(QPointF(220, 210), 260);
    face.setColorAt(0, QColor(255, 255, 250));
    face.setColorAt(1, QColor(240, 230, 200));
    p.setBrush(face);
    p.drawEllipse(c, 200, 200);
    // Minute ticks.
    for (int i = 0; i < 60; ++i) {
        const double a = 2 * kPi * i / 60;
        const double r0 = i % 5 ? 186 : 170;
        p.setPen(ink(i % 5 ? 3 : 8));
        p.drawLine(QPointF(c.x() + std::sin(a) * r0, c.y() - std::cos(a) * r0),
                   QPointF(c.x() + std::sin(a) * 194, c.y() - std::cos(a) * 194));
    }
    // Numbers.
    QFont font("Liberation Sans");
    font.setPixelSize(46);
    font.setBold(true);
    p.setFont(font);
    for (int h = 1; h <= 12; ++h) {
        const double a = 2 * kPi * h / 12;
        const QPointF at(c.x() + std::sin(a) * 138, c.y() - std::cos(a) * 138);
        p.setPen(QColor::fromHsv((h * 30) % 360, 230, 170));
        p.drawText(QRectF(at.x() - 40, at.y() - 30, 80, 60), Qt::AlignCenter, QString::number(h));
    }
    // Hands at ten past ten.
    auto hand = [&](double minutes, double length, double width, QColor colour) {
        const double a = 2 * kPi * minutes / 60;
        p.setPen(ink(width + 4));
        p.drawLine(c, QPointF(c.x() + std::sin(a) * length, c.y() - std::cos(a) * length));
        p.setPen(ink(width, colour));
        p.drawLine(c, QPointF(c.x() + std::sin(a) * length, c.y() - std::cos(a) * length));
    };
    hand(50.8, 100, 16, QColor(40, 40, 60));
    hand(10, 160, 10, QColor(40, 40, 60));
    hand(33, 175, 4, QColor(220, 30, 40));
    p.setPen(ink(4));
    p.setBrush(QColor(250, 200, 40));
    p.drawEllipse(c, 16, 16);
    // Bells on top, like an alarm clock.
    p.setPen(ink(6));
    p.setBrush(QColor(250, 200, 40));
    p.drawChord(QRectF(40, 10, 120, 120), 30 * 16, 180 * 16);
    p.drawChord(QRectF(352, 10, 120, 120), -30 * 16, 180 * 16);
}

void snowman(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(10, 20, 70)}, {0.7, QColor(70, 60, 150)}, {1, QColor(120, 100, 180)}});
    stars(p, 3, 60, QRectF(0, 0, 512, 300));
    // Moon.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 190));
    p.drawEllipse(QPointF(430, 80), 46, 46);
    p.setBrush(QColor(18, 28, 80));
    p.drawEllipse(QPointF(452, 66), 40, 40);
    // Snowy hills.
    p.setPen(ink(4, QColor(150, 170, 220)));
    QLinearGradient sg(QPointF(0, 350), QPointF(0, 512));
    sg.setColorAt(0, QColor(240, 245, 255));
    sg.setColorAt(1, QColor(190, 210, 240));
    p.setBrush(sg);
    QPainterPath hills;
    hills.moveTo(0, 380);
    hills.quadTo(150, 320, 300, 390);
    hills.quadTo(420, 350, 512, 370);
    hills.lineTo(512, 512);
    hills.lineTo(0, 512);
    hills.closeSubpath();
    p.drawPath(hills);
    // Pine trees on the left.
    for (const auto& [x, y, s] : {std::tuple{60.0, 380.0, 1.0}, std::tuple{130.0, 360.0, 0.7}}) {
        p.setPen(ink(4));
        p.setBrush(QColor(100, 60, 30));
        p.drawRect(QRectF(x - 8 * s, y - 10, 16 * s, 40 * s));
        for (int k = 0; k < 3; ++k) {
            const double top = y - 60 * s - k * 45 * s;
            p.setBrush(QColor(20, 110, 60));
            p.drawPath(polygon({{x - (60 - k * 12) * s, top + 60 * s}, {x, top - 10 * s}, {x + (60 - k * 12) * s, top + 60 * s}}));
            p.setPen(ink(5, QColor(255, 255, 255)));
            p.drawLine(QPointF(x - 14 * s, top + 8 * s), QPointF(x + 14 * s, top + 8 * s));
            p.setPen(ink(4));
        }
    }
    // House with a lit window on the right hill.
    p.setPen(ink(4));
    p.setBrush(QColor(150, 70, 60));
    p.drawRect(QRectF(420, 300, 70, 60));
    p.setBrush(QColor(250, 250, 255));
    p.drawPath(polygon({{410, 305}, {455, 265}, {500, 305}}));
    p.setBrush(QColor(255, 220, 90));
    p.drawRect(QRectF(438, 318, 24, 22));
    // Snowman.
    auto ball = [&](QPointF c, double r) {
        QRadialGradient g(QPointF(c.x() - r * 0.3, c.y() - r * 0.3), r * 1.3);
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(1, QColor(170, 190, 230));
        p.setPen(ink(6));
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    };
    // Arms.
    p.setPen(ink(8, QColor(110, 70, 40)));
    p.drawLine(QPointF(200, 300), QPointF(110, 240));
    p.drawLine(QPointF(130, 254), QPointF(112, 220));
    p.drawLine(QPointF(312, 300), QPointF(400, 230));
    p.drawLine(QPointF(380, 246), QPointF(410, 262));
    ball(QPointF(256, 420), 100);
    ball(QPointF(256, 285), 72);
    ball(QPointF(256, 175), 56);
    // Buttons.
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (const double y : {270.0, 305.0, 390.0, 430.0}) p.drawEllipse(QPointF(256, y), 8, 8);
    // Face.
    p.drawEllipse(QPointF(236, 162), 8, 8);
    p.drawEllipse(QPointF(276, 162), 8, 8);
    for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(232 + i * 12, 200 + (i == 0 || i == 4 ? -4 : 0)), 4, 4);
    p.setPen(ink(3));
    p.setBrush(QColor(255, 130, 20));
    p.drawPath(polygon({{256, 172}, {312, 184}, {256, 186}}));
    // Scarf.
    p.setPen(ink(5));
    p.setBrush(QColor(220, 30, 50));
    p.drawRoundedRect(QRectF(196, 218, 120, 28), 12, 12);
    p.drawPath(polygon({{280, 236}, {310, 236}, {318, 310}, {290, 306}}));
    p.setPen(ink(5, QColor(255, 255, 255)));
    p.drawLine(QPointF(225, 222), QPointF(225, 242));
    p.drawLine(QPointF(255, 222), QPointF(255, 242));
    p.drawLine(QPointF(292, 270), QPointF(314, 272));
    // Hat.
    p.setPen(ink(5));
    p.setBrush(QColor(30, 30, 40));
    p.drawRect(QRectF(196, 118, 120, 14));
    p.drawRect(QRectF(216, 50, 80, 72));
    p.setBrush(QColor(40, 160, 80));
    p.drawRect(QRectF(216, 100, 80, 14));
    // Snowflakes.
    Scatter rnd(5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    for (int i = 0; i < 40; ++i) {
        const double y = rnd.range(0, 512);
        p.drawEllipse(QPointF(rnd.range(0, 512), y), 4, 4);
    }
}

void parrot(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(120, 220, 200)}, {1, QColor(20, 110, 90)}});
    // Jungle leaves around the edges, each a different green.
    auto leaf = [&](QPointF base, double angle, double len, QColor colour) {
        p.save();
        p.translate(base);
        p.rotate(angle);
        QPainterPath l;
        l.moveTo(0, 0);
        l.quadTo(len * 0.5, -len * 0.28, len, 0);
        l.quadTo(len * 0.5, len * 0.28, 0, 0);
        p.setPen(ink(4, QColor(10, 60, 30)));
        p.setBrush(colour);
        p.drawPath(l);
        p.drawLine(QPointF(0, 0), QPointF(len * 0.9, 0));
        p.restore();
    };
    leaf(QPointF(0, 40), 20, 200, QColor(60, 170, 60));
    leaf(QPointF(0, 200), -10, 170, QColor(90, 200, 80));
    leaf(QPointF(0, 420), -40, 190, QColor(40, 140, 70));
    leaf(QPointF(512, 80), 160, 190, QColor(110, 190, 50));
    leaf(QPointF(512, 300), 200, 170, QColor(50, 160, 100));
    leaf(QPointF(512, 470), 215, 200, QColor(80, 180, 60));
    flower(p, QPointF(90, 300), 26, QColor(250, 60, 120));
    flower(p, QPointF(440, 210), 22, QColor(255, 140, 30));
    // Vines hanging from the top.
    for (const auto& [x, len] : {std::pair{300.0, 120.0}, std::pair{350.0, 70.0}, std::pair{400.0, 150.0}}) {
        p.setPen(ink(6, QColor(60, 110, 40)));
        p.drawLine(QPointF(x, 0), QPointF(x, len));
        p.setPen(ink(3, QColor(20, 60, 20)));
        p.setBrush(QColor(120, 200, 60));
        for (double y = 20; y < len; y += 30) p.drawEllipse(QPointF(x + (int(y) % 60 ? 10 : -10), y), 11, 7);
    }
    // Undergrowth along the bottom: ferns and flowers of many colours.
    const QColor blooms[] = {QColor(250, 220, 40), QColor(250, 90, 170), QColor(120, 80, 230),
                             QColor(255, 255, 255), QColor(255, 120, 40), QColor(80, 200, 250)};
    for (int i = 0; i < 6; ++i) {
        const double x = 20 + i * 90;
        p.setPen(ink(4, QColor(20, 70, 30)));
        p.setBrush(QColor(30 + i * 12, 120 + i * 10, 50));
        p.drawPath(polygon({{x - 30, 512}, {x - 6, 440.0 - (i % 3) * 12}, {x + 30, 512}}));
        flower(p, QPointF(x + 10, 470 - (i % 2) * 16), 15, blooms[i]);
    }
    // Branch.
    p.setPen(ink(6));
    p.setBrush(QColor(130, 80, 40));
    p.drawPath(polygon({{0, 380}, {512, 320}, {512, 350}, {0, 412}}));
    // Tail feathers hanging below the branch.
    p.setPen(ink(5));
    p.setBrush(QColor(220, 30, 40));
    p.drawPath(polygon({{236, 350}, {200, 512}, {240, 512}, {262, 350}}));
    p.setBrush(QColor(40, 100, 220));
    p.drawPath(polygon({{262, 350}, {250, 512}, {290, 512}, {284, 350}}));
    // Body.
    QRadialGradient bg(QPointF(230, 220), 150);
    bg.setColorAt(0, QColor(255, 90, 70));
    bg.setColorAt(1, QColor(200, 20, 30));
    p.setBrush(bg);
    p.drawEllipse(QPointF(256, 250), 85, 125);
    // Wing: yellow, green and blue bands.
    QPainterPath wing;
    wing.moveTo(290, 180);
    wing.cubicTo(370, 210, 360, 330, 300, 380);
    wing.cubicTo(280, 320, 270, 240, 290, 180);
    p.save();
    p.setClipPath(wing);
    p.fillRect(QRectF(250, 150, 150, 80), QColor(255, 210, 30));
    p.fillRect(QRectF(250, 230, 150, 60), QColor(60, 180, 70));
    p.fillRect(QRectF(250, 290, 150, 100), QColor(40, 100, 220));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.drawPath(wing);
    // Head with the white face patch, eye and hooked beak.
    p.setBrush(QColor(220, 30, 40));
    p.drawEllipse(QPointF(240, 130), 62, 58);
    p.setBrush(QColor(250, 245, 235));
    p.drawEllipse(QPointF(222, 130), 30, 26);
    p.setBrush(QColor(255, 230, 80));
    p.drawEllipse(QPointF(222, 126), 12, 12);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(222, 126), 6, 6);
    QPainterPath beak;
    beak.moveTo(192, 120);
    beak.cubicTo(150, 110, 140, 160, 168, 180);
    beak.cubicTo(170, 160, 180, 150, 196, 150);
    beak.closeSubpath();
    p.setBrush(QColor(50, 45, 50));
    p.drawPath(beak);
    // Feet on the branch.
    p.setPen(ink(8, QColor(70, 60, 60)));
    p.drawLine(QPointF(230, 368), QPointF(226, 392));
    p.drawLine(QPointF(276, 364), QPointF(280, 388));
}

void pumpkin(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(30, 10, 60)}, {0.7, QColor(110, 40, 120)}, {1, QColor(60, 30, 50)}});
    stars(p, 13, 50, QRectF(0, 0, 512, 260));
    // Spider web in the top left corner, with its spider.
    p.setPen(ink(3, QColor(220, 220, 235)));
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k <= 5; ++k) {
        const double a = kPi / 2 * k / 5;
        p.drawLine(QPointF(0, 0), QPointF(std::cos(a) * 190, std::sin(a) * 190));
    }
    for (int ring = 1; ring <= 4; ++ring) {
        QPainterPath web;
        for (int k = 0; k <= 5; ++k) {
            const double a = kPi / 2 * k / 5;
            const QPointF pt(std::cos(a) * ring * 42, std::sin(a) * ring * 42);
            if (k == 0) web.moveTo(pt); else web.lineTo(pt);
        }
        p.drawPath(web);
    }
    p.drawLine(QPointF(120, 90), QPointF(120, 150));
    p.setPen(ink(3));
    p.setBrush(QColor(20, 15, 25));
    p.drawEllipse(QPointF(120, 160), 12, 14);
    // Big twinkling stars.
    const QPointF bigStars[] = {{230, 40}, {290, 140}, {180, 230}, {470, 240}};
    for (const QPointF c : bigStars) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double a = kPi * i / 5 - kPi / 2;
            const double r = i % 2 ? 8 : 20;
            const QPointF pt(c.x() + std::cos(a) * r, c.y() + std::sin(a) * r);
            if (i == 0) star.moveTo(pt); else star.lineTo(pt);
        }
        star.closeSubpath();
        p.setPen(ink(2, QColor(200, 150, 20)));
        p.setBrush(QColor(255, 230, 90));
        p.drawPath(star);
    }
    // Moon with bats.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 180));
    p.drawEllipse(QPointF(400, 100), 70, 70);
    p.setBrush(QColor(230, 210, 150));
    p.drawEllipse(QPointF(380, 80), 12, 12);
    p.drawEllipse(QPointF(420, 125), 9, 9);
    auto bat = [&](QPointF c, double s) {
        p.setPen(ink(2));
        p.setBrush(QColor(20, 15, 25));
        QPainterPath b;
        b.moveTo(c.x(), c.y());
        b.quadTo(c.x() - 14 * s, c.y() - 16 * s, c.x() - 34 * s, c.y() - 6 * s);
        b.quadTo(c.x() - 24 * s, c.y() + 2 * s, c.x() - 20 * s, c.y() + 10 * s);
        b.quadTo(c.x() - 10 * s, c.y() + 2 * s, c.x(), c.y() + 8 * s);
        b.quadTo(c.x() + 10 * s, c.y() + 2 * s, c.x() + 20 * s, c.y() + 10 * s);
        b.quadTo(c.x() + 24 * s, c.y() + 2 * s, c.x() + 34 * s, c.y() - 6 * s);
        b.quadTo(c.x() + 14 * s, c.y() - 16 * s, c.x(), c.y());
        p.drawPath(b);
    };
    bat(QPointF(330, 60), 1.0);
    bat(QPointF(460, 190), 0.8);
    bat(QPointF(150, 120), 1.2);
    // Little ghost.
    p.setPen(ink(4));
    p.setBrush(QColor(245, 245, 255));
    QPainterPath ghost;
    ghost.moveTo(40, 260);
    ghost.lineTo(40, 200);
    ghost.arcTo(QRectF(40, 160, 80, 80), 180, -180);
    ghost.lineTo(120, 260);
    ghost.lineTo(107, 248);
    ghost.lineTo(93, 260);
    ghost.lineTo(80, 248);
    ghost.lineTo(67, 260);
    ghost.lineTo(53, 248);
    ghost.closeSubpath();
    p.drawPath(ghost);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(66, 200), 6, 8);
    p.drawEllipse(QPointF(94, 200), 6, 8);
    // Ground.
    p.setPen(ink(4, QColor(20, 50, 20)));
    p.setBrush(QColor(50, 90, 40));
    QPainterPath ground;
    ground.moveTo(0, 430);
    ground.quadTo(256, 390, 512, 440);
    ground.lineTo(512, 512);
    ground.lineTo(0, 512);
    ground.closeSubpath();
    p.drawPath(ground);
    // Pumpkin: ribbed body, stem, glowing face.
    p.setPen(ink(6, QColor(120, 50, 0)));
    const QColor ribs[] = {QColor(230, 110, 10), QColor(250, 140, 30), QColor(240, 125, 20)};
    const double xs[] = {150, 362, 200, 312, 256};
    const double ws[] = {110, 110, 110, 110, 100};
    for (int i = 0; i < 5; ++i) {
        QRadialGradient g(QPointF(xs[i] - 20, 300), 160);
        g.setColorAt(0, ribs[i % 3].lighter(120));
        g.setColorAt(1, ribs[i % 3].darker(130));
        p.setBrush(g);
        p.drawEllipse(QPointF(xs[i], 330), ws[i], 130);
    }
    p.setPen(ink(5));
    p.setBrush(QColor(60, 120, 40));
    p.drawPath(polygon({{240, 210}, {236, 160}, {262, 150}, {272, 210}}));
    QRadialGradient glow(QPointF(256, 330), 140);
    glow.setColorAt(0, QColor(255, 255, 180));
    glow.setColorAt(1, QColor(255, 180, 20));
    p.setPen(ink(5, QColor(90, 30, 0)));
    p.setBrush(glow);
    p.drawPath(polygon({{170, 300}, {200, 250}, {230, 300}}));
    p.drawPath(polygon({{282, 300}, {312, 250}, {342, 300}}));
    p.drawPath(polygon({{240, 340}, {256, 310}, {272, 340}}));
    p.drawPath(polygon({{160, 360}, {200, 372}, {222, 360}, {244, 385}, {268, 360}, {290, 385}, {312, 360}, {352, 360},
                        {330, 420}, {290, 412}, {268, 432}, {244, 412}, {222, 432}, {190, 412}}));
    // Sweets in the grass.
    const QColor candy[] = {QColor(250, 60, 80), QColor(80, 200, 250), QColor(250, 230, 60), QColor(140, 230, 90)};
    for (int i = 0; i < 6; ++i) {
        const QPointF c(40 + i * 86, 480 + (i % 2) * 10);
        p.setPen(ink(3));
        p.setBrush(candy[i % 4]);
        p.drawPath(polygon({{c.x() - 22, c.y() - 10}, {c.x() - 12, c.y()}, {c.x() - 22, c.y() + 10}}));
        p.drawPath(polygon({{c.x() + 22, c.y() - 10}, {c.x() + 12, c.y()}, {c.x() + 22, c.y() + 10}}));
        p.drawEllipse(c, 13, 11);
    }
}

void sundae(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Pastel sunburst, each ray its own hue, so the background differs all around.
    for (int i = 0; i < 40; ++i) {
        const double a0 = 2 * kPi * i / 40, a1 = 2 * kPi * (i + 1) / 40;
        const QPointF c(256, 200);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv(i * 9, i % 2 ? 60 : 130, 255));
        p.drawPath(polygon({c, {c.x() + std::cos(a0) * 600, c.y() + std::sin(a0) * 600},
                            {c.x() + std::cos(a1) * 600, c.y() + std::sin(a1) * 600}}));
    }
    // Table.
    p.fillRect(QRectF(0, 430, 512, 82), QColor(150, 90, 50));
    p.setPen(ink(4, QColor(90, 50, 20)));
    p.drawLine(QPointF(0, 430), QPointF(512, 430));
    for (int x = 40; x < 512; x += 120) p.drawLine(QPointF(x, 445), QPointF(x + 60, 445));
    // A spoon, a napkin and spare cherries on the table.
    p.setPen(ink(4));
    p.setBrush(QColor(210, 215, 225));
    p.drawEllipse(QPointF(40, 478), 26, 14);
    p.drawRoundedRect(QRectF(62, 472, 100, 12), 6, 6);
    p.setBrush(QColor(120, 200, 250));
    p.drawPath(polygon({{400, 500}, {430, 452}, {500, 460}, {480, 506}}));
    p.setBrush(QColor(210, 20, 40));
    p.drawEllipse(QPointF(196, 486), 12, 12);
    p.drawEllipse(QPointF(224, 492), 12, 12);
    // Glass.
    p.setPen(ink(6, QColor(90, 120, 160)));
    p.setBrush(QColor(220, 240, 255, 200));
    QPainterPath glass;
    glass.moveTo(120, 250);
    glass.lineTo(392, 250);
    glass.quadTo(380, 360, 286, 380);
    glass.lineTo(276, 420);
    glass.lineTo(340, 440);
    glass.lineTo(172, 440);
    glass.lineTo(236, 420);
    glass.lineTo(226, 380);
    glass.quadTo(132, 360, 120, 250);
    p.drawPath(glass);
    // Sauce in the glass.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 80));
    p.drawPath(polygon({{135, 300}, {377, 300}, {350, 350}, {162, 350}}));
    // Scoops.
    auto scoop = [&](QPointF c, double r, QColor colour) {
        p.setPen(ink(5));
        QRadialGradient g(QPointF(c.x() - r * 0.3, c.y() - r * 0.4), r * 1.2);
        g.setColorAt(0, colour.lighter(130));
        g.setColorAt(1, colour);
        p.setBrush(g);
        p.drawEllipse(c, r, r * 0.85);
    };
    scoop(QPointF(180, 240), 70, QColor(250, 150, 190));
    scoop(QPointF(332, 240), 70, QColor(140, 85, 50));
    scoop(QPointF(256, 170), 74, QColor(255, 240, 200));
    // Whipped cream swirl and cherry.
    p.setPen(ink(5));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(256, 110), 56, 26);
    p.drawEllipse(QPointF(256, 88), 40, 20);
    p.drawEllipse(QPointF(256, 70), 24, 14);
    p.setPen(ink(5));
    p.setBrush(Qt::NoBrush);
    QPainterPath stalk;
    stalk.moveTo(256, 44);
    stalk.quadTo(270, 10, 300, 6);
    p.drawPath(stalk);
    QRadialGradient cg(QPointF(248, 40), 26);
    cg.setColorAt(0, QColor(255, 120, 120));
    cg.setColorAt(1, QColor(200, 0, 20));
    p.setBrush(cg);
    p.drawEllipse(QPointF(256, 48), 22, 20);
    // Wafer and straw.
    p.setBrush(QColor(240, 200, 120));
    p.drawPath(polygon({{360, 200}, {450, 60}, {470, 74}, {384, 214}}));
    p.setPen(ink(2, QColor(180, 130, 60)));
    for (int i = 1; i < 6; ++i) p.drawLine(QPointF(360 + i * 16, 200 - i * 25), QPointF(384 + i * 16, 214 - i * 25));
    p.setPen(ink(5));
    p.setBrush(QColor(80, 180, 250));
    p.drawPath(polygon({{150, 200}, {70, 40}, {86, 32}, {166, 192}}));
    // Sprinkles on the scoops.
    Scatter rnd(17);
    const QColor sprinkle[] = {QColor(255, 60, 60), QColor(60, 200, 255), QColor(255, 220, 40), QColor(120, 220, 90)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 36; ++i) {
        p.setBrush(sprinkle[i % 4]);
        const double cy = rnd.range(140, 280);
        const QPointF c(rnd.range(130, 390), cy);
        p.drawRoundedRect(QRectF(c.x(), c.y(), 10, 4), 2, 2);
    }
}

void volcano(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 330), {{0, QColor(250, 120, 60)}, {0.6, QColor(255, 200, 120)}, {1, QColor(255, 235, 190)}});
    sun(p, QPointF(440, 60), 36, 10);
    cloud(p, 330, 140, 0.55, QColor(255, 245, 235));
    cloud(p, -10, 230, 0.6, QColor(255, 245, 235));
    p.setPen(ink(4));
    p.setBrush(Qt::NoBrush);
    for (const QPointF g : {QPointF(470, 210), QPointF(440, 240), QPointF(60, 170)}) {
        QPainterPath w;
        w.moveTo(g.x() - 16, g.y() - 6);
        w.quadTo(g.x() - 7, g.y() - 12, g.x(), g.y());
        w.quadTo(g.x() + 7, g.y() - 12, g.x() + 16, g.y() - 6);
        p.drawPath(w);
    }
    // Smoke plume.
    p.setPen(ink(4, QColor(90, 80, 90)));
    const QPointF puffs[] = {{250, 120}, {220, 80}, {180, 50}, {120, 40}, {60, 60}};
    for (int i = 0; i < 5; ++i) {
        p.setBrush(QColor(140 - i * 8, 130 - i * 8, 140 - i * 8));
        p.drawEllipse(puffs[i], 40 + i * 6, 30 + i * 4);
    }
    // Sea.
    verticalGradient(p, QRectF(0, 330, 512, 182), {{0, QColor(40, 160, 200)}, {1, QColor(10, 60, 130)}});
    p.setPen(ink(4, QColor(220, 245, 255)));
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 4; ++row) {
        for (double x = (row % 2) * 40; x < 512; x += 110) {
            QPainterPath w;
            const double y = 400 + row * 30;
            w.moveTo(x, y);
            w.quadTo(x + 20, y - 10, x + 40, y);
            p.drawPath(w);
        }
    }
    // Mountain with lava.
    p.setPen(ink(6));
    QLinearGradient mg(QPointF(0, 150), QPointF(0, 360));
    mg.setColorAt(0, QColor(110, 70, 60));
    mg.setColorAt(1, QColor(70, 50, 45));
    p.setBrush(mg);
    p.drawPath(polygon({{60, 360}, {210, 160}, {300, 160}, {460, 360}}));
    p.setPen(ink(4, QColor(200, 40, 0)));
    QLinearGradient lava(QPointF(0, 160), QPointF(0, 330));
    lava.setColorAt(0, QColor(255, 240, 80));
    lava.setColorAt(1, QColor(240, 60, 10));
    p.setBrush(lava);
    p.drawPath(polygon({{215, 162}, {295, 162}, {282, 200}, {300, 260}, {276, 230}, {262, 320}, {246, 230}, {220, 280}, {230, 200}}));
    p.setBrush(QColor(255, 200, 40));
    p.drawEllipse(QPointF(200, 130), 10, 14);
    p.drawEllipse(QPointF(300, 110), 8, 12);
    p.drawEllipse(QPointF(260, 90), 9, 13);
    // Green slopes and beach.
    p.setPen(ink(5));
    p.setBrush(QColor(70, 160, 70));
    p.drawPath(polygon({{40, 372}, {120, 300}, {180, 320}, {230, 360}, {300, 350}, {380, 300}, {480, 372}}));
    p.setBrush(QColor(245, 220, 150));
    p.drawEllipse(QPointF(256, 380), 230, 22);
    // Palm trees.
    auto palm = [&](double x, double lean) {
        p.setPen(ink(10, QColor(120, 80, 40)));
        QPainterPath trunk;
        trunk.moveTo(x, 382);
        trunk.quadTo(x + lean * 0.3, 330, x + lean, 300);
        p.setBrush(Qt::NoBrush);
        p.drawPath(trunk);
        p.setPen(ink(4, QColor(20, 80, 30)));
        p.setBrush(QColor(40, 160, 60));
        for (int k = 0; k < 5; ++k) {
            const double a = kPi * (1.1 + k * 0.2);
            const QPointF top(x + lean, 300);
            const QPointF tip(top.x() + std::cos(a) * 60, top.y() + std::sin(a) * 40 + 20);
            p.drawPath(polygon({top, QPointF((top.x() + tip.x()) / 2, (top.y() + tip.y()) / 2 - 14), tip,
                                QPointF((top.x() + tip.x()) / 2, (top.y() + tip.y()) / 2 + 4)}));
        }
    };
    palm(80, -20);
    palm(430, 24);
    // A little boat.
    p.setPen(ink(4));
    p.setBrush(QColor(230, 60, 50));
    p.drawPath(polygon({{330, 460}, {420, 460}, {405, 482}, {345, 482}}));
    p.setBrush(Qt::white);
    p.drawPath(polygon({{372, 456}, {372, 404}, {410, 456}}));
}

void submarine(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512), {{0, QColor(40, 170, 210)}, {1, QColor(10, 40, 90)}});
    // Sea bed with rocks and a chest.
    p.setPen(ink(4, QColor(120, 90, 50)));
    p.setBrush(QColor(210, 180, 120));
    QPainterPath bed;
    bed.moveTo(0, 450);
    bed.quadTo(256, 420, 512, 460);
    bed.lineTo(512, 512);
    bed.lineTo(0, 512);
    bed.closeSubpath();
    p.drawPath(bed);
    p.setPen(ink(4));
    p.setBrush(QColor(110, 110, 130));
    p.drawEllipse(QPointF(420, 455), 50, 30);
    p.drawEllipse(QPointF(470, 470), 36, 24);
    p.setBrush(QColor(150, 90, 40));
    p.drawRect(QRectF(300, 440, 70, 44));
    p.setBrush(QColor(120, 70, 30));
    p.drawChord(QRectF(300, 420, 70, 40), 0, 180 * 16);
    p.setBrush(QColor(250, 210, 40));
    p.drawRect(QRectF(328, 446, 14, 14));
    // Seaweed of different greens rising from the bed.
    p.setBrush(Qt::NoBrush);
    const QColor weeds[] = {QColor(40, 160, 70), QColor(90, 190, 60), QColor(30, 120, 90)};
    const double weedX[] = {200, 265, 390};
    for (int k = 0; k < 3; ++k) {
        p.setPen(ink(12, weeds[k]));
        QPainterPath w;
        w.moveTo(weedX[k], 450);
        w.cubicTo(weedX[k] - 30, 410, weedX[k] + 30, 380, weedX[k] - 5 + k * 5, 330 + k * 10);
        p.drawPath(w);
    }
    // Starfish.
    QPainterPath starfish;
    for (int i = 0; i < 10; ++i) {
        const double a = kPi * i / 5 - kPi / 2;
        const double r = i % 2 ? 9 : 24;
        const QPointF pt(235 + std::cos(a) * r, 470 + std::sin(a) * r);
        if (i == 0) starfish.moveTo(pt); else starfish.lineTo(pt);
    }
    starfish.closeSubpath();
    p.setPen(ink(3));
    p.setBrush(QColor(250, 110, 60));
    p.drawPath(starfish);
    // An anchor on its chain at the right.
    p.setPen(ink(4, QColor(60, 60, 70)));
    p.setBrush(Qt::NoBrush);
    for (double y = 230; y < 330; y += 16) p.drawEllipse(QPointF(478, y), 5, 8);
    p.setPen(ink(8, QColor(70, 70, 85)));
    p.drawLine(QPointF(478, 330), QPointF(478, 410));
    p.drawLine(QPointF(460, 350), QPointF(496, 350));
    p.drawArc(QRectF(446, 370, 64, 50), 180 * 16, 180 * 16);
    // Octopus in the lower left.
    p.setPen(ink(5));
    p.setBrush(QColor(170, 80, 200));
    for (int k = 0; k < 5; ++k) {
        QPainterPath arm;
        const double x = 50 + k * 22;
        arm.moveTo(x, 400);
        arm.cubicTo(x - 20, 440, x + 20, 460, x - 6 + (k % 2) * 12, 490);
        QPen armPen = ink(14, QColor(170, 80, 200));
        p.setPen(armPen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(arm);
    }
    p.setPen(ink(5));
    p.setBrush(QColor(190, 100, 220));
    p.drawEllipse(QPointF(95, 370), 62, 50);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(75, 365), 12, 14);
    p.drawEllipse(QPointF(115, 365), 12, 14);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(77, 368), 5, 6);
    p.drawEllipse(QPointF(117, 368), 5, 6);
    // Jellyfish in the upper right.
    p.setPen(ink(4));
    p.setBrush(QColor(255, 150, 200, 220));
    p.drawChord(QRectF(380, 40, 100, 80), 0, 180 * 16);
    p.setPen(ink(4, QColor(255, 150, 200)));
    for (int k = 0; k < 4; ++k) {
        QPainterPath t;
        const double x = 395 + k * 23;
        t.moveTo(x, 80);
        t.cubicTo(x - 10, 110, x + 10, 130, x, 160);
        p.setBrush(Qt::NoBrush);
        p.drawPath(t);
    }
    // Submarine.
    p.setPen(ink(6));
    p.setBrush(QColor(90, 90, 100));
    p.drawRect(QRectF(250, 110, 14, 60));
    p.drawRect(QRectF(250, 110, 44, 14));
    QLinearGradient hull(QPointF(0, 180), QPointF(0, 330));
    hull.setColorAt(0, QColor(255, 240, 100));
    hull.setColorAt(0.5, QColor(250, 200, 30));
    hull.setColorAt(1, QColor(200, 140, 10));
    p.setBrush(hull);
    p.drawRoundedRect(QRectF(200, 160, 110, 50), 16, 16);
    p.drawEllipse(QPointF(250, 260), 180, 75);
    p.setBrush(QColor(230, 80, 40));
    p.drawPath(polygon({{70, 260}, {30, 210}, {30, 310}}));
    p.setBrush(QColor(200, 200, 210));
    p.drawEllipse(QPointF(28, 260), 10, 40);
    for (const double x : {170.0, 250.0, 330.0}) {
        p.setBrush(QColor(200, 200, 210));
        p.drawEllipse(QPointF(x, 255), 26, 26);
        QRadialGradient gl(QPointF(x - 6, 249), 22);
        gl.setColorAt(0, QColor(220, 250, 255));
        gl.setColorAt(1, QColor(40, 130, 200));
        p.setBrush(gl);
        p.drawEllipse(QPointF(x, 255), 17, 17);
    }
    p.setPen(ink(5, QColor(200, 60, 30)));
    p.drawLine(QPointF(110, 300), QPointF(390, 300));
    // Bubbles rising from the propeller and a school of fish.
    p.setPen(ink(3, QColor(230, 250, 255)));
    p.setBrush(QColor(255, 255, 255, 60));
    for (const QPointF b : {QPointF(40, 180), QPointF(60, 140), QPointF(45, 100), QPointF(70, 60), QPointF(420, 200),
                            QPointF(470, 240), QPointF(490, 205), QPointF(465, 175), QPointF(480, 140)})
        p.drawEllipse(b, 10, 10);
    for (int i = 0; i < 5; ++i) {
        const QPointF f(160 + (i % 3) * 50, 50 + (i / 3) * 40 + (i % 2) * 10);
        p.setPen(ink(3));
        p.setBrush(QColor(250, 120, 30));
        p.drawPath(polygon({{f.x() + 16, f.y()}, {f.x() + 32, f.y() - 10}, {f.x() + 32, f.y() + 10}}));
        p.drawEllipse(f, 20, 11);
    }
}


// --- the master pack: a 7 x 7 board cuts these into 49 tiles, so every part of each picture
// carries features of its own; scattered details come from fixed seeds.

// A smooth, irregular closed outline around c (islands, bushes).
QPainterPath blob(QPointF c, double rx, double ry, uint32_t seed, int points = 14, double wobble = 0.22) {
    Scatter rnd(seed);
    std::vector<QPointF> pts;
    for (int i = 0; i < points; ++i) {
        const double a = 2 * kPi * i / points;
        const double k = 1 + rnd.range(-wobble, wobble);
        pts.emplace_back(c.x() + std::cos(a) * rx * k, c.y() + std::sin(a) * ry * k);
    }
    QPainterPath path;
    path.moveTo((pts.back() + pts.front()) / 2);
    for (size_t i = 0; i < pts.size(); ++i) path.quadTo(pts[i], (pts[i] + pts[(i + 1) % pts.size()]) / 2);
    path.closeSubpath();
    return path;
}

void palm(QPainter& p, QPointF foot, double h, double lean) {
    const QPointF top(foot.x() + lean, foot.y() - h);
    p.setPen(ink(7, QColor(110, 70, 30)));
    QPainterPath trunk;
    trunk.moveTo(foot);
    trunk.quadTo(QPointF(foot.x() + lean * 0.2, foot.y() - h * 0.6), top);
    p.setBrush(Qt::NoBrush);
    p.drawPath(trunk);
    p.setPen(ink(3, QColor(20, 70, 20)));
    p.setBrush(QColor(60, 160, 60));
    for (int i = 0; i < 5; ++i) {
        const double a = kPi * (1.05 + 0.225 * i);
        const QPointF tip(top.x() + std::cos(a) * h * 0.55, top.y() + std::sin(a) * h * 0.3 + h * 0.12);
        QPainterPath frond;
        frond.moveTo(top);
        frond.quadTo(QPointF((top.x() + tip.x()) / 2, top.y() - h * 0.15), tip);
        frond.quadTo(QPointF((top.x() + tip.x()) / 2, top.y() - h * 0.02), top);
        p.drawPath(frond);
    }
}

void treasureMap(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient parchment(QPointF(256, 256), 370);
    parchment.setColorAt(0, QColor(250, 234, 196));
    parchment.setColorAt(0.65, QColor(235, 204, 150));
    parchment.setColorAt(1, QColor(160, 110, 60));
    p.fillRect(img.rect(), parchment);
    // The sea, with wave marks scattered over it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 185, 190, 150));
    p.drawRect(QRectF(30, 30, 452, 452));
    Scatter waves(41);
    p.setPen(ink(3, QColor(40, 110, 130)));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 70; ++i) {
        const double wy = waves.range(40, 470);
        const QPointF w(waves.range(40, 470), wy);
        QPainterPath m;
        m.moveTo(w);
        m.quadTo(w + QPointF(6, -7), w + QPointF(12, 0));
        m.quadTo(w + QPointF(18, 7), w + QPointF(24, 0));
        p.drawPath(m);
    }
    // Rhumb lines from the compass rose.
    const QPointF rose(410, 410);
    p.setPen(QPen(QColor(120, 70, 40, 120), 2));
    for (int i = 0; i < 16; ++i) {
        const double a = 2 * kPi * i / 16;
        p.drawLine(rose, rose + QPointF(std::cos(a) * 600, std::sin(a) * 600));
    }
    // Islands: sand, forest, hills.
    auto island = [&](QPointF c, double rx, double ry, uint32_t seed) {
        p.setPen(ink(10, QColor(150, 200, 200)));  // surf
        p.setBrush(Qt::NoBrush);
        p.drawPath(blob(c, rx + 4, ry + 4, seed));
        p.setPen(ink(4, QColor(110, 70, 30)));
        p.setBrush(QColor(236, 206, 130));
        p.drawPath(blob(c, rx, ry, seed));
        p.setPen(ink(3, QColor(40, 90, 30)));
        p.setBrush(QColor(110, 165, 75));
        p.drawPath(blob(c + QPointF(rx * 0.05, -ry * 0.05), rx * 0.68, ry * 0.6, seed + 1));
    };
    island(QPointF(250, 290), 150, 105, 7);
    island(QPointF(115, 120), 75, 55, 3);
    island(QPointF(85, 445), 50, 32, 19);
    // Hills and a smoking peak on the big island.
    p.setPen(ink(4, QColor(70, 50, 30)));
    for (const auto& [x, y, h] : {std::tuple{190.0, 280.0, 60.0}, std::tuple{235.0, 265.0, 80.0}, std::tuple{285.0, 285.0, 55.0}}) {
        p.setBrush(QColor(150, 120, 90));
        p.drawPath(polygon({{x - h * 0.7, y}, {x, y - h}, {x + h * 0.7, y}}));
        p.setBrush(QColor(250, 250, 245));
        p.drawPath(polygon({{x - h * 0.22, y - h * 0.69}, {x, y - h}, {x + h * 0.22, y - h * 0.69}}));
    }
    // Forest of little trees.
    Scatter trees(5);
    for (int i = 0; i < 14; ++i) {
        const double ty = trees.range(300, 350);
        const QPointF t(trees.range(150, 340), ty);
        p.setPen(ink(3, QColor(20, 60, 20)));
        p.setBrush(QColor(40, 120 + int(trees.range(0, 60)), 40));
        p.drawPath(polygon({{t.x() - 10, t.y()}, {t.x(), t.y() - 24}, {t.x() + 10, t.y()}}));
    }
    palm(p, QPointF(110, 130), 60, 18);
    palm(p, QPointF(140, 150), 44, -14);
    palm(p, QPointF(80, 450), 36, 10);
    palm(p, QPointF(350, 340), 50, 16);
    // A river and a hut.
    p.setPen(ink(5, QColor(60, 130, 190)));
    p.setBrush(Qt::NoBrush);
    QPainterPath river;
    river.moveTo(235, 270);
    river.cubicTo(250, 310, 210, 330, 220, 385);
    p.drawPath(river);
    p.setPen(ink(3));
    p.setBrush(QColor(170, 110, 60));
    p.drawRect(QRectF(300, 240, 26, 20));
    p.setBrush(QColor(200, 160, 80));
    p.drawPath(polygon({{294, 242}, {313, 222}, {332, 242}}));
    // The path to the treasure, and the cross that marks it.
    p.setPen(QPen(QColor(190, 30, 30), 5, Qt::DashLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath trail;
    trail.moveTo(395, 150);
    trail.cubicTo(360, 210, 420, 250, 380, 300);
    trail.cubicTo(350, 330, 320, 300, 300, 330);
    p.drawPath(trail);
    p.setPen(ink(9, QColor(190, 20, 20)));
    p.drawLine(QPointF(282, 318), QPointF(306, 342));
    p.drawLine(QPointF(306, 318), QPointF(282, 342));
    // A ship under sail.
    p.save();
    p.translate(410, 110);
    p.setPen(ink(4));
    p.setBrush(QColor(130, 70, 30));
    p.drawPath(polygon({{-50, 0}, {50, 0}, {36, 22}, {-38, 22}}));
    p.drawLine(QPointF(-10, 0), QPointF(-10, -70));
    p.drawLine(QPointF(22, 0), QPointF(22, -55));
    p.setBrush(QColor(250, 245, 230));
    p.drawPath(polygon({{-10, -66}, {-10, -8}, {-44, -8}}));
    p.drawPath(polygon({{22, -52}, {22, -8}, {48, -8}}));
    p.setBrush(QColor(30, 30, 30));
    p.drawPath(polygon({{-10, -70}, {8, -64}, {-10, -58}}));
    p.restore();
    // A sea serpent.
    p.setPen(ink(4, QColor(20, 70, 40)));
    p.setBrush(QColor(70, 170, 90));
    for (const double x : {430.0, 462.0}) p.drawChord(QRectF(x - 15, 240, 30, 36), 0, 180 * 16);
    p.drawEllipse(QPointF(400, 246), 16, 12);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(394, 242), 4, 4);
    p.setPen(ink(3, QColor(200, 40, 40)));
    p.drawLine(QPointF(384, 250), QPointF(372, 254));
    // Compass rose.
    p.setPen(ink(3, QColor(90, 50, 20)));
    p.setBrush(QColor(250, 240, 210));
    p.drawEllipse(rose, 52, 52);
    for (int i = 0; i < 8; ++i) {
        const double a = kPi / 4 * i - kPi / 2;
        const double len = i % 2 ? 34 : 58;
        const QPointF tip = rose + QPointF(std::cos(a) * len, std::sin(a) * len);
        const QPointF l = rose + QPointF(std::cos(a - kPi / 2) * 9, std::sin(a - kPi / 2) * 9);
        const QPointF r = rose + QPointF(std::cos(a + kPi / 2) * 9, std::sin(a + kPi / 2) * 9);
        p.setBrush(i == 0 ? QColor(200, 30, 30) : i % 2 ? QColor(200, 160, 80) : QColor(60, 60, 90));
        p.drawPath(polygon({l, tip, r}));
    }
    QFont f("Arial");
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(90, 40, 20));
    p.drawText(QRectF(rose.x() - 12, rose.y() - 92, 24, 26), Qt::AlignCenter, "N");
    // Frame.
    p.setBrush(Qt::NoBrush);
    p.setPen(ink(6, QColor(100, 60, 30)));
    p.drawRect(QRectF(16, 16, 480, 480));
    p.setPen(ink(2, QColor(100, 60, 30)));
    p.drawRect(QRectF(28, 28, 456, 456));
    // Title scroll.
    p.setPen(ink(4, QColor(100, 60, 30)));
    p.setBrush(QColor(250, 238, 205));
    p.drawRoundedRect(QRectF(190, 38, 150, 34), 10, 10);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(QColor(120, 30, 20));
    p.drawText(QRectF(190, 38, 150, 34), Qt::AlignCenter, "Skull Isle");
}

void peacock(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 512),
                     {{0, QColor(255, 236, 180)}, {0.55, QColor(170, 220, 160)}, {1, QColor(60, 130, 70)}});
    // The fanned tail: rings of feathers, the long ones behind, each with its eye.
    const QPointF base(256, 420);
    auto feather = [&](double angle, double len, double eye, QColor vane) {
        const QPointF dir(std::cos(angle), std::sin(angle));
        const QPointF tip = base + dir * len;
        p.setPen(ink(2.5, QColor(120, 140, 40)));
        p.drawLine(base + dir * 40, tip);
        p.save();
        p.translate(tip);
        p.rotate(angle * 180 / kPi);
        p.setPen(ink(2, QColor(30, 90, 40)));
        p.setBrush(vane);
        p.drawEllipse(QPointF(-eye * 0.6, 0), eye * 1.9, eye * 1.25);
        const std::pair<double, QColor> rings[] = {{1.0, QColor(230, 190, 50)}, {0.74, QColor(40, 170, 170)},
                                                   {0.5, QColor(30, 70, 170)}, {0.26, QColor(15, 20, 60)}};
        for (const auto& [k, c] : rings) {
            p.setBrush(c);
            p.drawEllipse(QPointF(0, 0), eye * k * 1.15, eye * k * 0.95);
        }
        p.restore();
    };
    // Each ring of its own green, bronze outside to teal within, so a tile tells its ring.
    const std::tuple<double, int, double, QColor> rows[] = {{430, 21, 26, QColor(175, 185, 60)},
                                                            {340, 17, 23, QColor(110, 180, 60)},
                                                            {255, 13, 20, QColor(50, 160, 90)},
                                                            {170, 9, 16, QColor(40, 140, 140)}};
    for (const auto& [len, count, eye, vane] : rows) {
        for (int i = 0; i < count; ++i) {
            const double a = kPi * (1.0 + (i + 0.5) / count);
            feather(a, len + (i % 2) * 12, eye, vane);
        }
    }
    // Ground: grass, flowers and stones.
    p.setPen(ink(4, QColor(30, 80, 30)));
    p.setBrush(QColor(90, 170, 60));
    p.drawPath(polygon({{0, 512}, {0, 470}, {120, 455}, {256, 465}, {400, 452}, {512, 468}, {512, 512}}));
    flower(p, QPointF(40, 485), 14, QColor(250, 90, 140));
    flower(p, QPointF(140, 492), 12, QColor(255, 255, 255));
    flower(p, QPointF(380, 490), 13, QColor(140, 90, 230));
    flower(p, QPointF(470, 484), 15, QColor(255, 150, 40));
    // Body and legs.
    p.setPen(ink(6, QColor(110, 100, 90)));
    p.drawLine(QPointF(240, 440), QPointF(232, 490));
    p.drawLine(QPointF(272, 440), QPointF(282, 490));
    p.setPen(ink(5));
    QRadialGradient body(QPointF(246, 400), 70);
    body.setColorAt(0, QColor(60, 140, 230));
    body.setColorAt(1, QColor(20, 60, 150));
    p.setBrush(body);
    QPainterPath neck;
    neck.moveTo(226, 395);
    neck.cubicTo(220, 340, 262, 320, 246, 270);
    neck.lineTo(280, 268);
    neck.cubicTo(292, 320, 262, 350, 276, 392);
    neck.closeSubpath();
    p.drawPath(neck);
    p.drawEllipse(QPointF(256, 410), 52, 42);
    // Head, crest, eye and beak.
    p.setBrush(QColor(40, 100, 220));
    p.drawEllipse(QPointF(264, 258), 24, 22);
    p.setPen(ink(2.5, QColor(30, 50, 100)));
    for (int i = -2; i <= 2; ++i) {
        const QPointF tip(264 + i * 9, 206 - std::abs(i) * 5);
        p.drawLine(QPointF(264, 238), tip);
        p.setBrush(QColor(40, 140, 220));
        p.drawEllipse(tip, 5, 5);
    }
    p.setPen(ink(3));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(272, 254), 8, 6);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(273, 254), 3, 3);
    p.setBrush(QColor(200, 190, 170));
    p.drawPath(polygon({{284, 258}, {304, 264}, {284, 268}}));
}

// Night over a city by the river: fireworks, lit windows, and all of it mirrored in the water.
void fireworks(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 400),
                     {{0, QColor(8, 8, 36)}, {0.6, QColor(50, 24, 90)}, {1, QColor(150, 60, 110)}});
    stars(p, 77, 70, QRectF(0, 0, 512, 300));
    struct Burst {
        QPointF c;
        double r;
        QColor colour, inner;
        int rays;
    };
    const Burst bursts[] = {
        {{100, 95}, 82, QColor(255, 70, 80), QColor(255, 220, 120), 18},
        {{290, 70}, 68, QColor(255, 210, 60), QColor(255, 255, 255), 16},
        {{440, 140}, 74, QColor(80, 240, 120), QColor(220, 255, 120), 20},
        {{200, 215}, 56, QColor(90, 220, 255), QColor(255, 255, 255), 14},
        {{365, 250}, 50, QColor(240, 90, 240), QColor(255, 200, 255), 12},
        {{40, 250}, 46, QColor(255, 150, 40), QColor(255, 240, 160), 12},
        {{480, 30}, 40, QColor(160, 170, 255), QColor(255, 255, 255), 10},
    };
    auto burst = [&](const Burst& b, double ySign, double y0, double alpha) {
        const QPointF c(b.c.x(), y0 + ySign * (b.c.y() - y0));
        QRadialGradient glow(c, b.r * 1.1);
        QColor g = b.colour;
        g.setAlpha(int(90 * alpha));
        glow.setColorAt(0, g);
        glow.setColorAt(1, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, b.r * 1.1, b.r * 1.1);
        QColor ray = b.colour;
        ray.setAlphaF(alpha);
        QColor inner = b.inner;
        inner.setAlphaF(alpha);
        for (int i = 0; i < b.rays; ++i) {
            const double a = 2 * kPi * (i + 0.3 * (b.rays % 3)) / b.rays;
            const QPointF d(std::cos(a), std::sin(a) * ySign);
            p.setPen(ink(3, ray));
            p.drawLine(c + d * b.r * 0.3, c + d * b.r * 0.88);
            p.setPen(Qt::NoPen);
            p.setBrush(ray);
            p.drawEllipse(c + d * b.r, 4.5, 4.5);
            p.setBrush(inner);
            const double a2 = a + kPi / b.rays;
            p.drawEllipse(c + QPointF(std::cos(a2), std::sin(a2) * ySign) * b.r * 0.55, 3, 3);
        }
    };
    for (const Burst& b : bursts) burst(b, 1, 0, 1.0);
    // Rocket trails still climbing.
    p.setPen(ink(2.5, QColor(255, 230, 180, 200)));
    for (const auto& [x, top] : {std::pair{150.0, 300.0}, std::pair{330.0, 170.0}, std::pair{470.0, 260.0}}) {
        QPainterPath trail;
        trail.moveTo(x, 330);
        trail.cubicTo(x - 8, 300, x + 8, top + 30, x, top);
        p.setBrush(Qt::NoBrush);
        p.drawPath(trail);
    }
    // The water first, so the skyline stands on its edge.
    verticalGradient(p, QRectF(0, 392, 512, 120), {{0, QColor(40, 30, 80)}, {1, QColor(5, 10, 30)}});
    p.save();
    p.setClipRect(QRectF(0, 400, 512, 112));
    for (const Burst& b : bursts) burst(b, -0.45, 400, 0.45);
    p.restore();
    // The skyline: buildings of many shapes with lit windows.
    Scatter rnd(23);
    double x = -10;
    int n = 0;
    while (x < 512) {
        const double w = rnd.range(34, 70), h = rnd.range(50, 150);
        const int blue = 55 + int(rnd.range(0, 40)), green = 25 + int(rnd.range(0, 25));
        const QColor wall(30 + int(rnd.range(0, 40)), green, blue);
        p.setPen(ink(3, QColor(10, 10, 20)));
        p.setBrush(wall);
        const double top = 398 - h;
        if (n % 5 == 2) {
            p.drawRect(QRectF(x, top, w, h));
            p.drawChord(QRectF(x + 4, top - w / 2 + 4, w - 8, w - 8), 0, 180 * 16);  // dome
        } else if (n % 5 == 4) {
            p.drawRect(QRectF(x, top, w, h));
            p.drawPath(polygon({{x + w / 2 - 6, top}, {x + w / 2, top - 50}, {x + w / 2 + 6, top}}));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 40, 40));
            p.drawEllipse(QPointF(x + w / 2, top - 50), 4, 4);
        } else {
            p.drawRect(QRectF(x, top, w, h));
        }
        p.setPen(Qt::NoPen);
        for (double wy = top + 8; wy < 388; wy += 15) {
            for (double wx = x + 6; wx < x + w - 10; wx += 12) {
                if (rnd.next() < 0.45) continue;
                p.setBrush(rnd.next() < 0.8 ? QColor(255, 220, 110) : QColor(140, 220, 255));
                p.drawRect(QRectF(wx, wy, 6, 8));
            }
        }
        x += w - 2;
        ++n;
    }
    // Clock tower in the middle.
    p.setPen(ink(3, QColor(10, 10, 20)));
    p.setBrush(QColor(70, 50, 60));
    p.drawRect(QRectF(236, 200, 44, 198));
    p.drawPath(polygon({{230, 200}, {258, 150}, {286, 200}}));
    p.setBrush(QColor(255, 240, 190));
    p.drawEllipse(QPointF(258, 228), 15, 15);
    p.setPen(ink(2.5, kInk));
    p.drawLine(QPointF(258, 228), QPointF(258, 217));
    p.drawLine(QPointF(258, 228), QPointF(266, 230));
    // Embankment with lamps, and the lights of the windows in the water.
    p.setPen(ink(3, QColor(10, 10, 20)));
    p.setBrush(QColor(80, 70, 90));
    p.drawRect(QRectF(-5, 396, 522, 10));
    for (double lx = 20; lx < 512; lx += 86) {
        p.setPen(ink(3, QColor(20, 20, 30)));
        p.drawLine(QPointF(lx, 396), QPointF(lx, 372));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 240, 170));
        p.drawEllipse(QPointF(lx, 370), 5, 5);
    }
    Scatter ripples(91);
    for (int i = 0; i < 90; ++i) {
        const double rx = ripples.range(0, 512), ry = ripples.range(412, 505);
        const QColor c = i % 3 ? QColor(255, 215, 110, 200) : QColor(150, 200, 255, 160);
        p.setPen(ink(2.5, c));
        p.drawLine(QPointF(rx, ry), QPointF(rx + ripples.range(8, 26), ry));
    }
    // A little boat with a lantern.
    p.setPen(ink(3, QColor(10, 10, 20)));
    p.setBrush(QColor(150, 80, 40));
    p.drawPath(polygon({{300, 470}, {380, 470}, {368, 488}, {312, 488}}));
    p.drawLine(QPointF(340, 470), QPointF(340, 440));
    p.setBrush(QColor(255, 200, 80));
    p.drawEllipse(QPointF(340, 438), 6, 6);
}

void bookshelf(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(QPointF(0, 0), QPointF(512, 0));
    back.setColorAt(0, QColor(70, 38, 22));
    back.setColorAt(0.5, QColor(105, 60, 32));
    back.setColorAt(1, QColor(70, 38, 22));
    p.fillRect(img.rect(), back);
    const QColor covers[] = {QColor(200, 40, 40),  QColor(40, 90, 190),  QColor(40, 150, 80),
                             QColor(230, 180, 40), QColor(120, 60, 160), QColor(240, 120, 40),
                             QColor(30, 40, 60),   QColor(230, 220, 200), QColor(60, 170, 190),
                             QColor(170, 30, 90)};
    Scatter rnd(57);
    auto book = [&](double x, double bottom, double w, double h, bool flat = false) {
        const QColor c = covers[int(rnd.range(0, 10)) % 10];
        p.setPen(ink(2.5));
        p.setBrush(c);
        p.drawRect(QRectF(x, bottom - h, w, h));
        const QColor band = c.lightness() > 160 ? QColor(120, 30, 30) : QColor(240, 200, 90);
        p.setPen(ink(2.5, band));
        const int style = flat ? 4 : int(rnd.range(0, 4));
        if (flat) {
            p.drawLine(QPointF(x + w - 8, bottom - h + 3), QPointF(x + w - 8, bottom - 3));
        } else if (style != 3) {
            p.drawLine(QPointF(x + 3, bottom - h + 8), QPointF(x + w - 3, bottom - h + 8));
            p.drawLine(QPointF(x + 3, bottom - 8), QPointF(x + w - 3, bottom - 8));
        }
        if (style == 1 && w > 16) {
            p.setPen(Qt::NoPen);
            p.setBrush(band);
            p.drawRect(QRectF(x + 4, bottom - h * 0.65, w - 8, h * 0.22));
        } else if (style == 2) {
            p.setPen(Qt::NoPen);
            p.setBrush(band);
            p.drawEllipse(QPointF(x + w / 2, bottom - h / 2), w / 4, w / 4);
        }
    };
    // Five shelves; each row of books is broken by one or two things that are not books.
    for (int shelf = 0; shelf < 5; ++shelf) {
        const double top = 14 + shelf * 100, bottom = top + 86;
        double x = 18;
        while (x < 490) {
            if (shelf == 0 && x > 70 && x < 110) {  // a potted plant
                p.setPen(ink(3));
                p.setBrush(QColor(200, 100, 60));
                p.drawPath(polygon({{x, bottom - 34}, {x + 44, bottom - 34}, {x + 38, bottom}, {x + 6, bottom}}));
                p.setPen(ink(2.5, QColor(20, 70, 30)));
                p.setBrush(QColor(60, 170, 70));
                for (int i = 0; i < 5; ++i)
                    p.drawEllipse(QPointF(x + 8 + i * 7, bottom - 46 - (i % 2) * 18), 9, 16);
                x += 52;
                continue;
            }
            if (shelf == 1 && x > 300 && x < 340) {  // a globe
                p.setPen(ink(3));
                p.setBrush(QColor(140, 90, 40));
                p.drawRect(QRectF(x + 14, bottom - 8, 36, 8));
                p.drawLine(QPointF(x + 32, bottom - 8), QPointF(x + 32, bottom - 16));
                p.setBrush(QColor(70, 150, 220));
                p.drawEllipse(QPointF(x + 32, bottom - 44), 28, 28);
                p.setBrush(QColor(90, 180, 80));
                p.drawPath(blob(QPointF(x + 24, bottom - 52), 11, 14, 8, 8));
                p.drawPath(blob(QPointF(x + 44, bottom - 34), 8, 9, 9, 8));
                x += 66;
                continue;
            }
            if (shelf == 2 && x > 180 && x < 220) {  // a ship in a bottle
                p.setPen(ink(3, QColor(30, 80, 60)));
                p.setBrush(QColor(170, 230, 210, 170));
                p.drawRoundedRect(QRectF(x, bottom - 36, 84, 36), 14, 14);
                p.drawRect(QRectF(x + 84, bottom - 24, 16, 12));
                p.setPen(ink(2));
                p.setBrush(QColor(130, 70, 30));
                p.drawPath(polygon({{x + 18, bottom - 12}, {x + 66, bottom - 12}, {x + 58, bottom - 4}, {x + 24, bottom - 4}}));
                p.setBrush(Qt::white);
                p.drawPath(polygon({{x + 40, bottom - 34}, {x + 40, bottom - 14}, {x + 22, bottom - 14}}));
                p.drawPath(polygon({{x + 46, bottom - 30}, {x + 46, bottom - 14}, {x + 62, bottom - 14}}));
                x += 108;
                continue;
            }
            if (shelf == 3 && x > 380 && x < 420) {  // a candle
                p.setPen(ink(3));
                p.setBrush(QColor(200, 170, 60));
                p.drawEllipse(QPointF(x + 20, bottom - 5), 20, 5);
                p.setBrush(QColor(250, 245, 225));
                p.drawRect(QRectF(x + 12, bottom - 52, 16, 46));
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(255, 200, 60));
                p.drawEllipse(QPointF(x + 20, bottom - 62), 6, 10);
                p.setBrush(QColor(255, 250, 200));
                p.drawEllipse(QPointF(x + 20, bottom - 60), 3, 5);
                x += 46;
                continue;
            }
            if (shelf == 4 && x > 120 && x < 160) {  // the cat asleep on the bottom shelf
                p.setPen(ink(3));
                p.setBrush(QColor(240, 150, 60));
                p.drawEllipse(QPointF(x + 50, bottom - 22), 50, 22);
                p.drawEllipse(QPointF(x + 12, bottom - 30), 20, 18);
                p.drawPath(polygon({{x - 2, bottom - 40}, {x + 2, bottom - 58}, {x + 12, bottom - 46}}));
                p.drawPath(polygon({{x + 14, bottom - 46}, {x + 24, bottom - 58}, {x + 28, bottom - 40}}));
                p.setPen(ink(2.5));
                p.drawLine(QPointF(x + 4, bottom - 30), QPointF(x + 10, bottom - 28));
                p.drawLine(QPointF(x + 16, bottom - 28), QPointF(x + 22, bottom - 30));
                p.setPen(ink(3, QColor(190, 100, 30)));
                for (int s = 0; s < 3; ++s) p.drawLine(QPointF(x + 40 + s * 16, bottom - 42), QPointF(x + 46 + s * 16, bottom - 28));
                x += 104;
                continue;
            }
            if (rnd.next() < 0.12 && x < 440) {  // a stack lying flat
                double y = bottom;
                const double w = rnd.range(44, 60);
                for (int i = 0; i < 4; ++i) {
                    const double h = rnd.range(9, 14);
                    book(x + rnd.range(-3, 3), y, w, h, true);
                    y -= h;
                }
                x += w + 4;
                continue;
            }
            const double w = rnd.range(13, 30);
            if (x + w > 494) break;
            book(x, bottom, w, rnd.range(52, 82));
            x += w;
        }
        // The shelf board under the row.
        p.setPen(ink(3, QColor(50, 25, 10)));
        p.setBrush(QColor(150, 92, 48));
        p.drawRect(QRectF(-4, bottom, 520, 14));
    }
    // Sides of the case.
    p.setBrush(QColor(140, 84, 42));
    p.drawRect(QRectF(-4, -4, 18, 520));
    p.drawRect(QRectF(498, -4, 18, 520));
    p.drawRect(QRectF(-4, -4, 520, 18));
}

// A market stall: striped awning, and crates of fruit and vegetables with their prices.
void market(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(235, 215, 180));
    // Cobbles.
    Scatter cob(31);
    p.setPen(ink(2.5, QColor(90, 80, 70)));
    for (double y = 468; y < 512; y += 16)
        for (double x = -10 + (int(y) % 32 ? 12 : 0); x < 512; x += 26) {
            const int green = 140 + int(cob.range(0, 40));
            p.setBrush(QColor(150 + int(cob.range(0, 50)), green, 130));
            p.drawRoundedRect(QRectF(x, y, 24, 14), 5, 5);
        }
    // Awning with a scalloped edge.
    for (int i = 0; i < 15; ++i) {
        const QColor c = i % 2 ? QColor(250, 248, 240) : QColor(210, 40, 50);
        p.setPen(ink(3, QColor(90, 20, 20)));
        p.setBrush(c);
        p.drawPath(polygon({{i * 36.0 - 4, 0}, {i * 36.0 + 32, 0}, {i * 36.0 + 32, 86}, {i * 36.0 - 4, 86}}));
        p.drawChord(QRectF(i * 36.0 - 4, 68, 36, 36), 180 * 16, 180 * 16);
    }
    // Sign.
    p.setPen(ink(4));
    p.setBrush(QColor(40, 90, 50));
    p.drawRoundedRect(QRectF(120, 110, 272, 44), 8, 8);
    QFont f("Arial");
    f.setPixelSize(28);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 240, 200));
    p.drawText(QRectF(120, 110, 272, 44), Qt::AlignCenter, "FRESH FRUIT");
    // Strings of garlic and chillies hanging at the sides of the sign.
    p.setPen(ink(2.5, QColor(120, 90, 50)));
    p.drawLine(QPointF(60, 86), QPointF(60, 168));
    p.drawLine(QPointF(452, 86), QPointF(452, 168));
    for (int i = 0; i < 5; ++i) {
        p.setPen(ink(2.5));
        p.setBrush(QColor(245, 240, 225));
        p.drawEllipse(QPointF(60 + (i % 2 ? 8 : -8), 104 + i * 15), 10, 9);
        p.setBrush(QColor(220, 30, 20));
        p.drawEllipse(QPointF(452 + (i % 2 ? 7 : -7), 104 + i * 15), 5, 11);
    }

    enum Fruit { Apple, Orange, Lemon, Grape, Pear, Tomato, Plum, Carrot, Lime };
    auto item = [&](Fruit kind, QPointF c, Scatter& rnd) {
        p.setPen(ink(2.5));
        switch (kind) {
        case Apple:
            p.setBrush(rnd.next() < 0.7 ? QColor(215, 30, 40) : QColor(150, 200, 60));
            p.drawEllipse(c, 13, 12);
            p.setPen(ink(2.5, QColor(80, 50, 20)));
            p.drawLine(c + QPointF(0, -10), c + QPointF(2, -16));
            break;
        case Orange:
            p.setBrush(QColor(250, 140, 20));
            p.drawEllipse(c, 14, 14);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 200, 120));
            p.drawEllipse(c + QPointF(-5, -5), 3, 3);
            break;
        case Lemon:
            p.setBrush(QColor(250, 225, 50));
            p.drawEllipse(c, 15, 11);
            break;
        case Lime:
            p.setBrush(QColor(110, 190, 50));
            p.drawEllipse(c, 11, 10);
            break;
        case Grape:
            p.setBrush(QColor(110, 40, 120));
            for (int i = 0; i < 6; ++i) p.drawEllipse(c + QPointF((i % 3 - 1) * 8 + (i / 3) * 4, (i / 3) * 8), 6, 6);
            break;
        case Pear:
            p.setBrush(QColor(200, 210, 70));
            p.drawEllipse(c + QPointF(0, 4), 12, 11);
            p.drawEllipse(c + QPointF(0, -8), 7, 8);
            break;
        case Tomato:
            p.setBrush(QColor(235, 50, 30));
            p.drawEllipse(c, 13, 11);
            p.setPen(ink(2.5, QColor(30, 110, 30)));
            p.drawLine(c + QPointF(-5, -10), c + QPointF(5, -10));
            break;
        case Plum:
            p.setBrush(QColor(90, 40, 110));
            p.drawEllipse(c, 11, 12);
            break;
        case Carrot:
            p.setBrush(QColor(245, 120, 20));
            p.drawPath(polygon({c + QPointF(-22, -5), c + QPointF(22, 0), c + QPointF(-22, 5)}));
            p.setPen(ink(3, QColor(40, 140, 40)));
            p.drawLine(c + QPointF(-22, 0), c + QPointF(-32, -6));
            p.drawLine(c + QPointF(-22, 0), c + QPointF(-32, 5));
            break;
        }
    };
    struct Crate {
        QRectF r;
        Fruit kind;
        const char* price;
    };
    const Crate upper[] = {
        {{14, 250, 118, 60}, Apple, "0.90"},  {{136, 250, 118, 60}, Orange, "1.20"},
        {{258, 250, 118, 60}, Lemon, "0.75"}, {{380, 250, 118, 60}, Grape, "2.40"},
    };
    const Crate lower[] = {
        {{14, 414, 158, 52}, Carrot, "0.60"}, {{176, 414, 160, 52}, Pear, "1.10"},
        {{340, 414, 158, 52}, Tomato, "1.80"},
    };
    Scatter rnd(17);
    f.setPixelSize(15);
    p.setFont(f);
    auto crate = [&](const Crate& c) {
        // The heap: rows of fruit, narrower towards the top.
        const double step = c.kind == Carrot ? 30 : 22;
        for (int row = 0; row < 4; ++row) {
            const double inset = row * 14 + 8;
            const double y = c.r.top() - 4 - row * 16;
            for (double x = c.r.left() + inset; x < c.r.right() - inset; x += step) {
                const double dy = rnd.range(-3, 3);
                item(c.kind, QPointF(x + rnd.range(-3, 3) + 6, y + dy), rnd);
            }
        }
        // The crate: planks and a price card.
        p.setPen(ink(3, QColor(80, 45, 20)));
        p.setBrush(QColor(190, 130, 70));
        p.drawRect(c.r);
        p.drawLine(QPointF(c.r.left(), c.r.center().y()), QPointF(c.r.right(), c.r.center().y()));
        p.setBrush(QColor(250, 250, 240));
        const QRectF card(c.r.left() + 10 + rnd.range(0, c.r.width() - 70), c.r.top() + 8, 48, 24);
        p.drawRect(card);
        p.setPen(QColor(20, 20, 20));
        p.drawText(card, Qt::AlignCenter, c.price);
    };
    for (const Crate& c : upper) crate(c);
    // The table under the upper crates, with watermelons beneath it.
    p.setPen(ink(3, QColor(70, 40, 20)));
    p.setBrush(QColor(130, 80, 40));
    p.drawRect(QRectF(-4, 310, 520, 16));
    p.setBrush(QColor(110, 65, 30));
    p.drawRect(QRectF(20, 326, 16, 90));
    p.drawRect(QRectF(476, 326, 16, 90));
    for (const double x : {90.0, 190.0, 420.0}) {
        p.setPen(ink(3));
        p.setBrush(QColor(40, 130, 50));
        p.drawEllipse(QPointF(x, 352), 36, 22);
        p.setPen(ink(4, QColor(120, 200, 90)));
        p.drawLine(QPointF(x - 20, 345), QPointF(x + 20, 345));
        p.drawLine(QPointF(x - 24, 356), QPointF(x + 24, 356));
    }
    p.setPen(ink(3));
    p.setBrush(QColor(240, 70, 80));
    p.drawChord(QRectF(270, 322, 70, 64), 180 * 16, 180 * 16);
    p.setBrush(QColor(40, 20, 20));
    for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(286 + i * 12, 362 - (i % 2) * 6), 2.5, 3.5);
    for (const Crate& c : lower) crate(c);
}

// A tree house in a big old tree: ladder, swing, kite and apples among the leaves.
void treehouse(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, QRectF(0, 0, 512, 460), {{0, QColor(60, 150, 230)}, {1, QColor(200, 235, 255)}});
    cloud(p, 20, 40, 0.7);
    cloud(p, 390, 30, 0.6);
    // Kite with its tail.
    p.setPen(ink(3));
    p.setBrush(QColor(250, 200, 40));
    p.drawPath(polygon({{460, 80}, {490, 110}, {460, 150}, {432, 110}}));
    p.setBrush(QColor(230, 50, 60));
    p.drawPath(polygon({{460, 80}, {490, 110}, {460, 110}}));
    p.drawPath(polygon({{460, 110}, {460, 150}, {432, 110}}));
    p.setPen(ink(2, QColor(60, 60, 60)));
    p.setBrush(Qt::NoBrush);
    QPainterPath tail;
    tail.moveTo(460, 150);
    tail.cubicTo(440, 180, 490, 200, 470, 240);
    p.drawPath(tail);
    for (const QPointF bow : {QPointF(452, 172), QPointF(472, 196), QPointF(478, 222)}) {
        p.setPen(ink(2));
        p.setBrush(QColor(60, 120, 230));
        p.drawPath(polygon({bow + QPointF(-7, -5), bow + QPointF(7, 5), bow + QPointF(7, -5), bow + QPointF(-7, 5)}));
    }
    // Far away: clouds, birds, and blue hills with a farm and poplars.
    cloud(p, -30, 330, 0.6);
    cloud(p, 410, 300, 0.5);
    p.setPen(ink(4, QColor(40, 50, 80)));
    gulls(p, {QPointF(100, 300), QPointF(60, 250), QPointF(470, 360), QPointF(430, 250)}, 14, 6, 6);
    p.setPen(ink(3, QColor(60, 110, 90)));
    p.setBrush(QColor(140, 200, 170));
    p.drawPath(blob(QPointF(60, 440), 120, 50, 61, 10, 0.1));
    p.drawPath(blob(QPointF(470, 430), 110, 55, 62, 10, 0.1));
    p.setPen(ink(2.5, QColor(30, 60, 40)));
    for (const QPointF t : {QPointF(30, 400), QPointF(48, 394), QPointF(440, 384), QPointF(500, 392)}) {
        p.setBrush(QColor(60, 130, 70));
        p.drawEllipse(t, 7, 18);
    }
    p.setBrush(QColor(200, 60, 50));
    p.drawRect(QRectF(460, 392, 24, 18));
    p.drawPath(polygon({{456, 394}, {472, 380}, {488, 394}}));
    // Hills and grass.
    p.setPen(ink(4, QColor(30, 90, 30)));
    p.setBrush(QColor(110, 190, 80));
    p.drawEllipse(QPointF(90, 520), 200, 90);
    p.drawEllipse(QPointF(440, 520), 180, 80);
    // The trunk and branches.
    p.setPen(ink(5));
    p.setBrush(QColor(125, 80, 45));
    p.drawPath(polygon({{200, 505}, {228, 380}, {232, 250}, {282, 250}, {288, 380}, {320, 505}}));
    p.setPen(ink(16, QColor(110, 70, 40)));
    p.drawLine(QPointF(240, 300), QPointF(110, 250));
    p.drawLine(QPointF(280, 280), QPointF(410, 230));
    p.setPen(ink(3, QColor(80, 50, 25)));
    for (const double y : {420.0, 450.0, 470.0}) p.drawLine(QPointF(235, y), QPointF(250, y - 14));
    // The crown: overlapping clumps of leaves in many greens.
    Scatter rnd(12);
    const QColor greens[] = {QColor(40, 130, 50), QColor(70, 170, 60), QColor(110, 190, 60),
                             QColor(30, 100, 60), QColor(140, 200, 80)};
    for (int i = 0; i < 70; ++i) {
        const double a = rnd.range(0, 2 * kPi), d = std::sqrt(rnd.next());
        const QPointF c(256 + std::cos(a) * d * 220, 150 + std::sin(a) * d * 110);
        const double r = rnd.range(26, 44);
        p.setPen(ink(3, QColor(20, 70, 30)));
        p.setBrush(greens[i % 5]);
        p.drawPath(blob(c, r, r * 0.85, 100 + i, 9, 0.18));
    }
    // Apples and a bird house among the leaves.
    for (int i = 0; i < 16; ++i) {
        const double a = rnd.range(0, 2 * kPi), d = std::sqrt(rnd.next());
        const QPointF c(256 + std::cos(a) * d * 210, 150 + std::sin(a) * d * 100);
        p.setPen(ink(2.5));
        p.setBrush(QColor(220, 30, 40));
        p.drawEllipse(c, 9, 9);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 200, 200));
        p.drawEllipse(c + QPointF(-3, -3), 2.5, 2.5);
    }
    p.setPen(ink(3));
    p.setBrush(QColor(80, 140, 220));
    p.drawRect(QRectF(90, 120, 34, 36));
    p.setBrush(QColor(200, 60, 50));
    p.drawPath(polygon({{84, 122}, {107, 98}, {130, 122}}));
    p.setBrush(kInk);
    p.drawEllipse(QPointF(107, 136), 7, 7);
    // The house on its platform.
    p.setPen(ink(4));
    p.setBrush(QColor(150, 95, 50));
    p.drawRect(QRectF(150, 250, 220, 14));
    p.setBrush(QColor(215, 160, 90));
    p.drawRect(QRectF(180, 170, 150, 80));
    p.setPen(ink(2.5, QColor(150, 100, 50)));
    for (double y = 186; y < 250; y += 16) p.drawLine(QPointF(182, y), QPointF(328, y));
    p.setPen(ink(4));
    p.setBrush(QColor(210, 50, 45));
    p.drawPath(polygon({{166, 172}, {255, 110}, {344, 172}}));
    p.drawLine(QPointF(255, 110), QPointF(255, 70));
    p.setBrush(QColor(250, 220, 40));
    p.drawPath(polygon({{255, 70}, {290, 80}, {255, 90}}));
    p.setBrush(QColor(120, 200, 240));
    p.drawEllipse(QPointF(215, 205), 18, 18);
    p.drawLine(QPointF(197, 205), QPointF(233, 205));
    p.drawLine(QPointF(215, 187), QPointF(215, 223));
    p.setBrush(QColor(110, 60, 30));
    p.drawRoundedRect(QRectF(270, 190, 36, 60), 10, 10);
    // Railing.
    for (double x = 156; x < 370; x += 20) p.drawLine(QPointF(x, 250), QPointF(x, 236));
    p.drawLine(QPointF(152, 236), QPointF(180, 236));
    p.drawLine(QPointF(330, 236), QPointF(368, 236));
    // Rope ladder down to the grass.
    p.setPen(ink(3, QColor(150, 110, 60)));
    p.drawLine(QPointF(336, 264), QPointF(350, 470));
    p.drawLine(QPointF(362, 264), QPointF(376, 470));
    p.setPen(ink(4, QColor(120, 80, 40)));
    for (double t = 0.06; t < 1; t += 0.1)
        p.drawLine(QPointF(336 + 14 * t, 264 + 206 * t), QPointF(362 + 14 * t, 264 + 206 * t));
    // Swing on the left branch.
    p.setPen(ink(3, QColor(150, 110, 60)));
    p.drawLine(QPointF(130, 258), QPointF(120, 390));
    p.drawLine(QPointF(170, 272), QPointF(166, 390));
    p.setPen(ink(3));
    p.setBrush(QColor(230, 60, 60));
    p.drawRect(QRectF(110, 388, 66, 10));
    // Flowers, mushrooms and a ball in the grass.
    flower(p, QPointF(40, 470), 14, QColor(250, 90, 150));
    flower(p, QPointF(90, 495), 12, QColor(255, 255, 255));
    flower(p, QPointF(430, 480), 13, QColor(150, 90, 230));
    flower(p, QPointF(490, 455), 12, QColor(255, 150, 40));
    p.setPen(ink(3));
    p.setBrush(QColor(250, 245, 230));
    p.drawRect(QRectF(150, 470, 10, 16));
    p.setBrush(QColor(220, 40, 40));
    p.drawChord(QRectF(138, 456, 34, 30), 0, 180 * 16);
    p.setBrush(QColor(60, 120, 230));
    p.drawEllipse(QPointF(420, 440), 16, 16);
    p.setBrush(QColor(250, 220, 40));
    p.drawChord(QRectF(404, 424, 32, 32), 30 * 16, 120 * 16);
}

}  // namespace

const std::vector<Picture>& all() {
    static const std::vector<Picture> pictures = {
        {"lighthouse", lighthouse}, {"sailboat", sailboat}, {"balloon", balloon},
        {"cat", cat},               {"robot", robot},       {"house", house},
        {"rocket", rocket},         {"fish", fish},         {"cake", cake},
        {"train", train},           {"castle", castle},     {"seasons", seasonsTree},
        {"mandala", mandala},       {"butterfly", butterfly}, {"windmill", windmill},
        {"clock", clockFace},       {"snowman", snowman},   {"parrot", parrot},
        {"pumpkin", pumpkin},       {"sundae", sundae},     {"volcano", volcano},
        {"submarine", submarine},
        {"map", treasureMap},       {"peacock", peacock},   {"fireworks", fireworks},
        {"bookshelf", bookshelf},   {"market", market},     {"treehouse", treehouse},
    };
    return pictures;
}

QImage render(const Picture& picture) {
    QImage img(kSize, kSize, QImage::Format_RGB32);
    img.fill(Qt::white);
    picture.draw(img);
    return img;
}

QImage icon(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    drawIcon(p);
    return img;
}

void drawIcon(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 50));
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 8, 8);
    const QColor colours[] = {QColor(230, 50, 60), QColor(250, 170, 30), QColor(250, 220, 50), QColor(70, 190, 90),
                              QColor(40, 150, 230), QColor(130, 80, 220)};
    // 4 x 4 board: cell (3, 3) is empty and the tile of (2, 3) is half way into it.
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (c == 3 && r == 3) continue;
            double x = 4 + c * 14.25, y = 4 + r * 14.25;
            if (c == 2 && r == 3) x += 7;
            p.setBrush(colours[(c + r) % 6]);
            p.drawRoundedRect(QRectF(x, y, 13, 13), 2.5, 2.5);
            p.setBrush(QColor(255, 255, 255, 90));
            p.drawRoundedRect(QRectF(x + 2, y + 2, 9, 3), 1.5, 1.5);
        }
    }
    // Motion streaks behind the sliding tile.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(34.5, 50), QPointF(39.5, 50));
    p.drawLine(QPointF(33.5, 54), QPointF(39.5, 54));
    p.drawLine(QPointF(34.5, 58), QPointF(39.5, 58));
}

}  // namespace marlipan::pictures
