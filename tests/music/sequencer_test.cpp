// The frame sequencer: frames applied to the chip, frames carried across buffers, loops,
// the end of a song, and the special effects of YM5 and YM6 songs with their timers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "music/ymsequencer.h"
#include "tests/music/songwriter.h"

namespace {

using songwriter::Frame14;
using songwriter::Frame16;

struct Rig {
    std::vector<uint8_t> data;
    CYmSong song;
    SongFrames frames;
    CYmChip chip;
    CYmSequencer seq{chip};
    std::vector<int16_t> buf;

    explicit Rig(std::vector<uint8_t> d, bool looping = true) : data(std::move(d)) {
        ParseSong(data, song, frames);
        seq.SetSong(&data, &frames);
        seq.SetLooping(looping);
        seq.ResetForPass(true);
    }
    uint32_t Fill(uint32_t values) {
        buf.assign(values, 0);
        chip.SetTarget(buf.data(), values);
        seq.FillBuffer();
        return chip.ValueIndex();
    }
    // Left channel of the next `samples` samples.
    std::vector<int> Left(uint32_t samples) {
        Fill(samples * 2);
        std::vector<int> left;
        for (uint32_t i = 0; i < chip.ValueIndex(); i += 2) left.push_back(buf[i]);
        return left;
    }
    // Advances in one-sample buffers until `pred` holds (at most `limit` samples).
    template <class Pred> bool StepUntil(Pred pred, int limit = 200000) {
        for (int i = 0; i < limit; ++i) {
            if (pred()) return true;
            Fill(2);
        }
        return pred();
    }
};

// Runs of equal values; a value between two levels (a sample spanning a change) ends a
// run and starts none.
struct LevelRun { int value; int length; };
std::vector<LevelRun> Runs(const std::vector<int>& v) {
    std::vector<LevelRun> runs;
    for (size_t i = 0; i < v.size(); ++i) {
        if (!runs.empty() && runs.back().value == v[i]) ++runs.back().length;
        else runs.push_back({v[i], 1});
    }
    std::vector<LevelRun> clean;
    for (const LevelRun& r : runs)
        if (r.length > 2) clean.push_back(r);
    return clean;
}

// A 14-register frame playing fixed level `level` on A with everything else off.
Frame14 Level14(uint8_t level) {
    Frame14 f = songwriter::Silent14();
    f[8] = level;
    return f;
}

int LevelA(int level) {   // the left output of voice A alone at a fixed level
    CYmChip chip;
    return chip.MixEntry(0, 0, 2 * level + 1);
}

TEST(Sequencer14, FrameBytesAreMaskedIntoTheRegisters) {
    Frame14 f;
    f.fill(0xFF);
    f[13] = 0x1E;
    Rig rig(songwriter::Ym14("YM3!", {f}));
    rig.Fill(2);
    EXPECT_EQ(rig.chip.Register(0), 0xFF);
    EXPECT_EQ(rig.chip.Register(1), 0x0F);
    EXPECT_EQ(rig.chip.Register(5), 0x0F);
    EXPECT_EQ(rig.chip.Register(6), 0x1F);
    EXPECT_EQ(rig.chip.Register(7), 0x3F);
    EXPECT_EQ(rig.chip.Register(8), 0x1F);
    EXPECT_FALSE(rig.chip.FixedLevel(0));
    EXPECT_EQ(rig.chip.Register(12), 0xFF);
    EXPECT_EQ(rig.chip.Register(13), 0x0E);
    EXPECT_TRUE(rig.chip.ResumeFlag());
}

TEST(Sequencer14, EveryFrameLasts5000TicksAlsoWhenItStraddlesTwoBuffers) {
    std::vector<Frame14> frames;
    for (int i = 0; i < 60; ++i) frames.push_back(Level14(i % 2 ? 8 : 15));
    Rig rig(songwriter::Ym14("YM3!", frames));
    std::vector<int> left;
    for (int b = 0; b < 3; ++b) {
        ASSERT_EQ(rig.Fill(ym::kBufferValues), ym::kBufferValues);
        const uint32_t pending = rig.chip.ResumeFlag()
                                     ? rig.chip.BudgetTicks() - rig.chip.TickCounter() : 0;
        // Chip time is exactly 5000 ticks per applied frame, less what is still due.
        EXPECT_EQ(rig.chip.TotalTicks(), uint64_t(rig.seq.FramesPlayed) * 5000 - pending);
        if (b == 0) {
            EXPECT_TRUE(rig.chip.ResumeFlag());
        }
        for (uint32_t i = 0; i < ym::kBufferValues; i += 2) left.push_back(rig.buf[i]);
    }
    std::vector<LevelRun> runs = Runs(left);
    ASSERT_GT(runs.size(), 50u);
    for (size_t i = 1; i + 1 < runs.size(); ++i) {   // 5000 / 5.6689 = 882 samples
        EXPECT_GE(runs[i].length, 880) << i;
        EXPECT_LE(runs[i].length, 883) << i;
        EXPECT_EQ(runs[i].value, LevelA(i % 2 ? 8 : 15));
    }
}

TEST(Sequencer14, RegisterThirteenFFLeavesTheEnvelopeRunningOtherValuesRestart) {
    std::vector<Frame14> frames(3, songwriter::Silent14());
    for (Frame14& f : frames) {
        f[8] = 0x10;   // A follows the envelope
        f[11] = 100;   // 100 ticks per step: shape 13 reaches 31 after 3200 ticks
    }
    frames[0][13] = 13;
    frames[1][13] = 0xFF;
    frames[2][13] = 13;
    Rig rig(songwriter::Ym14("YM3!", frames));
    std::vector<int> left = rig.Left(2700);
    const int top = LevelA(15);
    EXPECT_EQ(left[800], top);            // frame 0 has risen to 31 and holds
    EXPECT_EQ(left[890], top);            // frame 1: still 31, no restart
    EXPECT_LT(left[1770], top / 20);      // frame 2 restarted at the bottom
}

TEST(Sequencer14, AfterTheLastFrameYm3bContinuesAtItsLoopFrameAndYm3AtZero) {
    std::vector<Frame14> frames = {Level14(1 + 5), Level14(2 + 5), Level14(3 + 5), Level14(4 + 5)};
    auto order = [](Rig& rig) {
        std::vector<int> seen;
        for (const LevelRun& r : Runs(rig.Left(10 * 882 + 100)))
            for (int l = 6; l <= 9; ++l)
                if (r.value == LevelA(l)) seen.push_back(l - 5);
        return seen;
    };
    Rig ym3b(songwriter::Ym14("YM3b", frames, 2));
    EXPECT_EQ(order(ym3b), (std::vector<int>{1, 2, 3, 4, 3, 4, 3, 4, 3, 4, 3}));
    Rig ym3(songwriter::Ym14("YM3!", frames));
    EXPECT_EQ(order(ym3), (std::vector<int>{1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3}));
    // Held at FramesToPlay while looping (one more while a frame is still being rendered).
    EXPECT_LE(ym3.seq.FramesPlayed, 5u);
}

TEST(Sequencer14, WithoutLoopingTheSongEndsAfterItsLastFrame) {
    Rig rig(songwriter::Ym14("YM3!", std::vector<Frame14>(30, Level14(15))), false);
    uint32_t values = 0;
    int fills = 0;
    while (fills < 10) {
        const uint32_t n = rig.Fill(ym::kBufferValues);
        ++fills;
        values += n;
        if (n < ym::kBufferValues) break;
    }
    EXPECT_TRUE(rig.seq.EndOfSong);
    EXPECT_EQ(rig.chip.TotalTicks(), 30u * 5000u);
    EXPECT_NEAR(values / 2.0, 30 * 5000 / 5.6689, 2.0);
    EXPECT_EQ(rig.Fill(ym::kBufferValues), 0u);
}

// ---- YM5 ----

songwriter::Ym56 Ym5Song() {
    songwriter::Ym56 s;
    s.tag = "YM5!";
    s.attributes = 1 | 4;
    s.drums = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1, 2, 3, 4, 5}};
    return s;
}

