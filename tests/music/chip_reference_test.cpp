// The chip's optimised tick loop against a plain model written straight from the rules
// (one tick: tones, noise, envelope, mix; a sample every 5 or 6 ticks), over random
// register writes, budgets and buffer sizes. Any difference in any value fails.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "music/ymglobal.h"

namespace {

struct Model {
    uint8_t r[16] = {};
    bool toneOn[3] = {true, true, true}, noiseOn[3] = {true, true, true}, fixed[3] = {true, true, true};
    uint32_t toneCount[3] = {}, toneBit[3] = {}, noiseCount = 0, noise = 0xFFFF, envCount = 0;
    int envLevel = 0, shape = 0;
    bool envFlag = false;
    int32_t mix[3][2][32];
    int32_t sumL = 0, sumR = 0;
    uint32_t n = 0, decimation = 371519, tickCounter = 0;
    uint64_t budget = 0;

    explicit Model(const CYmChip& chip) { ReadTables(chip); }
    void ReadTables(const CYmChip& chip) {
        for (int v = 0; v < 3; ++v)
            for (int s = 0; s < 2; ++s)
                for (int i = 0; i < 32; ++i) mix[v][s][i] = chip.MixEntry(v, s, i);
    }
    void Write(int reg, uint8_t v) {
        if (reg == 7) {
            r[7] = v & 0x3F;
            for (int c = 0; c < 3; ++c) {
                toneOn[c] = !(v >> c & 1);
                noiseOn[c] = !(v >> (c + 3) & 1);
            }
        } else if (reg >= 8 && reg <= 10) {
            r[reg] = v & 0x1F;
            fixed[reg - 8] = !(v & 0x10);
        } else if (reg == 13) {
            shape = v & 15;
            r[13] = uint8_t(shape);
            envCount = 0;
            envFlag = true;
            envLevel = shape & 4 ? -1 : 32;
        } else {
            r[reg] = v;
        }
    }
    void Envelope() {
        switch (shape) {
        case 8: envLevel = (envLevel + 31) % 32; return;
        case 12: envLevel = (envLevel + 1) % 32; return;
        case 10: case 14: {
            const bool falling = (shape == 10) == envFlag;
            if (falling) { if (envLevel == 0) envFlag = !envFlag; else --envLevel; }
            else { if (envLevel == 31) envFlag = !envFlag; else ++envLevel; }
            return;
        }
        case 11:
            if (envFlag) { if (envLevel == 0) { envLevel = 31; envFlag = false; } else --envLevel; }
            return;
        case 13:
            if (envFlag) { if (envLevel == 31) envFlag = false; else ++envLevel; }
            return;
        default:
            if (shape & 4) {   // 4-7, 15
                if (envFlag) { if (envLevel == 31) { envLevel = 0; envFlag = false; } else ++envLevel; }
            } else {           // 0-3, 9
                if (envFlag) { --envLevel; if (envLevel == 0) envFlag = false; }
            }
        }
    }
    void Tick() {
        for (int c = 0; c < 3; ++c) {
            const uint32_t period = (r[2 * c + 1] & 15u) << 8 | r[2 * c];
            if (++toneCount[c] >= period) { toneCount[c] = 0; toneBit[c] ^= 1; }
        }
        ++noiseCount;
        if (noiseCount % 2 == 0 && noiseCount >= 2u * (r[6] & 31)) {
            noiseCount = 0;
            noise = (((noise << 1) & 0x1FFFF) + 1) ^ (((noise >> 16) ^ (noise >> 13)) & 1);
        }
        if (envCount == 0) Envelope();
        if (++envCount >= (uint32_t(r[12]) << 8 | r[11])) envCount = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t gate = (toneOn[c] ? toneBit[c] : 1) & (noiseOn[c] ? noise >> 16 & 1 : 1);
            if (!gate) continue;
            const int index = fixed[c] ? 2 * (r[8 + c] & 15) + 1 : envLevel;
            sumL += mix[c][0][index];
            sumR += mix[c][1][index];
        }
    }
    // Returns values written; sets resume like the chip.
    bool Render(std::vector<int16_t>& out, uint32_t capacity) {
        const uint32_t limit = uint32_t(budget >> 32);
        bool resume = false;
        while (tickCounter < limit) {
            Tick();
            ++tickCounter;
            ++n;
            if (n >= decimation >> 16) {
                decimation += 371519;
                decimation -= n << 16;
                out.push_back(int16_t(sumL / int32_t(n)));
                out.push_back(int16_t(sumR / int32_t(n)));
                sumL = sumR = 0;
                n = 0;
                if (out.size() >= capacity) {
                    resume = tickCounter < limit;
                    break;
                }
            }
        }
        if (!resume) {
            budget &= 0xFFFFFFFFu;
            tickCounter = 0;
        }
        return resume;
    }
};

TEST(ChipReference, TickLoopMatchesThePlainModelValueForValue) {
    std::mt19937 random(2026);
    CYmChip chip;
    chip.ResetChip(true);
    Model model(chip);
    for (int r = 7; r <= 10; ++r) model.Write(r, 0);
    std::vector<int16_t> buffer;
    std::vector<int16_t> expected;
    uint64_t compared = 0;
    for (int round = 0; round < 1000; ++round) {
        // Now and then another master volume: at 0 nothing is heard and the generators
        // must still run; at a low one only the louder levels are heard.
        if (random() % 4 == 0) {
            const uint32_t pick = random() % 3;
            chip.BuildVolumeTables(pick == 0 ? 0 : pick == 1 ? uint8_t(1 + random() % 40) : 255);
            model.ReadTables(chip);
        }
        // A few register writes of the kind songs and effects make.
        const int writes = 1 + int(random() % 4);
        for (int w = 0; w < writes; ++w) {
            const int reg = int(random() % 14);
            uint8_t v = uint8_t(random());
            if (reg == 1 || reg == 3 || reg == 5) v &= 0x0F;
            if (reg <= 5 && random() % 4 == 0) v &= 3;      // very short periods too
            if (reg == 11 && random() % 3 == 0) v &= 3;
            if (reg == 12) v = random() % 4 ? 0 : v;
            if (reg >= 8 && reg <= 10 && random() % 3 == 0) {
                chip.StoreRegister(reg, v & 15);             // an effect's plain store
                model.r[reg] = v & 15;
                continue;
            }
            chip.WriteRegister(reg, v);
            model.Write(reg, v);
        }
        const uint32_t capacity = 2 * (1 + random() % 400);
        // Short budgets too (effects render a few ticks at a time): every generator must
        // resume exactly where the last call left it.
        const uint32_t ticks = random() % 4 == 0 ? 1 + random() % 12 : 1 + random() % 3000;
        if (!chip.ResumeFlag()) {
            chip.SetBudgetTicks(ticks);
            model.budget = uint64_t(ticks) << 32;
        }
        chip.ClearResume();
        buffer.assign(capacity, 0);
        chip.SetTarget(buffer.data(), capacity);
        chip.Render();
        expected.clear();
        const bool resume = model.Render(expected, capacity);
        ASSERT_EQ(chip.ResumeFlag(), resume) << round;
        ASSERT_EQ(chip.ValueIndex(), expected.size()) << round;
        for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(buffer[i], expected[i]) << round << " " << i;
        ASSERT_EQ(chip.EnvelopeLevel(), model.envLevel) << round;
        ASSERT_EQ(chip.NoiseRegister(), model.noise) << round;
        compared += expected.size();
    }
    EXPECT_GT(compared, 50000u);
}

}  // namespace
