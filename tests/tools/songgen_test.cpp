// Songs from scores: the YM5 file layout the player parses, and the register values of notes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/songgen/score.h"

using namespace marlipan::songgen;

namespace {

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}
uint16_t be16(const std::vector<uint8_t>& b, size_t at) { return uint16_t((b[at] << 8) | b[at + 1]); }

// A YM5 or YM6 file read back by the byte layout alone, independent of the writer.
struct ParsedYm {
    std::string tag;
    uint32_t frameCount = 0, attributes = 0, clock = 0, loop = 0;
    uint16_t drums = 0, rate = 0, extra = 0;
    std::string name, author, comment;
    size_t frameData = 0;
    std::vector<uint8_t> bytes;
    // Register r of frame f; the frames are interleaved by register.
    uint8_t reg(int r, uint32_t f) const { return bytes[frameData + size_t(r) * frameCount + f]; }
    int tone(int voice, uint32_t f) const { return reg(2 * voice, f) | ((reg(2 * voice + 1, f) & 0x0F) << 8); }
};

ParsedYm parseYm(const std::vector<uint8_t>& b) {
    ParsedYm y;
    y.bytes = b;
    if (b.size() < 34) return y;
    y.tag.assign(b.begin(), b.begin() + 4);
    y.frameCount = be32(b, 12);
    y.attributes = be32(b, 16);
    y.drums = be16(b, 20);
    y.clock = be32(b, 22);
    y.rate = be16(b, 26);
    y.loop = be32(b, 28);
    y.extra = be16(b, 32);
    size_t at = 34 + y.extra;
    for (int d = 0; d < y.drums && at + 4 <= b.size(); ++d) at += 4 + be32(b, at);  // size, samples
    std::string* texts[] = {&y.name, &y.author, &y.comment};
    for (auto* t : texts) {
        while (at < b.size() && b[at] != 0) t->push_back(char(b[at++]));
        ++at;
    }
    y.frameData = at;
    return y;
}

ParsedYm composeAndParse(const std::string& score) { return parseYm(writeYm(compose(score))); }

std::string sourceDir() {
    const char* src = std::getenv("MARLIPAN_SOURCE_DIR");
    return src && *src ? src : MARLIPAN_TOOLS_TEST_SOURCE_DIR;
}

std::vector<std::string> bundledScores() {
    std::vector<std::string> out;
    const std::string dir = sourceDir() + "/assets/songs";
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n.size() > 4 && n.substr(n.size() - 4) == ".txt") out.push_back(dir + "/" + n);
        }
        closedir(d);
    }
    return out;
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const char* kOneNote = R"(
name: Tuning
comment: one A
speed: 2
inst lead env=12,10
pattern p
A: @lead a4:3 r:1
end
order: p
)";

}  // namespace

TEST(SongPeriods, FollowTheChipClockOverSixteenTimesTheFrequency) {
    EXPECT_EQ(tonePeriod(noteFrequency(69)), 284);   // A4: 2 000 000 / (16 x 440) = 284.09
    EXPECT_EQ(tonePeriod(noteFrequency(60)), 478);   // C4: 261.63 Hz
    EXPECT_EQ(tonePeriod(noteFrequency(45)), 1136);  // A2: 110 Hz
    EXPECT_EQ(tonePeriod(5.0), 4095) << "too low for 12 bits: clamped";
    EXPECT_EQ(tonePeriod(1e6), 1);
    // Saw envelopes take 32 steps of `period` ticks (clock / 8), triangles 64.
    EXPECT_EQ(envelopePeriod(110.0, 8), 71);
    EXPECT_EQ(envelopePeriod(110.0, 10), 36);
}

TEST(SongFile, HasTheYm5HeaderTextsAndInterleavedFrames) {
    const ParsedYm y = composeAndParse(kOneNote);
    EXPECT_EQ(y.tag, "YM5!");
    EXPECT_EQ(y.frameCount, 8u) << "4 steps of 2 frames";
    EXPECT_EQ(y.attributes & 1, 1u) << "interleaved";
    EXPECT_EQ(y.attributes & ~1u, 0u);
    EXPECT_EQ(y.drums, 0);
    EXPECT_EQ(y.clock, 2000000u);
    EXPECT_EQ(y.rate, 50);
    EXPECT_EQ(y.loop, 0u);
    EXPECT_EQ(y.name, "Tuning");
    EXPECT_EQ(y.author, "Marlipan");
    EXPECT_EQ(y.comment, "one A");
    EXPECT_EQ(y.bytes.size(), y.frameData + 16 * y.frameCount) << "nothing after the frames";
}

TEST(SongFile, NoteSetsItsVoicesPeriodVolumeAndMixerFrameByFrame) {
    const ParsedYm y = composeAndParse(kOneNote);
    ASSERT_EQ(y.frameCount, 8u);
    for (uint32_t f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(y.tone(0, f), 284);
        EXPECT_EQ(y.reg(8, f), f == 0 ? 12 : 10) << "envelope, last value held";
        EXPECT_EQ(y.reg(7, f), 0x3E) << "tone A only";
        EXPECT_EQ(y.reg(9, f), 0);
        EXPECT_EQ(y.reg(10, f), 0);
        EXPECT_EQ(y.reg(13, f), 0xFF) << "the hardware envelope is left alone";
    }
    for (uint32_t f = 6; f < 8; ++f) {
        EXPECT_EQ(y.reg(8, f), 0) << "rest";
        EXPECT_EQ(y.reg(7, f), 0x3F);
    }
}