TEST(SequencerYm5, DrumTakesItsChannelFromTheMixerUntilAFrameGivesTheToneBack) {
    songwriter::Ym56 s = Ym5Song();
    Frame16 f0 = songwriter::Silent16();
    f0[7] = 0x00;                 // all tones and noises on
    f0[3] = 2 << 4;               // drum on B
    f0[9] = 0;                    // drum number 0
    f0[8] = uint8_t(1 << 5 | 5);  // drum prescaler 4, A at level 5
    f0[15] = 100;                 // 4 x 100 / 10 = 40 ticks per sample
    Frame16 f1 = songwriter::Silent16();
    f1[7] = 0x00;                 // B's tone comes back: the drum is cut
    f1[9] = 3;
    s.frames = {f0, f1};
    Rig rig(s.Build());
    rig.Fill(2);
    EXPECT_EQ(rig.chip.Register(7), 0x12);
    EXPECT_TRUE(rig.seq.Voice2.Active());
    EXPECT_EQ(rig.seq.Voice2.Channel, 2);
    EXPECT_NEAR(rig.seq.Voice2.Period, 40.0, 1e-9);
    EXPECT_EQ(rig.chip.Register(8), 5);
    EXPECT_EQ(rig.chip.Register(9), 1);   // first sample
    ASSERT_TRUE(rig.StepUntil([&] { return rig.chip.TotalTicks() >= 41; }));
    EXPECT_EQ(rig.chip.Register(9), 2);
    EXPECT_TRUE(rig.chip.FixedLevel(1));
    ASSERT_TRUE(rig.StepUntil([&] { return rig.seq.FramesPlayed == 2; }));
    EXPECT_FALSE(rig.seq.Voice2.Active());
    EXPECT_EQ(rig.chip.Register(7), 0x00);
    EXPECT_EQ(rig.chip.Register(9), 3);
}

