// marlipan-pack: building from a manifest, info, extract, and what it refuses.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QProcess>

#include <algorithm>
#include <cstring>

#include "music/ymsong.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"
#include "tools/pack/folderpack.h"
#include "tools/pack/manifest.h"
#include "tools/pack/picturefit.h"
#include "tools/pack/packtool.h"
#include "testutil.h"

using namespace testutil;

namespace {

class PackTool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        jpeg = BlockJpeg(4, 32);
        WriteFile(Path("a.jpg"), jpeg);
        ASSERT_TRUE(BlockPicture(3, 20).save(dir.filePath("b.png"), "PNG"));
        song = TinyYm3(60);
        WriteFile(Path("s.ym"), song);
    }
    std::string Path(const QString& name) const { return dir.filePath(name).toStdString(); }
    QString Manifest(const QString& text, const QString& name = "m.txt") const {
        QString path = dir.filePath(name);
        QByteArray utf8 = text.toUtf8();
        WriteFile(path.toStdString(), std::vector<uint8_t>(utf8.begin(), utf8.end()));
        return path;
    }
    // The PackError message of building `text`, or "" when it builds.
    std::string Refusal(const QString& text) const {
        try {
            BuildFromManifest(Manifest(text));
        } catch (const PackError& e) {
            return e.what();
        }
        return "";
    }

    QTemporaryDir dir;
    std::vector<uint8_t> jpeg, song;
};

const char kTwoLevels[] =
    "# two levels\n"
    "description: Ten pictures to start with\n"
    "difficulty: Hard        # Very Easy, Easy, Medium, Hard or Impossible\n"
    "size: 5\n"
    "timer: 1200\n"
    "\n"
    "level: Lighthouse\n"
    "picture: a.jpg\n"
    "song: s.ym\n"
    "title: Harbour Waltz\n"
    "level: Caf\xC3\xA9 \\#2\n"
    "picture: b.png\n";

TEST_F(PackTool, BuildInfoAndExtractRoundTrip) {
    QString out = dir.filePath("two.spx");
    BuildCommand(Manifest(QString::fromUtf8(kTwoLevels)), out);

    GamepackFile file = GamepackFile::Open(out.toStdString());
    const GamepackHeader& h = file.header();
    EXPECT_EQ(h.LevelCount, 2);
    EXPECT_STREQ(DifficultyNames[h.Difficulty], "Hard");
    EXPECT_EQ(h.CellsPerSide(), 5);
    EXPECT_EQ(h.TimeLimit(), 1200);
    EXPECT_EQ(h.Description, "Ten pictures to start with");
    EXPECT_EQ(h.LevelNames[1], "Caf\xE9 #2");  // Windows-1252, '#' unescaped
    EXPECT_EQ(h.SongTitles[0], "Harbour Waltz");
    EXPECT_EQ(h.SongSizes[1], 0);

    // The stored JPEG is the file's own bytes; the PNG became a decodable JPEG.
    GamepackLevel first = file.ReadLevel(0);
    ASSERT_EQ(first.picture.size, jpeg.size());
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), first.picture.bytes.begin()));
    GamepackLevel second = file.ReadLevel(1);
    LevelPicture p = PreparePicture(second.picture.data(), second.picture.size, 60);
    EXPECT_TRUE(Near(p.Colour.pixel(5, 25), BlockColour(0, 1)));

    bool damaged = true;
    std::string info = InfoText(out, &damaged);
    EXPECT_FALSE(damaged);
    EXPECT_NE(info.find("\"Lighthouse\""), std::string::npos) << info;
    EXPECT_NE(info.find("\"Harbour Waltz\", " + std::to_string(h.SongSizes[0]) + " bytes at offset 1383"),
              std::string::npos) << info;
    EXPECT_NE(info.find("Caf\xC3\xA9 #2"), std::string::npos) << info;  // shown as UTF-8
    EXPECT_NE(info.find("3 (Hard)"), std::string::npos) << info;
    EXPECT_NE(info.find("12 (1200 s)"), std::string::npos) << info;

    QString ex = dir.filePath("ex");
    std::vector<QString> names = ExtractCommand(out, ex);
    EXPECT_EQ(names, (std::vector<QString>{"level01.jpg", "level01.ym", "level02.jpg", "manifest.txt"}));
    EXPECT_EQ(ReadFile((ex + "/level01.jpg").toStdString()), jpeg);
    EXPECT_EQ(ReadFile((ex + "/level01.ym").toStdString()), song);

    // The extracted manifest builds the same gamepack again (the song is repacked under
    // another member name, so compare what the game reads).
    GamepackFile again = GamepackFile::Open(
        (BuildCommand(ex + "/manifest.txt", dir.filePath("again.spx")), dir.filePath("again.spx"))
            .toStdString());
    EXPECT_EQ(again.header().LevelNames, h.LevelNames);
    EXPECT_EQ(again.header().SongTitles, h.SongTitles);
    EXPECT_EQ(again.header().Description, h.Description);
    EXPECT_EQ(again.header().PictureSizes, h.PictureSizes);
    EXPECT_EQ(again.header().TimerIndex, h.TimerIndex);
}

