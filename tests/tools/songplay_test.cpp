// The generated songs through the game's own music engine: they load, play in tune, are
// neither silent nor at full scale, and the bundled ones sit together: one loudness, the
// tune in the middle, the bass under it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "music/ymplayer.h"
#include "music/ymsequencer.h"
#include "tools/lh5/lh5pack.h"
#include "tools/songgen/score.h"
#include "tools/ym/songmeter.h"

using namespace marlipan::songgen;

namespace {

// Renders `buffers` engine buffers of a song; returns interleaved stereo samples.
std::vector<int16_t> play(const std::vector<uint8_t>& ym, int buffers) {
    const auto packed = lh5::PackArchive(ym, "song.ym");
    CYmEngine engine(nullptr);
    EXPECT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    EXPECT_TRUE(engine.Playable());
    engine.SetLooping(true);
    engine.ResetForPass();
    std::vector<int16_t> out;
    for (int i = 0; i < buffers; ++i) {
        const uint32_t n = engine.FillBuffer(i & 1);
        EXPECT_EQ(n, CYmEngine::kBufferValues);
        out.insert(out.end(), engine.BufferSamples(i & 1), engine.BufferSamples(i & 1) + n);
    }
    return out;
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(SongsInTheEngine, AnAFourPlaysAtFourHundredAndFortyHertz) {
    const auto samples = play(writeYm(compose("speed: 50\npattern p\nA: a4:2\nend\norder: p\n")), 4);
    // Left channel, offset removed; count rising zero crossings over one second.
    const size_t n = 44100;
    ASSERT_GE(samples.size(), 2 * n);
    double mean = 0;
    for (size_t i = 0; i < n; ++i) mean += samples[2 * i];
    mean /= n;
    int rising = 0;
    for (size_t i = 1; i < n; ++i) rising += samples[2 * i - 2] < mean && samples[2 * i] >= mean;
    EXPECT_NEAR(rising, 440, 2);  // the period 284 gives 440.14 Hz
}

// The period of a steady waveform: the smallest lag whose autocorrelation comes within 5 %
// of the best one between 1 and 25 ms, so a multiple of the period is not taken for it.
double pitch(const std::vector<int16_t>& stereo, double from, double to) {
    std::vector<double> x;
    for (size_t i = size_t(from * 44100); i < size_t(to * 44100); ++i) x.push_back(stereo[2 * i] + stereo[2 * i + 1]);
    double mean = 0;
    for (double v : x) mean += v;
    mean /= x.size();
    for (double& v : x) v -= mean;
    const size_t lo = 44, hi = 1103, n = x.size() - hi;
    std::vector<double> r(hi + 1, 0);
    double best = 0;
    for (size_t lag = lo; lag <= hi; ++lag) {
        for (size_t i = 0; i < n; ++i) r[lag] += x[i] * x[i + lag];
        best = std::max(best, r[lag]);
    }
    for (size_t lag = lo + 1; lag < hi; ++lag)
        if (r[lag] >= 0.95 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            // Parabolic interpolation between the neighbouring lags.
            const double d = (r[lag - 1] - r[lag + 1]) / (2 * (r[lag - 1] - 2 * r[lag] + r[lag + 1]));
            return 44100.0 / (lag + d);
        }
    return 0;
}

// The effect timers run at the note's pitch: each effect alone, with the square wave off.
TEST(SongsInTheEngine, EffectsSoundAtTheirNotesPitch) {
    const struct {
        const char* inst;
        const char* note;
        double hz;
    } cases[] = {
        {"sid=1 tone=0", "a4", 440.0},             // the volume flips twice a period
        {"sinus=1", "e5", 659.3},                  // eight sine steps a period
        {"sync=8 syncratio=1.5", "a2", 110.0},     // the envelope restarted once a period
        {"sync=10 syncratio=2.3", "d3", 146.8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inst);
        const std::string score = std::string("speed: 50\ninst x ") + c.inst + "\npattern p\nA: @x " + c.note +
                                  ":2\nend\norder: p\n";
        const auto samples = play(writeYm(compose(score)), 6);
        EXPECT_NEAR(pitch(samples, 0.2, 1.2), c.hz, c.hz * 0.006);  // the timers' steps: under 10 cents
    }
}

// The effects each bundled song is arranged with: a new song says here what it plays.
const std::map<std::string, std::set<EffectType>> kClaimedEffects = {
    {"deepblue", {}},
    {"greensleeves", {kSinusSid}},
    {"harbour", {}},
    {"joy", {kSidVoice, kDigiDrum}},
    {"lastlap", {kSidVoice, kDigiDrum}},
    {"maggie", {kSidVoice, kDigiDrum}},
    {"minuet", {kSidVoice}},
    {"mountainking", {kDigiDrum, kSyncBuzzer}},
    {"racing", {kDigiDrum}},
    {"scarborough", {kSidVoice, kSinusSid}},
    {"snowfall", {kSinusSid}},
    {"sunny", {}},
};
// Effects a song plays only now and then: Drowsy Maggie's bass is a sync buzzer only where
// its drums and tune leave a timer free, which they seldom do.
const std::map<std::string, std::set<EffectType>> kIncidentalEffects = {{"maggie", {kSyncBuzzer}}};

struct BundledSong {
    std::string stem;
    std::vector<uint8_t> ym;   // plain, as the build makes it
};

// Every song of assets/songs: a score composed here, a tune in ABC as the build imported it.
std::vector<BundledSong> bundledSongs() {
    const char* src = std::getenv("MARLIPAN_SOURCE_DIR");
    const std::string dir = std::string(src && *src ? src : MARLIPAN_TOOLS_TEST_SOURCE_DIR) + "/assets/songs";
    std::vector<BundledSong> songs;
    DIR* d = opendir(dir.c_str());
    EXPECT_NE(d, nullptr) << dir;
    if (!d) return songs;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        const std::string stem = name.substr(0, name.size() < 4 ? 0 : name.size() - 4);
        const bool abc = name.size() > 4 && name.substr(name.size() - 4) == ".abc";
        if (name.size() < 5 || (name.substr(name.size() - 4) != ".txt" && !abc)) continue;
        const char* bin = std::getenv("MARLIPAN_BINARY_DIR");
        EXPECT_TRUE(!abc || bin) << "MARLIPAN_BINARY_DIR names the build with the imported " << name;
        if (abc && !bin) continue;
        songs.push_back({stem, abc ? readBytes(std::string(bin) + "/assets/" + stem + ".ym")
                                   : writeYm(compose(readText(dir + "/" + name)))});
        EXPECT_FALSE(songs.back().ym.empty()) << "the build has not made " << stem << ".ym";
    }
    closedir(d);
    std::sort(songs.begin(), songs.end(), [](const auto& a, const auto& b) { return a.stem < b.stem; });
    return songs;
}

TEST(SongsInTheEngine, BundledSongsAreAudibleLoopAndPlayTheEffectsTheyClaim) {
    int songs = 0;
    std::set<EffectType> heard;
    for (const BundledSong& song : bundledSongs()) {
        const std::string& stem = song.stem;
        const std::vector<uint8_t>& ym = song.ym;
        SCOPED_TRACE(stem);
        ++songs;
        if (ym.empty()) continue;
        const auto samples = play(ym, 12);  // about 4.4 s
        double mean = 0;
        int peak = 0;
        for (int16_t s : samples) {
            mean += s;
            peak = std::max(peak, std::abs(int(s)));
        }
        mean /= samples.size();
        double ac = 0;
        for (int16_t s : samples) ac += (s - mean) * (s - mean);
        const double rms = std::sqrt(ac / samples.size());
        EXPECT_GT(rms, 1000.0) << "audible";
        EXPECT_LT(peak, 32767) << "below full scale";

        // One whole pass, counting the effect events, then on past the end: the song goes
        // on at its loop frame.
        const auto packed = lh5::PackArchive(ym, "song.ym");
        CYmEngine engine(nullptr);
        ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
        engine.SetLooping(true);
        engine.ResetForPass();
        int which = 0;
        while (engine.Sequencer().FramesPlayed < engine.Frames().FramesToPlay) engine.FillBuffer(which ^= 1);
        uint64_t events[4];
        std::copy(engine.Sequencer().EffectEvents, engine.Sequencer().EffectEvents + 4, events);
        const uint32_t endPosition = engine.Sequencer().Position;
        for (int i = 0; i < 2; ++i) EXPECT_EQ(engine.FillBuffer(which ^= 1), CYmEngine::kBufferValues);
        EXPECT_FALSE(engine.EndOfSong());
        const uint32_t loop = engine.Frames().LoopFrame;
        EXPECT_GE(engine.Frames().FrameCount, 45u * 50) << "45 seconds before it loops";
        EXPECT_GT(engine.Sequencer().Position, loop) << "ended at " << endPosition;
        EXPECT_LE(engine.Sequencer().Position, loop + 56) << "at most three buffers (56 frames) past the end";

        const auto claim = kClaimedEffects.find(stem);
        ASSERT_NE(claim, kClaimedEffects.end()) << "say which effects the song plays";
        for (EffectType t : {kSidVoice, kDigiDrum, kSinusSid, kSyncBuzzer}) {
            if (claim->second.count(t)) {
                EXPECT_GE(events[t], 1000u) << "effect " << int(t) << " claimed but hardly played";
                heard.insert(t);
            } else if (kIncidentalEffects.count(stem) && kIncidentalEffects.at(stem).count(t)) {
                EXPECT_LT(events[t], 1000u) << "effect " << int(t) << " played often: claim it";
            } else {
                EXPECT_EQ(events[t], 0u) << "effect " << int(t) << " played but not claimed";
            }
        }
    }
    EXPECT_GE(songs, 10);
    EXPECT_EQ(heard.size(), 4u) << "the songs together play all four effects";
}

// The three voices of a song played one at a time add up to the song: what each voice plays
// is kept, effects and all, and nothing of the others is left.
TEST(SongsInTheEngine, VoicesAloneAddUpToTheWholeSong) {
    const auto ym = writeYm(compose(R"(speed: 8
inst lead sid=2 env=13,12,11 vib=10
inst kick drum=kick
inst hat  tone=0 noise=2 env=12,8,4,0
inst bass buzz=10
inst pad  sinus=1 env=8,11,12
pattern p
A: @lead a4:2 c5 e5 a5 @bass e2:4 a2:4
B: @kick c4:2 @hat c6 @kick c4 @hat c6 @pad e4:4 a4:4
C: @pad a3:8 @kick c4:2 @hat c6 c6 c6
end
order: p
)"));
    const auto render = [](const std::vector<uint8_t>& song) {
        CYmEngine engine(nullptr);
        EXPECT_TRUE(engine.LoadPlainSong(song.data(), song.size()));
        engine.ResetForPass();
        std::vector<double> out;
        for (int i = 0; !engine.EndOfSong(); ++i) {
            const uint32_t n = engine.FillBuffer(i & 1);
            out.insert(out.end(), engine.BufferSamples(i & 1), engine.BufferSamples(i & 1) + n);
        }
        return out;
    };
    const std::vector<double> whole = render(ym);
    std::vector<double> sum(whole.size(), 0.0);
    for (unsigned voice = 0; voice < 3; ++voice) {
        auto solo = ym;
        ASSERT_TRUE(marlipan::songmeter::KeepVoices(solo, 1u << voice));
        const std::vector<double> part = render(solo);
        ASSERT_EQ(part.size(), whole.size());
        double power = 0;
        for (size_t i = 0; i < part.size(); ++i) {
            sum[i] += part[i];
            power += part[i] * part[i];
        }
        EXPECT_GT(power / part.size(), 1000.0 * 1000.0) << "voice " << char('A' + voice) << " sounds alone";
    }
    // Compared 10 ms at a time: where the effect timers of several voices run at once, the
    // engine's steps between their events fall a chip tick apart now and then.
    const auto rms = [](const std::vector<double>& x, size_t from, size_t n) {
        double p = 0;
        for (size_t i = from; i < from + n; ++i) p += x[i] * x[i];
        return std::sqrt(p / n);
    };
    double signal = 0, error = 0;
    for (size_t at = 0; at + 882 <= whole.size(); at += 882) {
        const double a = rms(whole, at, 882), b = rms(sum, at, 882);
        signal += a * a;
        error += (a - b) * (a - b);
    }
    EXPECT_LT(error, signal * 1e-3) << "the voices add up to the song within -30 dB";
    std::vector<uint8_t> unknown = {'X', 'Y', 'Z'};
    EXPECT_FALSE(marlipan::songmeter::KeepVoices(unknown, 1));
}

// Where each bundled song plays its melody and its bass.
struct Parts {
    int melody, bass;   // voice 0 A, 1 B, 2 C
};
const std::map<std::string, Parts> kParts = {
    {"deepblue", {1, 0}}, {"greensleeves", {1, 2}}, {"harbour", {1, 0}}, {"joy", {1, 0}},
    {"lastlap", {1, 0}},  {"maggie", {1, 2}},       {"minuet", {1, 0}},  {"mountainking", {1, 2}},
    {"racing", {1, 0}},   {"scarborough", {1, 2}},  {"snowfall", {1, 0}}, {"sunny", {1, 0}},
};

// As the game plays them at full volume, measured as broadcast meters measure (one pass of
// each song): the songs are equally loud, none leans to one side, and the bass stays under
// the melody.
TEST(BundledSongs, PlayEquallyLoudBalancedAndWithTheBassUnderTheMelody) {
    constexpr double kTarget = -17.0;   // LUFS at volume 255
    int songs = 0;
    for (const BundledSong& song : bundledSongs()) {
        SCOPED_TRACE(song.stem);
        ++songs;
        const auto parts = kParts.find(song.stem);
        ASSERT_NE(parts, kParts.end()) << "say which voices play the melody and the bass";
        if (song.ym.empty()) continue;
        const auto loudness = marlipan::songmeter::Measure(song.ym);
        EXPECT_NEAR(loudness.integrated, kTarget, 1.0) << "LUFS";
        EXPECT_NEAR(loudness.Balance(), 0.0, 2.0) << "dB louder on the left";
        const auto alone = [&](int voice) {
            auto solo = song.ym;
            EXPECT_TRUE(marlipan::songmeter::KeepVoices(solo, 1u << voice));
            return marlipan::songmeter::Integrated(solo);
        };
        const double melody = alone(parts->second.melody), bass = alone(parts->second.bass);
        EXPECT_LE(bass, melody) << "LUFS of the bass alone against the melody alone";
    }
    EXPECT_GE(songs, 10);
}