TEST(SequencerYm5, SidVoiceTogglesItsChannelAndStopsWithoutATimer) {
    songwriter::Ym56 s = Ym5Song();
    Frame16 f0 = songwriter::Silent16();
    f0[1] = 1 << 4;               // SID on A
    f0[6] = 2 << 5;               // prescaler 10
    f0[8] = 12;
    f0[14] = 20;                  // 10 x 20 / 10 = 20 ticks
    Frame16 f1 = f0;
    f1[14] = 0;                   // timer count 0: no events
    Frame16 f2 = f0;
    f2[6] = 0;                    // prescaler index 0: no events
    s.frames = {f0, f1, f2};
    Rig rig(s.Build());
    std::vector<int> r8;
    while (rig.seq.FramesPlayed < 2) {
        rig.Fill(2);
        if (rig.seq.FramesPlayed == 1) r8.push_back(rig.chip.Register(8));
    }
    // 12, 0, 12, 0 ... in steps of 20 ticks.
    EXPECT_EQ(r8.front(), 12);
    EXPECT_NE(std::find(r8.begin(), r8.end(), 0), r8.end());
    for (int v : r8) EXPECT_TRUE(v == 0 || v == 12) << v;
    const int held = rig.chip.Register(8);
    EXPECT_FALSE(rig.seq.Voice1.Active());
    EXPECT_TRUE(rig.chip.FixedLevel(0));
    for (int i = 0; i < 200; ++i) {
        rig.Fill(2);
        ASSERT_EQ(rig.chip.Register(8), held);
    }
    ASSERT_TRUE(rig.StepUntil([&] { return rig.seq.FramesPlayed == 3; }));
    EXPECT_FALSE(rig.seq.Voice1.Active());
}

// ---- YM6 ----