TEST(SongFile, LoopFrameIsTheStartOfTheChosenOrderEntry) {
    const ParsedYm y = composeAndParse(R"(
speed: 3
pattern a
A: c4:2
end
pattern b
A: d4:5
end
order: a a b
loop: 2
)");
    EXPECT_EQ(y.frameCount, 27u);
    EXPECT_EQ(y.loop, 12u);
    EXPECT_EQ(y.tone(0, 12), tonePeriod(noteFrequency(62)));
}

TEST(SongScore, LengthsCarryOverHoldsExtendAndGroupsRepeat) {
    const ParsedYm y = composeAndParse(R"(
speed: 1
inst plain env=9
seq two = e4:1 f4
pattern p
A: @plain c4:2 d4 - ( $two )*2 g4
end
order: p
)");
    // c4 c4 d4 d4 (held:) d4 d4 e4 f4 e4 f4 g4
    const int expected[] = {60, 60, 62, 62, 62, 62, 64, 65, 64, 65, 67};
    ASSERT_EQ(y.frameCount, 11u);
    for (uint32_t f = 0; f < 11; ++f)
        EXPECT_EQ(y.tone(0, f), tonePeriod(noteFrequency(expected[f]))) << "frame " << f;
}

TEST(SongScore, ArpeggioCyclesThroughItsChordOneFrameAtATime) {
    const ParsedYm y = composeAndParse(R"(
speed: 7
inst chord arp=0,4,7
pattern p
B: @chord a4:1
end
order: p
)");
    const int notes[] = {69, 73, 76};
    for (uint32_t f = 0; f < 7; ++f) EXPECT_EQ(y.tone(1, f), tonePeriod(noteFrequency(notes[f % 3])));
    EXPECT_EQ(y.reg(7, 0), 0x3D) << "tone B on";
}

TEST(SongScore, BuzzBassRunsTheEnvelopeAtTheNotesPitchAndRestartsItOnce) {
    const ParsedYm y = composeAndParse(R"(
speed: 4
inst buzz buzz=8
pattern p
C: @buzz a2:1 a2
end
order: p
)");
    for (uint32_t f = 0; f < 8; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(y.reg(10, f), 0x10) << "volume follows the envelope";
        EXPECT_EQ(y.reg(11, f) | (y.reg(12, f) << 8), 71);
        EXPECT_EQ(y.reg(13, f), f % 4 == 0 ? 8 : 0xFF) << "shape written at each note's start";
        EXPECT_EQ(y.reg(7, f) & 0x24, 0x24) << "tone and noise of C off";
    }
}

TEST(SongScore, DrumMixesNoiseForItsFirstFramesAndSweepsItsPitch) {
    const ParsedYm y = composeAndParse(R"(
speed: 4
inst kick env=15,12,8,0 pitch=0,-12 noise=9 noiseframes=1
pattern p
A: @kick c3:1
end
order: p
)");
    EXPECT_EQ(y.reg(6, 0), 9);
    EXPECT_EQ(y.reg(7, 0), 0x3E & ~0x08) << "tone and noise on A";
    EXPECT_EQ(y.reg(7, 1), 0x3E) << "tone only afterwards";
    EXPECT_EQ(y.tone(0, 0), tonePeriod(noteFrequency(48)));
    EXPECT_EQ(y.tone(0, 1), tonePeriod(noteFrequency(36)));
    EXPECT_EQ(y.reg(8, 3), 0);
}

