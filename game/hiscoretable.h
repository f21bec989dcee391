#pragma once
// The Top 10 table of finished games, across all gamepacks, ranked by moves. Its stored
// form is the fixed 630-byte record (ten 63-byte entries, best first) kept as the binary
// value "HiScore".

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class SettingsStore;

struct HiScoreEntry {
    static constexpr int32_t kEmptyMoves = 1000001;
    static constexpr uint32_t kYellow = 0x0000FFFF;  // the entry just added
    static constexpr uint32_t kSilver = 0x00C0C0C0;  // every other entry

    int32_t Moves = kEmptyMoves;  // smaller is better
    int32_t TimeLeft = -1;        // seconds left on the last level's clock; -1: no clock
    uint32_t Colour = kSilver;    // Windows colour value 0x00BBGGRR of the entry's line
    std::string Gamepack;         // the gamepack's file name bytes, at most 50

    // The Top 10 screen shows "n/a" for the moves and time of an empty slot, and for the
    // time of an entry whose TimeLeft is negative.
    bool Empty() const { return Moves > 1000000; }
    bool HasTime() const { return TimeLeft >= 0; }
};

class HiScoreTable {
public:
    static constexpr int kEntryCount = 10;
    static constexpr size_t kEntrySize = 63;
    static constexpr size_t kRecordSize = kEntryCount * kEntrySize;  // 630
    static constexpr size_t kNameCapacity = 50;
    static constexpr const char* kValueName = "HiScore";

    // A new table is the default one.
    HiScoreTable() { ResetHiScoreTable(); }

    // Ten default entries: no moves, no time, silver, no name.
    void ResetHiScoreTable();

    // Offers a finished game. timeLeft is the last level's TimeLeft when it ran against the
    // clock, else -1. The game goes before the first entry with strictly more moves (so
    // after an entry with the same moves); the old last entry drops out; the new entry is
    // the only yellow one. Returns its slot, or -1 when the game is not better than any of
    // the ten, in which case nothing changes, colours included.
    int RecordResult(int32_t moves, int32_t timeLeft, const std::string& gamepackName);

    // Every entry silver again (the Show Top 10 command).
    void ResetHighlight();

    const HiScoreEntry& Entry(int i) const { return entries_.at(size_t(i)); }
    const std::array<HiScoreEntry, kEntryCount>& Entries() const { return entries_; }

    // The 630-byte record. Bytes after a name are written as zero.
    std::vector<uint8_t> Serialise() const;
    // Empty unless exactly kRecordSize bytes are given. A length byte above 50 is cut to 50.
    static std::optional<HiScoreTable> Parse(const uint8_t* data, size_t size);

    // Reads "HiScore". A missing value gives the default table, and so does a value that is
    // not binary or longer than 630 bytes (it can only come from editing the store by hand):
    // the game starts with a clean table rather than refusing to start, and the next store
    // replaces the damaged value. A shorter value, or one the store lost the end of, keeps
    // the entries it holds whole, so a truncated file loses no more of the table than it
    // lost itself; the slots after them are empty.
    void Load(const SettingsStore& store);
    // Writes "HiScore"; the caller syncs.
    void Save(SettingsStore& store) const;

    // The first 50 bytes of a name; a name that is valid UTF-8 is cut at a character
    // boundary, so the Top 10 screen never shows half a character.
    static std::string CutName(const std::string& name);

private:
    std::array<HiScoreEntry, kEntryCount> entries_;
};
