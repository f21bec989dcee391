// The saved game: the 531-byte record, its scrambling, and every way a stored value is
// refused before the game changes.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/settingsstore.h"
#include "game/savegame.h"
#include "gamepack/gamepackformat.h"

namespace {

// A board of size n in play: tiles placed column by column, the gap in the first cell.
void FillPlayedBoard(int32_t (&grid)[8][8], int n) {
    int t = 0;
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) grid[c][r] = t++;
    // Swap the gap (marker n*n) into cell 0 and drop the last tile: 0 -> marker.
    grid[n - 1][n - 1] = grid[0][0];
    grid[0][0] = n * n;
}

SaveGameRecord SampleRecord(int n = 4) {
    int32_t grid[8][8];
    for (auto& col : grid)
        for (int32_t& v : col) v = 99;  // beyond the live part: must not be saved
    FillPlayedBoard(grid, n);
    return MakeSaveGame("my pack.spx", 2, 45, 123, grid, n);
}

int32_t Int32At(const std::vector<uint8_t>& b, size_t at) {
    return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                   uint32_t(b[at + 3]) << 24);
}

StoreValue Binary(std::vector<uint8_t> b) { return {StoreValueType::Binary, "", std::move(b)}; }

std::string ReadError(const MemoryStore& store) {
    try {
        ReadSaveGame(store);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<no error>";
}

TEST(SaveGameRecordLayout, FieldsSitAtTheirOffsets) {
    const std::vector<uint8_t> b = SerialiseSaveGame(SampleRecord(4));
    ASSERT_EQ(b.size(), 531u);
    EXPECT_EQ(b[0], 4);
    EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 5), "1.10");
    EXPECT_EQ(b[7], 11);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 19), "my pack.spx");
    EXPECT_EQ(Int32At(b, 263), 2);
    EXPECT_EQ(Int32At(b, 267), 45);
    EXPECT_EQ(Int32At(b, 271), 123);
    EXPECT_EQ(Int32At(b, 275), 16);            // column 0, row 0: the gap
    EXPECT_EQ(Int32At(b, 275 + 4), 1);         // column 0, row 1
    EXPECT_EQ(Int32At(b, 275 + 32), 4);        // column 1, row 0
    EXPECT_EQ(Int32At(b, 275 + 32 * 3 + 12), 0);  // column 3, row 3
    EXPECT_EQ(Int32At(b, 275 + 32 * 4), 0);    // outside the live part
    EXPECT_EQ(Int32At(b, 275 + 32 * 7 + 28), 0);
}

TEST(SaveGameRecordLayout, StoredFormIsScrambledWithTheGamepackKey) {
    const SaveGameRecord rec = SampleRecord();
    std::vector<uint8_t> stored = EncodeSaveGame(rec);
    const std::vector<uint8_t> plain = SerialiseSaveGame(rec);
    ASSERT_EQ(stored.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(stored[i], plain[i] ^ uint8_t(i + GamepackKey[i % 11])) << i;
}

TEST(SaveGameRoundTrip, StoreKeepsLevelTimeMovesAndBoard) {
    for (int n = 3; n <= 7; ++n) {
        MemoryStore store;
        const SaveGameRecord rec = SampleRecord(n);
        WriteSaveGame(store, rec);
        EXPECT_EQ(store.SyncCount(), 1);
        std::optional<SaveGameRecord> back = ReadSaveGame(store);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->Gamepack, "my pack.spx");
        EXPECT_EQ(back->LevelIndex, 2);
        EXPECT_EQ(back->TimeLeft, 45);
        EXPECT_EQ(back->MoveCount, 123);
        EXPECT_NO_THROW(CheckSavedLevel(*back, 3, n));

        int32_t grid[8][8] = {};
        grid[7][7] = -5;  // outside the live part: left alone
        ApplySavedBoard(*back, grid, n);
        for (int c = 0; c < n; ++c)
            for (int r = 0; r < n; ++r) EXPECT_EQ(grid[c][r], rec.Board[c][r]);
        EXPECT_EQ(grid[7][7], -5);
    }
}

TEST(SaveGameRoundTrip, HintMarkIsDurableWithTheRecordAndOnlyOneMarks) {
    MemoryStore store;
    WriteSaveGame(store, SampleRecord(), true);
    EXPECT_EQ(store.SyncCount(), 1);
    ASSERT_EQ(store.Committed().count(kHintedValueName), 1u) << "made durable by the save's own sync";
    EXPECT_TRUE(ReadSaveGameHinted(store));
    for (const StoreValue& other : {StoreValue{StoreValueType::String, "yes", {}}, Binary({'1'}), StoreValue{}}) {
        store.Put(kHintedValueName, other);
        EXPECT_FALSE(ReadSaveGameHinted(store)) << other.text;
    }
}

TEST(SaveGameRoundTrip, NoSaveMeansNothingToRestore) {
    MemoryStore store;
    EXPECT_FALSE(ReadSaveGame(store).has_value());
}

