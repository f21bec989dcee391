// The particle bursts: the pool, the rings, motion, wrap, cooling and the effects tick.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#include "common/random.h"
#include "render/frame.h"
#include "render/particles.h"
#include "render/textscreens.h"
#include "render/text.h"
#include "tests/render/pixels.h"

// Counts allocations while a test asks for it, to show that running bursts take none.
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int W = 315, H = 305;

class Particles : public testing::Test {
protected:
    void SetUp() override {
        random.Seed(1234);
        image.fill(Qt::black);
    }
    // Every group in use, by bursts in the middle.
    void FillPool() {
        for (int i = 0; i < ParticleSystem::kGroupCount; ++i) system.SpawnBurst(150, 150);
        ASSERT_EQ(system.GroupsInUse(), 11);
    }
    // A group holding a single live particle (the others spent), as after most of a burst.
    TParticle& Lone(int group, double x, double y, double dx, double dy, int life) {
        ParticleGroup& g = system.ParticlePool[size_t(group)];
        g.InUse = true;
        for (TParticle& p : g.Particles) p.Active = false;
        TParticle& p = g.Particles[0];
        p.Active = true;
        p.X = x, p.Y = y, p.DX = dx, p.DY = dy;
        p.Life = p.MaxLife = life;
        return p;
    }

    Random random;
    ParticleSystem system{random};
    QImage image{W, H, QImage::Format_RGB32};
};

TEST_F(Particles, PaletteIsTheBaseColoursBrightenedAndCapped) {
    const ParticleColours expected = {0x009F1F1F, 0x009F1F9F, 0x001F1F9F, 0x001F1FFF,
                                      0x001FFFFF, 0x001FFF1F, 0x00FFE9C5, 0x00FFFFFF};
    EXPECT_EQ(system.ParticlePalette, expected);
    EXPECT_DOUBLE_EQ(system.SinTable[90], 1.0);
    EXPECT_DOUBLE_EQ(system.CosTable[180], -1.0);
    EXPECT_NEAR(system.SinTable[270], -1.0, 1e-15);
    EXPECT_NEAR(system.CosTable[45], std::sqrt(0.5), 1e-15);
}

TEST_F(Particles, PoolStartsFreeAndABurstIsARingOf41FromItsPoint) {
    for (const ParticleGroup& g : system.ParticlePool) {
        EXPECT_FALSE(g.InUse);
        for (const TParticle& p : g.Particles) EXPECT_FALSE(p.Active);
    }
    system.SpawnBurst(100, 120);
    const ParticleGroup& g = system.ParticlePool[0];
    ASSERT_TRUE(g.InUse);
    EXPECT_FALSE(system.ParticlePool[1].InUse);
    // The same draws from a twin generator: life, then the x factor, then the y factor.
    Random twin;
    twin.Seed(1234);
    for (int k = 0; k < 41; ++k) {
        SCOPED_TRACE(k);
        const TParticle& p = g.Particles[size_t(k)];
        const double angle = (9 * k % 360) * 0.017453292519943295;
        EXPECT_TRUE(p.Active);
        EXPECT_EQ(p.Life, twin.Next(10) + 17);
        EXPECT_EQ(p.MaxLife, p.Life);
        EXPECT_NEAR(p.DX, (twin.Next(2) + 1) * std::cos(angle), 1e-12);
        EXPECT_NEAR(p.DY, (twin.Next(2) + 1) * std::sin(angle), 1e-12);
        EXPECT_EQ(p.X, 100);
        EXPECT_EQ(p.Y, 120);
    }
    // The last particle takes the direction of the first.
    EXPECT_NEAR(g.Particles[40].DY, 0.0, 1e-12);
    EXPECT_GT(g.Particles[40].DX, 0.0);
}

TEST_F(Particles, Life17IsDrawnOn16FramesFromWhiteToDarkBlue) {
    TParticle p;
    p.Active = true;
    p.X = 100, p.Y = 50;
    p.Life = p.MaxLife = 17;
    const int indexes[16] = {7, 7, 6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 0, 0};
    for (int frame = 0; frame < 17; ++frame) {
        SCOPED_TRACE(frame);
        image.fill(Qt::black);
        p.Step(image, system.ParticlePalette);
        if (frame < 16) {
            const QRgb colour = ColorRefRgb(system.ParticlePalette[size_t(indexes[frame])]);
            EXPECT_TRUE(p.Active);
            EXPECT_EQ(image.pixel(100, 50), colour);
            EXPECT_EQ(image.pixel(101, 50), colour) << "a two-pixel dot";
            EXPECT_EQ(image.pixel(99, 50), qRgb(0, 0, 0));
            EXPECT_EQ(image.pixel(100, 51), qRgb(0, 0, 0));
        } else {
            EXPECT_FALSE(p.Active);
            EXPECT_EQ(image.pixel(100, 50), qRgb(0, 0, 0)) << "not drawn on the frame it goes out";
        }
    }
    EXPECT_EQ(ColorRefRgb(system.ParticlePalette[7]), qRgb(255, 255, 255));
    EXPECT_EQ(ColorRefRgb(system.ParticlePalette[0]), qRgb(0x1F, 0x1F, 0x9F));
}