TEST(SequencerYm6, SyncBuzzerSetsEnvelopeModeAndRetriggersAtEveryEvent) {
    songwriter::Ym56 s;
    Frame16 f = songwriter::Silent16();
    songwriter::SetEffect1(f, 1, kSyncBuzzer, 4, 10);   // 50 x 10 / 10 = 50 ticks
    f[8] = 0x10 | 13;                                   // envelope mode, shape 13
    f[11] = 10;                                         // 10 ticks per envelope step
    s.frames = {f, f};
    Rig rig(s.Build());
    rig.Fill(2);
    EXPECT_EQ(rig.chip.Register(8), 0x10);
    EXPECT_FALSE(rig.chip.FixedLevel(0));
    EXPECT_EQ(rig.chip.Register(13), 13);
    int highest = 0;
    for (int i = 0; i < 1500; ++i) {
        rig.Fill(2);
        highest = std::max(highest, rig.chip.EnvelopeLevel());
    }
    // Without the retrigger shape 13 would reach 31 after 320 ticks.
    EXPECT_GE(highest, 3);
    EXPECT_LE(highest, 5);

    Frame16 noBit = f;
    noBit[8] = 13;   // bit 4 clear: the channel plays fixed level 0
    s.frames = {noBit};
    Rig fixed(s.Build());
    fixed.Fill(2);
    EXPECT_EQ(fixed.chip.Register(8), 0);
    EXPECT_TRUE(fixed.chip.FixedLevel(0));
}

TEST(SequencerYm6, SinusSidWalksASineShapedRowOfTheTable) {
    const auto& table = CYmSequencer::SinusSidTable();
    for (int level = 0; level < 16; ++level) {
        EXPECT_EQ(*std::max_element(table[level], table[level] + 8), level);
        EXPECT_EQ(*std::min_element(table[level], table[level] + 8), 0);
        EXPECT_EQ(table[level][1], table[level][3]);   // symmetric about the crest
        EXPECT_EQ(table[level][5], table[level][7]);
    }
    songwriter::Ym56 s;
    Frame16 f = songwriter::Silent16();
    songwriter::SetEffect2(f, 3, kSinusSid, 1, 100);   // C, 4 x 100 / 10 = 40 ticks
    f[10] = 15;
    s.frames = {f};
    Rig rig(s.Build());
    std::vector<int> seen;
    for (int i = 0; i < 800; ++i) {
        rig.Fill(2);
        const int v = rig.chip.Register(10);
        if (seen.empty() || seen.back() != v) seen.push_back(v);
    }
    ASSERT_GE(seen.size(), 16u);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(seen[i], table[15][i % 8]) << i;
    EXPECT_TRUE(rig.chip.FixedLevel(2));
}

TEST(SequencerYm6, SidVoiceOnEitherEffectSlot) {
    for (int slot = 1; slot <= 2; ++slot) {
        songwriter::Ym56 s;
        Frame16 f = songwriter::Silent16();
        if (slot == 1) songwriter::SetEffect1(f, 2, kSidVoice, 2, 30);   // B, 30 ticks
        else songwriter::SetEffect2(f, 2, kSidVoice, 2, 30);
        f[9] = 9;
        s.frames = {f};
        Rig rig(s.Build());
        int changes = 0, last = -1;
        for (int i = 0; i < 530; ++i) {   // about 3000 ticks: 100 events
            rig.Fill(2);
            const int v = rig.chip.Register(9);
            EXPECT_TRUE(v == 0 || v == 9);
            if (v != last) ++changes;
            last = v;
        }
        EXPECT_NEAR(changes, 100, 2) << slot;
    }
}

