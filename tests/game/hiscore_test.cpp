// The Top 10 table: ranking, highlight, the 630-byte record and its place in the store.
#include <gtest/gtest.h>

#include <string>

#include "common/settingsstore.h"
#include "game/hiscoretable.h"

namespace {

// A table whose ten entries have 10, 20, ... 100 moves, all silver.
HiScoreTable FullTable() {
    HiScoreTable t;
    for (int i = 10; i >= 1; --i) t.RecordResult(i * 10, i, "pack" + std::to_string(i) + ".spx");
    t.ResetHighlight();
    return t;
}

int YellowCount(const HiScoreTable& t) {
    int n = 0;
    for (const HiScoreEntry& e : t.Entries()) n += e.Colour == HiScoreEntry::kYellow;
    return n;
}

TEST(HiScoreRanking, DefaultTableTakesAnyRealResultIntoSlotZero) {
    HiScoreTable t;
    EXPECT_EQ(t.RecordResult(1000000, -1, "a.spx"), 0);
    EXPECT_EQ(t.Entry(0).Moves, 1000000);
    EXPECT_FALSE(t.Entry(0).Empty());
    EXPECT_TRUE(t.Entry(1).Empty());
}

TEST(HiScoreRanking, ResultWithEmptySlotMovesIsNotEntered) {
    HiScoreTable t;
    EXPECT_EQ(t.RecordResult(1000001, 5, "a.spx"), -1);
    EXPECT_EQ(t.Serialise(), HiScoreTable().Serialise());
}

TEST(HiScoreRanking, EqualMovesGoAfterTheEarlierResult) {
    HiScoreTable t;
    t.RecordResult(50, 1, "first.spx");
    t.RecordResult(80, 2, "other.spx");
    EXPECT_EQ(t.RecordResult(50, 3, "second.spx"), 1);
    EXPECT_EQ(t.Entry(0).Gamepack, "first.spx");
    EXPECT_EQ(t.Entry(1).Gamepack, "second.spx");
    EXPECT_EQ(t.Entry(2).Gamepack, "other.spx");
}

TEST(HiScoreRanking, WorseThanAFullTableChangesNothingNotEvenColours) {
    HiScoreTable t = FullTable();
    t.RecordResult(55, 7, "new.spx");  // leaves one yellow entry
    const std::vector<uint8_t> before = t.Serialise();
    EXPECT_EQ(t.RecordResult(90, 9, "late.spx"), -1);  // equal to the last: not better
    EXPECT_EQ(t.RecordResult(5000, 9, "late.spx"), -1);
    EXPECT_EQ(t.Serialise(), before);
    EXPECT_EQ(YellowCount(t), 1);
}

TEST(HiScoreRanking, InsertionShiftsDownDropsTheLastAndHighlightsOnlyTheNewEntry) {
    HiScoreTable t = FullTable();
    EXPECT_EQ(t.RecordResult(35, 12, "mid.spx"), 3);
    EXPECT_EQ(t.Entry(2).Moves, 30);
    EXPECT_EQ(t.Entry(3).Moves, 35);
    EXPECT_EQ(t.Entry(3).TimeLeft, 12);
    EXPECT_EQ(t.Entry(4).Moves, 40);
    EXPECT_EQ(t.Entry(9).Moves, 90);  // 100 dropped
    EXPECT_EQ(t.Entry(3).Colour, HiScoreEntry::kYellow);
    EXPECT_EQ(YellowCount(t), 1);

    // The next insertion takes the highlight away from the previous one.
    t.RecordResult(1, -1, "best.spx");
    EXPECT_EQ(t.Entry(0).Colour, HiScoreEntry::kYellow);
    EXPECT_EQ(t.Entry(4).Colour, HiScoreEntry::kSilver);
    EXPECT_EQ(YellowCount(t), 1);
}

TEST(HiScoreRanking, InsertingIntoSlotNineReplacesOnlyTheLastEntry) {
    HiScoreTable t = FullTable();
    const HiScoreTable before = t;
    EXPECT_EQ(t.RecordResult(95, 3, "nine.spx"), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(t.Entry(i).Moves, before.Entry(i).Moves) << i;
    EXPECT_EQ(t.Entry(9).Moves, 95);
    EXPECT_EQ(t.Entry(9).Gamepack, "nine.spx");
}

TEST(HiScoreNames, SixtyCharacterNameIsStoredAsItsFirstFifty) {
    const std::string name(50, 'n');
    HiScoreTable t;
    t.RecordResult(10, -1, name + "0123456789");
    EXPECT_EQ(t.Entry(0).Gamepack, name);
    const std::vector<uint8_t> rec = t.Serialise();
    EXPECT_EQ(rec[12], 50);
    EXPECT_EQ(std::string(rec.begin() + 13, rec.begin() + 63), name);
}

TEST(HiScoreNames, Utf8NameIsNotCutInsideACharacter) {
    // 49 ASCII bytes, then a two-byte character that would straddle byte 50.
    const std::string name = std::string(49, 'a') + "\xC3\xA9" + "xyz";
    EXPECT_EQ(HiScoreTable::CutName(name), std::string(49, 'a'));
    // Bytes that are not UTF-8 are file-system bytes, cut at exactly 50.
    const std::string latin = std::string(49, 'a') + "\xE9\xE9\xE9";
    EXPECT_EQ(HiScoreTable::CutName(latin), std::string(49, 'a') + "\xE9");
}

TEST(HiScoreRecord, DefaultRecordLayout) {
    const std::vector<uint8_t> rec = HiScoreTable().Serialise();
    ASSERT_EQ(rec.size(), 630u);
    for (int i = 0; i < 10; ++i) {
        const uint8_t* e = rec.data() + 63 * i;
        EXPECT_EQ(e[0] | e[1] << 8 | e[2] << 16 | e[3] << 24, 1000001);
        EXPECT_EQ(e[4] & e[5] & e[6] & e[7], 0xFF);  // -1
        EXPECT_EQ(e[8], 0xC0);
        EXPECT_EQ(e[9], 0xC0);
        EXPECT_EQ(e[10], 0xC0);
        EXPECT_EQ(e[11], 0x00);
        EXPECT_EQ(e[12], 0);
    }
}

TEST(HiScoreRecord, RoundTripKeepsEveryField) {
    HiScoreTable t = FullTable();
    t.RecordResult(42, 17, "round.spx");
    const std::vector<uint8_t> rec = t.Serialise();
    std::optional<HiScoreTable> back = HiScoreTable::Parse(rec.data(), rec.size());
    ASSERT_TRUE(back);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(back->Entry(i).Moves, t.Entry(i).Moves);
        EXPECT_EQ(back->Entry(i).TimeLeft, t.Entry(i).TimeLeft);
        EXPECT_EQ(back->Entry(i).Colour, t.Entry(i).Colour);
        EXPECT_EQ(back->Entry(i).Gamepack, t.Entry(i).Gamepack);
    }
}

TEST(HiScoreRecord, LengthByteAboveFiftyIsCutToTheSlot) {
    std::vector<uint8_t> rec = HiScoreTable().Serialise();
    rec[12] = 200;
    for (int i = 13; i < 63; ++i) rec[size_t(i)] = 'x';
    rec[63] = 0x11;  // next entry's Moves, must not leak into the name
    std::optional<HiScoreTable> t = HiScoreTable::Parse(rec.data(), rec.size());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Entry(0).Gamepack, std::string(50, 'x'));
}

