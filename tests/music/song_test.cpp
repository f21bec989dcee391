// Song parsing: tags, headers, drums and their conversion, texts, loop and length rules,
// and songs whose counts point past their end.
#include <gtest/gtest.h>

#include "music/ymsong.h"
#include "tests/music/songwriter.h"

namespace {

using songwriter::Frame14;
using songwriter::Frame16;

struct Parsed {
    std::vector<uint8_t> data;
    CYmSong song;
    SongFrames frames;
    explicit Parsed(std::vector<uint8_t> d) : data(std::move(d)) { ParseSong(data, song, frames); }
};

std::vector<Frame14> Frames14(int n) {
    std::vector<Frame14> v(n, songwriter::Silent14());
    for (int i = 0; i < n; ++i) v[i][0] = uint8_t(i);
    return v;
}

TEST(SongTags, FourteenRegisterSongsCountFramesFromTheSize) {
    Parsed ym3(songwriter::Ym14("YM3!", Frames14(7)));
    EXPECT_EQ(ym3.frames.Kind, SongKind::Ym2or3);
    EXPECT_EQ(ym3.frames.FrameCount, 7u);
    EXPECT_EQ(ym3.frames.FrameDataOffset, 4u);
    EXPECT_EQ(ym3.frames.LoopFrame, 0u);
    EXPECT_EQ(ym3.song.LoopFrame, 0);
    EXPECT_EQ(ym3.song.Length, 7);
    EXPECT_TRUE(ym3.song.SongName.empty());
    EXPECT_EQ(ym3.song.ChipClock, -2);

    Parsed ym2(songwriter::Ym14("YM2!", Frames14(3)));
    EXPECT_EQ(ym2.frames.Kind, SongKind::Ym2or3);
    EXPECT_EQ(ym2.frames.FrameCount, 3u);
}

TEST(SongTags, Ym3bTakesItsLoopFromTheLastFourBytesAndYm3IgnoresThem) {
    std::vector<uint8_t> file = songwriter::Ym14("YM3b", Frames14(5), 3);
    Parsed ym3b(file);
    EXPECT_EQ(ym3b.frames.Kind, SongKind::Ym3b);
    EXPECT_EQ(ym3b.frames.FrameCount, 5u);
    EXPECT_EQ(ym3b.frames.LoopFrame, 3u);
    EXPECT_EQ(ym3b.song.LoopFrame, 3);

    file[3] = '!';   // the same bytes as "YM3!": 4 extra bytes are a remainder
    Parsed ym3(file);
    EXPECT_EQ(ym3.frames.Kind, SongKind::Ym2or3);
    EXPECT_EQ(ym3.frames.FrameCount, 5u);
    EXPECT_EQ(ym3.frames.LoopFrame, 0u);
}

TEST(SongTags, UnknownTagLoadsAsUnknownAndIsNotPlayable) {
    Parsed p(std::vector<uint8_t>{'Y', 'M', '7', '!', 1, 2, 3});
    EXPECT_EQ(p.frames.Kind, SongKind::Unknown);
    EXPECT_EQ(p.song.Kind, SongKind::Unknown);
    EXPECT_FALSE(p.frames.Playable());
    Parsed tiny(std::vector<uint8_t>{'Y', 'M'});
    EXPECT_EQ(tiny.frames.Kind, SongKind::Unknown);
}

TEST(SongHeader, Ym6HeaderFieldsTextsAndFrameOffset) {
    songwriter::Ym56 s;
    s.extra = {9, 9, 9};
    s.drums = {{1, 2, 3}};
    s.clock = 1000000;
    s.rate = 60;
    s.loopFrame = 2;
    s.comment = "  \t a comment \r\n";
    s.frames.assign(4, songwriter::Silent16());
    Parsed p(s.Build());
    EXPECT_EQ(p.frames.Kind, SongKind::Ym6);
    EXPECT_EQ(p.frames.FrameCount, 4u);
    EXPECT_EQ(p.frames.LoopFrame, 2u);
    EXPECT_EQ(p.song.ChipClock, 1000000);
    EXPECT_EQ(p.song.FrameRate, 60000);
    EXPECT_EQ(p.song.SongName, "Test song");
    EXPECT_EQ(p.song.Author, "Marlipan tests");
    EXPECT_EQ(p.song.Comment, "a comment");
    ASSERT_EQ(p.frames.DrumTable.size(), 1u);
    EXPECT_EQ(p.frames.DrumTable[0].Offset, 34u + 3u + 4u);
    EXPECT_EQ(p.frames.DrumTable[0].Size, 3u);
    EXPECT_EQ(p.frames.FrameDataOffset, p.data.size() - 4 * 16);
    EXPECT_TRUE(p.frames.Interleaved);
}

TEST(SongHeader, LoopOf0xFFFFFFFFBecomesFrameZero) {
    songwriter::Ym56 s;
    s.tag = "YM5!";
    s.loopFrame = 0xFFFFFFFFu;
    s.frames.assign(3, songwriter::Silent16());
    Parsed p(s.Build());
    EXPECT_EQ(p.frames.Kind, SongKind::Ym5);
    EXPECT_EQ(p.frames.LoopFrame, 0u);
    EXPECT_EQ(p.song.LoopFrame, 0);
}

TEST(SongHeader, LoopAtOrPastTheEndLoopsToTheStart) {
    songwriter::Ym56 s;
    s.loopFrame = 3;
    s.frames.assign(3, songwriter::Silent16());
    Parsed p(s.Build());
    EXPECT_EQ(p.frames.LoopFrame, 0u);
    Parsed b(songwriter::Ym14("YM3b", Frames14(2), 2));
    EXPECT_EQ(b.frames.LoopFrame, 0u);
    Parsed ok(songwriter::Ym14("YM3b", Frames14(2), 1));
    EXPECT_EQ(ok.frames.LoopFrame, 1u);
}

TEST(SongHeader, EmptySongNameStillFindsAuthorCommentAndFrames) {
    songwriter::Ym56 s;
    s.name = "";
    s.attributes = 0;
    s.frames.assign(2, songwriter::Silent16());
    s.frames[1][0] = 0x77;
    Parsed p(s.Build());
    EXPECT_EQ(p.song.SongName, "");
    EXPECT_EQ(p.song.Author, "Marlipan tests");
    EXPECT_EQ(p.song.Comment, "made by songwriter");
    EXPECT_FALSE(p.frames.Interleaved);
    EXPECT_EQ(p.data[p.frames.FrameDataOffset + 16], 0x77);
}

TEST(SongDrums, EightBitSamplesMapToTheNearestLevel) {
    EXPECT_EQ(DrumLevel(0), 0);
    EXPECT_EQ(DrumLevel(255), 15);
    EXPECT_EQ(DrumLevel(128), 13);   // t = 32896 lies nearer 34879 than 26148

    songwriter::Ym56 s;
    s.attributes = 1 | 2;   // signed samples
    s.drums = {{0x80, 0x7F, 0x00}};
    s.frames.assign(1, songwriter::Silent16());
    Parsed p(s.Build());
    const uint8_t* d = &p.data[p.frames.DrumTable[0].Offset];
    EXPECT_EQ(d[0], 0);    // -128
    EXPECT_EQ(d[1], 15);   // +127
    EXPECT_EQ(d[2], 13);   // 0 signed = 128 unsigned

    s.attributes = 1;   // unsigned samples
    Parsed u(s.Build());
    const uint8_t* e = &u.data[u.frames.DrumTable[0].Offset];
    EXPECT_EQ(e[0], 13);
    EXPECT_EQ(e[1], DrumLevel(0x7F));
    EXPECT_EQ(e[2], 0);
}

TEST(SongDrums, FourBitSamplesStayAsStored) {
    songwriter::Ym56 s;
    s.attributes = 1 | 4;
    s.drums = {{0x80, 0x7F, 0x03, 0xFF}};
    s.frames.assign(1, songwriter::Silent16());
    Parsed p(s.Build());
    const uint8_t* d = &p.data[p.frames.DrumTable[0].Offset];
    EXPECT_EQ(std::vector<uint8_t>(d, d + 4), (std::vector<uint8_t>{0x80, 0x7F, 0x03, 0xFF}));
}

TEST(SongBounds, FrameCountPastTheEndIsCutToTheFramesPresent) {
    songwriter::Ym56 s;
    s.frames.assign(3, songwriter::Silent16());
    // Up to millions of frames claimed, and the most a 32-bit count can say.
    for (int64_t claimed : {int64_t(4), int64_t(1000), int64_t(4000000), int64_t(0xFFFFFFFF)}) {
        s.frameCountField = claimed;
        Parsed p(s.Build());
        EXPECT_EQ(p.frames.FrameCount, 3u) << claimed;
        EXPECT_EQ(p.song.Length, 3);
        EXPECT_LE(p.frames.FrameDataOffset + 16 * p.frames.FrameCount, p.data.size());
    }
}

TEST(SongBounds, DrumsPastTheEndAreShortenedOrDropped) {
    songwriter::Ym56 s;
    std::vector<uint8_t> file = s.Build();
    file.resize(34);   // the header alone, no additional data
    file[20] = 0;
    file[21] = 3;      // three drums claimed
    songwriter::PutBe32(file, 4);
    file.insert(file.end(), {1, 2, 3, 4});
    songwriter::PutBe32(file, 0x7FFFFFF0);   // claims far more than is there
    file.insert(file.end(), {5, 6, 7});
    Parsed p(file);
    ASSERT_EQ(p.frames.DrumTable.size(), 2u);
    EXPECT_EQ(p.frames.DrumTable[0].Size, 4u);
    EXPECT_EQ(p.frames.DrumTable[1].Size, 3u);
    EXPECT_EQ(p.frames.DrumTable[1].Offset + 3u, p.data.size());
    EXPECT_EQ(p.frames.FrameCount, 0u);
    EXPECT_FALSE(p.frames.Playable());
    EXPECT_TRUE(p.song.SongName.empty());

    s.drums = {{1, 2, 3, 4}};
    s.drumCountField = 40;   // texts and frames get read as drum sizes
    s.frames.assign(1, songwriter::Silent16());
    Parsed many(s.Build());
    for (const DrumEntry& d : many.frames.DrumTable)
        EXPECT_LE(size_t(d.Offset) + d.Size, many.data.size());
}

TEST(SongBounds, TruncatedHeaderAndHugeExtraDataLeaveNothingToPlay) {
    songwriter::Ym56 s;
    s.frames.assign(2, songwriter::Silent16());
    std::vector<uint8_t> file = s.Build();
    Parsed cut(std::vector<uint8_t>(file.begin(), file.begin() + 20));
    EXPECT_EQ(cut.frames.Kind, SongKind::Ym6);
    EXPECT_FALSE(cut.frames.Playable());

    file[32] = 0xFF;
    file[33] = 0xFF;   // 65535 bytes of additional data
    Parsed extra(file);
    EXPECT_EQ(extra.frames.FrameCount, 0u);
    EXPECT_TRUE(extra.frames.DrumTable.empty());

    Parsed ym3b(std::vector<uint8_t>{'Y', 'M', '3', 'b', 1, 2});
    EXPECT_EQ(ym3b.frames.FrameCount, 0u);
    EXPECT_FALSE(ym3b.frames.Playable());
}

TEST(SongBounds, UnterminatedTextsEndAtTheEndOfTheSong) {
    songwriter::Ym56 s;
    s.frames.clear();
    std::vector<uint8_t> file = s.Build();
    file.resize(file.size() - 1);   // drop the comment's 0 byte
    Parsed p(file);
    EXPECT_EQ(p.song.Comment, "made by songwriter");
    EXPECT_FALSE(p.frames.Playable());
}

}  // namespace
