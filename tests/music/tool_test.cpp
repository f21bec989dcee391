// marlipan-ym as a user runs it: bad input of every kind gives one line on stderr and a
// non-zero exit; good input renders exactly what the engine's frame handler produces.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "music/ymplayer.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out, err;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("MARLIPAN_BINARY_DIR");
        if (!bin) GTEST_SKIP() << "MARLIPAN_BINARY_DIR not set";
        tool_ = fs::path(bin) / "tools" / "ym" / "marlipan-ym";
        if (!fs::exists(tool_)) GTEST_SKIP() << "marlipan-ym not built";
        dir_ = fs::temp_directory_path() / ("marlipan-ym-test-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return Path(name);
    }
    static std::vector<uint8_t> Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    static std::string Quote(const std::string& s) {
        std::string q = "'";
        for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    }
    Result Run(const std::vector<std::string>& args) const {
        std::string cmd = "timeout 60 " + Quote(tool_.string());
        for (const auto& a : args) cmd += " " + Quote(a);
        cmd += " >" + Quote(Path("stdout")) + " 2>" + Quote(Path("stderr"));
        Result r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        const auto out = Read(Path("stdout")), err = Read(Path("stderr"));
        r.out.assign(out.begin(), out.end());
        r.err.assign(err.begin(), err.end());
        return r;
    }
    // A failure: exit status 1 (not a crash, not the timeout's 124) and one line that
    // names the problem.
    void ExpectFailure(const std::vector<std::string>& args, const std::string& mentions) const {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 1) << args[0] << " " << r.err;
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_EQ(r.err.rfind("marlipan-ym: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(mentions), std::string::npos) << r.err;
    }

    std::vector<uint8_t> Ym6Song() const {
        songwriter::Ym56 s;
        s.name = "Tool song";
        s.author = "Caf\xE9";   // Windows-1252 e acute
        s.attributes = 1 | 4;
        s.drums = {{1, 2, 3, 4}};
        for (int i = 0; i < 100; ++i) {
            songwriter::Frame16 f = songwriter::Silent16();
            f[0] = uint8_t(50 + i);
            f[7] = 0x3E;
            f[8] = 13;
            s.frames.push_back(f);
        }
        return s.Build();
    }

    fs::path tool_, dir_;
};

TEST_F(ToolTest, BadArgumentsAndMissingFilesGiveOneLineAndFailure) {
    ExpectFailure({}, "usage");
    ExpectFailure({"play", "x"}, "usage");
    ExpectFailure({"info"}, "usage");
    ExpectFailure({"info", Path("missing.ym")}, "no such file");
    ExpectFailure({"info", dir_.string()}, "not a regular file");
    const std::string song = Write("song.ym", Ym6Song());
    ExpectFailure({"render", song}, "usage");
    ExpectFailure({"render", song, Path("o.wav"), "--seconds", "abc"}, "--seconds");
    ExpectFailure({"render", song, Path("o.wav"), "--seconds", "-1"}, "--seconds");
    ExpectFailure({"render", song, Path("o.wav"), "--seconds", "nan"}, "--seconds");
    ExpectFailure({"render", song, Path("o.wav"), "--seconds", "1e300"}, "--seconds");
    ExpectFailure({"render", song, Path("o.wav"), "--volume", "256"}, "--volume");
    ExpectFailure({"render", song, Path("o.wav"), "--volume", "1.5"}, "--volume");
    ExpectFailure({"render", song, Path("o.wav"), "--volume"}, "--volume");
    for (const char* voices : {"D", "a", "A,", ",A", "A,A", "AB", ""})
        ExpectFailure({"render", song, Path("o.wav"), "--voices", voices}, "--voices");
    ExpectFailure({"loudness"}, "usage");
    ExpectFailure({"render", song, Path("no/such/dir/o.wav")}, "cannot create");
    ExpectFailure({"pack", Path("missing"), Path("out")}, "no such file");
    if (fs::exists("/dev/full")) {   // a disk that is full: reported, and the device kept
        ExpectFailure({"render", song, "/dev/full"}, "cannot write");
        EXPECT_TRUE(fs::exists("/dev/full"));
    }
}

