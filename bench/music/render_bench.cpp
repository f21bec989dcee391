// Rendering speed of the music engine: seconds of music per second of CPU, for a plain
// 14-register song and for YM6 songs with two effects running in every frame. The game
// needs 1x; the target is at least 1000x for the 14-register song and 500x for the
// others, so rendering never competes with the game.
#include <benchmark/benchmark.h>

#include "music/ymplayer.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"

namespace {

using songwriter::Frame14;
using songwriter::Frame16;

// Three tones, noise on B, the envelope on C: every generator busy.
std::vector<uint8_t> Song14() {
    std::vector<Frame14> frames;
    for (int i = 0; i < 500; ++i) {
        Frame14 f{};
        f[0] = uint8_t(0x40 + i % 97);
        f[1] = uint8_t(i % 3);
        f[2] = uint8_t(0x90 + i % 31);
        f[4] = uint8_t(0x20 + i % 13);
        f[5] = 1;
        f[6] = uint8_t(i % 32);
        f[7] = 0x28;   // tones on, noise on B only
        f[8] = 15;
        f[9] = uint8_t(8 + i % 8);
        f[10] = 0x10;
        f[11] = uint8_t(20 + i % 50);
        f[13] = i % 8 == 0 ? uint8_t(8 + i % 8) : 0xFF;
        frames.push_back(f);
    }
    return songwriter::Ym14("YM3!", frames);
}

// Every frame runs two effects; the pairs change through SID voice, sinus SID, digital
// drum and sync buzzer. Timer periods in chip ticks (250 000 per second) as songs use
// them: a SID or sinus SID voice at note pitch, a drum at 8 kHz, a buzzer at bass pitch.
// Dense: every timer at 10..30 ticks, far busier than songs get.
std::vector<uint8_t> SongYm6(bool dense) {
    songwriter::Ym56 s;
    s.attributes = 1;
    std::vector<uint8_t> drum(2000);
    for (size_t i = 0; i < drum.size(); ++i) drum[i] = uint8_t((i * 37) ^ (i >> 3));
    s.drums = {drum};
    for (int i = 0; i < 500; ++i) {
        Frame16 f{};
        f[0] = uint8_t(0x50 + i % 41);
        f[2] = uint8_t(0x70 + i % 23);
        f[4] = uint8_t(0x30 + i % 17);
        f[7] = 0x38;
        f[8] = 12;
        f[9] = 11;
        f[10] = 0x10 | 10;
        f[11] = 40;
        f[13] = 0xFF;
        switch ((i / 25) % 3) {
        case 0:   // SID at 440 Hz (285 ticks), drum at 8 kHz (31.2 ticks)
            if (dense) songwriter::SetEffect1(f, 1, kSidVoice, 1, uint8_t(30 + i % 40));
            else songwriter::SetEffect1(f, 1, kSidVoice, 4, 57);
            songwriter::SetEffect2(f, 2, kDigiDrum, 1, dense ? 45 : 78);
            f[9] = 0;
            break;
        case 1:   // sinus SID at 220 Hz (142 ticks a step), buzzer at 110 Hz (2270 ticks)
            songwriter::SetEffect1(f, 2, kSinusSid, 2, dense ? uint8_t(20 + i % 10) : 142);
            if (dense) songwriter::SetEffect2(f, 3, kSyncBuzzer, 3, 60);
            else songwriter::SetEffect2(f, 3, kSyncBuzzer, 6, 227);
            f[10] = 0x10 | 12;
            break;
        default:  // SID at 660 Hz (190 ticks), sinus SID at 330 Hz (95 ticks a step)
            if (dense) songwriter::SetEffect1(f, 3, kSidVoice, 1, 25);
            else songwriter::SetEffect1(f, 3, kSidVoice, 4, 38);
            songwriter::SetEffect2(f, 1, kSinusSid, dense ? 1 : 2, dense ? 70 : 95);
            break;
        }
        s.frames.push_back(f);
    }
    return s.Build();
}

void RenderSong(benchmark::State& state, const std::vector<uint8_t>& song) {
    CYmEngine engine;
    const std::vector<uint8_t> packed = lh5::PackArchive(song, "bench.ym");
    if (!engine.LoadSong(packed.data(), packed.size()) || !engine.Playable()) {
        state.SkipWithError("song did not load");
        return;
    }
    engine.SetLooping(true);
    engine.ResetForPass();
    uint64_t values = 0;
    int which = 0;
    for (auto _ : state) {
        values += engine.FillBuffer(which);
        benchmark::DoNotOptimize(engine.BufferSamples(which)[0]);
        which ^= 1;
    }
    // Seconds of music per second of CPU (a rate counter is divided by CPU time).
    state.counters["realtime_x"] =
        benchmark::Counter(double(values) / 2.0 / 44100.0, benchmark::Counter::kIsRate);
}

// The most effect work a song can ask for: both timers at their fastest (prescaler 4,
// count 1: an event every 0.4 chip ticks, 12 500 per frame each) in every frame, with
// the effect types given. A hostile song can do no more than this per buffer; realtime_x
// must stay far above 1 so that it cannot starve the audio thread (a buffer holds 370 ms).
std::vector<uint8_t> SongFastestTimers(EffectType type1, EffectType type2) {
    songwriter::Ym56 s;
    s.drums = {std::vector<uint8_t>(60000, 0x80)};
    for (int i = 0; i < 100; ++i) {
        Frame16 f = songwriter::Silent16();
        f[7] = 0x38;
        f[8] = 15;
        f[9] = 0x10;
        f[11] = 1;
        songwriter::SetEffect1(f, 1, type1, 1, 1);
        songwriter::SetEffect2(f, 2, type2, 1, 1);
        s.frames.push_back(f);
    }
    return s.Build();
}

void BM_Render14Register(benchmark::State& state) { RenderSong(state, Song14()); }
void BM_RenderYm6FastestTimers(benchmark::State& state) {
    RenderSong(state, SongFastestTimers(EffectType(state.range(0)), EffectType(state.range(1))));
}
void BM_RenderYm6Effects(benchmark::State& state) { RenderSong(state, SongYm6(false)); }
void BM_RenderYm6DenseEffects(benchmark::State& state) { RenderSong(state, SongYm6(true)); }

BENCHMARK(BM_Render14Register)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderYm6Effects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderYm6DenseEffects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderYm6FastestTimers)
    ->ArgNames({"type1", "type2"})
    ->Args({kSidVoice, kSidVoice})
    ->Args({kSinusSid, kDigiDrum})
    ->Args({kSyncBuzzer, kSyncBuzzer})
    ->Args({kSinusSid, kSyncBuzzer})
    ->Unit(benchmark::kMillisecond);

}  // namespace