TEST_F(PackTool, PackedSongIsStoredAsItIs) {
    std::vector<uint8_t> packed = lh5::PackArchive(song, "tune.ym");
    WriteFile(Path("tune.lha"), packed);
    QString out = dir.filePath("p.spx");
    BuildCommand(Manifest("difficulty: Easy\nsize: 3\nlevel: L\npicture: a.jpg\nsong: tune.lha\n"), out);
    GamepackLevel l = GamepackFile::Open(out.toStdString()).ReadLevel(0);
    ASSERT_EQ(l.song.size, packed.size());
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), l.song.bytes.begin()));
    EXPECT_EQ(GamepackFile::Open(out.toStdString()).header().TimerIndex, 0);  // no timer line
}

TEST_F(PackTool, RefusesWhatTheFormatCannotHold) {
    const QString head = "difficulty: Easy\nsize: 4\n";
    QString eleven = head;
    for (int i = 0; i < 11; ++i) eleven += QString("level: L%1\npicture: a.jpg\n").arg(i);
    std::string r = Refusal(eleven);
    EXPECT_NE(r.find("m.txt:23: level: a gamepack holds at most 10 levels"), std::string::npos) << r;

    r = Refusal(head + "level: " + QString(51, 'n') + "\npicture: a.jpg\n");
    EXPECT_NE(r.find(":3: level name: 51 characters, at most 50 fit"), std::string::npos) << r;
    EXPECT_EQ(Refusal(head + "level: " + QString(50, 'n') + "\npicture: a.jpg\n"), "");

    r = Refusal("description: " + QString(256, 'd') + "\n" + head + "level: L\npicture: a.jpg\n");
    EXPECT_NE(r.find(":1: description: 256 characters, at most 255 fit"), std::string::npos) << r;

    r = Refusal(head + "level: L\npicture: a.jpg\ntitle: " + QString(51, 't') + "\n");
    EXPECT_NE(r.find(":5: title: 51 characters"), std::string::npos) << r;

    r = Refusal(head + "level: " + QString::fromUtf8("Łódź") + "\npicture: a.jpg\n");
    EXPECT_NE(r.find(":3: level name: the character '\xC5\x81' cannot be stored"), std::string::npos) << r;
}