TEST(SequencerYm6, DrumPlaysItsSamplesInOrderAcrossFramesAndThenStops) {
    songwriter::Ym56 s;
    s.attributes = 1 | 4;
    std::vector<uint8_t> drum(300);
    for (size_t i = 0; i < drum.size(); ++i) drum[i] = uint8_t(1 + i % 14);
    s.drums = {drum};
    Frame16 start = songwriter::Silent16();
    start[7] = 0x00;                                    // everything on
    songwriter::SetEffect2(start, 3, kDigiDrum, 1, 50); // C, 20 ticks a sample: 6000 ticks
    start[10] = 0;                                      // drum 0
    Frame16 later = songwriter::Silent16();
    later[7] = 0x24;                                    // C's tone and noise stay off
    later[10] = 9;                                      // ignored while the drum plays
    s.frames = {start, later, later};
    Rig rig(s.Build());
    std::vector<int> r10;
    uint64_t lastChange = 0;
    while (rig.seq.FramesPlayed < 3 || rig.chip.TotalTicks() < 10500) {
        rig.Fill(2);
        if (rig.seq.FramesPlayed == 1) {
            EXPECT_EQ(rig.chip.Register(7) & 0x24, 0x24);   // the drum took C from the mixer
        }
        const int v = rig.chip.Register(10);
        if (r10.empty() || r10.back() != v) {
            r10.push_back(v);
            lastChange = rig.chip.TotalTicks();
        }
    }
    // Samples 0..299 in order (consecutive ones always differ), the drum going on into
    // the second frame, then frame 3's own volume once the drum has stopped.
    ASSERT_GE(r10.size(), 301u);
    for (size_t i = 0; i < 300; ++i) ASSERT_EQ(r10[i], drum[i]) << i;
    EXPECT_EQ(r10[300], 9);
    EXPECT_FALSE(rig.seq.Voice2.Active());
    EXPECT_GE(lastChange, 10000u);
}

TEST(SequencerYm6, DrumNumberPastTheTablePlaysNothing) {
    songwriter::Ym56 s;
    s.attributes = 1 | 4;
    s.drums = {{7, 7, 7}};
    Frame16 f = songwriter::Silent16();
    f[8] = 4;   // A's volume before the drum frame
    Frame16 g = songwriter::Silent16();
    songwriter::SetEffect1(g, 1, kDigiDrum, 1, 10);
    g[8] = 5;   // drum number 5: there is only drum 0
    s.frames = {f, g};
    Rig rig(s.Build());
    ASSERT_TRUE(rig.StepUntil([&] { return rig.seq.FramesPlayed == 2; }));
    rig.Fill(200);
    EXPECT_FALSE(rig.seq.Voice1.Active());
    EXPECT_EQ(rig.chip.Register(8), 4);
}

TEST(SequencerYm6, DrumAtAFractionalPeriodKeepsItsTimeOnTheTickGrid) {
    songwriter::Ym56 s;
    s.attributes = 1 | 4;
    std::vector<uint8_t> drum(100);
    for (int i = 0; i < 100; ++i) drum[i] = uint8_t(1 + i % 15);
    s.drums = {drum};
    s.frames = {songwriter::Silent16()};
    Rig rig(s.Build());
    std::vector<int16_t> buf(40000);
    rig.chip.SetTarget(buf.data(), uint32_t(buf.size()));
    rig.seq.FrameElapsed = 0;   // frame 0 applied; the drum starts now
    EffectVoice& v = rig.seq.Voice1;
    v.Channel = 1;
    v.Type = kDigiDrum;
    v.Level = 0;
    v.Period = 31.25;
    v.Elapsed = 0;
    std::vector<uint64_t> eventTicks;
    for (int i = 0; i < 200 && rig.seq.FrameElapsed < rig.seq.FramePeriod; ++i) {
        const uint32_t before = v.DrumPosition;
        const bool wasActive = v.Active();
        const uint64_t now = rig.chip.TotalTicks();
        rig.seq.RunEffectStep();
        if (wasActive && (v.DrumPosition != before || !v.Active())) {
            eventTicks.push_back(now);
            EXPECT_EQ(rig.chip.Register(8), drum[eventTicks.size() - 1]);
        }
    }
    ASSERT_EQ(eventTicks.size(), 100u);
    const int pattern[4] = {31, 31, 31, 32};
    for (size_t i = 1; i < eventTicks.size(); ++i)
        ASSERT_EQ(eventTicks[i] - eventTicks[i - 1], uint64_t(pattern[(i - 1) % 4])) << i;
    EXPECT_FALSE(v.Active());
}

