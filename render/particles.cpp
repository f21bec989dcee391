#include "render/particles.h"

#include <cmath>

#include "common/random.h"
#include "render/text.h"

void TSprite::Move(double width, double height) {
    X += DX;
    Y += DY;
    if (X > width) X = 0;
    if (X < 0) X = width;
    if (Y > height) Y = 0;
    if (Y < 0) Y = height;
}

namespace {
bool Covered(const QImage* cover, int x, int y) {
    if (!cover || x < 0 || y < 0 || x >= cover->width() || y >= cover->height()) return false;
    if (cover->format() == QImage::Format_ARGB32_Premultiplied || cover->format() == QImage::Format_ARGB32)
        return qAlpha(reinterpret_cast<const QRgb*>(cover->constScanLine(y))[x]) != 0;
    return qAlpha(cover->pixel(x, y)) != 0;
}
}  // namespace

void TParticle::Step(QImage& target, const ParticleColours& palette, const QImage* cover,
                     std::vector<QPoint>* dots) {
    Move(target.width(), target.height());
    --Life;
    if (Life <= 0) {
        Active = false;
        return;
    }
    // Hot at spawn, cooling through the palette in eight equal bands of its lifetime. The
    // clamp only matters for a particle set up by hand with Life above MaxLife.
    int index = int(Life / (MaxLife / 8.0));
    index = index < 0 ? 0 : index > 7 ? 7 : index;
    const QRgb colour = ColorRefRgb(palette[size_t(index)]);
    // The nearest pixel, halves to even.
    const double px = std::nearbyint(X), py = std::nearbyint(Y);
    const int w = target.width(), h = target.height();
    if (py < 0 || py >= h || px < -1 || px >= w) return;
    const int x = int(px), y = int(py);
    if (dots) dots->push_back(QPoint(x, y));
    const bool first = x >= 0 && !Covered(cover, x, y), second = x + 1 < w && !Covered(cover, x + 1, y);
    if (target.format() == QImage::Format_RGB32 || target.format() == QImage::Format_ARGB32) {
        QRgb* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        if (first) line[x] = colour;
        if (second) line[x + 1] = colour;
    } else {
        if (first) target.setPixel(x, y, colour);
        if (second) target.setPixel(x + 1, y, colour);
    }
}

ParticleSystem::ParticleSystem(Random& random) : random_(random) {
    for (size_t i = 0; i < BaseColors.size(); ++i) {
        uint32_t colour = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t c = (BaseColors[i] >> shift & 0xFF) + 31;
            colour |= (c > 255 ? 255 : c) << shift;
        }
        ParticlePalette[i] = colour;
    }
    for (int d = 0; d < 360; ++d) {
        SinTable[size_t(d)] = std::sin(d * 0.017453292519943295);
        CosTable[size_t(d)] = std::cos(d * 0.017453292519943295);
    }
}

void ParticleSystem::SpawnBurst(int x, int y) {
    for (ParticleGroup& group : ParticlePool) {
        if (group.InUse) continue;
        group.InUse = true;
        for (int k = 0; k < ParticleGroup::kSize; ++k) {
            TParticle& p = group.Particles[size_t(k)];
            const size_t angle = size_t(9 * k % 360);  // the last one repeats the first direction
            p.Active = true;
            p.Life = random_.Next(10) + 17;
            p.MaxLife = p.Life;
            p.DX = (random_.Next(2) + 1) * CosTable[angle];
            p.DY = (random_.Next(2) + 1) * SinTable[angle];
            p.X = x;
            p.Y = y;
        }
        return;
    }
}

void ParticleSystem::UpdateParticles(QImage& target, const QImage* cover, std::vector<QPoint>* dots) {
    for (ParticleGroup& group : ParticlePool) {
        if (!group.InUse) continue;
        int spent = 0;
        for (TParticle& p : group.Particles) {
            if (p.Active) p.Step(target, ParticlePalette, cover, dots);
            if (!p.Active) ++spent;
        }
        // One straggler does not hold the group: it is released with 40 spent.
        if (spent >= ParticleGroup::kSize - 1) group.InUse = false;
    }
}

void ParticleSystem::TickEffects(ScreenState state, int width, int height) {
    if (state != ScreenState::GameOver && state != ScreenState::Paused && state != ScreenState::TopTen)
        return;
    // A surface without room for the 40-pixel margin has no bursts (Random needs a range).
    if (width <= 80 || height <= 80) return;
    const int count = random_.Next(2) + 1;
    for (int i = 0; i < count; ++i) {
        const int y = random_.Next(height - 80) + 40;
        const int x = random_.Next(width - 80) + 40;
        SpawnBurst(x, y);
    }
}

int ParticleSystem::GroupsInUse() const {
    int n = 0;
    for (const ParticleGroup& group : ParticlePool) n += group.InUse ? 1 : 0;
    return n;
}