TEST_F(PackTool, RefusesBadManifestLines) {
    const QString level = "level: L\npicture: a.jpg\n";
    struct Case {
        QString text;
        const char* mentions;
    } cases[] = {
        {"difficulty: Easy\nsize: 4\ncolour: red\n" + level, ":3: unknown key \"colour\""},
        {"Difficulty: Easy\nsize: 4\n" + level, ":1: unknown key \"Difficulty\""},
        {"difficulty: Tricky\nsize: 4\n" + level, ":1: difficulty: \"Tricky\""},
        {"difficulty: Easy\nsize: 8\n" + level, ":2: size: \"8\""},
        {"difficulty: Easy\nsize: 4\ntimer: 45\n" + level, ":3: timer: \"45\""},
        {"difficulty: Easy\nsize: 4\nsize: 5\n" + level, ":3: size: given twice"},
        {"difficulty: Easy\nsize: 4\npicture: a.jpg\n" + level, ":3: picture: comes before"},
        {"difficulty: Easy\nsize: 4\nlevel: L\n", ":3: level: has no \"picture:\" line"},
        {"difficulty: Easy\nsize: 4\njust words\n" + level, ":3: expected \"key: value\""},
        {"size: 4\n" + level, "no \"difficulty:\" line"},
        {"difficulty: Easy\nsize: 4\n", "no \"level:\" line"},
        {"difficulty: Easy\nsize: 4\nlevel: L\npicture: nothing.png\n", ":4: can't read"},
    };
    for (const Case& c : cases) {
        std::string r = Refusal(c.text);
        EXPECT_NE(r.find(c.mentions), std::string::npos) << c.text.toStdString() << " -> " << r;
    }
    // Invalid UTF-8 is named by its line, not turned into replacement characters.
    WriteFile(Path("bad.txt"), {'d', 'i', 'f', 'f', 'i', 'c', 'u', 'l', 't', 'y', ':', ' ', 'E', 'a',
                                's', 'y', '\n', 's', 'i', 'z', 'e', ':', ' ', 0xFF, '\n'});
    try {
        BuildFromManifest(dir.filePath("bad.txt"));
        FAIL();
    } catch (const PackError& e) {
        EXPECT_NE(std::string(e.what()).find(":2: not valid UTF-8"), std::string::npos) << e.what();
    }
    // A manifest saved as Windows-1252: "Caf\xE9" ends a line in what UTF-8 reads as the
    // start of a three-byte character; it must not be dropped silently.
    for (const char* end : {"\n", "\r\n", ""}) {
        const std::string text = std::string("difficulty: Easy\nsize: 4\nlevel: Caf\xE9") + end;
        WriteFile(Path("cafe.txt"), std::vector<uint8_t>(text.begin(), text.end()));
        try {
            BuildFromManifest(dir.filePath("cafe.txt"));
            FAIL() << "built with the line cut";
        } catch (const PackError& e) {
            EXPECT_NE(std::string(e.what()).find("cafe.txt:3: not valid UTF-8"), std::string::npos) << e.what();
        }
    }
}

// A small PNG whose header claims width x height pixels (its data is for 16 x 16).
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    BlockPicture(2, 8).save(&buffer, "PNG");
    std::vector<uint8_t> b(png.begin(), png.end());
    for (int i = 0; i < 4; ++i) {
        b[size_t(16 + i)] = uint8_t(width >> (24 - 8 * i));
        b[size_t(20 + i)] = uint8_t(height >> (24 - 8 * i));
    }
    uint32_t crc = 0xFFFFFFFFu;   // CRC-32 of the IHDR chunk's type and data
    for (size_t i = 12; i < 29; ++i) {
        crc ^= b[i];
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i) b[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
    return b;
}

// The smallest real MIDI file: a header and one track that only ends.
std::vector<uint8_t> MidiFile() {
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
            'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
}

// The first page of an Ogg Speex file (the Speex header packet), its checksum right.
std::vector<uint8_t> OggSpeexFile() {
    std::vector<uint8_t> packet = {'S', 'p', 'e', 'e', 'x', ' ', ' ', ' '};
    packet.resize(80, 0);
    std::vector<uint8_t> page = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,
                                 0, 0, 0, 0, 0, 0, 0, 0, 1, uint8_t(packet.size())};
    page.insert(page.end(), packet.begin(), packet.end());
    uint32_t crc = 0;
    for (uint8_t byte : page) {
        crc ^= uint32_t(byte) << 24;
        for (int k = 0; k < 8; ++k) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i) page[size_t(22 + i)] = uint8_t(crc >> (8 * i));
    return page;
}

// The command itself: exit codes and one-line messages on stderr.
struct ToolRun {
    int code;
    QString out, err;
};

