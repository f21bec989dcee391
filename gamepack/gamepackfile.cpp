#include "gamepack/gamepackfile.h"

#include <cerrno>
#include <cstring>
#include <limits>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// 64-bit positioning, so that an offset from a damaged header can never wrap.
int Seek(std::FILE* f, int64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(f, offset, whence);
#else
    return fseeko(f, off_t(offset), whence);
#endif
}

int64_t Tell(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return int64_t(ftello(f));
#endif
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::string Level(int level) { return "level " + std::to_string(level + 1); }

// Opens only a regular file. A FIFO, a device or a socket named like a gamepack would
// block the game in open() or read() (on the user-interface thread) or never end, so the
// name is opened without blocking, looked at, and refused unless it is a regular file;
// the file is then read normally.
std::FILE* OpenRegularFile(const std::string& path) {
#ifdef _WIN32
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw GamepackOpenError("Can't open the gamepack " + Quoted(path) + ": " +
                                std::strerror(errno));
    return f;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw GamepackOpenError("Can't open the gamepack " + Quoted(path) + ": " +
                                std::strerror(errno));
    std::string why;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        why = "it is a folder";
    } else if (!S_ISREG(st.st_mode)) {
        why = "it is not a regular file";
    } else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) why = std::strerror(errno);
    }
    if (!why.empty()) {
        ::close(fd);
        throw GamepackOpenError("Can't open the gamepack " + Quoted(path) + ": " + why);
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        const int error = errno;
        ::close(fd);
        throw GamepackOpenError("Can't open the gamepack " + Quoted(path) + ": " +
                                std::strerror(error));
    }
    return f;
#endif
}

}  // namespace

GamepackFile GamepackFile::Open(const std::string& path) {
    GamepackFile file(path, OpenRegularFile(path));
    std::FILE* f = file.file_.get();

    // Something that opens but cannot be read as a file (a folder, on some systems) is
    // refused by the system just like a missing file.
    std::array<uint8_t, kGamepackHeaderSize> raw{};
    size_t got = std::fread(raw.data(), 1, raw.size(), f);
    if (std::ferror(f))
        throw GamepackOpenError("Can't open the gamepack " + Quoted(path) + ": " +
                                std::strerror(errno));
    if (Seek(f, 0, SEEK_END) != 0 || (file.fileSize_ = Tell(f)) < 0)
        throw GamepackError("Can't read the gamepack " + Quoted(path) + ": " +
                            std::strerror(errno));
    if (got < raw.size()) {
        throw GamepackShortHeaderError("The gamepack " + Quoted(path) +
                                       " is too short to hold a gamepack header");
    }
    ScrambleBytes(raw.data(), raw.size());
    ParseGamepackHeader(raw.data(), raw.size(), file.header_);
    std::string fault = ValidateGamepackHeader(file.header_);
    if (!fault.empty()) file.Damaged(fault);
    return file;
}

void GamepackFile::Damaged(const std::string& why) const {
    throw GamepackDamagedError("The gamepack " + Quoted(path_) + " is damaged: " + why);
}

void GamepackFile::CheckLevel(int level) const {
    if (level < 0 || level >= header_.LevelCount)
        throw GamepackError("The gamepack " + Quoted(path_) + " has no " + Level(level) +
                            " (it has " + std::to_string(header_.LevelCount) + ")");
}

GamepackChunk GamepackFile::ReadChunk(int64_t offset, int64_t size, const std::string& what) {
    // Checked before reading so that a damaged size cannot make us allocate or read
    // more than the file holds; the read below still stops at the end of the file in
    // case the file shrinks meanwhile.
    if (offset > fileSize_ || size > fileSize_ - offset)
        Damaged(what + " ends past the end of the file");

    GamepackChunk chunk;
    chunk.size = size_t(size);
    if (size == 0) return chunk;
    if (Seek(file_.get(), offset, SEEK_SET) != 0)
        throw GamepackError("Can't read the gamepack " + Quoted(path_) + ": " +
                            std::strerror(errno));
    int64_t avail = fileSize_ - offset;
    int64_t blocks = (size + int64_t(kChunkBlockSize) - 1) / int64_t(kChunkBlockSize);
    int64_t want = blocks * int64_t(kChunkBlockSize);
    chunk.bytes.reserve(size_t(want < avail ? want : avail));
    uint8_t block[kChunkBlockSize];
    do {
        size_t got = std::fread(block, 1, sizeof block, file_.get());
        chunk.bytes.insert(chunk.bytes.end(), block, block + got);
        if (got < sizeof block) {
            if (std::ferror(file_.get()))
                throw GamepackError("Can't read the gamepack " + Quoted(path_) + ": " +
                                    std::strerror(errno));
            break;  // end of file
        }
    } while (chunk.bytes.size() < chunk.size);
    if (chunk.bytes.size() < chunk.size) Damaged(what + " ends past the end of the file");
    return chunk;
}