// step x 2^32 in 32.32 ticks, rounded to nearest with a tie to even, in integers only:
// the double is split into its 53-bit mantissa and exponent, which is exact.
uint64_t FixedStep(double step, int& ties) {
    int exponent = 0;
    const double fraction = std::frexp(step, &exponent);   // step = fraction x 2^exponent
    const uint64_t mantissa = uint64_t(std::ldexp(fraction, 53));
    const int shift = 53 - 32 - exponent;                  // step x 2^32 = mantissa / 2^shift
    if (mantissa == 0) return 0;
    if (shift <= 0) return mantissa << -shift;
    if (shift >= 64) return 0;
    const uint64_t whole = mantissa >> shift;
    const uint64_t rest = mantissa & ((uint64_t(1) << shift) - 1);
    const uint64_t half = uint64_t(1) << (shift - 1);
    if (rest == half) ++ties;
    return whole + (rest > half || (rest == half && (whole & 1)));
}

// Two SID voices, on A every 1.2 ticks and on C every 0.8, in a looping frame: at tick
// 251 657 a step of about 0.4 ticks is exactly halfway between two 32.32 values. Rounding
// it up puts the tick budget 2^-32 ahead, which near tick 419 450 (in the fifth buffer)
// moves a toggle across a tick boundary. The render must match a plain model of the
// timers driving a second chip, whose steps are rounded in integer arithmetic.
TEST(SequencerYm6, StepsHalfwayBetweenTwoFixedPointValuesRoundToEven) {
    songwriter::Ym56 s;
    Frame16 f = songwriter::Silent16();
    songwriter::SetEffect1(f, 1, kSidVoice, 1, 3);   // A, 4 x 3 / 10 = 1.2 ticks
    songwriter::SetEffect2(f, 3, kSidVoice, 1, 2);   // C, 4 x 2 / 10 = 0.8 ticks
    f[8] |= 15;
    f[10] = 9;
    s.frames = {f};
    Rig rig(s.Build());
    std::vector<int16_t> played;
    for (int b = 0; b < 5; ++b) {
        ASSERT_EQ(rig.Fill(ym::kBufferValues), ym::kBufferValues);
        played.insert(played.end(), rig.buf.begin(), rig.buf.end());
    }

    CYmChip chip;   // tones and noise off: A and C play their volume registers
    std::vector<int16_t> expected(played.size());
    chip.SetTarget(expected.data(), uint32_t(expected.size()));
    chip.WriteRegister(ym::R7, 0x3F);
    struct Timer { double period, elapsed; int reg; uint8_t level, state; };
    Timer timers[2] = {{1.2, 0, ym::R8, 15, 0}, {0.8, 0, ym::R10, 9, 0}};
    double frameElapsed = 0;
    int ties = 0;
    while (chip.ValueIndex() < expected.size()) {
        if (frameElapsed >= 5000.0) frameElapsed -= 5000.0;   // the same frame again
        double step = 5000.0 - frameElapsed;
        for (Timer& t : timers) {
            if (t.elapsed == 0) {
                t.state = t.state ? 0 : t.level;
                chip.StoreRegister(t.reg, t.state);
            }
            step = std::min(step, t.period - t.elapsed);
        }
        chip.AddBudget(FixedStep(step, ties));
        if (chip.BudgetTicks()) chip.Render();
        for (Timer& t : timers)
            if ((t.elapsed += step) >= t.period) t.elapsed = 0;
        frameElapsed += step;
    }
    ASSERT_GE(ties, 1);   // the song still reaches a tie within the render
    const auto diff = std::mismatch(played.begin(), played.end(), expected.begin());
    EXPECT_TRUE(diff.first == played.end())
        << "value " << (diff.first - played.begin()) << ": " << *diff.first << " instead of " << *diff.second;
}

