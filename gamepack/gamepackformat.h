#pragma once
// The .spx gamepack format: the keyed scrambling, the 1383-byte header record, the
// constant tables and where a level's chunks lie. Plain C++, no Qt: the game, the
// settings dialog, the saved game and marlipan-pack all share it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// One key for every gamepack, and for the saved-game record. Changing it makes every
// existing gamepack and saved game unreadable.
extern const std::array<uint8_t, 11> GamepackKey;

// buffer[i] ^= (GamepackKey[i mod 11] + i) mod 256, i counting from the buffer's first
// byte. Scrambling and unscrambling are the same operation.
void ScrambleBytes(uint8_t* buffer, size_t length);

constexpr int kDifficultyCount = 5;
constexpr int kSizeCount = 5;
constexpr int kTimeLimitCount = 13;
extern const char* const DifficultyNames[kDifficultyCount];  // "Very Easy" .. "Impossible"
extern const char* const SizeTexts[kSizeCount];              // "3" .. "7"
extern const int32_t TimeLimits[kTimeLimitCount];            // seconds; entry 0 means none

constexpr int kMaxLevels = 10;
constexpr size_t kGamepackHeaderSize = 1383;
constexpr size_t kDescriptionCapacity = 255;
constexpr size_t kNameCapacity = 50;       // level names and song titles
constexpr size_t kChunkBlockSize = 2048;   // chunks are read in blocks of this size

// The header, unscrambled. Strings hold the file's Windows-1252 bytes unchanged
// (FromAnsi in ansi.h turns them into text).
struct GamepackHeader {
    std::array<uint8_t, 7> Preamble{};
    int32_t LevelCount = 0;
    int32_t Difficulty = 0;
    int32_t TimerIndex = 0;
    int32_t SizeIndex = 0;
    int32_t SongCount = 0;
    std::string Description;
    std::array<std::string, kMaxLevels> LevelNames;
    std::array<std::string, kMaxLevels> SongTitles;
    std::array<int32_t, kMaxLevels> PictureSizes{};
    std::array<int32_t, kMaxLevels> SongSizes{};

    // Only valid for a header that ValidateGamepackHeader accepted.
    int32_t CellsPerSide() const { return SizeIndex + 3; }
    int32_t TimeLimit() const { return TimeLimits[TimerIndex]; }  // 0: no limit
};

// What the writer puts into Preamble; the game never looks at it.
extern const std::array<uint8_t, 7> kGamepackPreamble;

// Parses unscrambled bytes. False when fewer than kGamepackHeaderSize bytes are given;
// values are not range-checked here (see ValidateGamepackHeader).
bool ParseGamepackHeader(const uint8_t* data, size_t size, GamepackHeader& out);

// The unscrambled 1383 bytes. Throws std::length_error for a string longer than its
// slot: the format cannot hold it, and cutting it would lose data silently.
std::array<uint8_t, kGamepackHeaderSize> SerialiseGamepackHeader(const GamepackHeader& h);

// Empty when every value the game uses lies in its range, otherwise a short English
// description of the first fault ("its level count is 12 (1 to 10 allowed)").
std::string ValidateGamepackHeader(const GamepackHeader& h);

// Byte offsets of level L's chunks. The header must have passed validation and L must
// be below LevelCount; 64-bit so that large sizes cannot overflow.
int64_t PictureOffset(const GamepackHeader& h, int level);
int64_t SongOffset(const GamepackHeader& h, int level);

// Errors of a gamepack file. The game falls back to "default.spx" on GamepackOpenError
// and gives up ("Can't load gamepack!") on GamepackShortHeaderError; every other
// GamepackError, GamepackDamagedError among them, is an ordinary error whose what() is
// a sentence for the user, without the final full stop.
class GamepackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class GamepackOpenError : public GamepackError {
public:
    using GamepackError::GamepackError;
};
class GamepackShortHeaderError : public GamepackError {
public:
    using GamepackError::GamepackError;
};
class GamepackDamagedError : public GamepackError {
public:
    using GamepackError::GamepackError;
};