TEST_F(ToolTest, BadSongsGiveOneLineAndFailure) {
    const std::string junk = Write("junk.bin", {'H', 'E', 'L', 'L', 'O', 0, 1, 2, 3, 4, 5});
    ExpectFailure({"info", junk}, "not a YM song");
    ExpectFailure({"render", junk, Path("o.wav")}, "not a YM song");
    ExpectFailure({"unpack", junk, Path("o")}, "not an -lh5- archive");
    const std::string empty = Write("empty.ym", {});
    ExpectFailure({"info", empty}, "not a YM song");
    // Stored without compression (-lh0-), as archivers keep a tiny file: the method is named.
    std::vector<uint8_t> stored = lh5::PackArchive(Ym6Song(), "song.ym");
    std::memcpy(stored.data() + 2, "-lh0-", 5);
    const std::string other = Write("stored.lzh", stored);
    for (const char* command : {"info", "loudness"})
        ExpectFailure({command, other}, "packed with -lh0-; only -lh5- is played");
    ExpectFailure({"render", other, Path("o.wav")}, "packed with -lh0-");
    ExpectFailure({"unpack", other, Path("o")}, "packed with -lh0-");

    // MIDI files to import: not one at all, a song without notes, a track cut short.
    ExpectFailure({"import", junk, Path("o.ym")}, "not a Standard MIDI File");
    std::vector<uint8_t> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    ExpectFailure({"import", Write("silent.mid", midi), Path("o.ym")}, "no notes");
    ExpectFailure({"import", Write("silent.mid", midi), Path("o.ym"), "--voices", "1,99"}, "--voices");
    midi[21] = 40;   // the track says 40 bytes, 4 follow
    ExpectFailure({"import", Write("cut.mid", midi), Path("o.ym")}, "truncated");
    EXPECT_FALSE(fs::exists(Path("o.ym"))) << "nothing written for a song that failed";
    // Found by mutating a good file: a damaged delta time (0x8E 0x80 ...) makes the events
    // after it overrun the track, and libsmf then reads past it (and aborts on a failed
    // assertion where the bytes after the buffer happen to be zero).
    const std::string track =
        "00ff010a6e6f746520747261636b00ff510307a12000ff5902960000ff58040402300800ff030954656d706f"
        "e14d6170019045698e80450001ff51030f424000ac5169407f80510001905869873f805800875adbff2f00";
    std::vector<uint8_t> overrun = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0,
                                    'M', 'T', 'r', 'k', 0, 0, 0, uint8_t(track.size() / 2)};
    for (size_t i = 0; i < track.size(); i += 2) overrun.push_back(uint8_t(std::stoi(track.substr(i, 2), nullptr, 16)));
    ExpectFailure({"import", Write("overrun.mid", overrun), Path("o.ym")}, "end-of-track");

    // Packed, but the first code table is bad (31 code-length symbols of 19).
    std::vector<uint8_t> packed = lh5::PackArchive(Ym6Song(), "song.ym");
    packed.resize(size_t(packed[0]) + 2 + 3);
    std::fill(packed.end() - 3, packed.end(), uint8_t(0xFF));
    const std::string bad = Write("bad.lzh", packed);
    ExpectFailure({"info", bad}, "cannot unpack");
    ExpectFailure({"unpack", bad, Path("o")}, "cannot unpack");

    // A YM6 header whose frames and texts are missing: nothing to render.
    std::vector<uint8_t> bare = Ym6Song();
    bare.resize(34);
    const std::string headerOnly = Write("bare.ym", bare);
    ExpectFailure({"render", headerOnly, Path("o.wav")}, "no frames");
    const Result info = Run({"info", headerOnly});
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("frames: 0"), std::string::npos) << info.out;
}

