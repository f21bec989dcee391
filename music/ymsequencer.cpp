#include "music/ymsequencer.h"

#include <cmath>

#include "music/ymround.h"

namespace {

// Timer prescaler factors by index; index 0 stops the timer.
const unsigned kPrescaler[8] = {0, 4, 10, 16, 50, 64, 100, 200};

// The two mixer bits that turn off a channel's tone and noise; channel 0 has none.
uint8_t Pair(unsigned channel) { return channel ? uint8_t(0x09u << (channel - 1)) : 0; }

struct SinusTable {
    uint8_t t[16][8];
    SinusTable() {
        // One sine period per 8 steps, swinging between 0 and the effect volume.
        const double pi = 3.14159265358979323846;
        for (int level = 0; level < 16; ++level)
            for (int step = 0; step < 8; ++step)
                t[level][step] =
                    uint8_t(std::lround(level * (1.0 + std::sin(2.0 * pi * step / 8.0)) / 2.0));
    }
};

}  // namespace

const uint8_t (&CYmSequencer::SinusSidTable())[16][8] {
    static const SinusTable table;
    return table.t;
}

CYmSequencer::CYmSequencer(CYmChip& chip) : chip_(chip) {}

void CYmSequencer::SetSong(const std::vector<uint8_t>* data, const SongFrames* frames) {
    data_ = data;
    frames_ = frames;
}

void CYmSequencer::ResetForPass(bool renderState) {
    Position = 0;
    Voice1 = EffectVoice();
    Voice2 = EffectVoice();
    Voice2.Type = kDigiDrum;
    FramePeriod = chip_.TicksPerFrameExact();
    FrameElapsed = FramePeriod;   // the first frame is applied at once
    Step = 0;
    chip_.ResetChip(renderState);
    FramesPlayed = 0;
    EndOfSong = false;
}

uint8_t CYmSequencer::FrameByte(unsigned k) const {
    const SongFrames& f = *frames_;
    const size_t at = f.Interleaved ? size_t(f.FrameDataOffset) + size_t(k) * f.FrameCount + Position
                                    : size_t(f.FrameDataOffset) + Position + k;
    // The parser cut the frame count to the bytes present; this only guards that.
    return at < data_->size() ? (*data_)[at] : 0;
}

double CYmSequencer::TimerPeriod(unsigned prescalerIndex, unsigned count) const {
    return double(kPrescaler[prescalerIndex & 7]) * count * (chip_.ChipClock() / 8.0) /
           double(chip_.EffectTimerClock());
}

bool CYmSequencer::EndTest(bool insideLoop) {
    if (FramesPlayed < frames_->FramesToPlay) return false;
    if (insideLoop && chip_.ResumeFlag()) return false;
    if (Looping()) {
        FramesPlayed = frames_->FramesToPlay;
        return false;
    }
    EndOfSong = true;
    return true;
}

void CYmSequencer::FillBuffer() {
    if (!frames_ || !data_ || !frames_->Playable()) return;
    switch (frames_->Kind) {
    case SongKind::Ym2or3:
    case SongKind::Ym3b: Fill14(); break;
    case SongKind::Ym5:
    case SongKind::Ym6: FillYm56(); break;
    default: break;
    }
}

// ---- 14-register songs ----

void CYmSequencer::Apply14Frame() {
    for (unsigned r = 0; r < 14; ++r) {
        const uint8_t b = FrameByte(r);
        switch (r) {
        case 1: case 3: case 5: chip_.StoreRegister(int(r), b & 0x0F); break;
        case 6: chip_.StoreRegister(6, b & 0x1F); break;
        case 7: chip_.WriteRegister(7, b & 0x3F); break;
        case 8: case 9: case 10: chip_.WriteRegister(int(r), b & 0x1F); break;
        case 13: if (b != 0xFF) chip_.WriteRegister(13, b & 0x0F); break;
        default: chip_.StoreRegister(int(r), b); break;
        }
    }
    ++FramesPlayed;
    ++Position;
}

void CYmSequencer::Fill14() {
    if (chip_.ResumeFlag()) {
        chip_.ClearResume();
        chip_.Render();
        if (chip_.BufferFull()) return;
    }
    if (EndTest(false)) return;
    do {
        Apply14Frame();
        chip_.SetBudgetTicks(chip_.TicksPerFrame());
        chip_.Render();
        EndTest(true);
        if (Position >= frames_->FrameCount) Position = frames_->LoopFrame;
        if (EndOfSong) return;
    } while (!chip_.BufferFull());
}

// ---- YM5 and YM6 songs ----

