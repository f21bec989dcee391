#include "tools/ym/songmeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "music/ymplayer.h"
#include "music/ymsong.h"

namespace marlipan::songmeter {
namespace {

struct StateDeleter {
    void operator()(ebur128_state* st) const { ebur128_destroy(&st); }
};
using State = std::unique_ptr<ebur128_state, StateDeleter>;

State NewState(unsigned channels) {
    State st(ebur128_init(channels, ym::kSampleRate, EBUR128_MODE_I));
    if (!st) throw std::bad_alloc();
    return st;
}

double GlobalLoudness(ebur128_state* st) {
    double lufs = -HUGE_VAL;
    if (ebur128_loudness_global(st, &lufs) != EBUR128_SUCCESS) return -HUGE_VAL;
    return lufs;
}

// Renders the song as Measure describes; `sides` also meters each channel alone, which
// takes twice the time of metering both together.
Loudness Meter(const std::vector<uint8_t>& song, bool sides) {
    CYmEngine engine;
    if (!engine.LoadPlainSong(song.data(), song.size()) || !engine.Playable())
        throw std::invalid_argument("the engine cannot play the song");
    engine.SetVolume(255);
    engine.SetLooping(false);
    engine.ResetForPass();

    State both = NewState(2), left, right;
    if (sides) left = NewState(1), right = NewState(1);
    std::vector<int16_t> l, r;
    for (int which = 0; !engine.EndOfSong(); which ^= 1) {
        const size_t n = engine.FillBuffer(which) / 2;
        if (n == 0) break;
        const int16_t* s = engine.BufferSamples(which);
        ebur128_add_frames_short(both.get(), s, n);
        if (sides) {
            l.resize(n);
            r.resize(n);
            for (size_t i = 0; i < n; ++i) {
                l[i] = s[2 * i];
                r[i] = s[2 * i + 1];
            }
            ebur128_add_frames_short(left.get(), l.data(), n);
            ebur128_add_frames_short(right.get(), r.data(), n);
        }
    }
    const double nan = std::nan("");
    return {GlobalLoudness(both.get()), sides ? GlobalLoudness(left.get()) : nan,
            sides ? GlobalLoudness(right.get()) : nan};
}

}  // namespace

bool KeepVoices(std::vector<uint8_t>& song, unsigned keep) {
    // Where the frames lie; parsed from a copy, since parsing converts drum samples.
    std::vector<uint8_t> copy = song;
    CYmSong info;
    SongFrames frames;
    ParseSong(copy, info, frames);
    if (frames.Kind == SongKind::Unknown) return false;
    const bool effects = frames.Kind == SongKind::Ym5 || frames.Kind == SongKind::Ym6;
    const size_t registers = effects ? 16 : 14;
    const size_t count = frames.FrameCount;
    const auto byte = [&](size_t frame, size_t reg) -> uint8_t& {
        return song[frames.FrameDataOffset +
                    (frames.Interleaved ? reg * count + frame : frame * registers + reg)];
    };
    for (size_t f = 0; f < count; ++f) {
        for (unsigned voice = 0; voice < 3; ++voice) {
            if (keep & (1u << voice)) continue;
            // Volume 0, not the envelope's: square wave and noise are then silent too. The
            // bits above the volume carry an effect timer's prescaler.
            byte(f, 8 + voice) &= 0xE0;
            // An effect slot names its voice in bits 4 and 5 of R1 (the first slot) and R3
            // (the second): a slot on this voice plays nothing.
            if (effects)
                for (size_t reg : {size_t(1), size_t(3)})
                    if ((byte(f, reg) >> 4 & 3) == voice + 1) byte(f, reg) &= 0xCF;
        }
    }
    return true;
}

Loudness Measure(const std::vector<uint8_t>& song) { return Meter(song, true); }

double Integrated(const std::vector<uint8_t>& song) { return Meter(song, false).integrated; }

std::array<double, 3> MeasureVoices(const std::vector<uint8_t>& song) {
    std::array<double, 3> out;
    for (unsigned voice = 0; voice < 3; ++voice) {
        std::vector<uint8_t> solo = song;
        if (!KeepVoices(solo, 1u << voice)) throw std::invalid_argument("the engine cannot play the song");
        out[voice] = Integrated(solo);
    }
    return out;
}

}  // namespace marlipan::songmeter
