// Reading levels from gamepack files, and how bad files are refused.
#include <gtest/gtest.h>

#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "gamepack/gamepackfile.h"
#include "testutil.h"

using namespace testutil;

namespace {

class GamepackFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

    // Three levels: pictures of 7000, 2500 and 3000 bytes, songs of 1000 bytes, none and
    // 500 bytes. Pictures are not JPEG here: the reader does not decode.
    GamepackSource ThreeLevels() const {
        GamepackSource s;
        s.Description = "Three";
        s.Difficulty = 1;
        s.SizeIndex = 1;
        s.TimerIndex = 12;
        s.Levels = {{"One", Filler(7000, 1), Filler(1000, 2), "First song"},
                    {"Two", Filler(2500, 3), {}, ""},
                    {"Three", Filler(3000, 4), Filler(500, 5), "Third song"}};
        return s;
    }

    std::string Write(const char* name, const std::vector<uint8_t>& bytes) const {
        std::string p = Path(name);
        WriteFile(p, bytes);
        return p;
    }

    QTemporaryDir dir;
};

TEST_F(GamepackFileTest, ReadsEachLevelsChunksBack) {
    GamepackSource src = ThreeLevels();
    std::string path = Write("three.spx", BuildGamepack(src));
    GamepackFile file = GamepackFile::Open(path);
    const GamepackHeader& h = file.header();
    EXPECT_EQ(h.LevelCount, 3);
    EXPECT_EQ(h.SongCount, 3);
    EXPECT_EQ(h.TimeLimit(), 1200);
    EXPECT_EQ(h.CellsPerSide(), 4);
    EXPECT_EQ(h.Description, "Three");
    EXPECT_EQ(h.LevelNames[2], "Three");
    EXPECT_EQ(h.SongTitles[0], "First song");
    for (int level = 0; level < 3; ++level) {
        SCOPED_TRACE(level);
        GamepackLevel l = file.ReadLevel(level);
        const auto& want = src.Levels[size_t(level)];
        ASSERT_EQ(l.picture.size, want.Picture.size());
        ASSERT_GE(l.picture.bytes.size(), l.picture.size);
        EXPECT_TRUE(std::equal(want.Picture.begin(), want.Picture.end(), l.picture.bytes.begin()));
        ASSERT_EQ(l.song.size, want.Song.size());
        EXPECT_TRUE(std::equal(want.Song.begin(), want.Song.end(), l.song.bytes.begin()));
    }
    // The offsets agree with where the writer put the data.
    EXPECT_EQ(SongOffset(h, 2), 1383 + 1000);
    EXPECT_EQ(PictureOffset(h, 1), 1383 + 1500 + 7000);
}

TEST_F(GamepackFileTest, ChunksAreReadInWholeBlocksUpToTheEndOfTheFile) {
    std::vector<uint8_t> bytes = BuildGamepack(ThreeLevels());
    std::string path = Write("three.spx", bytes);
    GamepackFile file = GamepackFile::Open(path);
    // Level 0's picture (7000 bytes) comes in four 2048-byte blocks: 1192 trailing bytes,
    // which are the start of level 1's picture, unscrambled as part of one run.
    GamepackChunk first = file.ReadPicture(0);
    EXPECT_EQ(first.bytes.size(), 4 * 2048u);
    // So the buffer is the file's run of 8192 bytes from the chunk on, unscrambled whole.
    std::vector<uint8_t> run(bytes.begin() + PictureOffset(file.header(), 0),
                             bytes.begin() + PictureOffset(file.header(), 0) + 4 * 2048);
    ScrambleBytes(run.data(), run.size());
    EXPECT_EQ(run, first.bytes);
    // The last picture stops at the end of the file: a short last block.
    GamepackChunk last = file.ReadPicture(2);
    EXPECT_EQ(last.bytes.size(), 3000u);
    // A level without music gives no bytes at all.
    EXPECT_TRUE(file.ReadSong(1).bytes.empty());
    EXPECT_EQ(file.ReadSong(1).size, 0u);
}

TEST_F(GamepackFileTest, MissingFileIsAnOpenError) {
    try {
        GamepackFile::Open(Path("nothing.spx"));
        FAIL() << "opened a missing file";
    } catch (const GamepackShortHeaderError&) {
        FAIL() << "a missing file is not a short header";
    } catch (const GamepackOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("nothing.spx"), std::string::npos);
    }
}

