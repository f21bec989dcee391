#pragma once
// The frame sequencer: applies one frame of registers every 1/50 s of chip time, lets
// the chip render the ticks in between, carries a frame that did not fit into the next
// buffer, loops the song, and runs the special effects of YM5/YM6 songs on emulated
// timers whose fractional periods are carried from one event to the next.

#include <atomic>
#include <cstdint>
#include <vector>

#include "music/ymglobal.h"
#include "music/ymsong.h"

enum EffectType : uint8_t { kSidVoice = 0, kDigiDrum = 1, kSinusSid = 2, kSyncBuzzer = 3 };

struct EffectVoice {
    uint8_t Channel = 0;          // 0 inactive, 1 A, 2 B, 3 C
    uint8_t Type = kSidVoice;
    uint8_t PrescalerIndex = 0;
    uint8_t Level = 0;            // SID: volume; drum: drum number; buzzer: shape
    uint32_t DrumPosition = 0;
    uint8_t SidState = 0;
    uint32_t SinusStep = 0;
    double Elapsed = 0;           // ticks since the last event; 0: an event is due
    double Period = 0;            // ticks between events

    bool Active() const { return Channel != 0; }
};

class CYmSequencer {
public:
    explicit CYmSequencer(CYmChip& chip);

    // The song to play (data and frames must outlive the sequencer's use); nullptr: none.
    void SetSong(const std::vector<uint8_t>* data, const SongFrames* frames);

    // Reset for a pass: position 0, effects off, the chip reset (with its render state
    // unless the engine is already playing).
    void ResetForPass(bool renderState = true);

    // Fills the chip's current target from its start with the frame handler of the song.
    // Afterwards the chip's value index is the number of values written; fewer than the
    // capacity only when a song that does not loop has ended.
    void FillBuffer();

    void SetLooping(bool on) { looping_.store(on, std::memory_order_relaxed); }
    bool Looping() const { return looping_.load(std::memory_order_relaxed); }

    // One pass of the effect scheduler followed by the render of the step it chose.
    void RunEffectStep();

    // Volume steps of the sinus SID: row = effect volume, column = step.
    static const uint8_t (&SinusSidTable())[16][8];

    uint32_t Position = 0;
    uint32_t FramesPlayed = 0;
    bool EndOfSong = false;
    double FramePeriod = 5000.0;
    double FrameElapsed = 0;
    uint64_t Step = 0;
    EffectVoice Voice1, Voice2;
    // Effect events fired since the sequencer was made, by effect type; tools and tests
    // read them to see which effects a song really plays.
    uint64_t EffectEvents[4] = {0, 0, 0, 0};

private:
    bool EndTest(bool insideLoop);
    void Fill14();
    void FillYm56();
    void Apply14Frame();
    void ApplyYm5Frame();
    void ApplyYm6Frame();
    uint8_t FrameByte(unsigned k) const;
    double TimerPeriod(unsigned prescalerIndex, unsigned count) const;
    void FireEvent(EffectVoice& v);

    CYmChip& chip_;
    const std::vector<uint8_t>* data_ = nullptr;
    const SongFrames* frames_ = nullptr;
    std::atomic<bool> looping_{false};
};
