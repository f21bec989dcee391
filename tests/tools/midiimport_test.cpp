// MIDI files made by an outside tool (abc2midi, from ABC text) imported and played by the
// game's own engine: the pitches and times are measured in the rendered sound.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "music/ymplayer.h"
#include "tools/lh5/lh5pack.h"
#include "tools/songgen/score.h"
#include "tools/ym/midiimport.h"
#include "tools/ym/songmeter.h"

namespace fs = std::filesystem;
using marlipan::midi::ImportError;
using marlipan::midi::ImportOptions;
using marlipan::midi::importMidi;

namespace {

std::vector<uint8_t> abcToMidi(const std::string& abc) {
    const fs::path dir = fs::temp_directory_path() / ("marlipan-midi-test-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "tune.abc") << abc;
    const std::string cmd = "abc2midi '" + (dir / "tune.abc").string() + "' -o '" + (dir / "tune.mid").string() +
                            "' >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    std::ifstream in(dir / "tune.mid", std::ios::binary);
    std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    fs::remove_all(dir);
    EXPECT_EQ(status, 0) << "abc2midi (Debian package abcmidi) must be installed";
    EXPECT_GT(bytes.size(), 14u);
    return bytes;
}

struct Played {
    std::vector<int> mono;  // both channels added: every voice, wherever the chip pans it
    uint64_t events[4] = {0, 0, 0, 0};
};

// Plays `seconds` of the song looping, or (seconds 0) one pass of it.
Played play(const marlipan::songgen::Song& song, double seconds) {
    const auto packed = lh5::PackArchive(marlipan::songgen::writeYm(song), "song.ym");
    CYmEngine engine(nullptr);
    EXPECT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    engine.SetLooping(seconds > 0);
    engine.ResetForPass();
    Played p;
    for (int i = 0; seconds > 0 ? p.mono.size() < seconds * 44100 : !engine.EndOfSong(); ++i) {
        const uint32_t n = engine.FillBuffer(i & 1);
        const int16_t* s = engine.BufferSamples(i & 1);
        for (uint32_t k = 0; k < n; k += 2) p.mono.push_back(s[k] + s[k + 1]);
    }
    for (int t = 0; t < 4; ++t) p.events[t] = engine.Sequencer().EffectEvents[t];
    return p;
}

// Frequency by rising crossings of the window's mean, over whole periods.
double frequency(const std::vector<int>& s, double from, double to) {
    const size_t a = size_t(from * 44100), b = size_t(to * 44100);
    double mean = 0;
    for (size_t i = a; i < b; ++i) mean += s[i];
    mean /= double(b - a);
    long first = -1, last = -1, crossings = 0;
    for (size_t i = a + 1; i < b; ++i)
        if (s[i - 1] < mean && s[i] >= mean) {
            if (first < 0) first = long(i);
            last = long(i);
            ++crossings;
        }
    return crossings > 1 ? (crossings - 1) * 44100.0 / double(last - first) : 0;
}

// The first time after `from` at which the waveform's period becomes shorter than
// `samples` (a note change upwards), in seconds.
double periodDropsBelow(const std::vector<int>& s, double from, double samples) {
    const size_t a = size_t(from * 44100);
    double mean = 0;
    for (size_t i = a; i < a + 4410; ++i) mean += s[i];
    mean /= 4410;
    long previous = -1;
    for (size_t i = a + 1; i < s.size(); ++i)
        if (s[i - 1] < mean && s[i] >= mean) {
            if (previous >= 0 && long(i) - previous < samples) return previous / 44100.0;
            previous = long(i);
        }
    return -1;
}

// A4 for two seconds at 120 beats a minute, then the tempo halves: A5 for four beats
// (four seconds), E6 for two, a rest for two.
const char* const kTempoTune = R"(X:1
T:Tempo Map
M:4/4
L:1/4
Q:1/4=120
K:C
A4 | [Q:1/4=60] a4 | e'2 z2 |
)";

}  // namespace