TEST_F(GamepackFileTest, FolderIsAnOpenErrorToo) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.spx"));
    EXPECT_THROW(GamepackFile::Open(Path("folder.spx")), GamepackOpenError);
}

// A FIFO would block open() until something writes to it; it is refused at once as a
// name that cannot be opened (so the game falls back to default.spx).
TEST_F(GamepackFileTest, FifoIsRefusedWithoutBlocking) {
    const std::string path = Path("pipe.spx");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    auto opened = std::async(std::launch::async, [&]() -> std::string {
        try {
            GamepackFile::Open(path);
            return "opened";
        } catch (const GamepackOpenError& e) {
            return e.what();
        } catch (const GamepackError& e) {
            return std::string("wrong error: ") + e.what();
        }
    });
    if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Blocked: a writer lets the open return so the test can end.
        const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
        ADD_FAILURE() << "opening a FIFO blocked";
    }
    const std::string message = opened.get();
    EXPECT_NE(message.find("'" + path + "': it is not a regular file"), std::string::npos) << message;
}

TEST_F(GamepackFileTest, AThousandByteFileFailsTheHeaderReadNotTheOpen) {
    std::string path = Write("short.spx", Filler(1000, 9));
    try {
        GamepackFile::Open(path);
        FAIL() << "a 1000-byte file gave a header";
    } catch (const GamepackOpenError&) {
        FAIL() << "the file opened; only its header is short";
    } catch (const GamepackShortHeaderError& e) {
        EXPECT_NE(std::string(e.what()).find("short.spx"), std::string::npos);
    }
    // A bare header with nothing else is long enough to open, but has no picture data.
    std::vector<uint8_t> bytes = BuildGamepack(ThreeLevels());
    bytes.resize(kGamepackHeaderSize);
    GamepackFile file = GamepackFile::Open(Write("bare.spx", bytes));
    EXPECT_THROW(file.ReadLevel(0), GamepackDamagedError);
}

TEST_F(GamepackFileTest, OutOfRangeHeaderIsRefusedAsDamagedWithAReadableMessage) {
    std::vector<uint8_t> bytes = BuildGamepack(ThreeLevels());
    GamepackHeader h = HeaderOf(bytes);
    h.LevelCount = 12;
    PutHeader(bytes, h);
    std::string path = Write("twelve.spx", bytes);
    try {
        GamepackFile::Open(path);
        FAIL() << "a header with 12 levels was accepted";
    } catch (const GamepackDamagedError& e) {
        EXPECT_EQ(std::string(e.what()), "The gamepack '" + path +
                                             "' is damaged: its level count is 12 (1 to 10 allowed)");
    }
    h = HeaderOf(bytes);
    h.LevelCount = 3;
    h.SizeIndex = 7;
    PutHeader(bytes, h);
    EXPECT_THROW(ReadGamepackHeader(Write("size.spx", bytes)), GamepackDamagedError);
}

TEST_F(GamepackFileTest, ChunkPastTheEndOfTheFileIsDamaged) {
    std::vector<uint8_t> bytes = BuildGamepack(ThreeLevels());
    bytes.resize(bytes.size() - 10);  // cuts into the last picture
    GamepackFile file = GamepackFile::Open(Write("cut.spx", bytes));
    EXPECT_NO_THROW(file.ReadLevel(0));
    try {
        file.ReadLevel(2);
        FAIL() << "a cut picture was read";
    } catch (const GamepackDamagedError& e) {
        EXPECT_NE(std::string(e.what()).find("picture of level 3"), std::string::npos) << e.what();
    }
}

TEST_F(GamepackFileTest, SongSizeReachingPastTheFileIsDamaged) {
    std::vector<uint8_t> bytes = BuildGamepack(ThreeLevels());
    GamepackHeader h = HeaderOf(bytes);
    h.SongSizes[2] = 0x7FFFFFFF;  // claims 2 GiB: must not be allocated or read
    PutHeader(bytes, h);
    GamepackFile file = GamepackFile::Open(Write("song.spx", bytes));
    EXPECT_THROW(file.ReadSong(2), GamepackDamagedError);
    // Level 2's picture offset now lies far past the end as well.
    EXPECT_THROW(file.ReadPicture(0), GamepackDamagedError);
}

