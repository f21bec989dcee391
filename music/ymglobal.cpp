#include "music/ymglobal.h"

#include <cmath>

#include "music/ymround.h"

namespace ym {

const uint16_t VolumeTable[32] = {
    0,     0,     248,   450,   670,   826,   1010,  1239,  1552,  1919,  2314,
    2626,  3131,  3778,  4407,  5031,  5968,  7161,  8415,  9622,  11421, 13689,
    15957, 18280, 21759, 26148, 30523, 34879, 41434, 49404, 57492, 65535};

}  // namespace ym

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
    timerClock_ = int32_t(ym::RoundHalfEven(double(hz) * 1.25));
    ticksPerSample_ = uint32_t(ym::RoundHalfEven(8192.0 / 44100.0 * double(hz)));
    decimation_ = ticksPerSample_;
    ticksPerFrame_ = uint32_t(ym::RoundHalfEven(double(hz) / 400.0));
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
                const double scaled = ym::RoundHalfEven(gain / 255.0 * ym::VolumeTable[i]);
                const double base = ym::RoundHalfEven(scaled / 65535.0 * f);
                sharedMix_[v * 2 + side][i].store(int32_t(ym::RoundHalfEven(base * m)),
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
    for (int v = 0; v < 3; ++v) {
        envAudible_[v] = false;
        for (int i = 0; i < 32; ++i) {
            mix64_[v][i] = uint64_t(uint32_t(mix_[2 * v][i])) | uint64_t(uint32_t(mix_[2 * v + 1][i])) << 32;
            if (mix64_[v][i] != 0) envAudible_[v] = true;
        }
    }
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

bool CYmChip::EnvelopeHeld() const {
    return !envFlag_ && (envRule_ == kDownHold0 || envRule_ == kUpThen0 ||
                         envRule_ == kDownHold31 || envRule_ == kUpHold31);
}

namespace {

// Ticks until the next event of each generator, from its counter and period (the tick
// on which the event happens counts).
uint32_t ToneDue(uint32_t count, uint32_t period) {   // the bit flips
    return count >= period ? 1 : period - count;
}
uint32_t NoiseDue(uint32_t count, uint32_t period2) {   // the register shifts
    const uint32_t first = period2 > count + 1 ? period2 : count + 1;
    return ((first + 1) & ~1u) - count;   // the first even count at or above both
}
uint32_t EnvelopeDue(uint32_t count, uint32_t period) {   // the envelope steps
    if (count == 0) return 1;
    return (count >= period ? 1 : period - count) + 1;
}

// Runs a generator whose events are due in `due` ticks and then every `every` ticks for
// `ticks` ticks without looking at them: returns how many events happened and leaves
// `due` for the next one.
uint64_t Elapse(uint64_t& due, uint32_t every, uint64_t ticks) {
    if (ticks < due) {
        due -= ticks;
        return 0;
    }
    const uint32_t after = uint32_t(ticks - due);   // a call runs below 2^32 ticks
    due = every - after % every;
    return 1 + after / every;
}

uint32_t StepNoise(uint32_t noise) {
    return (((noise << 1) & 0x1FFFF) + 1) ^ (((noise >> 16) ^ (noise >> 13)) & 1);
}

}  // namespace

// The sound only changes on the ticks where a generator that is heard flips, shifts or
// steps, so the loop jumps from one such tick to the next (or to the end of the sample
// or of the budget) and adds the unchanged mix once per stretch, times its length. The
// generators that cannot be heard in this call (a tone switched off in the mixer or on
// a voice that plays nothing, a fixed level whose entry is 0 or tables all 0 at a low
// master volume; noise no voice that plays takes; an envelope no such voice follows, or
// one that has finished) are not looked at in the loop: their events are counted and
// applied at the end. The result is tick for tick the plain loop of the rules (a test
// compares the two value for value).
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

    // Registers do not change during one call.
    const uint32_t perA = (regs_[1] & 0x0F) << 8 | regs_[0];
    const uint32_t perB = (regs_[3] & 0x0F) << 8 | regs_[2];
    const uint32_t perC = (regs_[5] & 0x0F) << 8 | regs_[4];
    const uint32_t noisePer2 = 2u * (regs_[6] & 0x1F);
    const uint32_t envPer = uint32_t(regs_[12]) << 8 | regs_[11];
    // Ticks between two events once they run (a period of 0 acts like 1; the noise
    // shifts on even counts only).
    const uint32_t everyA = perA ? perA : 1, everyB = perB ? perB : 1, everyC = perC ? perC : 1;
    const uint32_t everyN = noisePer2 > 2 ? noisePer2 : 2;
    const uint32_t everyE = envPer ? envPer : 1;
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

    // What can be heard in this call.
    const bool heardA = fixed_[0] ? mixA[fixA] != 0 : envAudible_[0];
    const bool heardB = fixed_[1] ? mixB[fixB] != 0 : envAudible_[1];
    const bool heardC = fixed_[2] ? mixC[fixC] != 0 : envAudible_[2];
    const bool liveA = heardA && toneOn_[0], liveB = heardB && toneOn_[1],
               liveC = heardC && toneOn_[2];
    const bool liveN = (heardA && noiseOn_[0]) || (heardB && noiseOn_[1]) || (heardC && noiseOn_[2]);
    const bool liveE = !EnvelopeHeld() && ((heardA && !fixed_[0]) || (heardB && !fixed_[1]) ||
                                           (heardC && !fixed_[2]));

    uint64_t dueA = ToneDue(toneCount_[0], perA), dueB = ToneDue(toneCount_[1], perB),
             dueC = ToneDue(toneCount_[2], perC);
    uint64_t dueN = NoiseDue(noiseCount_, noisePer2);
    uint64_t dueE = EnvelopeDue(envCount_, envPer);
    // The tick (counted from the start of this call) of each heard generator's next event.
    constexpr uint64_t kNever = ~uint64_t(0);
    uint64_t atA = liveA ? dueA : kNever, atB = liveB ? dueB : kNever, atC = liveC ? dueC : kNever;
    uint64_t atN = liveN ? dueN : kNever, atE = liveE ? dueE : kNever;

    uint32_t bA = toneBit_[0], bB = toneBit_[1], bC = toneBit_[2];
    uint32_t noise = noise_;
    int envLevel = envLevel_;
    bool envFlag = envFlag_;
    const EnvRule envRule = envRule_;
    auto mix = [&]() -> uint64_t {
        const uint32_t noiseBit = (noise >> 16) & 1;
        const uint64_t gA = 0 - uint64_t((bA | toneOffA) & (noiseBit | noiseOffA));
        const uint64_t gB = 0 - uint64_t((bB | toneOffB) & (noiseBit | noiseOffB));
        const uint64_t gC = 0 - uint64_t((bC | toneOffC) & (noiseBit | noiseOffC));
        return (mixA[(envLevel & envMaskA) | fixA] & gA) + (mixB[(envLevel & envMaskB) | fixB] & gB) +
               (mixC[(envLevel & envMaskC) | fixC] & gC);
    };

    // Left in the low half, right in the high half: both sides in one addition.
    uint64_t sum = uint64_t(uint32_t(sumLeft_)) | uint64_t(uint32_t(sumRight_)) << 32;
    uint32_t n = n_;
    uint32_t decimation = decimation_;
    uint32_t span = decimation >> 16;
    const uint64_t end = limit - tickCounter_;
    uint64_t now = 0;
    int16_t* const out = out_;
    uint32_t index = valueIndex_;
    const uint32_t capacity = capacity_;
    const uint32_t ticksPerSample = ticksPerSample_;
    bool full = false;
    auto nextEvent = [&]() {
        uint64_t t = atA < atB ? atA : atB;
        t = t < atC ? t : atC;
        t = t < atN ? t : atN;
        return t < atE ? t : atE;
    };
    uint64_t next = nextEvent();
    // The mix of the ticks until the next event (the tick of an event mixes after it).
    uint64_t level = mix();

    for (;;) {
        // Whole samples without an event: each is the unchanged mix (n times it, divided
        // by n).
        if (n == 0 && next - now > span && end - now >= span) {
            const int16_t l = int16_t(uint32_t(level)), r = int16_t(uint32_t(level >> 32));
            do {
                now += span;
                decimation += ticksPerSample;
                decimation -= span << 16;
                span = decimation >> 16;
                out[index++] = l;
                out[index++] = r;
                if (index >= capacity) { full = true; break; }
            } while (next - now > span && end - now >= span);
            if (full || now >= end) break;
        }
        // Ticks up to the end of the current sample or of the budget, whichever is first.
        const uint64_t want = span > n ? span - n : 1;
        const uint64_t left = end - now;
        uint64_t k = want < left ? want : left;
        if (next - now <= k) {
            k = next - now;
            sum += (k - 1) * level;
            now = next;
            if (atA == now) { bA ^= 1; atA += everyA; }
            if (atB == now) { bB ^= 1; atB += everyB; }
            if (atC == now) { bC ^= 1; atC += everyC; }
            if (atN == now) { noise = StepNoise(noise); atN += everyN; }
            if (atE == now) { StepEnvelope(envRule, envLevel, envFlag); atE += everyE; }
            level = mix();
            sum += level;
            next = nextEvent();
        } else {
            sum += k * level;
            now += k;
        }
        n += uint32_t(k);
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
        if (now >= end) break;
    }

    // Bring every generator to the tick reached: the heard ones from their event ticks,
    // the others by counting their events over the whole call.
    const uint64_t ran = now;
    auto tone = [&](bool live, uint64_t at, uint64_t& due, uint32_t every, uint32_t& bit,
                    uint16_t& count) {
        uint64_t events;
        if (live) {
            events = at != due;
            due = at - ran;
        } else {
            events = Elapse(due, every, ran);
            bit ^= uint32_t(events & 1);
        }
        count = uint16_t(events ? every - due : count + ran);
    };
    tone(liveA, atA, dueA, everyA, bA, toneCount_[0]);
    tone(liveB, atB, dueB, everyB, bB, toneCount_[1]);
    tone(liveC, atC, dueC, everyC, bC, toneCount_[2]);
    toneBit_[0] = uint8_t(bA); toneBit_[1] = uint8_t(bB); toneBit_[2] = uint8_t(bC);

    uint64_t shifts;
    if (liveN) {
        shifts = atN != dueN;
        dueN = atN - ran;
    } else {
        shifts = Elapse(dueN, everyN, ran);
        for (uint64_t i = 0; i < shifts; ++i) noise = StepNoise(noise);
    }
    noiseCount_ = uint16_t(shifts ? everyN - dueN : noiseCount_ + ran);
    noise_ = noise;

    uint64_t steps;
    if (liveE) {
        steps = atE != dueE;
        dueE = atE - ran;
    } else {
        steps = Elapse(dueE, everyE, ran);
        // One step leaves a fresh shape's start level; from there every shape repeats
        // within 64 steps or has finished after 33.
        if (steps > 65) steps = 65 + (steps - 65) % 64;
        if (!EnvelopeHeld())
            for (uint64_t i = 0; i < steps; ++i) StepEnvelope(envRule, envLevel, envFlag);
    }
    if (steps) {
        const uint64_t count = everyE - dueE + 1;   // 1..everyE, where everyE means 0
        envCount_ = count == everyE ? 0 : uint32_t(count);
    } else {
        envCount_ = envCount_ + ran >= envPer ? 0 : uint32_t(envCount_ + ran);
    }
    envLevel_ = envLevel;
    envFlag_ = envFlag;

    sumLeft_ = int32_t(uint32_t(sum));
    sumRight_ = int32_t(uint32_t(sum >> 32));
    n_ = n;
    decimation_ = decimation;
    valueIndex_ = index;
    totalTicks_ += ran;

    const uint32_t tick = tickCounter_ + uint32_t(ran);
    if (full && tick < limit) {
        tickCounter_ = tick;
        resume_ = true;
        return;
    }
    // Budget used up, also when the buffer filled on the very last tick of it.
    budget_ &= 0xFFFFFFFFu;
    tickCounter_ = 0;
}
