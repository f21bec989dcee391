#include "music/ymglobal.h"

#include <cmath>

namespace ym {

const uint16_t VolumeTable[32] = {
    0,     0,     248,   450,   670,   826,   1010,  1239,  1552,  1919,  2314,
    2626,  3131,  3778,  4407,  5031,  5968,  7161,  8415,  9622,  11421, 13689,
    15957, 18280, 21759, 26148, 30523, 34879, 41434, 49404, 57492, 65535};

}  // namespace ym

namespace {

// Nearest integer, halves to even (the default floating-point rounding mode).
double RoundEven(double x) { return std::nearbyint(x); }

}  // namespace

CYmChip::CYmChip() {
    for (auto& table : sharedMix_)
        for (auto& e : table) e.store(0, std::memory_order_relaxed);
    SetChipClock(ym::kPlaybackClock);
    BuildVolumeTables(255);
    ResetChip(true);
}

void CYmChip::StoreRegister(int reg, uint8_t value) { regs_[reg & 15] = value; }

void CYmChip::WriteRegister(int reg, uint8_t value) {
    reg &= 15;
    switch (reg) {
    case ym::R7:
        regs_[reg] = value & 0x3F;
        for (int v = 0; v < 3; ++v) {
            toneOn_[v] = !(value & (1 << v));
            noiseOn_[v] = !(value & (8 << v));
        }
        break;
    case ym::R8:
    case ym::R9:
    case ym::R10:
        regs_[reg] = value & 0x1F;
        fixed_[reg - ym::R8] = !(value & 0x10);
        break;
    case ym::R13: {
        const uint8_t shape = value & 0x0F;
        regs_[reg] = shape;
        envCount_ = 0;
        envFlag_ = true;
        envLevel_ = (shape & 4) ? -1 : 32;
        static const EnvRule rules[16] = {
            kDownHold0, kDownHold0, kDownHold0, kDownHold0, kUpThen0,   kUpThen0,
            kUpThen0,   kUpThen0,   kSawDown,   kDownHold0, kTriangleDown, kDownHold31,
            kSawUp,     kUpHold31,  kTriangleUp, kUpThen0};
        envRule_ = rules[shape];
        break;
    }
    default:
        regs_[reg] = value;
        break;
    }
}

void CYmChip::StepEnvelope(EnvRule rule, int& level, bool& flag) {
    switch (rule) {
    case kDownHold0:
        if (flag && --level <= 0) { level = 0; flag = false; }
        break;
    case kUpThen0:
        if (flag) {
            if (level >= 31) { level = 0; flag = false; } else ++level;
        }
        break;
    case kSawDown:
        level = (level - 1) & 31;
        break;
    case kTriangleDown:
    case kTriangleUp:
        // The flag is the direction: set means moving away from the start level.
        if ((rule == kTriangleDown) == flag) {
            if (level <= 0) { level = 0; flag = !flag; } else --level;
        } else {
            if (level >= 31) { level = 31; flag = !flag; } else ++level;
        }
        break;
    case kDownHold31:
        if (flag) {
            if (level <= 0) { level = 31; flag = false; } else --level;
        }
        break;
    case kSawUp:
        level = (level + 1) & 31;
        break;
    case kUpHold31:
        if (flag) {
            if (level >= 31) { level = 31; flag = false; } else ++level;
        }
        break;
    }
}

void CYmChip::SetChipClock(int32_t hz) {
    if (hz < ym::kMinClock || hz > ym::kMaxClock) return;
    clock_ = hz;
    timerClock_ = int32_t(RoundEven(double(hz) * 1.25));
    ticksPerSample_ = uint32_t(RoundEven(8192.0 / 44100.0 * double(hz)));
    decimation_ = ticksPerSample_;
    ticksPerFrame_ = uint32_t(RoundEven(double(hz) / 400.0));
    ticksPerFrameExact_ = double(hz) / 400.0;
}

void CYmChip::BuildVolumeTables(uint8_t masterVolume) {
    int sumLeft = 0, sumRight = 0;
    for (int v = 0; v < 3; ++v) {
        sumLeft += ym::kGainLeft[v];
        sumRight += ym::kGainRight[v];
    }
    int g = sumLeft > sumRight ? sumLeft : sumRight;
    if (g == 0) g = 1;
    const double f = double((32767 * 255) / g);
    const double m = std::pow(2.0, double(masterVolume) / 255.0) - 1.0;
    for (int v = 0; v < 3; ++v) {
        for (int side = 0; side < 2; ++side) {
            const double gain = side ? ym::kGainRight[v] : ym::kGainLeft[v];
            for (int i = 0; i < 32; ++i) {
                const double scaled = RoundEven(gain / 255.0 * ym::VolumeTable[i]);
                const double base = RoundEven(scaled / 65535.0 * f);
                sharedMix_[v * 2 + side][i].store(int32_t(RoundEven(base * m)),
                                                  std::memory_order_relaxed);
            }
        }
    }
    sharedGeneration_.fetch_add(1, std::memory_order_release);
}