// A SID voice and a drum fit YM5: the SID timer in bytes 1, 6 and 14 (bit 6 of byte 1
// restarts it at a note), the drum's channel in byte 3 on its first frame only, its timer in
// bytes 8 and 15, its number in the channel's volume byte. Any other effect makes YM6, whose
// type bits sit in bytes 1 and 3.
TEST(SongScore, EffectsAreWrittenAsYm5WhenTheyFitAndAsYm6Otherwise) {
    const ParsedYm y = composeAndParse(R"(
speed: 3
inst s env=12 sid=1
inst k drum=snare
pattern p
A: @s a4:2
B: @k c4:2
end
order: p
)");
    EXPECT_EQ(y.tag, "YM5!");
    ASSERT_EQ(y.drums, 3) << "the whole kit";
    const EffectTimer sid = effectTimer(2 * noteFrequency(69));
    for (uint32_t f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(y.reg(1, f) & 0x30, 0x10) << "SID on A";
        EXPECT_EQ(y.reg(1, f) & 0x40, f == 0 ? 0x40 : 0) << "restarted at the note only";
        EXPECT_EQ(y.reg(6, f) >> 5, sid.prescaler);
        EXPECT_EQ(y.reg(14, f), sid.count);
        EXPECT_EQ(y.reg(8, f) & 0x1F, 12) << "SID volume";
        EXPECT_EQ(y.reg(3, f) & 0x30, f == 0 ? 0x20 : 0) << "the drum starts on B once";
        EXPECT_EQ(y.reg(7, f) & 0x12, 0x12) << "B's tone and noise stay off while it plays";
    }
    EXPECT_EQ(y.reg(9, 0) & 0x1F, kSnare);
    EXPECT_EQ(y.reg(8, 0) >> 5, drumTimer().prescaler);
    EXPECT_EQ(y.reg(15, 0), drumTimer().count);

    const ParsedYm z = composeAndParse(R"(
speed: 3
inst p env=9 sinus=1
inst b sync=12 syncratio=2
pattern p
B: @p e5:1
C: @b a2:1
end
order: p
)");
    EXPECT_EQ(z.tag, "YM6!");
    EXPECT_EQ(z.drums, 0);
    for (uint32_t f = 0; f < 3; ++f) {
        SCOPED_TRACE(f);
        // The sinus SID took the second timer first, the sync buzzer the first.
        EXPECT_EQ(z.reg(3, f) & 0xF0, 0x80 | 0x20) << "sinus SID (2) on B";
        EXPECT_EQ(z.reg(15, f), effectTimer(8 * noteFrequency(76)).count);
        EXPECT_EQ(z.reg(9, f) & 0x1F, 9);
        EXPECT_EQ(z.reg(1, f) & 0xF0, 0xC0 | 0x30) << "sync buzzer (3) on C";
        EXPECT_EQ(z.reg(10, f) & 0x1F, 0x10 | 12) << "envelope mode, shape 12";
        EXPECT_EQ(z.reg(11, f) | z.reg(12, f) << 8, envelopePeriod(2 * noteFrequency(45), 12));
        EXPECT_EQ(z.reg(7, f) & 0x06, 0x06) << "no square waves on B and C";
    }
}

TEST(SongScore, MistakesAreReportedWithTheirLine) {
    const auto errorOf = [](const std::string& score) -> std::string {
        try {
            compose(score);
        } catch (const ScoreError& e) {
            return e.what();
        }
        return "";
    };
    EXPECT_EQ(errorOf("pattern p\nA: h4:1\nend\norder: p\n"), "line 2: unknown note 'h4'");
    EXPECT_NE(errorOf("pattern p\nA: c4:2\nB: c4:3\nend\norder: p\n").find("voice B has 3 steps"),
              std::string::npos);
    EXPECT_EQ(errorOf("pattern p\nA: c4\nend\norder: p q\n"), "line 4: unknown pattern 'q'");
    EXPECT_EQ(errorOf("pattern p\nA: c4\nend\norder: p\nloop: 1\n"), "line 4: loop must index the order");
    EXPECT_EQ(errorOf("inst x env=16\n"), "line 1: envelope volumes are 0..15");
    EXPECT_EQ(errorOf("pattern p\nA: ( c4\nend\norder: p\n"), "line 2: '(' without ')'");
    EXPECT_NE(errorOf("pattern p\nA: c4\norder: p\n"), "");
}

TEST(SongScore, SharpsAreNotComments) {
    const ParsedYm y = composeAndParse("pattern p # the only one\nA: f#4:1 # a sharp\nend\norder: p\n");
    ASSERT_EQ(y.frameCount, 6u);
    EXPECT_EQ(y.tone(0, 0), tonePeriod(noteFrequency(66)));
}

// The bundled scores make at least ten songs of 45 seconds to two minutes before they loop,
// whose repeating part is long too, in which all three voices play and the lead (voice B,
// in the middle) has a tune rather than a drone.
TEST(BundledSongs, AreTenOrMoreOfAtLeastFortyFiveSecondsWithThreeVoicesAndATune) {
    const auto scores = bundledScores();
    EXPECT_GE(scores.size(), 10u);
    std::set<std::string> names;
    for (const auto& path : scores) {
        SCOPED_TRACE(path);
        const ParsedYm y = parseYm(writeYm(compose(readText(path))));
        EXPECT_GE(y.frameCount, 45u * 50);
        EXPECT_LE(y.frameCount, 120u * 50);
        EXPECT_LT(y.loop, y.frameCount);
        EXPECT_GE(y.frameCount - y.loop, 40u * 50) << "the part that repeats";
        EXPECT_FALSE(y.name.empty());
        EXPECT_TRUE(names.insert(y.name).second) << "two songs called " << y.name;
        std::set<int> leadPeriods;
        bool sounds[3] = {false, false, false};
        for (uint32_t f = 0; f < y.frameCount; ++f) {
            for (int v = 0; v < 3; ++v) sounds[v] = sounds[v] || (y.reg(8 + v, f) & 0x1F) != 0;
            if ((y.reg(9, f) & 0x1F) != 0) leadPeriods.insert(y.tone(1, f));
        }
        EXPECT_TRUE(sounds[0] && sounds[1] && sounds[2]);
        EXPECT_GE(leadPeriods.size(), 8u);
    }
}