TEST_F(Particles, LeavingAnEdgeEntersAtTheOtherOnTheSameLine) {
    TParticle& right = Lone(0, W - 0.5, 80, 1.0, 0, 20);
    right.Step(image, system.ParticlePalette);
    EXPECT_EQ(right.X, 0.0);
    EXPECT_EQ(right.Y, 80.0);
    EXPECT_NE(image.pixel(0, 80), qRgb(0, 0, 0));
    TParticle& top = Lone(1, 60, 0.5, 0, -1.0, 20);
    top.Step(image, system.ParticlePalette);
    EXPECT_EQ(top.Y, double(H)) << "one below the last row: not drawn, not wrapped again";
    TSprite edge;  // exactly on the edge is still inside
    edge.X = W - 1, edge.DX = 1.0;
    edge.Move(W, H);
    EXPECT_EQ(edge.X, double(W));
    // Halves go to the even pixel, down from 20.5 and up from 21.5; anything else to the
    // nearest one.
    image.fill(Qt::black);
    TParticle& half = Lone(2, 20.5, 40.5, 0, 0, 20);
    half.Step(image, system.ParticlePalette);
    EXPECT_NE(image.pixel(20, 40), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(22, 40), qRgb(0, 0, 0));
    image.fill(Qt::black);
    TParticle& up = Lone(3, 21.5, 41.5, 0, 0, 20);
    up.Step(image, system.ParticlePalette);
    EXPECT_EQ(image.pixel(21, 42), qRgb(0, 0, 0));
    EXPECT_NE(image.pixel(22, 42), qRgb(0, 0, 0));
    EXPECT_NE(image.pixel(23, 42), qRgb(0, 0, 0));
    image.fill(Qt::black);
    TParticle& near = Lone(4, 30.7, 50.6, 0, 0, 20);
    near.Step(image, system.ParticlePalette);
    EXPECT_EQ(pixels::Extent(image, image.rect(), image.pixel(31, 51)), QRect(31, 51, 2, 1));
}

TEST_F(Particles, AFullPoolDropsBurstsUntilAGroupIsReleased) {
    FillPool();
    const TParticle before = system.ParticlePool[10].Particles[5];
    for (int i = 0; i < 10; ++i) system.TickEffects(ScreenState::GameOver, W, H);
    EXPECT_EQ(system.GroupsInUse(), 11);
    EXPECT_EQ(system.ParticlePool[10].Particles[5].X, before.X) << "no group was started again";
    EXPECT_EQ(system.ParticlePool[10].Particles[5].Life, before.Life);

    // Group 3 burns out on the next frame; the other ten live on.
    for (TParticle& p : system.ParticlePool[3].Particles) p.Life = 1;
    system.UpdateParticles(image);
    EXPECT_FALSE(system.ParticlePool[3].InUse);
    EXPECT_EQ(system.GroupsInUse(), 10);
    system.TickEffects(ScreenState::TopTen, W, H);
    EXPECT_TRUE(system.ParticlePool[3].InUse) << "the lowest free group takes the next burst";
    EXPECT_EQ(system.GroupsInUse(), 11);
}

TEST_F(Particles, AGroupIsReleasedWith40SpentAndItsStragglerFreezes) {
    TParticle& straggler = Lone(2, 50, 50, 1, 0, 100);
    system.UpdateParticles(image);
    EXPECT_FALSE(system.ParticlePool[2].InUse);
    EXPECT_TRUE(straggler.Active);
    EXPECT_EQ(straggler.X, 51.0) << "stepped once, on the frame that released its group";
    system.UpdateParticles(image);
    EXPECT_EQ(straggler.X, 51.0);
    EXPECT_EQ(straggler.Life, 99);
    // Reused as it stands by the next burst into that group.
    for (int g = 0; g < 2; ++g) system.ParticlePool[size_t(g)].InUse = true;
    system.SpawnBurst(200, 210);
    EXPECT_TRUE(system.ParticlePool[2].InUse);
    EXPECT_EQ(straggler.X, 200.0);
    EXPECT_LE(straggler.Life, 26);
}

