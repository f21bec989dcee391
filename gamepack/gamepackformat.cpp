#include "gamepack/gamepackformat.h"

#include <cstring>

#include "common/bytereader.h"

// "Marlipan!" followed by two bytes that keep the key from being plain text.
const std::array<uint8_t, 11> GamepackKey = {0x4D, 0x61, 0x72, 0x6C, 0x69, 0x70,
                                             0x61, 0x6E, 0x21, 0xC3, 0x5A};

const std::array<uint8_t, 7> kGamepackPreamble = {'M', 'R', 'L', 'P', 'A', 'K', 0x1A};

const char* const DifficultyNames[kDifficultyCount] = {"Very Easy", "Easy", "Medium",
                                                       "Hard", "Impossible"};
const char* const SizeTexts[kSizeCount] = {"3", "4", "5", "6", "7"};
const int32_t TimeLimits[kTimeLimitCount] = {0,   30,  60,  90,  120, 150, 180,
                                             210, 240, 270, 300, 600, 1200};

void ScrambleBytes(uint8_t* buffer, size_t length) {
    for (size_t i = 0; i < length; ++i)
        buffer[i] ^= uint8_t(GamepackKey[i % GamepackKey.size()] + i);
}

bool ParseGamepackHeader(const uint8_t* data, size_t size, GamepackHeader& out) {
    if (size < kGamepackHeaderSize) return false;
    ByteReader r(data, kGamepackHeaderSize);
    GamepackHeader h;
    r.bytes(h.Preamble.data(), h.Preamble.size());
    h.LevelCount = r.i32le();
    h.Difficulty = r.i32le();
    h.TimerIndex = r.i32le();
    h.SizeIndex = r.i32le();
    h.SongCount = r.i32le();
    h.Description = r.shortString(kDescriptionCapacity);
    for (auto& s : h.LevelNames) s = r.shortString(kNameCapacity);
    for (auto& s : h.SongTitles) s = r.shortString(kNameCapacity);
    for (auto& v : h.PictureSizes) v = r.i32le();
    for (auto& v : h.SongSizes) v = r.i32le();
    if (!r.ok() || r.pos() != kGamepackHeaderSize) return false;
    out = std::move(h);
    return true;
}

namespace {

class Writer {
public:
    explicit Writer(uint8_t* out) : out_(out) {}
    void bytes(const void* p, size_t n) { std::memcpy(out_ + pos_, p, n); pos_ += n; }
    void i32(int32_t v) {
        uint32_t u = uint32_t(v);
        uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
        bytes(b, 4);
    }
    void shortString(const std::string& s, size_t capacity, const char* field) {
        if (s.size() > capacity)
            throw std::length_error(std::string(field) + " is longer than " +
                                    std::to_string(capacity) + " characters");
        out_[pos_] = uint8_t(s.size());
        std::memset(out_ + pos_ + 1, 0, capacity);
        std::memcpy(out_ + pos_ + 1, s.data(), s.size());
        pos_ += 1 + capacity;
    }
    size_t pos() const { return pos_; }

private:
    uint8_t* out_;
    size_t pos_ = 0;
};

std::string OutOfRange(const char* what, int32_t v, int lo, int hi) {
    return std::string("its ") + what + " is " + std::to_string(v) + " (" +
           std::to_string(lo) + " to " + std::to_string(hi) + " allowed)";
}

}  // namespace

std::array<uint8_t, kGamepackHeaderSize> SerialiseGamepackHeader(const GamepackHeader& h) {
    std::array<uint8_t, kGamepackHeaderSize> out{};
    Writer w(out.data());
    w.bytes(h.Preamble.data(), h.Preamble.size());
    w.i32(h.LevelCount);
    w.i32(h.Difficulty);
    w.i32(h.TimerIndex);
    w.i32(h.SizeIndex);
    w.i32(h.SongCount);
    w.shortString(h.Description, kDescriptionCapacity, "the description");
    for (const auto& s : h.LevelNames) w.shortString(s, kNameCapacity, "a level name");
    for (const auto& s : h.SongTitles) w.shortString(s, kNameCapacity, "a song title");
    for (int32_t v : h.PictureSizes) w.i32(v);
    for (int32_t v : h.SongSizes) w.i32(v);
    return out;
}

std::string ValidateGamepackHeader(const GamepackHeader& h) {
    if (h.LevelCount < 1 || h.LevelCount > kMaxLevels)
        return OutOfRange("level count", h.LevelCount, 1, kMaxLevels);
    if (h.Difficulty < 0 || h.Difficulty >= kDifficultyCount)
        return OutOfRange("difficulty", h.Difficulty, 0, kDifficultyCount - 1);
    if (h.TimerIndex < 0 || h.TimerIndex >= kTimeLimitCount)
        return OutOfRange("timer index", h.TimerIndex, 0, kTimeLimitCount - 1);
    if (h.SizeIndex < 0 || h.SizeIndex >= kSizeCount)
        return OutOfRange("board size index", h.SizeIndex, 0, kSizeCount - 1);
    if (h.SongCount < 0 || h.SongCount > kMaxLevels)
        return OutOfRange("song count", h.SongCount, 0, kMaxLevels);
    // Only the entries that are used to find a chunk must make sense; the others may
    // hold anything a writer left there.
    for (int i = 0; i < h.LevelCount; ++i)
        if (h.PictureSizes[size_t(i)] < 0)
            return "the picture of level " + std::to_string(i + 1) + " has a negative size";
    int songsUsed = h.SongCount > h.LevelCount ? h.SongCount : h.LevelCount;
    for (int i = 0; i < songsUsed; ++i)
        if (h.SongSizes[size_t(i)] < 0)
            return "the song of level " + std::to_string(i + 1) + " has a negative size";
    return {};
}

int64_t PictureOffset(const GamepackHeader& h, int level) {
    int64_t offset = int64_t(kGamepackHeaderSize);
    for (int j = 0; j < h.SongCount && j < kMaxLevels; ++j) offset += h.SongSizes[size_t(j)];
    for (int j = 0; j < level && j < kMaxLevels; ++j) offset += h.PictureSizes[size_t(j)];
    return offset;
}

int64_t SongOffset(const GamepackHeader& h, int level) {
    int64_t offset = int64_t(kGamepackHeaderSize);
    for (int j = 0; j < level && j < kMaxLevels; ++j) offset += h.SongSizes[size_t(j)];
    return offset;
}