TEST(MidiImport, PitchesAndTheTempoMapReachTheRenderedSound) {
    const auto midi = abcToMidi(kTempoTune);
    const auto imported = importMidi(midi, ImportOptions{});
    EXPECT_EQ(imported.song.name, "Tempo Map");
    EXPECT_EQ(imported.bars, 3);
    EXPECT_EQ(imported.song.frames.size(), 500u) << "2 + 4 + 4 seconds, whole bars";
    const Played p = play(imported.song, 10);
    // Equal temperament at the chip's 2 MHz clock: periods 284, 142 and 95.
    EXPECT_NEAR(frequency(p.mono, 0.2, 1.8), 440.0, 2.0);
    EXPECT_NEAR(frequency(p.mono, 2.2, 5.8), 880.0, 4.0);
    EXPECT_NEAR(frequency(p.mono, 6.2, 7.8), 1318.5, 6.0);
    // The notes change where the tempo map puts them, to a frame (20 ms).
    EXPECT_NEAR(periodDropsBelow(p.mono, 1.5, 75), 2.0, 0.03);
    EXPECT_NEAR(periodDropsBelow(p.mono, 5.5, 42), 6.0, 0.03);
    // The rest is silent: one constant level.
    int low = 65535, high = -65536;
    for (size_t i = size_t(8.05 * 44100); i < size_t(9.95 * 44100); ++i) {
        low = std::min<int>(low, p.mono[i]);
        high = std::max<int>(high, p.mono[i]);
    }
    EXPECT_EQ(low, high);

    ImportOptions options;
    options.loopBar = 3;
    options.transpose = -12;
    const auto moved = importMidi(midi, options);
    EXPECT_EQ(moved.song.loopFrame, 300) << "bar 3 starts after 2 + 4 seconds";
    EXPECT_NEAR(frequency(play(moved.song, 2).mono, 0.2, 1.8), 220.0, 1.0);
}

TEST(MidiImport, DefaultVoicesAreMelodyInTheMiddleDrumsLeftAndBassRight) {
    // Four parts and drums: a melody (channel 4), a quiet counter-line (2), a bass (7) and
    // chords (5) busier than the melody.
    const auto midi = abcToMidi(R"(X:1
T:Voices
M:4/4
L:1/4
Q:1/4=120
K:C
%%MIDI drum dzdz 36 38 38 38
%%MIDI drumon
V:1
%%MIDI channel 4
e f g a | g f e d |
V:2
%%MIDI channel 2
C E G E | C E G E |
V:3
%%MIDI channel 7
C,, G,, C,, G,, | C,, G,, C,, G,, |
V:4
%%MIDI channel 5
[ce] [ce] [df] [df] | [ce] [ce] [df] [df] |
)");
    const auto imported = importMidi(midi, ImportOptions{});
    ASSERT_EQ(imported.parts.size(), 3u);
    EXPECT_EQ(imported.parts[0].voice, 'A');
    EXPECT_EQ(imported.parts[0].channel, 10);
    EXPECT_EQ(imported.parts[1].voice, 'B');
    EXPECT_EQ(imported.parts[1].channel, 4);
    EXPECT_EQ(imported.parts[1].role, "melody");
    EXPECT_EQ(imported.parts[2].voice, 'C');
    EXPECT_EQ(imported.parts[2].channel, 7);
    EXPECT_EQ(imported.parts[2].role, "bass");
    const auto& f0 = imported.song.frames[0];
    EXPECT_EQ(f0[2] | f0[3] << 8, marlipan::songgen::tonePeriod(marlipan::songgen::noteFrequency(76)));  // e
    EXPECT_EQ(f0[4] | f0[5] << 8, marlipan::songgen::tonePeriod(marlipan::songgen::noteFrequency(36)));  // C,,
    // Two kicks and two snares, every sample of each played by the digital drum.
    const auto& kit = marlipan::songgen::drumKit();
    const Played p = play(imported.song, 0);
    EXPECT_EQ(p.events[1], 2 * (kit[marlipan::songgen::kKick].size() + kit[marlipan::songgen::kSnare].size()));

    // Chosen by hand: the chords keep their top note; with two pitched parts the lower one
    // is the bass.
    ImportOptions options;
    options.channels = marlipan::midi::parseChannels("5,2");
    options.effects = true;
    const auto chosen = importMidi(midi, options);
    ASSERT_EQ(chosen.parts.size(), 2u);
    EXPECT_EQ(chosen.parts[0].role, "melody");
    EXPECT_EQ(chosen.parts[1].role, "bass");
    const auto& c0 = chosen.song.frames[0];
    EXPECT_EQ(c0[0] | c0[1] << 8, marlipan::songgen::tonePeriod(marlipan::songgen::noteFrequency(76)));  // [ce]
    const Played q = play(chosen.song, 0);
    EXPECT_GT(q.events[0], 0u) << "SID voice on the melody";
    EXPECT_GT(q.events[3], 0u) << "sync buzzer on the bass";
}

