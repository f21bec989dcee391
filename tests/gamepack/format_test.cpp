// Scrambling, the header record, chunk offsets and the Windows-1252 edge.
#include <gtest/gtest.h>

#include <numeric>

#include "gamepack/ansi.h"
#include "gamepack/gamepackformat.h"

namespace {

TEST(ScrambleBytes, LengthZeroTouchesNothing) {
    uint8_t guard[3] = {1, 2, 3};
    ScrambleBytes(guard, 0);
    EXPECT_EQ(guard[0], 1);
    EXPECT_EQ(guard[1], 2);
    EXPECT_EQ(guard[2], 3);
}

TEST(ScrambleBytes, TwiceGivesBackTheOriginal) {
    std::vector<uint8_t> original(3000);
    std::iota(original.begin(), original.end(), uint8_t(5));
    std::vector<uint8_t> buf = original;
    ScrambleBytes(buf.data(), buf.size());
    EXPECT_NE(buf, original);
    ScrambleBytes(buf.data(), buf.size());
    EXPECT_EQ(buf, original);
}

TEST(ScrambleBytes, KeyRepeatsEvery11BytesAndPositionIsAdded) {
    std::vector<uint8_t> zeros(300, 0);
    ScrambleBytes(zeros.data(), zeros.size());
    EXPECT_EQ(zeros[0], GamepackKey[0]);
    EXPECT_EQ(zeros[11], uint8_t(GamepackKey[0] + 11));
    EXPECT_EQ(zeros[256], GamepackKey[3]);  // 256 mod 11 = 3, plus 256 mod 256 = 0
    EXPECT_EQ(zeros[257], uint8_t(GamepackKey[4] + 1));
    // Position counts from the buffer given, not from any file offset.
    uint8_t one = 0;
    ScrambleBytes(&one, 1);
    EXPECT_EQ(one, GamepackKey[0]);
}

GamepackHeader SampleHeader() {
    GamepackHeader h;
    h.Preamble = kGamepackPreamble;
    h.LevelCount = 3;
    h.Difficulty = 4;
    h.TimerIndex = 12;
    h.SizeIndex = 2;
    h.SongCount = 2;
    h.Description = std::string("Caf\xE9 \x80uro ") + std::string(245, 'd');
    h.LevelNames[0] = std::string(50, 'n');
    h.LevelNames[2] = "Third";
    h.SongTitles[1] = "Tune \x93quoted\x94";
    h.PictureSizes = {7000, 1, 2, 3, 4, 5, 6, 7, 8, -9};
    h.SongSizes = {1000, 500, 0, 0, 0, 0, 0, 0, 0, 10};
    return h;
}

TEST(GamepackHeader, SerialisesToTheFixedLayoutAndParsesBack) {
    GamepackHeader h = SampleHeader();
    auto raw = SerialiseGamepackHeader(h);
    ASSERT_EQ(raw.size(), 1383u);
    EXPECT_EQ(raw[7], 3);                  // LevelCount at 7
    EXPECT_EQ(raw[15], 12);                // TimerIndex at 15
    EXPECT_EQ(raw[27], 255);               // Description length byte at 27
    EXPECT_EQ(raw[283], 50);               // LevelNames[0] at 283
    EXPECT_EQ(raw[793 + 51], 13);          // SongTitles[1]
    EXPECT_EQ(raw[1303], 0x58);            // PictureSizes[0] = 7000 = 0x1B58
    EXPECT_EQ(raw[1304], 0x1B);
    EXPECT_EQ(raw[1342], 0xFF);            // PictureSizes[9] = -9, top byte
    EXPECT_EQ(raw[1343], 0xE8);            // SongSizes[0] = 1000 = 0x3E8
    EXPECT_EQ(raw[1379], 10);              // SongSizes[9]
    GamepackHeader back;
    ASSERT_TRUE(ParseGamepackHeader(raw.data(), raw.size(), back));
    EXPECT_EQ(back.Preamble, h.Preamble);
    EXPECT_EQ(back.LevelCount, 3);
    EXPECT_EQ(back.Difficulty, 4);
    EXPECT_EQ(back.SongCount, 2);
    EXPECT_EQ(back.Description, h.Description);
    EXPECT_EQ(back.LevelNames, h.LevelNames);
    EXPECT_EQ(back.SongTitles, h.SongTitles);
    EXPECT_EQ(back.PictureSizes, h.PictureSizes);
    EXPECT_EQ(back.SongSizes, h.SongSizes);
}

TEST(GamepackHeader, ParseNeedsAllBytesAndCutsOverlongLengthBytes) {
    auto raw = SerialiseGamepackHeader(SampleHeader());
    GamepackHeader h;
    EXPECT_FALSE(ParseGamepackHeader(raw.data(), raw.size() - 1, h));
    raw[283 + 51] = 200;  // LevelNames[1] claims 200 bytes in a 50-byte slot
    ASSERT_TRUE(ParseGamepackHeader(raw.data(), raw.size(), h));
    EXPECT_EQ(h.LevelNames[1].size(), 50u);
    EXPECT_EQ(h.LevelNames[2], "Third");  // the next slot is still where it belongs
}

TEST(GamepackHeader, SerialiseRefusesStringsTooLongForTheirSlot) {
    GamepackHeader h = SampleHeader();
    h.LevelNames[3] = std::string(51, 'x');
    EXPECT_THROW(SerialiseGamepackHeader(h), std::length_error);
    h = SampleHeader();
    h.Description = std::string(256, 'x');
    EXPECT_THROW(SerialiseGamepackHeader(h), std::length_error);
}

TEST(GamepackHeader, TablesGiveSizesAndTimeLimits) {
    GamepackHeader h = SampleHeader();
    h.TimerIndex = 12;
    EXPECT_EQ(h.TimeLimit(), 1200);
    h.TimerIndex = 1;
    EXPECT_EQ(h.TimeLimit(), 30);
    h.TimerIndex = 0;
    EXPECT_EQ(h.TimeLimit(), 0);
    h.SizeIndex = 0;
    EXPECT_EQ(h.CellsPerSide(), 3);
    h.SizeIndex = 4;
    EXPECT_EQ(h.CellsPerSide(), 7);
    for (int i = 0; i < kSizeCount; ++i) EXPECT_EQ(std::stoi(SizeTexts[i]), i + 3);
    EXPECT_STREQ(DifficultyNames[0], "Very Easy");
    EXPECT_STREQ(DifficultyNames[4], "Impossible");
}

TEST(ChunkOffsets, FirstPictureFollowsTheHeaderWhenThereAreNoSongs) {
    GamepackHeader h;
    h.LevelCount = 2;
    h.SongCount = 0;
    h.PictureSizes[0] = 1234;
    EXPECT_EQ(PictureOffset(h, 0), 1383);
    EXPECT_EQ(PictureOffset(h, 1), 1383 + 1234);
}

TEST(ChunkOffsets, SongsAreSkippedByCountAndFoundByLevel) {
    GamepackHeader h;
    h.LevelCount = 3;
    h.SongCount = 2;
    h.SongSizes[0] = 1000;
    h.SongSizes[1] = 500;
    h.PictureSizes[0] = 7000;
    EXPECT_EQ(PictureOffset(h, 1), 9883);
    EXPECT_EQ(SongOffset(h, 1), 2383);
    EXPECT_EQ(SongOffset(h, 0), 1383);
}

TEST(ChunkOffsets, LargeSizesDoNotWrap) {
    GamepackHeader h;
    h.LevelCount = 10;
    h.SongCount = 10;
    h.SongSizes.fill(0x7FFFFFFF);
    h.PictureSizes.fill(0x7FFFFFFF);
    EXPECT_EQ(PictureOffset(h, 9), 1383 + 19 * int64_t(0x7FFFFFFF));
}

struct HeaderFault {
    const char* name;
    void (*spoil)(GamepackHeader&);
    const char* mentions;
};

class HeaderValidation : public ::testing::TestWithParam<HeaderFault> {};

TEST_P(HeaderValidation, RefusesValuesOutsideTheirRange) {
    GamepackHeader h = SampleHeader();
    ASSERT_EQ(ValidateGamepackHeader(h), "");
    GetParam().spoil(h);
    std::string fault = ValidateGamepackHeader(h);
    EXPECT_NE(fault.find(GetParam().mentions), std::string::npos) << fault;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HeaderValidation,
    ::testing::Values(
        HeaderFault{"NoLevels", [](GamepackHeader& h) { h.LevelCount = 0; }, "level count"},
        HeaderFault{"ElevenLevels", [](GamepackHeader& h) { h.LevelCount = 11; }, "level count"},
        HeaderFault{"NegativeLevels", [](GamepackHeader& h) { h.LevelCount = -3; }, "level count"},
        HeaderFault{"Difficulty5", [](GamepackHeader& h) { h.Difficulty = 5; }, "difficulty"},
        HeaderFault{"Timer13", [](GamepackHeader& h) { h.TimerIndex = 13; }, "timer"},
        HeaderFault{"TimerNegative", [](GamepackHeader& h) { h.TimerIndex = -1; }, "timer"},
        HeaderFault{"Size5", [](GamepackHeader& h) { h.SizeIndex = 5; }, "size"},
        HeaderFault{"SizeNegative", [](GamepackHeader& h) { h.SizeIndex = -1; }, "size"},
        HeaderFault{"Songs11", [](GamepackHeader& h) { h.SongCount = 11; }, "song count"},
        HeaderFault{"SongsNegative", [](GamepackHeader& h) { h.SongCount = -1; }, "song count"},
        HeaderFault{"NegativePicture",
                    [](GamepackHeader& h) { h.PictureSizes[2] = -1; }, "picture of level 3"},
        HeaderFault{"NegativeSong", [](GamepackHeader& h) { h.SongSizes[1] = -5; },
                    "song of level 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderValidation, UnusedSlotsMayHoldAnything) {
    GamepackHeader h = SampleHeader();  // PictureSizes[9] = -9 lies beyond LevelCount 3
    h.SongSizes[5] = -1;                // beyond both LevelCount and SongCount
    EXPECT_EQ(ValidateGamepackHeader(h), "");
}

TEST(Ansi, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    std::string back;
    ASSERT_TRUE(ToAnsi(FromAnsi(all), back));
    EXPECT_EQ(back, all);
}

TEST(Ansi, MapsTheWindowsSpecificRange) {
    EXPECT_EQ(FromAnsi("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(FromAnsi("\xE9t\xE9"), QString::fromUtf8("été"));
    std::string out;
    ASSERT_TRUE(ToAnsi(QString::fromUtf8("“€”"), out));
    EXPECT_EQ(out, "\x93\x80\x94");
}

TEST(Ansi, RefusesWhatWindows1252CannotHold) {
    std::string out = "kept";
    EXPECT_FALSE(ToAnsi(QString::fromUtf8("Łódź"), out));
    EXPECT_FALSE(ToAnsi(QString::fromUtf8("emoji \xF0\x9F\x98\x80"), out));
    EXPECT_EQ(out, "kept");
}

}  // namespace