TEST_F(GamepackFileTest, LevelOutsideTheGamepackIsRefused) {
    GamepackFile file = GamepackFile::Open(Write("three.spx", BuildGamepack(ThreeLevels())));
    EXPECT_THROW(file.ReadLevel(3), GamepackError);
    EXPECT_THROW(file.ReadLevel(-1), GamepackError);
    EXPECT_THROW(file.ReadLevel(10), GamepackError);
}

TEST_F(GamepackFileTest, ZeroSizedPictureIsDamaged) {
    std::vector<uint8_t> bytes = BuildGamepack(ThreeLevels());
    GamepackHeader h = HeaderOf(bytes);
    h.PictureSizes[1] = 0;
    PutHeader(bytes, h);
    GamepackFile file = GamepackFile::Open(Write("zero.spx", bytes));
    EXPECT_THROW(file.ReadPicture(1), GamepackDamagedError);
}

TEST_F(GamepackFileTest, SongOfALevelPastSongCountIsNotRead) {
    GamepackSource src = ThreeLevels();
    src.Levels[2].Song.clear();  // SongCount becomes 1
    std::vector<uint8_t> bytes = BuildGamepack(src);
    GamepackHeader h = HeaderOf(bytes);
    ASSERT_EQ(h.SongCount, 1);
    h.SongSizes[2] = 100;  // would point into the pictures
    PutHeader(bytes, h);
    GamepackFile file = GamepackFile::Open(Write("songs.spx", bytes));
    EXPECT_TRUE(file.ReadSong(2).bytes.empty());
    EXPECT_EQ(file.ReadLevel(2).picture.size, 3000u);
}

TEST_F(GamepackFileTest, DamagedSizesNeverReadOutsideTheFile) {
    const std::vector<uint8_t> good = BuildGamepack(ThreeLevels());
    uint32_t seed = 99;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = good;
        GamepackHeader h = HeaderOf(bytes);
        h.SongCount = int32_t(next() % 12);
        for (int i = 0; i < 3; ++i) {
            // Mostly plausible sizes, sometimes huge or negative ones.
            h.PictureSizes[size_t(i)] = int32_t(next() % 9000) - (round % 17 == 0 ? 5000 : 0);
            h.SongSizes[size_t(i)] = round % 13 == 0 ? int32_t(next()) : int32_t(next() % 3000);
        }
        PutHeader(bytes, h);
        std::string path = Write("fuzz.spx", bytes);
        try {
            GamepackFile file = GamepackFile::Open(path);
            for (int level = 0; level < 3; ++level) {
                try {
                    GamepackLevel l = file.ReadLevel(level);
                    EXPECT_LE(PictureOffset(file.header(), level) + int64_t(l.picture.bytes.size()),
                              int64_t(bytes.size()));
                    EXPECT_GE(l.picture.bytes.size(), l.picture.size);
                    EXPECT_GE(l.song.bytes.size(), l.song.size);
                } catch (const GamepackDamagedError&) {
                }
            }
        } catch (const GamepackDamagedError&) {
        }
    }
}

TEST(BuildGamepack, RefusesWhatTheFormatCannotHold) {
    GamepackSource s;
    EXPECT_THROW(BuildGamepack(s), std::invalid_argument);  // no level
    s.Levels.assign(11, GamepackLevelSource{"L", Filler(10, 1), {}, ""});
    EXPECT_THROW(BuildGamepack(s), std::invalid_argument);
    s.Levels.resize(10);
    EXPECT_NO_THROW(BuildGamepack(s));
    s.Levels[4].Name = std::string(51, 'x');
    EXPECT_THROW(BuildGamepack(s), std::invalid_argument);
    s.Levels[4].Name = "ok";
    s.Levels[4].Picture.clear();
    EXPECT_THROW(BuildGamepack(s), std::invalid_argument);
    s.Levels[4].Picture = Filler(10, 1);
    s.TimerIndex = 13;
    EXPECT_THROW(BuildGamepack(s), std::invalid_argument);
}

}  // namespace