TEST(HiScoreStore, MissingValueGivesTheDefaultTable) {
    MemoryStore store;
    HiScoreTable t = FullTable();
    t.Load(store);
    EXPECT_EQ(t.Serialise(), HiScoreTable().Serialise());
}

TEST(HiScoreStore, DamagedValuesGiveTheDefaultTable) {
    const std::vector<uint8_t> good = FullTable().Serialise();
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    const StoreValue bad[] = {
        {StoreValueType::String, "hello", {}},
        {StoreValueType::Other, "", {}},
        {StoreValueType::Binary, "", longer},
    };
    for (const StoreValue& v : bad) {
        MemoryStore store;
        store.Put("HiScore", v);
        HiScoreTable t = FullTable();
        t.Load(store);
        EXPECT_EQ(t.Serialise(), HiScoreTable().Serialise());
    }
}

TEST(HiScoreStore, RecordCutShortKeepsItsWholeEntries) {
    // As a settings file truncated in the middle of the value leaves it: shorter, or only
    // the front of its text. Entries cut through are empty, as are the ones after them.
    const std::vector<uint8_t> good = FullTable().Serialise();
    for (size_t size : {size_t(629), size_t(3 * 63 + 40), size_t(63), size_t(62), size_t(0)}) {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> front(good.begin(), good.begin() + std::ptrdiff_t(size));
        StoreValue cut{StoreValueType::String, "@ByteArray(...", front};
        cut.cutBinary = true;
        for (const StoreValue& v : {StoreValue{StoreValueType::Binary, "", front}, cut}) {
            MemoryStore store;
            store.Put("HiScore", v);
            HiScoreTable t;
            t.Load(store);
            const size_t kept = size / 63;
            for (size_t i = 0; i < 10; ++i) {
                const HiScoreEntry& e = t.Entry(int(i));
                if (i < kept) {
                    EXPECT_EQ(e.Moves, FullTable().Entry(int(i)).Moves);
                    EXPECT_EQ(e.Gamepack, FullTable().Entry(int(i)).Gamepack);
                } else {
                    EXPECT_TRUE(e.Empty()) << i;
                    EXPECT_EQ(e.Colour, HiScoreEntry::kSilver) << i;
                }
            }
        }
    }
}

}  // namespace
