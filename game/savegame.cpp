#include "game/savegame.h"

#include <algorithm>

#include "common/bytereader.h"
#include "common/settingsstore.h"
#include "gamepack/gamepackformat.h"

namespace {

constexpr size_t kGamepackOffset = 7;
constexpr size_t kLevelOffset = 263;
constexpr size_t kBoardOffset = 275;

void PutString(std::vector<uint8_t>& out, size_t at, const std::string& s, size_t capacity) {
    const size_t len = std::min(s.size(), capacity);
    out[at] = uint8_t(len);
    std::copy(s.begin(), s.begin() + std::ptrdiff_t(len), out.begin() + std::ptrdiff_t(at + 1));
}

void Put32(std::vector<uint8_t>& out, size_t at, int32_t value) {
    const uint32_t v = uint32_t(value);
    for (int b = 0; b < 4; ++b) out[at + size_t(b)] = uint8_t(v >> (8 * b));
}

bool ValidBoardSize(int n) { return n >= 3 && n <= 7; }

}  // namespace

SaveGameRecord MakeSaveGame(const std::string& gamepackName, int32_t levelIndex,
                            int32_t timeLeft, int32_t moveCount,
                            const int32_t (&tileGrid)[8][8], int boardSize) {
    SaveGameRecord r;
    r.Gamepack = gamepackName;
    r.LevelIndex = levelIndex;
    r.TimeLeft = timeLeft;
    r.MoveCount = moveCount;
    const int n = std::clamp(boardSize, 0, SaveGameRecord::kGridSize);
    for (int c = 0; c < n; ++c)
        for (int row = 0; row < n; ++row) r.Board[c][row] = tileGrid[c][row];
    return r;
}

std::vector<uint8_t> SerialiseSaveGame(const SaveGameRecord& record) {
    if (record.Gamepack.size() > SaveGameRecord::kGamepackCapacity)
        throw SaveGameError("The gamepack name is too long to be saved");
    std::vector<uint8_t> out(SaveGameRecord::kRecordSize, 0);
    PutString(out, 0, record.Version, SaveGameRecord::kVersionCapacity);
    PutString(out, kGamepackOffset, record.Gamepack, SaveGameRecord::kGamepackCapacity);
    Put32(out, kLevelOffset, record.LevelIndex);
    Put32(out, kLevelOffset + 4, record.TimeLeft);
    Put32(out, kLevelOffset + 8, record.MoveCount);
    for (int c = 0; c < SaveGameRecord::kGridSize; ++c)
        for (int row = 0; row < SaveGameRecord::kGridSize; ++row)
            Put32(out, kBoardOffset + size_t(32 * c + 4 * row), record.Board[c][row]);
    return out;
}

std::optional<SaveGameRecord> ParseSaveGame(const uint8_t* data, size_t size) {
    if (size != SaveGameRecord::kRecordSize) return std::nullopt;
    ByteReader r(data, size);
    SaveGameRecord rec;
    rec.Version = r.shortString(SaveGameRecord::kVersionCapacity);
    rec.Gamepack = r.shortString(SaveGameRecord::kGamepackCapacity);
    rec.LevelIndex = r.i32le();
    rec.TimeLeft = r.i32le();
    rec.MoveCount = r.i32le();
    for (auto& column : rec.Board)
        for (int32_t& cell : column) cell = r.i32le();
    if (!r.ok()) return std::nullopt;
    return rec;
}

std::vector<uint8_t> EncodeSaveGame(const SaveGameRecord& record) {
    std::vector<uint8_t> bytes = SerialiseSaveGame(record);
    ScrambleBytes(bytes.data(), bytes.size());
    return bytes;
}

SaveGameRecord DecodeSaveGame(const std::vector<uint8_t>& stored) {
    if (stored.size() != SaveGameRecord::kRecordSize)
        throw StoreTypeError(SaveGameRecord::kValueName);
    std::vector<uint8_t> bytes = stored;
    ScrambleBytes(bytes.data(), bytes.size());
    std::optional<SaveGameRecord> rec = ParseSaveGame(bytes.data(), bytes.size());
    if (!rec) throw StoreTypeError(SaveGameRecord::kValueName);
    if (rec->Version != SaveGameRecord::kVersion) throw SaveGameError("Unknown savegame format");

    // A version-1.10 record with values no game can reach was edited or damaged; refuse
    // it rather than load a level that is not there or count a negative score. Any time
    // left is one a game can reach: a game saved on Game Over, restored and ticked once
    // more holds -1, the next round -2, and the next tick ends it again.
    if (rec->LevelIndex < 0)
        throw SaveGameError("The saved game is damaged: its level number is " +
                            std::to_string(rec->LevelIndex));
    if (rec->MoveCount < 0)
        throw SaveGameError("The saved game is damaged: its move count is " +
                            std::to_string(rec->MoveCount));
    return std::move(*rec);
}

void WriteSaveGame(SettingsStore& store, const SaveGameRecord& record, bool hinted) {
    store.WriteBinary(SaveGameRecord::kValueName, EncodeSaveGame(record));
    // A player who never took a hint finds no value of it in the store.
    if (hinted || store.Read(kHintedValueName).type != StoreValueType::Missing)
        store.WriteString(kHintedValueName, hinted ? "1" : "0");
    store.Sync();
}

std::optional<SaveGameRecord> ReadSaveGame(const SettingsStore& store) {
    std::optional<std::vector<uint8_t>> stored = store.ReadBinary(SaveGameRecord::kValueName);
    if (!stored) return std::nullopt;
    return DecodeSaveGame(*stored);
}

bool ReadSaveGameHinted(const SettingsStore& store) {
    const StoreValue v = store.Read(kHintedValueName);
    return v.type == StoreValueType::String && v.text == "1";
}

bool SavedBoardFits(const SaveGameRecord& record, int boardSize) {
    if (!ValidBoardSize(boardSize)) return false;
    const int cells = boardSize * boardSize;
    // seen[t] for tiles 0..N*N-1 and the empty marker N*N.
    std::vector<bool> seen(size_t(cells) + 1, false);
    int ends = 0;  // cells holding the last tile or the empty marker
    for (int c = 0; c < boardSize; ++c) {
        for (int row = 0; row < boardSize; ++row) {
            const int32_t t = record.Board[c][row];
            if (t < 0 || t > cells || seen[size_t(t)]) return false;
            seen[size_t(t)] = true;
            if (t >= cells - 1) ++ends;
        }
    }
    // N*N distinct values from 0..N*N: exactly one is absent; it must be N*N-1 or N*N.
    return ends == 1;
}

void CheckSavedLevel(const SaveGameRecord& record, int levelCount, int boardSize) {
    if (record.LevelIndex >= levelCount)
        throw SaveGameError("The saved game is at level " + std::to_string(record.LevelIndex + 1) +
                            ", but its gamepack has " + std::to_string(levelCount) +
                            (levelCount == 1 ? " level" : " levels"));
    if (!SavedBoardFits(record, boardSize))
        throw SaveGameError("The saved game is damaged: its board is not a " +
                            std::to_string(boardSize) + " x " + std::to_string(boardSize) +
                            " puzzle");
}

void ApplySavedBoard(const SaveGameRecord& record, int32_t (&tileGrid)[8][8], int boardSize) {
    const int n = std::clamp(boardSize, 0, SaveGameRecord::kGridSize);
    for (int c = 0; c < n; ++c)
        for (int row = 0; row < n; ++row) tileGrid[c][row] = record.Board[c][row];
}