void CYmSequencer::ApplyYm5Frame() {
    uint8_t b[16];
    for (unsigned k = 0; k < 16; ++k) b[k] = FrameByte(k);
    EffectVoice& sid = Voice1;
    EffectVoice& drum = Voice2;

    chip_.StoreRegister(0, b[0]);
    chip_.StoreRegister(1, b[1] & 0x0F);
    sid.Channel = (b[1] >> 4) & 3;
    sid.Type = kSidVoice;
    if (sid.Channel && (b[1] & 0x40)) sid.Elapsed = 0;

    chip_.StoreRegister(2, b[2]);
    chip_.StoreRegister(3, b[3] & 0x0F);
    drum.Type = kDigiDrum;
    const unsigned d = (b[3] >> 4) & 3;

    chip_.StoreRegister(4, b[4]);
    chip_.StoreRegister(5, b[5] & 0x0F);
    chip_.StoreRegister(6, b[6] & 0x1F);
    if (sid.Channel) sid.PrescalerIndex = b[6] >> 5;

    uint8_t m = b[7] & 0x3F;
    if (d == 0 && drum.Active() && (m & Pair(drum.Channel)) != Pair(drum.Channel))
        drum.Channel = 0;   // the channel got its tone or noise back: the drum is cut
    if (d) m |= Pair(d);
    chip_.WriteRegister(7, m);
    if (d) drum.PrescalerIndex = b[8] >> 5;

    for (unsigned ch = 1; ch <= 3; ++ch) {
        const uint8_t v = b[7 + ch];
        const int voice = int(ch) - 1;
        if (sid.Channel == ch) {
            sid.Level = v & 0x0F;
            chip_.SetFixedLevel(voice, true);
        } else if (d == ch) {
            drum.Level = v & 0x1F;
            chip_.SetFixedLevel(voice, true);
        } else if (drum.Channel != ch) {
            chip_.WriteRegister(7 + int(ch), v & 0x1F);
        }
    }

    chip_.StoreRegister(11, b[11]);
    chip_.StoreRegister(12, b[12]);
    if (b[13] != 0xFF) chip_.WriteRegister(13, b[13] & 0x0F);

    if (sid.Channel) {
        if (b[14] == 0 || sid.PrescalerIndex == 0) {
            sid.Channel = 0;
        } else {
            sid.Period = TimerPeriod(sid.PrescalerIndex, b[14]);
            if (sid.Elapsed >= sid.Period) sid.Elapsed = 0;
        }
    } else {
        sid.Elapsed = 0;
        sid.SidState = 0;
    }

    if (d) {
        drum.Channel = uint8_t(d);
        drum.DrumPosition = 0;
        if (b[15] == 0 || drum.PrescalerIndex == 0) {
            drum.Channel = 0;
        } else {
            drum.Period = TimerPeriod(drum.PrescalerIndex, b[15]);
            if (drum.Elapsed >= drum.Period) drum.Elapsed = 0;
        }
    } else {
        drum.Elapsed = 0;   // a drum already playing goes on
    }

    ++FramesPlayed;
    Position += frames_->Interleaved ? 1 : 16;
}

void CYmSequencer::ApplyYm6Frame() {
    uint8_t b[16];
    for (unsigned k = 0; k < 16; ++k) b[k] = FrameByte(k);
    EffectVoice* voices[2] = {&Voice1, &Voice2};

    chip_.StoreRegister(0, b[0]);
    chip_.StoreRegister(1, b[1] & 0x0F);
    const unsigned c[2] = {unsigned(b[1] >> 4) & 3u, unsigned(b[3] >> 4) & 3u};
    const unsigned t[2] = {unsigned(b[1] >> 6), unsigned(b[3] >> 6)};
    chip_.StoreRegister(2, b[2]);
    chip_.StoreRegister(3, b[3] & 0x0F);
    chip_.StoreRegister(4, b[4]);
    chip_.StoreRegister(5, b[5] & 0x0F);
    chip_.StoreRegister(6, b[6] & 0x1F);
    if (c[0]) Voice1.PrescalerIndex = b[6] >> 5;

    uint8_t m = b[7] & 0x3F;
    for (int i = 0; i < 2; ++i)
        if (t[i] == kDigiDrum) m |= Pair(c[i]);
    for (EffectVoice* v : voices)
        if (v->Active() && v->Type == kDigiDrum && (m & Pair(v->Channel)) != Pair(v->Channel))
            v->Channel = 0;
    chip_.WriteRegister(7, m);
    if (c[1]) Voice2.PrescalerIndex = b[8] >> 5;

    for (unsigned ch = 1; ch <= 3; ++ch) {
        const uint8_t v = b[7 + ch];
        const int voice = int(ch) - 1;
        int taker = c[0] == ch ? 0 : c[1] == ch ? 1 : -1;
        if (taker >= 0) {
            EffectVoice& e = *voices[taker];
            switch (t[taker]) {
            case kDigiDrum:
                e.Level = v & 0x1F;
                chip_.SetFixedLevel(voice, true);
                break;
            case kSyncBuzzer:
                e.Level = v & 0x0F;
                chip_.WriteRegister(7 + int(ch), v & 0x10);
                break;
            default:   // SID voice, sinus SID
                e.Level = v & 0x0F;
                chip_.SetFixedLevel(voice, true);
                break;
            }
        } else {
            bool drumHere = false;
            for (EffectVoice* e : voices)
                if (e->Active() && e->Type == kDigiDrum && e->Channel == ch) drumHere = true;
            if (!drumHere) chip_.WriteRegister(7 + int(ch), v & 0x1F);
        }
    }

    chip_.StoreRegister(11, b[11]);
    chip_.StoreRegister(12, b[12]);
    if (b[13] != 0xFF) chip_.WriteRegister(13, b[13] & 0x0F);

    for (int i = 0; i < 2; ++i) {
        EffectVoice& e = *voices[i];
        const uint8_t count = b[14 + i];
        if (c[i]) {
            e.Type = uint8_t(t[i]);
            e.Channel = uint8_t(c[i]);
            e.DrumPosition = 0;
            if (count == 0 || e.PrescalerIndex == 0) {
                e.Channel = 0;
            } else {
                e.Period = TimerPeriod(e.PrescalerIndex, count);
                if (e.Elapsed >= e.Period) e.Elapsed = 0;
            }
        } else {
            if (e.Type != kDigiDrum) e.Channel = 0;
            e.Elapsed = 0;
            e.SidState = 0;
        }
    }

    ++FramesPlayed;
    Position += frames_->Interleaved ? 1 : 16;
}