ToolRun RunTool(const QStringList& args) {
    QProcess p;
    p.start(MARLIPAN_PACK_EXE, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST_F(PackTool, RefusesSongsAndPicturesTheGameCannotUse) {
    const QString head = "difficulty: Easy\nsize: 4\nlevel: L\npicture: a.jpg\nsong: x.bin\n";
    WriteFile(Path("x.bin"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    std::string r = Refusal(head);
    EXPECT_NE(r.find(":5: song 'x.bin' is neither a YM song"), std::string::npos) << r;

    WriteFile(Path("x.bin"), {'Y', 'M', '3', '!'});  // no frames
    r = Refusal(head);
    EXPECT_NE(r.find(":5: song 'x.bin' unpacks, but holds no song the game can play"), std::string::npos) << r;

    std::vector<uint8_t> other = lh5::PackArchive(song, "t.ym");
    std::memcpy(other.data() + 2, "-lh6-", 5);
    WriteFile(Path("x.bin"), other);
    r = Refusal(head);
    EXPECT_NE(r.find("method -lh6-"), std::string::npos) << r;

    std::vector<uint8_t> broken = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
    WriteFile(Path("broken.jpg"), broken);
    r = Refusal("difficulty: Easy\nsize: 4\nlevel: L\npicture: broken.jpg\n");
    EXPECT_NE(r.find(":4: picture 'broken.jpg' cannot be decoded"), std::string::npos) << r;

    WriteFile(Path("text.png"), {'n', 'o', 't', ' ', 'p', 'n', 'g'});
    r = Refusal("difficulty: Easy\nsize: 4\nlevel: L\npicture: text.png\n");
    EXPECT_NE(r.find(":4: picture 'text.png' is not a picture"), std::string::npos) << r;

    // Over the photo limit of a JPEG, and the game's pixel limit of any other format,
    // with the numbers that decide it.
    std::vector<uint8_t> huge = EncodeJpeg(BlockPicture(2, 8), 90);
    const uint8_t sof[] = {0xFF, 0xC0};
    auto at = std::search(huge.begin(), huge.end(), std::begin(sof), std::end(sof));
    ASSERT_NE(at, huge.end());
    at[5] = 10241 >> 8, at[6] = 10241 & 255, at[7] = 16384 >> 8, at[8] = 0;
    WriteFile(Path("huge.jpg"), huge);
    r = Refusal("difficulty: Easy\nsize: 4\nlevel: L\npicture: huge.jpg\n");
    EXPECT_NE(r.find(":4: picture 'huge.jpg' is refused: Picture too large (16384 x 10241 pixels; "
                     "at most 167772160 are decoded)"), std::string::npos) << r;
    WriteFile(Path("huge.png"), PngClaiming(8192, 5121));
    r = Refusal("difficulty: Easy\nsize: 4\nlevel: L\npicture: huge.png\n");
    EXPECT_NE(r.find(":4: picture 'huge.png' is refused by the game: it has 8192 x 5121 pixels; "
                     "at most 41943040 are decoded"), std::string::npos) << r;
    // A hostile progressive JPEG is refused before it is scaled down, as the game would.
    WriteFile(Path("scans.jpg"), ProgressiveJpeg(BlockPicture(3, 200), 300));
    r = Refusal("difficulty: Easy\nsize: 4\nlevel: L\npicture: scans.jpg\n");
    EXPECT_NE(r.find(":4: picture 'scans.jpg' is refused: Picture has too many scans"),
              std::string::npos) << r;
    // At the limit the size is no reason to refuse: what fails is the missing data.
    WriteFile(Path("huge.png"), PngClaiming(8192, 5120));
    r = Refusal("difficulty: Easy\nsize: 4\nlevel: L\npicture: huge.png\n");
    EXPECT_NE(r.find(":4: picture 'huge.png' cannot be read"), std::string::npos) << r;

    // Files taken for songs: what they are is said before any size read from them.
    struct Kind {
        const char* file;
        std::vector<uint8_t> bytes;
        const char* says;
    };
    const std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E',
                                      'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0,
                                      0x88, 0x58, 1, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 4, 0, 0, 0,
                                      0x10, 0x20, 0xF0, 0xDF};
    const std::string abc = "%abc-2.1\nX:1\nT:Harbour\nM:3/4\nK:G\nGAB|c2B|\n";
    for (const Kind& k : {Kind{"tune.mid", MidiFile(), "is a MIDI file, not a YM song: import it first with "
                                                       "\"marlipan-ym import tune.mid tune.ym\""},
                          Kind{"tune.wav", wav, "is a WAV recording, not a YM song"},
                          Kind{"tune.spx", OggSpeexFile(), "is an Ogg file"},
                          Kind{"tune.abc", {abc.begin(), abc.end()}, "is ABC music notation, not a YM song"}}) {
        WriteFile(Path(k.file), k.bytes);
        r = Refusal(QString("difficulty: Easy\nsize: 4\nlevel: L\npicture: a.jpg\nsong: ") + k.file + "\n");
        EXPECT_NE(r.find(std::string(":5: song '") + k.file + "' " + k.says), std::string::npos) << r;
    }
    // The command, as the guide shows it: a folder of photos and one song for all.
    ASSERT_TRUE(QDir(dir.path()).mkpath("photos"));
    WriteFile(Path("photos/a.jpg"), jpeg);
    ToolRun midi = RunTool({"build", dir.filePath("photos"), dir.filePath("p.spx"), "--song", Path("tune.mid").c_str()});
    EXPECT_EQ(midi.code, 1);
    EXPECT_TRUE(midi.err.contains("is a MIDI file, not a YM song: import it first with \"marlipan-ym import " +
                                  dir.filePath("tune.mid") + " " + dir.filePath("tune.ym") + "\""))
        << midi.err.toStdString();

    std::vector<uint8_t> longSong(kMaxSongBytes + 1, 0);
    std::memcpy(longSong.data(), "YM3!", 4);
    WriteFile(Path("long.ym"), longSong);
    r = Refusal("difficulty: Easy\nsize: 4\nlevel: L\npicture: a.jpg\nsong: long.ym\n");
    EXPECT_NE(r.find(":5: song 'long.ym' is 8388609 bytes unpacked; the game plays songs of at most 8388608 bytes"),
              std::string::npos) << r;
}

TEST_F(PackTool, InfoMarksADamagedHeader) {
    QString out = dir.filePath("two.spx");
    BuildCommand(Manifest(QString::fromUtf8(kTwoLevels)), out);
    std::vector<uint8_t> bytes = ReadFile(out.toStdString());
    GamepackHeader h = HeaderOf(bytes);
    h.SizeIndex = 9;
    PutHeader(bytes, h);
    WriteFile(out.toStdString(), bytes);
    bool damaged = false;
    std::string info = InfoText(out, &damaged);
    EXPECT_TRUE(damaged);
    EXPECT_NE(info.find("9 (out of range)"), std::string::npos) << info;
    EXPECT_THROW(ExtractCommand(out, dir.filePath("ex")), GamepackDamagedError);

    // Every value outside its table or range is marked, not only the first.
    h.SizeIndex = 1;
    h.LevelCount = 12;
    h.SongCount = -1;
    h.PictureSizes[1] = -5;
    h.SongSizes[0] = -7;
    PutHeader(bytes, h);
    WriteFile(out.toStdString(), bytes);
    info = InfoText(out, &damaged);
    EXPECT_TRUE(damaged);
    for (const char* marked : {"levels:       12 (out of range)", "song chunks:  -1 (out of range)",
                               "-5 bytes at offset", "-7 bytes (out of range)", "damaged:      its level count is 12"}) {
        EXPECT_NE(info.find(marked), std::string::npos) << marked << "\n" << info;
    }
    EXPECT_NE(info.find("-5 bytes at offset " + std::to_string(PictureOffset(h, 1)) + " (out of range)"),
              std::string::npos) << info;
}

TEST_F(PackTool, CommandReportsBadInputOnOneLine) {
    ToolRun usage = RunTool({"frobnicate"});
    EXPECT_NE(usage.code, 0);
    EXPECT_TRUE(usage.err.startsWith("usage:"));

    WriteFile(Path("short.spx"), Filler(1000, 1));
    ToolRun shortFile = RunTool({"info", dir.filePath("short.spx")});
    EXPECT_EQ(shortFile.code, 1);
    EXPECT_EQ(shortFile.err.count('\n'), 1) << shortFile.err.toStdString();
    EXPECT_TRUE(shortFile.err.contains("too short")) << shortFile.err.toStdString();

    ToolRun missing = RunTool({"extract", dir.filePath("none.spx"), dir.filePath("x")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err.count('\n'), 1);

    ToolRun bad = RunTool({"build", Manifest("difficulty: Easy\nsize: 9\n"), dir.filePath("o.spx")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.contains("m.txt:2: size")) << bad.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("o.spx")));

    ToolRun good = RunTool({"build", Manifest(QString::fromUtf8(kTwoLevels)), dir.filePath("o.spx")});
    EXPECT_EQ(good.code, 0) << good.err.toStdString();
    ToolRun info = RunTool({"info", dir.filePath("o.spx")});
    EXPECT_EQ(info.code, 0);
    EXPECT_TRUE(info.out.contains("Harbour Waltz"));
}


// The pictures of a folder, as the tests below lay them out.
void SavePicture(const QImage& image, const QString& path) {
    if (path.endsWith(".jpg")) WriteFile(path.toStdString(), EncodeJpeg(image, 90));
    else ASSERT_TRUE(image.save(path, "PNG"));
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

TEST_F(PackTool, FolderBuildTakesPicturesInNameOrderFitsThemToTheBoardAndWritesItsManifest) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("photos"));
    const QString photos = dir.filePath("photos");
    // 429 x 429 is exactly what the zoomed board shows: kept byte for byte.
    const std::vector<uint8_t> exact = EncodeJpeg(BlockPicture(3, 143), 90);
    WriteFile((photos + "/a_b_c.jpg").toStdString(), exact);
    SavePicture(BlockPicture(4, 300).scaled(1200, 800), photos + "/Big_Photo.jpg");
    SavePicture(BlockPicture(3, 20), photos + "/img10.png");
    SavePicture(BlockPicture(3, 150), photos + "/IMG2.png");
    WriteFile((photos + "/notes.txt").toStdString(), {'h', 'i'});

    FolderPackOptions o;
    o.size = "6";
    o.timer = "300";
    o.song = dir.filePath("s.ym");
    o.title = "Our Tune";
    std::vector<std::string> notes;
    const QString out = dir.filePath("mine.spx");
    const QString manifest = FolderBuildCommand(photos, out, o, &notes);
    EXPECT_EQ(manifest, dir.filePath("mine.manifest"));

    GamepackFile file = GamepackFile::Open(out.toStdString());
    const GamepackHeader& h = file.header();
    ASSERT_EQ(h.LevelCount, 4);
    // Case-insensitive and natural: plain order would put "Big" and "IMG2" first, and
    // "img10" before "IMG2".
    EXPECT_EQ(h.LevelNames[0], "a b c");
    EXPECT_EQ(h.LevelNames[1], "Big Photo");
    EXPECT_EQ(h.LevelNames[2], "IMG2");
    EXPECT_EQ(h.LevelNames[3], "img10");
    EXPECT_EQ(h.CellsPerSide(), 6);
    EXPECT_EQ(h.TimeLimit(), 300);
    EXPECT_STREQ(DifficultyNames[h.Difficulty], "Hard");  // after the size
    EXPECT_EQ(h.Description, "Pictures from photos");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(h.SongTitles[size_t(i)], "Our Tune");
        EXPECT_GT(h.SongSizes[size_t(i)], 0);
    }

    GamepackLevel kept = file.ReadLevel(0);
    ASSERT_EQ(kept.picture.size, exact.size());
    EXPECT_TRUE(std::equal(exact.begin(), exact.end(), kept.picture.bytes.begin()));
    // The 1200 x 800 photo is stored at the board's 429 x 429, its blocks where they were.
    GamepackLevel big = file.ReadLevel(1);
    const QImage stored = QImage::fromData(big.picture.data(), int(big.picture.size));
    EXPECT_EQ(stored.size(), QSize(429, 429));
    EXPECT_TRUE(Near(stored.pixel(375, 53), BlockColour(3, 0))) << std::hex << stored.pixel(375, 53);
    EXPECT_TRUE(Near(stored.pixel(53, 375), BlockColour(0, 3))) << std::hex << stored.pixel(53, 375);

    // Advice: the 60-pixel picture is too small, the 1200 x 800 one is not square; the
    // 429 and 450 pixel ones draw no remark.
    const std::string all = Joined(notes);
    EXPECT_NE(all.find("picture 'photos/img10.png' is 60 x 60 pixels, smaller than the board"), std::string::npos) << all;
    EXPECT_NE(all.find("'photos/Big_Photo.jpg' (1200 x 800) is stretched"), std::string::npos) << all;
    EXPECT_EQ(all.find("a_b_c"), std::string::npos) << all;
    EXPECT_EQ(all.find("IMG2"), std::string::npos) << all;

    // The manifest builds the same gamepack again, and a second run that would write the
    // same manifest is fine; one that would change it leaves the player's file alone.
    const std::vector<uint8_t> text = ReadFile(manifest.toStdString());
    ::Manifest m = ParseManifest(QByteArray(reinterpret_cast<const char*>(text.data()), qsizetype(text.size())), manifest);
    ASSERT_EQ(m.levels.size(), 4u);
    EXPECT_EQ(m.levels[1].picture, "photos/Big_Photo.jpg");
    EXPECT_EQ(BuildFromManifest(manifest), ReadFile(out.toStdString()));
    EXPECT_NO_THROW(FolderBuildCommand(photos, out, o, nullptr));
    o.size = "5";
    EXPECT_THROW(FolderBuildCommand(photos, out, o, nullptr), PackError);
    EXPECT_EQ(ReadFile(manifest.toStdString()), text);

    // The command: a bad option names itself; notes go to stderr, one line each.
    ToolRun bad = RunTool({"build", photos, dir.filePath("o.spx"), "--size", "9"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.contains("--size: \"9\"")) << bad.err.toStdString();
    EXPECT_EQ(RunTool({"build", photos, dir.filePath("o.spx"), "--colour"}).code, 2);
    ToolRun good = RunTool({"build", photos, dir.filePath("o.spx"), "--difficulty", "easy"});
    EXPECT_EQ(good.code, 0) << good.err.toStdString();
    EXPECT_EQ(good.err.count("note: "), 2) << good.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("o.manifest")));
}