TEST(MidiImport, BadInputIsRefusedWithAReason) {
    const auto message = [](const std::vector<uint8_t>& bytes, ImportOptions options = {}) -> std::string {
        try {
            importMidi(bytes, options);
        } catch (const ImportError& e) {
            return e.what();
        }
        return "";
    };
    const auto midi = abcToMidi(kTempoTune);
    EXPECT_EQ(message({'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E', 0, 0}),
              "not a Standard MIDI File (no MThd header)");
    EXPECT_NE(message({midi.begin(), midi.end() - 5}).find("truncated: track"), std::string::npos);
    EXPECT_EQ(message(abcToMidi("X:1\nT:Rests\nM:4/4\nL:1/4\nK:C\nz4 | z4 |\n")), "the song has no notes");
    ImportOptions late;
    late.loopBar = 4;
    EXPECT_EQ(message(midi, late), "--loop-bar 4: the song has only 3 bars");
    EXPECT_THROW(marlipan::midi::parseChannels("1,17"), ImportError);
    EXPECT_THROW(marlipan::midi::parseChannels("1,2,3,4"), ImportError);
}

// The SID voice of --effects flips the volume while the square wave plays; as the timer
// drifts against the tone the sound changes, but it must never cancel to silence.
TEST(MidiImport, TheSidVoiceOfEffectsNeverFallsSilentInALongNote) {
    ImportOptions options;
    options.effects = true;
    const auto imported = importMidi(abcToMidi("X:1\nT:Long\nM:4/4\nL:1/4\nQ:1/4=60\nK:C\nA4 | e4 |\n"), options);
    const Played p = play(imported.song, 8);
    EXPECT_GT(p.events[0], 0u) << "a SID voice";
    double quietest = 1e9;
    for (double t = 0.1; t < 7.7; t += 0.02) {
        if (std::abs(t - 4.0) < 0.1) continue;  // the change of note
        const size_t a = size_t(t * 44100), b = size_t((t + 0.02) * 44100);
        double mean = 0, power = 0;
        for (size_t i = a; i < b; ++i) mean += p.mono[i];
        mean /= double(b - a);
        for (size_t i = a; i < b; ++i) power += (p.mono[i] - mean) * (p.mono[i] - mean);
        quietest = std::min(quietest, std::sqrt(power / double(b - a)));
    }
    EXPECT_GT(quietest, 1500.0) << "every 20 ms of the notes is heard";
}

// The sync-buzzer bass of --effects: identical notes sound at one level, whether a timer
// is free for the buzzer (the melody's SID voice and the drums hold both now and then) or
// the note plays on the envelope alone.
TEST(MidiImport, TheBassOfEffectsPlaysIdenticalNotesAtOneLevel) {
    ImportOptions options;
    options.effects = true;
    const auto imported = importMidi(abcToMidi(R"(X:1
T:Bass Levels
M:4/4
L:1/8
Q:1/4=140
K:Em
%%MIDI drum dzdd 36 38 38
%%MIDI drumon
V:1
E2BE dEBE|E2BE AFDF|E2BE dEBE|BABc dAFD|E2BE dEBE|E2BE AFDF|E2BE dEBE|BABc dAFD|
V:2
E,,2z2 E,,2z2|E,,2z2 E,,2z2|E,,2z2 E,,2z2|E,,2z2 E,,2z2|E,,2z2 E,,2z2|E,,2z2 E,,2z2|E,,2z2 E,,2z2|E,,2z2 E,,2z2|
)"),
                                     options);
    unsigned bass = 0;
    for (size_t v = 0; v < imported.parts.size(); ++v)
        if (imported.parts[v].role == "bass") bass = 1u << v;
    ASSERT_NE(bass, 0u);
    auto ym = marlipan::songgen::writeYm(imported.song);
    ASSERT_TRUE(marlipan::songmeter::KeepVoices(ym, bass));
    CYmEngine engine(nullptr);
    ASSERT_TRUE(engine.LoadPlainSong(ym.data(), ym.size()));
    engine.ResetForPass();
    std::vector<double> mono;
    for (int i = 0; !engine.EndOfSong(); ++i) {
        const uint32_t n = engine.FillBuffer(i & 1);
        for (uint32_t k = 0; k < n; k += 2) mono.push_back(engine.BufferSamples(i & 1)[k] + engine.BufferSamples(i & 1)[k + 1]);
    }
    // A note every two beats, one beat long (0.43 s): its level over the middle of the note.
    std::vector<double> levels;
    for (int note = 0; note < 16; ++note) {
        const double t = note * 120.0 / 140;
        const size_t a = size_t((t + 0.05) * 44100), b = size_t((t + 0.35) * 44100);
        ASSERT_LE(b, mono.size());
        double mean = 0, power = 0;
        for (size_t i = a; i < b; ++i) mean += mono[i];
        mean /= double(b - a);
        for (size_t i = a; i < b; ++i) power += (mono[i] - mean) * (mono[i] - mean);
        levels.push_back(10 * std::log10(power / double(b - a) + 1));
    }
    const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_GT(*low, 10 * std::log10(1000.0 * 1000.0)) << "every note heard";
    EXPECT_LT(*high - *low, 3.0) << "dB between the loudest and the quietest E2";
}