TEST_F(Particles, TicksSpawnOnlyOnGameOverPausedAndTopTen) {
    for (ScreenState s : {ScreenState::Playing, ScreenState::Loading, ScreenState::LevelComplete,
                          static_cast<ScreenState>(7)}) {
        for (int i = 0; i < 20; ++i) system.TickEffects(s, W, H);
        EXPECT_EQ(system.GroupsInUse(), 0) << int(s);
    }
    for (ScreenState s : {ScreenState::GameOver, ScreenState::Paused, ScreenState::TopTen}) {
        for (ParticleGroup& g : system.ParticlePool) g.InUse = false;
        system.TickEffects(s, W, H);
        EXPECT_GE(system.GroupsInUse(), 1) << int(s);
        EXPECT_LE(system.GroupsInUse(), 2) << int(s);
    }
}

TEST_F(Particles, BurstCentresKeepFortyPixelsFromEveryEdge) {
    {
        const int w = W, h = H;
        int minX = w, maxX = 0, minY = h, maxY = 0, ones = 0, twos = 0;
        for (int tick = 0; tick < 3000; ++tick) {
            for (ParticleGroup& g : system.ParticlePool) g.InUse = false;
            system.TickEffects(ScreenState::Paused, w, h);
            const int n = system.GroupsInUse();
            (n == 1 ? ones : twos) += 1;
            for (int g = 0; g < n; ++g) {
                const TParticle& p = system.ParticlePool[size_t(g)].Particles[0];
                minX = std::min(minX, int(p.X)), maxX = std::max(maxX, int(p.X));
                minY = std::min(minY, int(p.Y)), maxY = std::max(maxY, int(p.Y));
            }
        }
        EXPECT_EQ(minX, 40);
        EXPECT_EQ(maxX, w - 41);
        EXPECT_EQ(minY, 40);
        EXPECT_EQ(maxY, h - 41);
        EXPECT_GT(ones, 1200);
        EXPECT_GT(twos, 1200);
    }
}

TEST_F(Particles, RunningBurstsAllocateNothing) {
    QImage target(W, H, QImage::Format_RGB32);
    target.fill(Qt::black);
    allocations = 0;
    counting = true;
    for (int frame = 0; frame < 200; ++frame) {
        if (frame % 9 == 0) system.TickEffects(ScreenState::Paused, W, H);
        system.UpdateParticles(target);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(system.GroupsInUse(), 0);
}

// Through DrawFrame: the screens that run particles move them, the others leave them be.
TEST_F(Particles, BurstsFreezeOnOtherScreensAndResumeWhereTheyStopped) {
    FrameRenderer renderer;
    renderer.Resize(W, H);
    FrameModel model;
    model.particles = &system;
    TParticle& p = Lone(0, 100, 100, 2, 1, 26);
    system.ParticlePool[0].Particles[1] = p;  // two alive, so the group stays in use
    model.state = ScreenState::GameOver;
    renderer.DrawFrame(model);
    renderer.DrawFrame(model);
    EXPECT_EQ(p.X, 104.0);
    EXPECT_EQ(p.Life, 24);
    for (ScreenState s : {ScreenState::Playing, ScreenState::Loading, ScreenState::LevelComplete}) {
        model.state = s;
        renderer.DrawFrame(model);
        EXPECT_EQ(p.X, 104.0) << int(s);
        EXPECT_EQ(p.Life, 24);
    }
    EXPECT_EQ(renderer.BackBuffer.pixel(104, 102), qRgb(0, 0, 0)) << "and are not drawn there";
    QImage preview(245, 245, QImage::Format_RGB32);
    preview.fill(qRgb(90, 90, 90));
    PauseAnimation pause;
    model.preview = &preview;
    model.pause = &pause;
    model.state = ScreenState::Paused;
    renderer.DrawFrame(model);
    EXPECT_EQ(p.X, 106.0);
    EXPECT_EQ(p.Y, 103.0);
    EXPECT_EQ(renderer.BackBuffer.pixel(106, 103), ColorRefRgb(system.ParticlePalette[size_t(23 / (26 / 8.0))]))
        << "drawn over the grey picture";
    model.state = ScreenState::TopTen;
    renderer.DrawFrame(model);
    EXPECT_EQ(p.X, 108.0);
}

}  // namespace