GamepackChunk GamepackFile::ReadPicture(int level) {
    CheckLevel(level);
    int32_t size = header_.PictureSizes[size_t(level)];
    if (size == 0) Damaged(Level(level) + " has no picture");
    GamepackChunk chunk =
        ReadChunk(PictureOffset(header_, level), size, "the picture of " + Level(level));
    // The whole buffer, trailing bytes included, as one scrambled run from key byte 0.
    ScrambleBytes(chunk.bytes.data(), chunk.bytes.size());
    return chunk;
}

GamepackChunk GamepackFile::ReadSong(int level) {
    CheckLevel(level);
    // A level past SongCount has no song chunk of its own: what its offset points at is
    // picture data, so it is treated as a level without music.
    if (level >= header_.SongCount) return {};
    return ReadChunk(SongOffset(header_, level), header_.SongSizes[size_t(level)],
                     "the song of " + Level(level));
}

GamepackLevel GamepackFile::ReadLevel(int level) {
    GamepackLevel out;
    out.picture = ReadPicture(level);
    out.song = ReadSong(level);
    out.header = header_;
    return out;
}

GamepackLevel ReadGamepackLevel(const std::string& path, int level) {
    return GamepackFile::Open(path).ReadLevel(level);
}

GamepackHeader ReadGamepackHeader(const std::string& path) {
    return GamepackFile::Open(path).header();
}

std::vector<uint8_t> BuildGamepack(const GamepackSource& source) {
    auto refuse = [](const std::string& why) { throw std::invalid_argument(why); };
    size_t count = source.Levels.size();
    if (count < 1 || count > size_t(kMaxLevels))
        refuse("a gamepack holds 1 to " + std::to_string(kMaxLevels) + " levels, not " +
               std::to_string(count));
    if (source.Difficulty < 0 || source.Difficulty >= kDifficultyCount)
        refuse("difficulty index out of range");
    if (source.SizeIndex < 0 || source.SizeIndex >= kSizeCount) refuse("size index out of range");
    if (source.TimerIndex < 0 || source.TimerIndex >= kTimeLimitCount)
        refuse("timer index out of range");

    GamepackHeader h;
    h.Preamble = kGamepackPreamble;
    h.LevelCount = int32_t(count);
    h.Difficulty = source.Difficulty;
    h.TimerIndex = source.TimerIndex;
    h.SizeIndex = source.SizeIndex;
    h.Description = source.Description;
    // Songs are found by level, so every level up to the last one with music keeps its
    // slot in the song area, empty or not.
    h.SongCount = 0;
    const int64_t maxChunk = std::numeric_limits<int32_t>::max();
    for (size_t i = 0; i < count; ++i) {
        const auto& l = source.Levels[i];
        if (l.Picture.empty()) refuse(Level(int(i)) + " has no picture");
        if (int64_t(l.Picture.size()) > maxChunk || int64_t(l.Song.size()) > maxChunk)
            refuse(Level(int(i)) + " is too large for a gamepack");
        h.LevelNames[i] = l.Name;
        h.SongTitles[i] = l.SongTitle;
        h.PictureSizes[i] = int32_t(l.Picture.size());
        h.SongSizes[i] = int32_t(l.Song.size());
        if (!l.Song.empty()) h.SongCount = int32_t(i + 1);
    }
    std::array<uint8_t, kGamepackHeaderSize> header;
    try {
        header = SerialiseGamepackHeader(h);
    } catch (const std::length_error& e) {
        refuse(e.what());
    }
    ScrambleBytes(header.data(), header.size());

    std::vector<uint8_t> out(header.begin(), header.end());
    for (int i = 0; i < h.SongCount; ++i)
        out.insert(out.end(), source.Levels[size_t(i)].Song.begin(),
                   source.Levels[size_t(i)].Song.end());
    for (const auto& l : source.Levels) {
        size_t at = out.size();
        out.insert(out.end(), l.Picture.begin(), l.Picture.end());
        ScrambleBytes(out.data() + at, l.Picture.size());
    }
    return out;
}