void CYmChip::LatchVolumeTables() {
    const uint32_t gen = sharedGeneration_.load(std::memory_order_acquire);
    if (gen == latchedGeneration_) return;
    latchedGeneration_ = gen;
    for (int t = 0; t < 6; ++t)
        for (int i = 0; i < 32; ++i) mix_[t][i] = sharedMix_[t][i].load(std::memory_order_relaxed);
    for (int v = 0; v < 3; ++v)
        for (int i = 0; i < 32; ++i)
            mix64_[v][i] = uint64_t(uint32_t(mix_[2 * v][i])) | uint64_t(uint32_t(mix_[2 * v + 1][i])) << 32;
}

int32_t CYmChip::MixEntry(int voice, int side, int index) const {
    return sharedMix_[(voice % 3) * 2 + (side & 1)][index & 31].load(std::memory_order_relaxed);
}

void CYmChip::ResetChip(bool renderState) {
    for (int r = 0; r <= ym::R12; ++r) regs_[r] = 0;
    WriteRegister(ym::R13, 0);
    envFlag_ = false;
    envLevel_ = 0;
    WriteRegister(ym::R7, 0);
    WriteRegister(ym::R8, 0);
    WriteRegister(ym::R9, 0);
    WriteRegister(ym::R10, 0);
    envCount_ = 0;
    noiseCount_ = 0;
    noise_ = 0xFFFF;
    for (int v = 0; v < 3; ++v) {
        toneCount_[v] = 0;
        toneBit_[v] = 0;
    }
    if (renderState) {
        resume_ = false;
        budget_ = 0;
        tickCounter_ = 0;
        sumLeft_ = sumRight_ = 0;
        n_ = 0;
        decimation_ = ticksPerSample_;
        valueIndex_ = 0;
        totalTicks_ = 0;
    }
}

void CYmChip::SetTarget(int16_t* buffer, uint32_t capacityValues) {
    out_ = buffer;
    capacity_ = buffer ? capacityValues & ~1u : 0;   // whole stereo samples only
    valueIndex_ = 0;
    LatchVolumeTables();
}

