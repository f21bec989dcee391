#pragma once
// The one saved game: a fixed 531-byte record, kept scrambled as the binary value
// "Savegame". It holds the gamepack and level, the clock, the move counter and the board.
//
// Restoring, as the main window does it:
//   1. ReadSaveGame(store): no save gives nothing to do; a damaged value, a foreign
//      version or values no game can have throw before anything changes.
//   2. Open the saved gamepack's header; if it opens, CheckSavedLevel(record, LevelCount,
//      CellsPerSide()) refuses a level the gamepack does not have or a board that does not
//      fit its size, again before anything changes.
//   3. Load the level, then ApplySavedBoard and take MoveCount and TimeLeft from the record,
//      and the hint mark from ReadSaveGameHinted.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class SettingsStore;

// A saved game that cannot be restored; what() is a sentence for the user, without the
// final full stop.
class SaveGameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SaveGameRecord {
    static constexpr size_t kRecordSize = 531;
    static constexpr size_t kVersionCapacity = 6;
    static constexpr size_t kGamepackCapacity = 255;
    static constexpr int kGridSize = 8;
    static constexpr const char* kVersion = "1.10";
    static constexpr const char* kValueName = "Savegame";

    std::string Version = kVersion;
    std::string Gamepack;     // the GamepackName setting's bytes, at most 255
    int32_t LevelIndex = 0;   // 0-based
    int32_t TimeLeft = 0;     // seconds; only matters when the level has a clock
    int32_t MoveCount = 0;
    int32_t Board[kGridSize][kGridSize] = {};  // TileGrid, [column][row]
};

// A record of the game in play; only the live part of the grid (boardSize x boardSize) is
// copied, the rest stays zero.
SaveGameRecord MakeSaveGame(const std::string& gamepackName, int32_t levelIndex,
                            int32_t timeLeft, int32_t moveCount,
                            const int32_t (&tileGrid)[8][8], int boardSize);

// The record's 531 bytes, unscrambled. Throws SaveGameError for a gamepack name longer
// than the record can hold (it would name another file once cut).
std::vector<uint8_t> SerialiseSaveGame(const SaveGameRecord& record);
// Unscrambled bytes back into a record; nothing but the size is checked. Empty unless
// exactly kRecordSize bytes are given.
std::optional<SaveGameRecord> ParseSaveGame(const uint8_t* data, size_t size);

// The stored form (scrambled) and back. DecodeSaveGame checks all a record can be checked
// for on its own: the size (StoreTypeError, "Invalid data type for 'Savegame'"), the
// version ("Unknown savegame format") and values no game can have (SaveGameError).
std::vector<uint8_t> EncodeSaveGame(const SaveGameRecord& record);
SaveGameRecord DecodeSaveGame(const std::vector<uint8_t>& stored);

// Replaces any earlier save and makes it durable; throws StoreError when the store
// cannot be written, so a save that did not happen is not taken for one. `hinted` marks a
// game in which a hint was taken (it does not enter the Top 10): the mark is kept beside
// the record, as the string value kHintedValueName ("1" or "0"), so that the record itself
// stays as it is; it is written with every save once a game has been saved marked.
void WriteSaveGame(SettingsStore& store, const SaveGameRecord& record, bool hinted = false);
constexpr const char* kHintedValueName = "SavegameHinted";
// Empty when there is no save. Throws StoreTypeError for a value that is not binary or
// not 531 bytes long, and whatever DecodeSaveGame throws.
std::optional<SaveGameRecord> ReadSaveGame(const SettingsStore& store);
// The saved game's hint mark: true only for "1". A save made before the mark existed has
// none and is unmarked.
bool ReadSaveGameHinted(const SettingsStore& store);

// Throws SaveGameError unless the record's level is one of the gamepack's levelCount
// levels and its board is a boardSize x boardSize puzzle: the live cells hold each tile
// 0..N*N-2 once, and the remaining cell the empty marker N*N (or the last tile N*N-1, as
// on the level-complete screen, where the picture is shown whole).
void CheckSavedLevel(const SaveGameRecord& record, int levelCount, int boardSize);
bool SavedBoardFits(const SaveGameRecord& record, int boardSize);

// Copies the live part of the saved board into the game's TileGrid; the other cells are
// left alone.
void ApplySavedBoard(const SaveGameRecord& record, int32_t (&tileGrid)[8][8], int boardSize);