TEST(SaveGameRefused, ForeignVersionIsAnUnknownFormat) {
    for (const std::string version : {"1.1", "1.100", "2.00", ""}) {
        SaveGameRecord rec = SampleRecord();
        rec.Version = version;
        MemoryStore store;
        store.Put("Savegame", Binary(EncodeSaveGame(rec)));
        EXPECT_EQ(ReadError(store), "Unknown savegame format") << version;
    }
    // An unscrambled record reads as garbage, not as a save.
    MemoryStore store;
    store.Put("Savegame", Binary(SerialiseSaveGame(SampleRecord())));
    EXPECT_EQ(ReadError(store), "Unknown savegame format");
}

TEST(SaveGameRefused, StringOrWrongSizeIsAnInvalidDataType) {
    const std::vector<uint8_t> good = EncodeSaveGame(SampleRecord());
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    const StoreValue bad[] = {
        {StoreValueType::String, "1.10", {}},
        {StoreValueType::Other, "", {}},
        Binary(std::vector<uint8_t>(good.begin(), good.end() - 1)),
        Binary(longer),
        Binary({}),
    };
    for (const StoreValue& v : bad) {
        MemoryStore store;
        store.Put("Savegame", v);
        EXPECT_EQ(ReadError(store), "Invalid data type for 'Savegame'");
    }
}

TEST(SaveGameRefused, ValuesNoGameCanHave) {
    SaveGameRecord level = SampleRecord();
    level.LevelIndex = -1;
    SaveGameRecord moves = SampleRecord();
    moves.MoveCount = -4;
    for (const SaveGameRecord& rec : {level, moves}) {
        MemoryStore store;
        store.Put("Savegame", Binary(EncodeSaveGame(rec)));
        EXPECT_THROW(ReadSaveGame(store), SaveGameError);
    }
    // A clock below zero is one play reaches: saved on Game Over, restored, ticked once.
    for (int32_t time : {-1, -2, INT32_MIN}) {
        SaveGameRecord rec = SampleRecord();
        rec.TimeLeft = time;
        MemoryStore store;
        store.Put("Savegame", Binary(EncodeSaveGame(rec)));
        EXPECT_EQ(ReadError(store), "<no error>") << time;
        EXPECT_EQ(ReadSaveGame(store)->TimeLeft, time);
    }
}

TEST(SaveGameRefused, LevelBeyondTheGamepack) {
    SaveGameRecord rec = SampleRecord();
    rec.LevelIndex = 3;  // saved after the last of three levels was finished
    EXPECT_THROW(CheckSavedLevel(rec, 3, 4), SaveGameError);
    EXPECT_NO_THROW(CheckSavedLevel(rec, 4, 4));
}

TEST(SaveGameBoard, BoardMustBeAPuzzleOfTheLevelsSize) {
    const SaveGameRecord rec = SampleRecord(5);
    EXPECT_TRUE(SavedBoardFits(rec, 5));
    EXPECT_FALSE(SavedBoardFits(rec, 4));  // the gap marker 25 is out of range
    EXPECT_FALSE(SavedBoardFits(rec, 6));  // zeros repeat in the extra cells
    EXPECT_FALSE(SavedBoardFits(rec, 2));
    EXPECT_FALSE(SavedBoardFits(rec, 8));
    EXPECT_THROW(CheckSavedLevel(rec, 10, 4), SaveGameError);

    SaveGameRecord twice = rec;
    twice.Board[1][1] = twice.Board[2][2];
    EXPECT_FALSE(SavedBoardFits(twice, 5));

    SaveGameRecord negative = rec;
    negative.Board[4][0] = -1;
    EXPECT_FALSE(SavedBoardFits(negative, 5));

    SaveGameRecord twoGaps = rec;
    twoGaps.Board[3][3] = 25;
    EXPECT_FALSE(SavedBoardFits(twoGaps, 5));
}

TEST(SaveGameBoard, SolvedBoardShownWholeIsAccepted) {
    // Saved on the level-complete screen: the last cell holds the last tile, no gap.
    int32_t grid[8][8] = {};
    int t = 0;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) grid[c][r] = t++;
    const SaveGameRecord rec = MakeSaveGame("a.spx", 0, 0, 9, grid, 3);
    EXPECT_TRUE(SavedBoardFits(rec, 3));
    // Both the last tile and the gap: one tile is missing.
    SaveGameRecord both = rec;
    both.Board[0][0] = 9;
    EXPECT_FALSE(SavedBoardFits(both, 3));
}

TEST(SaveGameWrite, FailingStoreIsReported) {
    MemoryStore store;
    store.SetSyncFails(true);
    EXPECT_THROW(WriteSaveGame(store, SampleRecord()), StoreError);
    EXPECT_EQ(store.Committed().count("Savegame"), 0u);
}

TEST(SaveGameWrite, NameTooLongForTheRecordIsRefused) {
    SaveGameRecord rec = SampleRecord();
    rec.Gamepack = std::string(256, 'p');
    EXPECT_THROW(EncodeSaveGame(rec), SaveGameError);
    rec.Gamepack = std::string(255, 'p');
    EXPECT_EQ(DecodeSaveGame(EncodeSaveGame(rec)).Gamepack, rec.Gamepack);
}

}  // namespace