void CYmChip::Render() {
    const uint32_t limit = uint32_t(budget_ >> 32);
    if (valueIndex_ >= capacity_) {
        if (tickCounter_ < limit) resume_ = true;
        else { budget_ &= 0xFFFFFFFFu; tickCounter_ = 0; }
        return;
    }
    if (tickCounter_ >= limit) {
        budget_ &= 0xFFFFFFFFu;
        tickCounter_ = 0;
        return;
    }

    // The tick loop works on locals; registers do not change during one call.
    const uint32_t perA = (regs_[1] & 0x0F) << 8 | regs_[0];
    const uint32_t perB = (regs_[3] & 0x0F) << 8 | regs_[2];
    const uint32_t perC = (regs_[5] & 0x0F) << 8 | regs_[4];
    const uint32_t noisePer2 = 2u * (regs_[6] & 0x1F);
    const uint32_t envPer = uint32_t(regs_[12]) << 8 | regs_[11];
    // Gate masks: a disabled tone or noise holds its side of the gate open.
    const uint32_t toneOffA = toneOn_[0] ? 0 : 1, toneOffB = toneOn_[1] ? 0 : 1,
                   toneOffC = toneOn_[2] ? 0 : 1;
    const uint32_t noiseOffA = noiseOn_[0] ? 0 : 1, noiseOffB = noiseOn_[1] ? 0 : 1,
                   noiseOffC = noiseOn_[2] ? 0 : 1;
    // A voice at a fixed level reads one entry; one that follows the envelope reads the
    // entry of the current envelope level.
    const int envMaskA = fixed_[0] ? 0 : 31, envMaskB = fixed_[1] ? 0 : 31,
              envMaskC = fixed_[2] ? 0 : 31;
    const int fixA = fixed_[0] ? 2 * (regs_[8] & 15) + 1 : 0;
    const int fixB = fixed_[1] ? 2 * (regs_[9] & 15) + 1 : 0;
    const int fixC = fixed_[2] ? 2 * (regs_[10] & 15) + 1 : 0;
    const uint64_t* mixA = mix64_[0];
    const uint64_t* mixB = mix64_[1];
    const uint64_t* mixC = mix64_[2];

    uint32_t cA = toneCount_[0], cB = toneCount_[1], cC = toneCount_[2];
    uint32_t bA = toneBit_[0], bB = toneBit_[1], bC = toneBit_[2];
    uint32_t noiseCount = noiseCount_;
    uint32_t noise = noise_;
    uint32_t envCount = envCount_;
    int envLevel = envLevel_;
    bool envFlag = envFlag_;
    const EnvRule envRule = envRule_;
    // Left in the low half, right in the high half: both sides in one addition.
    uint64_t sum = uint64_t(uint32_t(sumLeft_)) | uint64_t(uint32_t(sumRight_)) << 32;
    uint32_t n = n_;
    uint32_t decimation = decimation_;
    uint32_t span = decimation >> 16;
    uint32_t tick = tickCounter_;
    const uint32_t tickStart = tick;
    int16_t* const out = out_;
    uint32_t index = valueIndex_;
    const uint32_t capacity = capacity_;
    const uint32_t ticksPerSample = ticksPerSample_;
    bool full = false;

    for (;;) {
        // Ticks up to the end of the current sample or of the budget, whichever is first.
        const uint32_t want = span > n ? span - n : 1;
        const uint32_t avail = limit - tick;
        const uint32_t k = want < avail ? want : avail;
        for (uint32_t t = 0; t < k; ++t) {
            if (++cA >= perA) { cA = 0; bA ^= 1; }
            if (++cB >= perB) { cB = 0; bB ^= 1; }
            if (++cC >= perC) { cC = 0; bC ^= 1; }
            if (!(++noiseCount & 1) && noiseCount >= noisePer2) {
                noiseCount = 0;
                noise = (((noise << 1) & 0x1FFFF) + 1) ^ (((noise >> 16) ^ (noise >> 13)) & 1);
            }
            if (envCount == 0) StepEnvelope(envRule, envLevel, envFlag);
            if (++envCount >= envPer) envCount = 0;

            const uint32_t noiseBit = (noise >> 16) & 1;
            const int env = envLevel;
            const uint64_t gA = 0 - uint64_t((bA | toneOffA) & (noiseBit | noiseOffA));
            const uint64_t gB = 0 - uint64_t((bB | toneOffB) & (noiseBit | noiseOffB));
            const uint64_t gC = 0 - uint64_t((bC | toneOffC) & (noiseBit | noiseOffC));
            sum += (mixA[(env & envMaskA) | fixA] & gA) + (mixB[(env & envMaskB) | fixB] & gB) +
                   (mixC[(env & envMaskC) | fixC] & gC);
        }
        tick += k;
        n += k;
        if (n >= span) {
            decimation += ticksPerSample;
            decimation -= n << 16;
            span = decimation >> 16;
            const int32_t sumL = int32_t(uint32_t(sum)), sumR = int32_t(uint32_t(sum >> 32));
            int32_t l, r;
            switch (n) {   // constant divisors become multiplications
            case 5: l = sumL / 5; r = sumR / 5; break;
            case 6: l = sumL / 6; r = sumR / 6; break;
            default: l = sumL / int32_t(n); r = sumR / int32_t(n); break;
            }
            out[index++] = int16_t(l);
            out[index++] = int16_t(r);
            sum = 0;
            n = 0;
            if (index >= capacity) { full = true; break; }
        }
        if (tick >= limit) break;
    }

    toneCount_[0] = uint16_t(cA); toneCount_[1] = uint16_t(cB); toneCount_[2] = uint16_t(cC);
    toneBit_[0] = uint8_t(bA); toneBit_[1] = uint8_t(bB); toneBit_[2] = uint8_t(bC);
    noiseCount_ = uint16_t(noiseCount);
    noise_ = noise;
    envCount_ = envCount;
    envLevel_ = envLevel;
    envFlag_ = envFlag;
    sumLeft_ = int32_t(uint32_t(sum));
    sumRight_ = int32_t(uint32_t(sum >> 32));
    n_ = n;
    decimation_ = decimation;
    valueIndex_ = index;
    totalTicks_ += tick - tickStart;

    if (full && tick < limit) {
        tickCounter_ = tick;
        resume_ = true;
        return;
    }
    // Budget used up, also when the buffer filled on the very last tick of it.
    budget_ &= 0xFFFFFFFFu;
    tickCounter_ = 0;
}