TEST_F(ToolTest, HelpAndVersionAnswerOnStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        const Result r = Run({option});
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_EQ(r.out.rfind("usage: marlipan-ym ", 0), 0u) << r.out;
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
    const Result v = Run({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "marlipan-ym " MARLIPAN_VERSION "\n");
    EXPECT_TRUE(v.err.empty()) << v.err;
}

TEST_F(ToolTest, InfoListsTheSong) {
    const Result r = Run({"info", Write("song.ym", Ym6Song())});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("kind: YM6!"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frames: 100"), std::string::npos);
    EXPECT_NE(r.out.find("loop frame: 0"), std::string::npos);
    EXPECT_NE(r.out.find("drums: 1 (sizes 4)"), std::string::npos);
    EXPECT_NE(r.out.find("name: Tool song"), std::string::npos);
    EXPECT_NE(r.out.find("author: Caf\xC3\xA9"), std::string::npos);
    EXPECT_NE(r.out.find("comment: made by songwriter"), std::string::npos);
    // Voice A alone, panned hard left (gains 255 and 13: 25.85 dB apart); B and C silent.
    EXPECT_NE(r.out.find("loudness (one pass at volume 255): -"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" LUFS, left minus right +25.8"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(", B silent, C silent LUFS"), std::string::npos) << r.out;
}

TEST_F(ToolTest, RenderWritesWhatTheEngineBuffersHold) {
    const std::vector<uint8_t> song = Ym6Song();
    const std::string plain = Write("song.ym", song);
    ASSERT_EQ(Run({"render", plain, Path("a.wav"), "--seconds", "1", "--volume", "200"}).status, 0);
    const std::vector<uint8_t> wav = Read(Path("a.wav"));
    ASSERT_EQ(wav.size(), 44u + 44100u * 4u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(wav[22], 2);                                      // stereo
    EXPECT_EQ(wav[24] | wav[25] << 8 | wav[26] << 16, 44100);   // rate
    EXPECT_EQ(wav[34], 16);                                     // bits

    CYmEngine engine;
    const auto packed = lh5::PackArchive(song, "song.ym");
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    engine.SetVolume(200);
    engine.SetLooping(true);
    engine.ResetForPass();
    std::vector<uint8_t> expected;
    for (int which = 0; expected.size() < 44100u * 4u; which ^= 1) {
        const uint32_t n = engine.FillBuffer(which);
        expected.insert(expected.end(), engine.BufferBytes(which), engine.BufferBytes(which) + n * 2);
    }
    expected.resize(44100u * 4u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), wav.begin() + 44));

    // Default length: one pass (100 frames = 2 s); a packed song renders the same.
    ASSERT_EQ(Run({"pack", plain, Path("song.lzh")}).status, 0);
    ASSERT_EQ(Run({"render", Path("song.lzh"), Path("b.wav")}).status, 0);
    EXPECT_EQ(Read(Path("b.wav")).size(), 44u + 2u * 44100u * 4u);

    // The song plays on voice A: with only B and C kept, nothing sounds; with A, all of it.
    ASSERT_EQ(Run({"render", plain, Path("c.wav"), "--voices", "B,C", "--seconds", "1"}).status, 0);
    const std::vector<uint8_t> quiet = Read(Path("c.wav"));
    ASSERT_EQ(quiet.size(), wav.size());
    EXPECT_TRUE(std::all_of(quiet.begin() + 44, quiet.end(), [](uint8_t b) { return b == 0; }));
    ASSERT_EQ(Run({"render", plain, Path("d.wav"), "--voices", "C,A", "--seconds", "1", "--volume", "200"}).status, 0);
    EXPECT_EQ(Read(Path("d.wav")), wav);
}

TEST_F(ToolTest, PackAndUnpackRoundTrip) {
    const std::vector<uint8_t> song = Ym6Song();
    ASSERT_EQ(Run({"pack", Write("song.ym", song), Path("song.lzh")}).status, 0);
    const std::vector<uint8_t> packed = Read(Path("song.lzh"));
    ASSERT_GT(packed.size(), 7u);
    EXPECT_EQ(std::string(packed.begin() + 2, packed.begin() + 7), "-lh5-");
    ASSERT_EQ(Run({"unpack", Path("song.lzh"), Path("back.ym")}).status, 0);
    EXPECT_EQ(Read(Path("back.ym")), song);
}

}  // namespace