TEST_F(PackTool, FolderOfMoreThanTenPicturesGivesTheFirstTenAndListsTheRest) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("many"));
    for (int i = 1; i <= 12; ++i) SavePicture(BlockPicture(3, 143), dir.filePath(QString("many/p%1.png").arg(i)));
    // A song that names itself gives the levels its title.
    songwriter::Ym56 shanty;
    shanty.name = " Sea   Shanty ";
    shanty.frames.assign(50, songwriter::Silent16());
    WriteFile(Path("shanty.ym"), shanty.Build());
    FolderPackOptions o;
    o.song = dir.filePath("shanty.ym");
    std::vector<std::string> notes;
    const QString manifest = FolderBuildCommand(dir.filePath("many"), dir.filePath("many.spx"), o, &notes);
    const GamepackHeader h = GamepackFile::Open(dir.filePath("many.spx").toStdString()).header();
    ASSERT_EQ(h.LevelCount, 10);
    EXPECT_EQ(h.LevelNames[9], "p10");
    EXPECT_EQ(h.CellsPerSide(), 4);
    EXPECT_EQ(h.TimerIndex, 0);
    EXPECT_EQ(h.SongTitles[9], "Sea Shanty");
    EXPECT_NE(Joined(notes).find("holds 12 pictures and a gamepack ten levels: the first ten are taken"),
              std::string::npos) << Joined(notes);
    const std::vector<uint8_t> text = ReadFile(manifest.toStdString());
    const std::string t(text.begin(), text.end());
    EXPECT_NE(t.find("# level: p11\n# picture: many/p11.png\n"), std::string::npos) << t;
    EXPECT_NE(t.find("# picture: many/p12.png"), std::string::npos) << t;
}