void CYmSequencer::FireEvent(EffectVoice& v) {
    const int volumeReg = 7 + v.Channel;   // R8, R9, R10
    ++EffectEvents[v.Type & 3];
    switch (v.Type) {
    case kSidVoice:
        v.SidState = v.SidState ? 0 : v.Level;
        chip_.StoreRegister(volumeReg, v.SidState);
        break;
    case kDigiDrum: {
        // A drum number past the drum table, or a drum already played out, plays nothing.
        const std::vector<DrumEntry>& drums = frames_->DrumTable;
        if (v.Level >= drums.size() || v.DrumPosition >= drums[v.Level].Size) {
            v.Channel = 0;
            break;
        }
        const DrumEntry& drum = drums[v.Level];
        chip_.StoreRegister(volumeReg, (*data_)[drum.Offset + v.DrumPosition] & 0x0F);
        if (++v.DrumPosition >= drum.Size) v.Channel = 0;
        break;
    }
    case kSinusSid:
        chip_.StoreRegister(volumeReg, SinusSidTable()[v.Level & 15][v.SinusStep & 7]);
        v.SinusStep = (v.SinusStep + 1) & 7;
        break;
    case kSyncBuzzer:
        chip_.WriteRegister(13, v.Level);
        break;
    }
}

void CYmSequencer::RunEffectStep() {
    const double frameLeft = FramePeriod - FrameElapsed;
    double step = frameLeft;
    for (EffectVoice* v : {&Voice1, &Voice2}) {
        if (!v->Active()) continue;
        if (v->Elapsed == 0) FireEvent(*v);
        if (v->Active() && v->Period - v->Elapsed < step) step = v->Period - v->Elapsed;
    }
    if (step < 0) step = 0;
    // The 32.32 step: step x 2^32 is exact, and a value exactly halfway between two
    // fractions of a tick goes to the even one, as the chip's tables and rates round.
    Step = uint64_t(ym::RoundHalfEven(step * 4294967296.0));
    chip_.AddBudget(Step);
    if (chip_.BudgetTicks() != 0) chip_.Render();
    for (EffectVoice* v : {&Voice1, &Voice2}) {
        if (!v->Active()) continue;
        v->Elapsed += step;
        if (v->Elapsed >= v->Period) v->Elapsed = 0;
    }
    FrameElapsed += step;
}

void CYmSequencer::FillYm56() {
    const SongFrames& f = *frames_;
    const bool ym6 = f.Kind == SongKind::Ym6;
    const uint32_t stride = f.Interleaved ? 1 : 16;
    const uint32_t end = f.FrameCount * stride;
    const uint32_t loop = f.LoopFrame * stride;

    if (chip_.ResumeFlag()) {
        chip_.ClearResume();
        chip_.Render();
        if (chip_.BufferFull()) return;
    }
    // The song ends only once its last frame has been rendered to its end, so a song
    // that does not loop is not cut short at its last frame's first effect event.
    auto frameDone = [&] { return FrameElapsed >= FramePeriod; };
    if (frameDone() && EndTest(false)) return;
    if (Position >= end) Position = loop;
    do {
        if (FrameElapsed >= FramePeriod) {
            FrameElapsed -= FramePeriod;
            if (ym6) ApplyYm6Frame(); else ApplyYm5Frame();
        }
        RunEffectStep();
        if (frameDone()) EndTest(true);
        if (Position >= end) Position = loop;
        if (EndOfSong) return;
    } while (!chip_.BufferFull());
}
