#pragma once
// The bursts of sparks on the GameOver, Paused and TopTen screens: a fixed pool of eleven
// rings of 41 particles, made once with the window, so that a running burst costs no
// allocation and no trigonometric call.

#include <QImage>
#include <QPoint>
#include <array>
#include <cstdint>
#include <vector>

#include "game/flow.h"

class Random;

// A point that moves.
class TSprite {
public:
    double X = 0, Y = 0;    // BackBuffer pixels
    double DX = 0, DY = 0;  // pixels per frame
    bool Active = false;

    // One frame of motion; leaving one edge of a width x height surface enters at the other.
    void Move(double width, double height);
};

// Palette index 0 is the coolest colour (dark blue), 7 the hottest (white); values are
// Windows colour values 0x00BBGGRR.
using ParticleColours = std::array<uint32_t, 8>;

// A sprite with a lifetime.
class TParticle : public TSprite {
public:
    int32_t Life = 0;     // frames left
    int32_t MaxLife = 0;  // Life at spawn

    // Moves, ages by one frame and, while still alive, draws a two-pixel dot in the colour
    // of its age. Pixels outside the image are skipped, and so are those where cover (a
    // picture on transparent the size of target, if given) is not transparent: what is
    // drawn there stands above the sparks. The dot's left pixel is added to dots, if given,
    // for a caller that takes the dots away again.
    void Step(QImage& target, const ParticleColours& palette, const QImage* cover = nullptr,
              std::vector<QPoint>* dots = nullptr);
};

struct ParticleGroup {
    static constexpr int kSize = 41;
    bool InUse = false;
    std::array<TParticle, kSize> Particles;
};

class ParticleSystem {
public:
    static constexpr int kGroupCount = 11;
    // Navy, purple, maroon, red, yellow, lime, sky blue, white.
    static constexpr ParticleColours BaseColors = {0x00800000, 0x00800080, 0x00000080, 0x000000FF,
                                                   0x0000FFFF, 0x0000FF00, 0x00F0CAA6, 0x00FFFFFF};

    // Builds the palette and the tables; all groups free, all particles inactive.
    explicit ParticleSystem(Random& random);

    ParticleColours ParticlePalette;  // BaseColors brightened by 31 per channel
    std::array<double, 360> SinTable, CosTable;  // by whole degrees
    std::array<ParticleGroup, kGroupCount> ParticlePool;

    // Starts a ring at (x, y) in the lowest free group; dropped when all are in use.
    void SpawnBurst(int x, int y);
    // Steps and draws every particle of the groups in use into target, whose size is the
    // surface the particles wrap around; frees a group once 40 of its 41 are spent. Pixels
    // that cover hides are left as they are, and the dots are listed (TParticle::Step).
    void UpdateParticles(QImage& target, const QImage* cover = nullptr, std::vector<QPoint>* dots = nullptr);
    // The 300 ms effects tick: one or two bursts on the screens that show particles,
    // centred at least 40 pixels inside a width x height surface.
    void TickEffects(ScreenState state, int width, int height);

    int GroupsInUse() const;

private:
    Random& random_;
};
