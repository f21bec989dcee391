#pragma once
// The emulated sound chip: three square-wave voices, one noise generator, one 32-step
// envelope generator and three logarithmic volume outputs, rendered at one tick per 8
// clock cycles and box-filtered down to 44 100 Hz, 16-bit stereo.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace ym {

constexpr int32_t kPlaybackClock = 2000000;   // songs always play at this clock
constexpr int32_t kMinClock = 1000000;
constexpr int32_t kMaxClock = 3000000;
constexpr uint32_t kSampleRate = 44100;
constexpr uint32_t kBufferBytes = 65280;
constexpr uint32_t kBufferValues = kBufferBytes / 2;   // 16-bit values, left then right

// Output level of each envelope step; fixed level v plays entry 2v + 1.
extern const uint16_t VolumeTable[32];

// Fixed stereo placement: A mostly left, B centre, C mostly right.
constexpr uint8_t kGainLeft[3] = {255, 170, 13};
constexpr uint8_t kGainRight[3] = {13, 170, 255};

enum Register : int {
    R0 = 0, R1, R2, R3, R4, R5, R6, R7, R8, R9, R10, R11, R12, R13, kRegisterCount
};

}  // namespace ym

class CYmChip {
public:
    CYmChip();

    // Registers. WriteRegister applies the write operations of R7..R10 and R13 (derived
    // flags, envelope restart); StoreRegister is a plain store that leaves them alone, as
    // the special effects need.
    void WriteRegister(int reg, uint8_t value);
    void StoreRegister(int reg, uint8_t value);
    uint8_t Register(int reg) const { return regs_[reg & 15]; }
    void SetFixedLevel(int voice, bool fixed) { fixed_[voice] = fixed; }
    bool FixedLevel(int voice) const { return fixed_[voice]; }
    bool ToneEnabled(int voice) const { return toneOn_[voice]; }
    bool NoiseEnabled(int voice) const { return noiseOn_[voice]; }

    // Generator state, read by tests and tools.
    int EnvelopeLevel() const { return envLevel_; }
    bool EnvelopeFlag() const { return envFlag_; }
    uint32_t NoiseRegister() const { return noise_; }
    int ToneBit(int voice) const { return toneBit_[voice]; }

    // Clock: values outside 1..3 MHz are ignored.
    void SetChipClock(int32_t hz);
    int32_t ChipClock() const { return clock_; }
    int32_t EffectTimerClock() const { return timerClock_; }
    uint32_t TicksPerSample() const { return ticksPerSample_; }   // 16.16
    uint32_t TicksPerFrame() const { return ticksPerFrame_; }
    double TicksPerFrameExact() const { return ticksPerFrameExact_; }

    // Rebuilds the six mixing tables for a master volume 0..255. Safe to call from one
    // thread while another renders: the renderer only reads them at LatchVolumeTables.
    void BuildVolumeTables(uint8_t masterVolume);
    // Takes over the latest tables on the rendering thread; cheap when nothing changed.
    void LatchVolumeTables();
    // Entry of the mixing table of a voice and side (0 left, 1 right) as last built.
    int32_t MixEntry(int voice, int side, int index) const;

    // Register and generator reset at the start of playback; the render state (budget,
    // counters, filter) as well when renderState is true.
    void ResetChip(bool renderState = true);

    // Render target: rendering appends from value 0 until capacity values are written.
    void SetTarget(int16_t* buffer, uint32_t capacityValues);
    uint32_t ValueIndex() const { return valueIndex_; }
    bool BufferFull() const { return valueIndex_ >= capacity_; }

    // Tick budget, 32.32 fixed point: rendering runs until the tick counter reaches its
    // integer part.
    void SetBudgetTicks(uint32_t ticks) {
        budget_ = (uint64_t(ticks) << 32) | (budget_ & 0xFFFFFFFFu);
    }
    void AddBudget(uint64_t ticks32_32) { budget_ += ticks32_32; }
    uint64_t Budget() const { return budget_; }
    uint32_t BudgetTicks() const { return uint32_t(budget_ >> 32); }
    uint32_t TickCounter() const { return tickCounter_; }
    // The buffer filled up before the budget was used up: the rest is due next buffer.
    bool ResumeFlag() const { return resume_; }
    void ClearResume() { resume_ = false; }

    // Runs ticks until the budget is used up or the buffer is full.
    void Render();

    // Ticks rendered since the last ResetChip: lets tests and tools measure chip time.
    uint64_t TotalTicks() const { return totalTicks_; }

private:
    enum EnvRule : uint8_t {
        kDownHold0, kUpThen0, kSawDown, kTriangleDown, kDownHold31, kSawUp, kUpHold31,
        kTriangleUp
    };
    static void StepEnvelope(EnvRule rule, int& level, bool& flag);
    // A one-shot shape that has finished: its steps change nothing until R13 is written.
    bool EnvelopeHeld() const;

    uint8_t regs_[16] = {};
    bool toneOn_[3] = {};
    bool noiseOn_[3] = {};
    bool fixed_[3] = {};

    uint16_t toneCount_[3] = {};
    uint8_t toneBit_[3] = {};
    uint16_t noiseCount_ = 0;
    uint32_t noise_ = 0xFFFF;
    uint32_t envCount_ = 0;
    int envLevel_ = 0;
    bool envFlag_ = false;
    EnvRule envRule_ = kDownHold0;

    int32_t clock_ = ym::kPlaybackClock;
    int32_t timerClock_ = 2500000;
    uint32_t ticksPerSample_ = 371519;
    uint32_t ticksPerFrame_ = 5000;
    double ticksPerFrameExact_ = 5000.0;

    // Tables as built (shared with the building thread) and as used by the tick loop.
    std::atomic<int32_t> sharedMix_[6][32];
    std::atomic<uint32_t> sharedGeneration_{0};
    uint32_t latchedGeneration_ = ~0u;
    int32_t mix_[6][32] = {};
    // Per voice: left entry in the low 32 bits, right in the high 32 bits. Entries are
    // never negative and a sample sums at most a few ticks, so the halves cannot carry.
    uint64_t mix64_[3][32] = {};
    // Per voice: some entry of its tables is not 0, so following the envelope is heard.
    bool envAudible_[3] = {};

    int32_t sumLeft_ = 0;
    int32_t sumRight_ = 0;
    uint32_t n_ = 0;
    uint32_t decimation_ = 371519;   // 16.16: integer part = ticks of the current sample
    uint32_t tickCounter_ = 0;
    uint64_t budget_ = 0;
    int16_t* out_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t valueIndex_ = 0;
    bool resume_ = false;
    uint64_t totalTicks_ = 0;
};