TEST(FolderPack, LevelNamesFromFileNamesFitTheHeader) {
    EXPECT_EQ(LevelNameFromFile("holiday_2024.final.JPG"), "holiday 2024.final");
    EXPECT_EQ(LevelNameFromFile("__two__blanks_.png"), "two blanks");
    EXPECT_EQ(LevelNameFromFile(QString(60, 'x') + ".png"), std::string(50, 'x'));
    // Windows-1252 has no 'Ł' nor 'ź': both become their plain letter, though Unicode
    // decomposes only the second; 'ó' it has.
    EXPECT_EQ(LevelNameFromFile(QString::fromUtf8("Łódź_trip_#1.jpg")), "L\xF3" "dz trip #1");
    EXPECT_EQ(LevelNameFromFile(QString::fromUtf8("Đakovo łąka.jpg")), "Dakovo laka");
    EXPECT_EQ(LevelNameFromFile(QString::fromUtf8("\U0001F600 smile.png")), "? smile");
    EXPECT_TRUE(NaturalLess("A1", "a01"));  // equal by value: plain order decides
    EXPECT_FALSE(NaturalLess("a01", "A1"));
    EXPECT_TRUE(NaturalLess("x9", "x10"));
}


// A camera's 50-megapixel photo, above what the game decodes: taken, decoded scaled
// down. Its four quarters are made row by row, so the test needs no 200 MB image.
TEST(FolderPack, PhotoLargerThanTheGameDecodesIsScaledDownWhileDecoded) {
    const int width = 8660, height = 5774;
    static_assert(uint64_t(width) * height > kMaxPicturePixels);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int r = int(cinfo.next_scanline) * 2 / height;
        for (int x = 0; x < width; ++x) {
            const QColor c = BlockColour(x * 2 / width, r);
            row[size_t(x) * 3] = uint8_t(c.red()), row[size_t(x) * 3 + 1] = uint8_t(c.green());
            row[size_t(x) * 3 + 2] = uint8_t(c.blue());
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const std::vector<uint8_t> photo(buffer, buffer + size);
    std::free(buffer);

    std::vector<std::string> notes;
    const std::vector<uint8_t> stored = FitPictureFile(photo, "camera.jpg", &notes);
    const QImage seen = QImage::fromData(stored.data(), int(stored.size()));
    ASSERT_EQ(seen.size(), QSize(429, 429));
    EXPECT_TRUE(Near(seen.pixel(100, 100), BlockColour(0, 0))) << std::hex << seen.pixel(100, 100);
    EXPECT_TRUE(Near(seen.pixel(330, 100), BlockColour(1, 0))) << std::hex << seen.pixel(330, 100);
    EXPECT_TRUE(Near(seen.pixel(100, 330), BlockColour(0, 1))) << std::hex << seen.pixel(100, 330);
    EXPECT_TRUE(Near(seen.pixel(330, 330), BlockColour(1, 1))) << std::hex << seen.pixel(330, 330);
    // What is stored passes the game's own decoder.
    EXPECT_NO_THROW(PreparePicture(stored.data(), stored.size(), 429));
}

// Cameras store a turned photo as taken and say so in a tag that the game's decoder
// ignores: the stored picture must be turned already.
TEST(FolderPack, PhotoWithARotationTagIsStoredUpright) {
    std::vector<uint8_t> jpeg = EncodeJpeg(BlockPicture(4, 75).scaled(300, 200), 95);
    // An Exif segment after the JFIF one: orientation 6, to be turned clockwise for viewing.
    const std::vector<uint8_t> exif = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0,
                                       'I', 'I', 42, 0, 8, 0, 0, 0,
                                       1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0,
                                       0, 0, 0, 0};
    jpeg.insert(jpeg.begin() + 4 + (jpeg[4] << 8 | jpeg[5]), exif.begin(), exif.end());
    std::vector<std::string> notes;
    const std::vector<uint8_t> stored = FitPictureFile(jpeg, "turned.jpg", &notes);
    // Read as the game reads it: libjpeg, blind to the tag. Turned clockwise, the photo's
    // bottom-left block is at the top left.
    const LevelPicture seen = PreparePicture(stored.data(), stored.size(), 300);
    EXPECT_TRUE(Near(seen.Colour.pixel(20, 30), BlockColour(0, 3))) << std::hex << seen.Colour.pixel(20, 30);
    EXPECT_TRUE(Near(seen.Colour.pixel(280, 30), BlockColour(0, 0))) << std::hex << seen.Colour.pixel(280, 30);
}

}  // namespace