TEST(SequencerYm56, BothLayoutsPlayTheSameSound) {
    for (const char* tag : {"YM5!", "YM6!"}) {
        songwriter::Ym56 s;
        s.tag = tag;
        s.attributes = 4;
        s.drums = {{15, 0, 15, 0, 8, 8}};
        for (int i = 0; i < 12; ++i) {
            Frame16 f = songwriter::Silent16();
            f[0] = uint8_t(40 + i);
            f[7] = 0x3E;   // A tone on
            f[8] = uint8_t(6 + i % 10);
            f[9] = 10;
            if (i % 3 == 0) {
                f[3] = 2 << 4;        // drum on B (both formats keep it in byte 3)
                if (tag[2] == '6') f[3] |= kDigiDrum << 6;
                f[8] |= 1 << 5;
                f[9] = 0;
                f[15] = 50;
            }
            s.frames.push_back(f);
        }
        s.attributes = 4 | 1;
        Rig inter(s.Build());
        s.attributes = 4;
        Rig plain(s.Build());
        for (int b = 0; b < 2; ++b) {
            inter.Fill(ym::kBufferValues);
            plain.Fill(ym::kBufferValues);
            ASSERT_EQ(inter.buf, plain.buf) << tag << " buffer " << b;
            EXPECT_NE(*std::max_element(inter.buf.begin(), inter.buf.end()), 0);
        }
    }
}

TEST(SequencerYm56, EffectTimersDoNotChangeTheFrameLength) {
    songwriter::Ym56 s;
    std::vector<Frame16> frames;
    for (int i = 0; i < 40; ++i) {
        Frame16 f = songwriter::Silent16();
        songwriter::SetEffect1(f, 1, kSidVoice, 1, 7);      // 2.8 ticks
        songwriter::SetEffect2(f, 3, kSinusSid, 2, 33);     // 33 ticks
        f[8] |= 15;
        f[10] = 11;
        frames.push_back(f);
    }
    s.frames = frames;
    Rig rig(s.Build());
    for (int b = 0; b < 2; ++b) rig.Fill(ym::kBufferValues);
    // FrameElapsed is the chip time of the current frame: all earlier frames took 5000.
    const double chipTime = double(rig.chip.TotalTicks()) + double(rig.chip.Budget() & 0xFFFFFFFFu) / 4294967296.0 +
                            (rig.chip.ResumeFlag() ? rig.chip.BudgetTicks() - rig.chip.TickCounter() : 0);
    EXPECT_NEAR(chipTime, (rig.seq.FramesPlayed - 1) * 5000.0 + rig.seq.FrameElapsed, 1e-3);
}

}  // namespace

namespace {

// Random bytes behind each tag: whatever the counts and sizes say, parsing and playing
// stay inside the song (run under AddressSanitizer this checks every read).
TEST(SequencerBounds, RandomSongsPlayWithoutReadingOutsideTheirData) {
    std::mt19937 random(12345);
    const char* tags[] = {"YM2!", "YM3!", "YM3b", "YM5!", "YM6!"};
    int playable = 0;
    for (int i = 0; i < 300; ++i) {
        std::vector<uint8_t> data(4 + random() % 600);
        for (auto& b : data) b = uint8_t(random());
        std::memcpy(data.data(), tags[i % 5], 4);
        if (i % 2 && data.size() > 34) {   // plausible small counts, so frames get played
            data[12] = data[13] = data[14] = 0;
            data[20] = 0;
            data[21] = uint8_t(random() % 4);
            data[32] = 0;
            data[33] = uint8_t(random() % 8);
        }
        Rig rig(data);
        for (const DrumEntry& d : rig.frames.DrumTable)
            ASSERT_LE(size_t(d.Offset) + d.Size, rig.data.size());
        const size_t regs = rig.frames.Kind == SongKind::Ym5 || rig.frames.Kind == SongKind::Ym6 ? 16 : 14;
        ASSERT_LE(rig.frames.FrameDataOffset + regs * rig.frames.FrameCount, rig.data.size());
        if (rig.frames.FrameCount) {
            ASSERT_LT(rig.frames.LoopFrame, rig.frames.FrameCount);
        }
        if (!rig.frames.Playable()) continue;
        ++playable;
        for (int b = 0; b < 3; ++b) ASSERT_EQ(rig.Fill(4000), 4000u);
    }
    EXPECT_GT(playable, 100);
}

}  // namespace
