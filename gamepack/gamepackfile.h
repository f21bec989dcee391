#pragma once
// Reading one level of a gamepack file, and writing whole gamepacks. Plain C++, no Qt.
//
// A level load in the game is:
//     GamepackLevel level = ReadGamepackLevel(fileName, levelIndex);
// which opens the file, reads and unscrambles the header, reads and unscrambles the
// level's picture chunk, reads its song chunk and closes the file again. It throws
//   GamepackOpenError         the file cannot be opened (the caller falls back to
//                             "default.spx"),
//   GamepackShortHeaderError  the file is shorter than a header ("Can't load gamepack!"),
//   GamepackError             anything else: a damaged file (GamepackDamagedError), a
//                             level the file does not have, an I/O error.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gamepack/gamepackformat.h"

struct GamepackChunk {
    // The chunk followed by up to kChunkBlockSize - 1 bytes of what comes after it in the
    // file (chunks are read in whole blocks); readers of the chunk look at `size` bytes.
    std::vector<uint8_t> bytes;
    size_t size = 0;

    const uint8_t* data() const { return bytes.data(); }
};

struct GamepackLevel {
    GamepackHeader header;
    GamepackChunk picture;  // unscrambled JPEG
    GamepackChunk song;     // LH5-packed song as stored; empty when the level has no music
};

class GamepackFile {
public:
    // Opens the file and reads, unscrambles and checks its header.
    static GamepackFile Open(const std::string& path);

    const GamepackHeader& header() const { return header_; }
    int64_t fileSize() const { return fileSize_; }

    // Chunks of level `level` (0-based). The picture comes back unscrambled, the song as
    // stored. Throws GamepackError when the level does not exist, GamepackDamagedError
    // when its chunk does not lie wholly inside the file.
    GamepackChunk ReadPicture(int level);
    GamepackChunk ReadSong(int level);
    GamepackLevel ReadLevel(int level);

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    GamepackFile(std::string path, std::FILE* f) : path_(std::move(path)), file_(f) {}
    void CheckLevel(int level) const;
    GamepackChunk ReadChunk(int64_t offset, int64_t size, const std::string& what);
    [[noreturn]] void Damaged(const std::string& why) const;

    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
    int64_t fileSize_ = 0;
    GamepackHeader header_;
};

GamepackLevel ReadGamepackLevel(const std::string& path, int level);

// Reads and checks only the header (for the settings dialog's list of gamepacks).
GamepackHeader ReadGamepackHeader(const std::string& path);

// What a gamepack is built from. Strings are Windows-1252 bytes (ToAnsi in ansi.h).
struct GamepackLevelSource {
    std::string Name;
    std::vector<uint8_t> Picture;  // JPEG bytes
    std::vector<uint8_t> Song;     // LH5-packed song, or empty for none
    std::string SongTitle;
};

struct GamepackSource {
    std::string Description;
    int32_t Difficulty = 0;   // index into DifficultyNames
    int32_t SizeIndex = 0;    // index into SizeTexts
    int32_t TimerIndex = 0;   // index into TimeLimits; 0 for no limit
    std::vector<GamepackLevelSource> Levels;
};

// The whole file. Throws std::invalid_argument for anything the format cannot hold
// (no or more than ten levels, a value outside its table, a string too long, an empty
// picture, a chunk over 2 GiB).
std::vector<uint8_t> BuildGamepack(const GamepackSource& source);
