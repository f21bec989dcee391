// The emulated sound chip: mixing tables, generators, envelope shapes and the budget.
#include <gtest/gtest.h>

#include <vector>

#include "music/ymglobal.h"

namespace {

// A chip rendering into a large buffer, one call per budget.
struct ChipRig {
    CYmChip chip;
    std::vector<int16_t> buf = std::vector<int16_t>(20000, -1);
    ChipRig() {
        chip.ResetChip(true);
        chip.SetTarget(buf.data(), uint32_t(buf.size()));
    }
    void Ticks(uint32_t n) {
        chip.SetBudgetTicks(n);
        chip.Render();
    }
};

TEST(ChipMixing, ThreeOpenVoicesAtLevel15GiveFullScaleOnBothSides) {
    ChipRig rig;
    rig.chip.WriteRegister(ym::R7, 0x3F);   // tones and noises off: gates open
    for (int r = ym::R8; r <= ym::R10; ++r) rig.chip.WriteRegister(r, 15);
    rig.chip.SetTarget(rig.buf.data(), 200);
    rig.Ticks(5000);
    ASSERT_EQ(rig.chip.ValueIndex(), 200u);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(rig.buf[i], 32766) << i;
    // The sum is made of the three voices' shares of the gain.
    EXPECT_EQ(rig.chip.MixEntry(0, 0, 31), 19076);
    EXPECT_EQ(rig.chip.MixEntry(1, 0, 31), 12717);
    EXPECT_EQ(rig.chip.MixEntry(2, 0, 31), 973);
    EXPECT_EQ(rig.chip.MixEntry(2, 1, 31), 19076);
}

TEST(ChipMixing, MasterVolumeScalesTablesAndZeroSilences) {
    CYmChip chip;
    chip.BuildVolumeTables(128);
    // 2^(128/255) - 1 = 0.41612...
    EXPECT_NEAR(chip.MixEntry(0, 0, 31), 19076 * 0.41612, 2.0);
    chip.BuildVolumeTables(0);
    for (int v = 0; v < 3; ++v)
        for (int s = 0; s < 2; ++s)
            for (int i = 0; i < 32; ++i) ASSERT_EQ(chip.MixEntry(v, s, i), 0);

    ChipRig rig;
    rig.chip.BuildVolumeTables(0);
    rig.chip.SetTarget(rig.buf.data(), 2000);   // latches the silent tables
    rig.chip.WriteRegister(ym::R7, 0x38);       // tones on
    rig.chip.StoreRegister(ym::R0, 3);
    for (int r = ym::R8; r <= ym::R10; ++r) rig.chip.WriteRegister(r, 15);
    rig.Ticks(5000);
    ASSERT_GT(rig.chip.ValueIndex(), 0u);
    for (uint32_t i = 0; i < rig.chip.ValueIndex(); ++i) ASSERT_EQ(rig.buf[i], 0);
    EXPECT_EQ(rig.chip.TotalTicks(), 5000u);   // the chip keeps running
}

TEST(ChipMixing, NewTablesReachTheRendererOnlyWhenLatched) {
    ChipRig rig;
    rig.chip.WriteRegister(ym::R7, 0x3F);
    rig.chip.WriteRegister(ym::R8, 15);
    rig.chip.BuildVolumeTables(0);   // not latched yet: this buffer still plays loud
    rig.Ticks(100);
    EXPECT_EQ(rig.buf[0], 19076);
    rig.chip.LatchVolumeTables();
    rig.Ticks(100);
    EXPECT_EQ(rig.buf[rig.chip.ValueIndex() - 2], 0);
}

TEST(ChipVoices, DisabledToneAndNoisePlayTheVolumeRegisterAsAWaveform) {
    ChipRig rig;
    rig.chip.WriteRegister(ym::R7, 0x3F);
    rig.chip.SetTarget(rig.buf.data(), 4);
    rig.chip.WriteRegister(ym::R8, 15);
    rig.Ticks(5);
    rig.chip.WriteRegister(ym::R8, 7);
    rig.Ticks(6);
    EXPECT_EQ(rig.buf[0], 19076);
    EXPECT_EQ(rig.buf[2], rig.chip.MixEntry(0, 0, 15));
    EXPECT_LT(rig.buf[2], rig.buf[0]);
}

TEST(ChipVoices, TonePeriodsZeroAndOneToggleEveryTickAndTwoEverySecond) {
    for (uint8_t period : {0, 1, 2}) {
        ChipRig rig;
        rig.chip.StoreRegister(ym::R0, period);
        std::vector<int> bits;
        for (int i = 0; i < 8; ++i) {
            rig.Ticks(1);
            bits.push_back(rig.chip.ToneBit(0));
        }
        const std::vector<int> everyTick = {1, 0, 1, 0, 1, 0, 1, 0};
        const std::vector<int> everySecond = {0, 1, 1, 0, 0, 1, 1, 0};
        EXPECT_EQ(bits, period < 2 ? everyTick : everySecond) << int(period);
    }
}

TEST(ChipVoices, NoisePeriodsZeroAndOneStepEverySecondTickAndStartSilent) {
    for (uint8_t period : {0, 1, 3}) {
        ChipRig rig;
        rig.chip.StoreRegister(ym::R6, period);
        EXPECT_EQ(rig.chip.NoiseRegister(), 0xFFFFu);
        EXPECT_EQ(rig.chip.NoiseRegister() >> 16 & 1, 0u);   // output 0 before the first step
        std::vector<int> stepTicks;
        uint32_t last = rig.chip.NoiseRegister();
        for (int t = 1; t <= 24; ++t) {
            rig.Ticks(1);
            if (rig.chip.NoiseRegister() != last) stepTicks.push_back(t);
            last = rig.chip.NoiseRegister();
        }
        ASSERT_FALSE(stepTicks.empty());
        const int spacing = period < 2 ? 2 : 2 * period;
        for (size_t i = 0; i < stepTicks.size(); ++i)
            EXPECT_EQ(stepTicks[i], spacing * int(i + 1)) << int(period);
    }
}

TEST(ChipVoices, NoiseShiftRegisterFeedsBackBit16XorBit13) {
    ChipRig rig;
    rig.Ticks(2);
    // 0xFFFF << 1 = 0x1FFFE, + 1, bit 0 inverted by bit16 (0) xor bit13 (1).
    EXPECT_EQ(rig.chip.NoiseRegister(), 0x1FFFEu);
    EXPECT_EQ(rig.chip.NoiseRegister() >> 16 & 1, 1u);
}

std::vector<int> EnvelopeLevels(uint8_t shape, int steps) {
    ChipRig rig;
    rig.chip.StoreRegister(ym::R11, 1);
    rig.chip.WriteRegister(ym::R13, shape);
    std::vector<int> levels;
    for (int i = 0; i < steps; ++i) {
        rig.Ticks(1);
        levels.push_back(rig.chip.EnvelopeLevel());
    }
    return levels;
}

std::vector<int> Ramp(int from, int to) {
    std::vector<int> v;
    for (int i = from; from <= to ? i <= to : i >= to; i += from <= to ? 1 : -1) v.push_back(i);
    return v;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
}

TEST(ChipEnvelope, Shape10FallsRisesAndHoldsEachEndForTwoSteps) {
    EXPECT_EQ(EnvelopeLevels(10, 130),
              Join({Ramp(31, 0), Ramp(0, 31), Ramp(31, 0), Ramp(0, 31), {31, 30}}));
}

TEST(ChipEnvelope, Shape13RisesThenHolds31) {
    EXPECT_EQ(EnvelopeLevels(13, 40), Join({Ramp(0, 31), std::vector<int>(8, 31)}));
}

TEST(ChipEnvelope, OneShotRepeatingAndAlternatingShapes) {
    EXPECT_EQ(EnvelopeLevels(0, 36), Join({Ramp(31, 0), std::vector<int>(4, 0)}));
    EXPECT_EQ(EnvelopeLevels(4, 36), Join({Ramp(0, 31), std::vector<int>(4, 0)}));
    EXPECT_EQ(EnvelopeLevels(8, 66), Join({Ramp(31, 0), Ramp(31, 0), {31, 30}}));
    EXPECT_EQ(EnvelopeLevels(11, 36), Join({Ramp(31, 0), std::vector<int>(4, 31)}));
    EXPECT_EQ(EnvelopeLevels(12, 66), Join({Ramp(0, 31), Ramp(0, 31), {0, 1}}));
    EXPECT_EQ(EnvelopeLevels(14, 66), Join({Ramp(0, 31), Ramp(31, 0), {0, 1}}));
}

TEST(ChipEnvelope, PeriodSetsTicksPerStepAndRewritingTheShapeRestarts) {
    ChipRig rig;
    rig.chip.StoreRegister(ym::R11, 3);
    rig.chip.WriteRegister(ym::R13, 13);
    rig.Ticks(1);
    EXPECT_EQ(rig.chip.EnvelopeLevel(), 0);
    rig.Ticks(3);
    EXPECT_EQ(rig.chip.EnvelopeLevel(), 1);
    rig.Ticks(30);
    EXPECT_EQ(rig.chip.EnvelopeLevel(), 11);
    rig.chip.WriteRegister(ym::R13, 13);
    rig.Ticks(1);
    EXPECT_EQ(rig.chip.EnvelopeLevel(), 0);
}

TEST(ChipRender, BoxFilterAveragesFiveOrSixTicksPerSample) {
    ChipRig rig;
    rig.buf.assign(2 * 44100, 0);
    rig.chip.SetTarget(rig.buf.data(), uint32_t(rig.buf.size()));
    rig.Ticks(250000);   // one second of chip time
    // 250 000 ticks / 5.6689 ticks per sample = 44 100 samples, give or take one.
    EXPECT_NEAR(double(rig.chip.ValueIndex()) / 2.0, 44100.0, 1.0);
}

TEST(ChipRender, VoicesSitLeftCentreRightAndToneRegistersSetThePitch) {
    const int16_t expected[3][2] = {{19076, 973}, {12717, 12717}, {973, 19076}};
    for (int v = 0; v < 3; ++v) {
        ChipRig rig;
        rig.chip.WriteRegister(ym::R7, 0x3F);
        rig.chip.WriteRegister(ym::R8 + v, 15);
        rig.Ticks(100);
        EXPECT_EQ(rig.buf[0], expected[v][0]) << v;
        EXPECT_EQ(rig.buf[1], expected[v][1]) << v;
    }
    // Period 284 on B: a square wave flipping every 284 ticks, 440 Hz at 250 000 ticks/s.
    ChipRig rig;
    rig.buf.assign(2 * 44100, 0);
    rig.chip.SetTarget(rig.buf.data(), uint32_t(rig.buf.size()));
    rig.chip.WriteRegister(ym::R7, 0x3D);   // B tone only
    rig.chip.StoreRegister(ym::R2, 284 & 0xFF);
    rig.chip.StoreRegister(ym::R3, 284 >> 8);
    rig.chip.WriteRegister(ym::R9, 15);
    rig.Ticks(250000);
    int rising = 0;
    for (size_t i = 2; i < rig.buf.size(); i += 2)
        if (rig.buf[i - 2] < 6000 && rig.buf[i] >= 6000) ++rising;
    EXPECT_NEAR(rising, 440, 1);
}

TEST(ChipRender, BudgetUsedUpOnTheFillingTickLeavesNoResume) {
    std::vector<int16_t> buf(2);
    CYmChip chip;
    chip.ResetChip(true);
    chip.SetTarget(buf.data(), 2);   // one stereo sample: full after 5 ticks
    chip.SetBudgetTicks(5);
    chip.Render();
    EXPECT_TRUE(chip.BufferFull());
    EXPECT_FALSE(chip.ResumeFlag());
    EXPECT_EQ(chip.TickCounter(), 0u);
    EXPECT_EQ(chip.BudgetTicks(), 0u);

    // The next budget is rendered in full.
    std::vector<int16_t> big(4000);
    chip.SetTarget(big.data(), uint32_t(big.size()));
    chip.SetBudgetTicks(5000);
    chip.Render();
    EXPECT_EQ(chip.TotalTicks(), 5005u);
}

TEST(ChipRender, BufferFullBeforeTheBudgetSetsResumeAndKeepsTheCount) {
    std::vector<int16_t> buf(2);
    CYmChip chip;
    chip.ResetChip(true);
    chip.SetTarget(buf.data(), 2);
    chip.SetBudgetTicks(6);
    chip.Render();
    EXPECT_TRUE(chip.ResumeFlag());
    EXPECT_EQ(chip.TickCounter(), 5u);
    chip.ClearResume();
    std::vector<int16_t> next(2);
    chip.SetTarget(next.data(), 2);
    chip.Render();
    EXPECT_EQ(chip.TotalTicks(), 6u);
    EXPECT_FALSE(chip.ResumeFlag());
    EXPECT_EQ(chip.TickCounter(), 0u);
}

TEST(ChipRender, BudgetFractionCarriesOver) {
    ChipRig rig;
    const uint64_t half = uint64_t(1) << 31;
    for (int i = 0; i < 4; ++i) {
        rig.chip.AddBudget(half * 5);   // 2.5 ticks
        if (rig.chip.BudgetTicks()) rig.chip.Render();
    }
    EXPECT_EQ(rig.chip.TotalTicks(), 10u);
}

TEST(ChipClock, RatesFollowTheClockAndOutOfRangeIsIgnored) {
    CYmChip chip;
    EXPECT_EQ(chip.TicksPerSample(), 371519u);
    EXPECT_EQ(chip.TicksPerFrame(), 5000u);
    EXPECT_EQ(chip.EffectTimerClock(), 2500000);
    chip.SetChipClock(1000000);
    EXPECT_EQ(chip.TicksPerFrame(), 2500u);
    EXPECT_EQ(chip.TicksPerSample(), 185760u);   // round(8192 / 44100 x 1e6)
    chip.SetChipClock(999999);
    chip.SetChipClock(3000001);
    EXPECT_EQ(chip.ChipClock(), 1000000);
}

TEST(ChipReset, StartsWithEverythingOnAtFixedLevelZeroAndStoppedEnvelope) {
    CYmChip chip;
    chip.WriteRegister(ym::R7, 0x3F);
    chip.WriteRegister(ym::R8, 0x1F);
    chip.StoreRegister(ym::R0, 9);
    chip.WriteRegister(ym::R13, 10);
    chip.ResetChip(true);
    for (int r = 0; r < 14; ++r) EXPECT_EQ(chip.Register(r), 0) << r;
    for (int v = 0; v < 3; ++v) {
        EXPECT_TRUE(chip.ToneEnabled(v));
        EXPECT_TRUE(chip.NoiseEnabled(v));
        EXPECT_TRUE(chip.FixedLevel(v));
    }
    EXPECT_EQ(chip.EnvelopeLevel(), 0);
    EXPECT_FALSE(chip.EnvelopeFlag());
    EXPECT_EQ(chip.NoiseRegister(), 0xFFFFu);
}

}  // namespace
