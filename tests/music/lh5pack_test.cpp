// lh5pack: the packer's archives are extracted by the outside extractor (lhasa, which
// checks the CRC) and by CYmDecruncher, for empty, tiny, text, binary, random, mixed,
// song-like and repetitive inputs; the header is a well-formed level-1 -lh5- header;
// code lengths stay within 16 even for skewed data; output is deterministic.

#include "music/ymdecruncher.h"
#include "tools/lh5/lh5pack.h"
#include "tools/lh5/sampledata.h"
#include "tests/music/archivefiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace sample = lh5::sample;

using namespace archivefiles;

// lhasa is called by its own name: on Debian "lha" is an alternative that jlha-utils
// takes over when both are installed.
#define REQUIRE_LHASA()                                                                \
    do {                                                                               \
        if (!HaveTool("lhasa"))                                                        \
            GTEST_SKIP() << "lhasa (package lhasa) is not installed; scripts/deps "    \
                            "installs it";                                             \
    } while (0)

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

struct Sample {
    const char* name;
    std::function<Bytes()> make;
};
void PrintTo(const Sample& s, std::ostream* os) { *os << s.name; }

// Literals with Fibonacci counts, shuffled: the most skewed distribution (the length
// limit itself is tested directly below, on CodeLengths).
Bytes Skewed() {
    Bytes v;
    uint64_t a = 1, b = 1;
    for (int sym = 0; sym < 26; ++sym) {
        for (uint64_t i = 0; i < a; ++i) v.push_back(uint8_t(sym * 7 + 1));
        const uint64_t c = a + b;
        a = b;
        b = c;
    }
    sample::Rng rng(99);
    for (size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[rng.Below(uint32_t(i))]);
    return v;
}

const Sample kSamples[] = {
    {"Empty", [] { return Bytes{}; }},
    {"OneByte", [] { return Bytes{'x'}; }},
    {"TwoBytes", [] { return Bytes{0, 255}; }},
    {"Tiny", [] { const char* s = "hello, hello, hello"; return Bytes(s, s + 19); }},
    {"Text100K", [] { return sample::Text(100000, 31); }},
    {"Text1MiB", [] { return sample::Text(1 << 20, 32); }},
    {"Binary300K", [] { return sample::Binary(300000, 33); }},
    {"Random", [] { return sample::Random(70000, 34); }},
    {"SongLike1MiB", [] { return sample::SongLike(1 << 20, 35); }},
    {"Mixed1MiB", [] { return sample::Mixed(1 << 20, 36); }},
    {"Repetitive1MiB", [] { return sample::Repetitive(1 << 20); }},
    {"Zeros200K", [] { return Bytes(200000, 0); }},
    {"AllByteValues", [] { Bytes v; for (int r = 0; r < 40; ++r) for (int i = 0; i < 256; ++i) v.push_back(uint8_t(i * r)); return v; }},
    {"MatchStraddlesChunkBoundary", [] { return sample::ChunkStraddle(); }},
    {"SkewedFrequencies", Skewed},
};

class PackedSample : public ::testing::TestWithParam<Sample> {};

TEST_P(PackedSample, DecruncherUnpacksIt) {
    const Bytes data = GetParam().make();
    const Bytes archive = lh5::PackArchive(data, "song.ym");
    CYmDecruncher d;
    ASSERT_TRUE(d.Decrunch(archive.data(), archive.size()));
    ASSERT_EQ(d.OutputSize(), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), d.Output()));
}

TEST_P(PackedSample, LhasaExtractsItAndItsCrcMatches) {
    REQUIRE_LHASA();
    const Bytes data = GetParam().make();
    TempDir dir{"lh5pack"};
    WriteFile(dir / "song.lzh", lh5::PackArchive(data, "song.ym"));
    ASSERT_EQ(Shell("lhasa t " + dir / "song.lzh"), 0) << "lhasa's CRC test failed";
    ASSERT_EQ(Shell("lhasa xfw=" + dir / "out" + " " + dir / "song.lzh"), 0);
    ASSERT_TRUE(std::filesystem::exists(dir / "out/song.ym")) << "lhasa extracted nothing";
    EXPECT_TRUE(ReadFile(dir / "out/song.ym") == data);
}

TEST_P(PackedSample, HeaderIsLevel1Lh5WithChecksumAndCrc) {
    const Bytes data = GetParam().make();
    const std::string name = "song.ym";
    const Bytes a = lh5::PackArchive(data, name);
    ASSERT_GE(a.size(), 27 + name.size() + 1);
    const size_t h = a[0];
    EXPECT_EQ(h, 25 + name.size());
    unsigned sum = 0;
    for (size_t i = 2; i < h + 2; ++i) sum += a[i];
    EXPECT_EQ(a[1], uint8_t(sum));
    EXPECT_EQ(std::string(a.begin() + 2, a.begin() + 7), "-lh5-");
    EXPECT_EQ(Le32(&a[11]), data.size());
    EXPECT_EQ(a[20], 1);
    EXPECT_EQ(a[21], name.size());
    EXPECT_EQ(std::string(a.begin() + 22, a.begin() + 22 + long(name.size())), name);
    EXPECT_EQ(Le16(&a[22 + name.size()]), lh5::Crc16(data.data(), data.size()));
    EXPECT_EQ(Le16(&a[h]), 0u) << "no extension header";
    EXPECT_EQ(Le32(&a[7]) + h + 2 + 1, a.size()) << "header, data, end-of-archive byte";
    EXPECT_EQ(a.back(), 0);
}

INSTANTIATE_TEST_SUITE_P(Samples, PackedSample, ::testing::ValuesIn(kSamples),
                         [](const auto& info) { return std::string(info.param.name); });

// Kraft sum of the lengths in units of 2^-16.
uint64_t Kraft(const std::vector<uint8_t>& len) {
    uint64_t k = 0;
    for (uint8_t l : len)
        if (l) k += uint64_t(1) << (16 - l);
    return k;
}

TEST(Lh5Pack, CodeLengthsAreLimitedTo16AndComplete) {
    // Fibonacci frequencies: an unlimited Huffman code would be 29 bits deep.
    std::vector<uint32_t> freq;
    uint32_t a = 1, b = 1;
    for (int i = 0; i < 30; ++i) {
        freq.push_back(a);
        const uint32_t c = a + b;
        a = b;
        b = c;
    }
    const auto len = lh5::detail::CodeLengths(freq);
    EXPECT_EQ(Kraft(len), 1u << 16);
    for (size_t i = 0; i < len.size(); ++i) {
        EXPECT_GE(len[i], 1);
        EXPECT_LE(len[i], 16);
        if (i > 0) {
            EXPECT_LE(len[i], len[i - 1]) << "a more frequent symbol got a longer code";
        }
    }
    EXPECT_EQ(len.front(), 16);
    // A tighter limit, as many symbols as it allows, zero frequencies in between.
    std::vector<uint32_t> many(600, 0);
    for (size_t i = 0; i < 256; ++i) many[i * 2] = uint32_t(1 + i * i * i);
    const auto len8 = lh5::detail::CodeLengths(many, 8);
    EXPECT_EQ(Kraft(len8), 1u << 16);
    for (size_t i = 0; i < many.size(); ++i) {
        EXPECT_EQ(len8[i] == 0, many[i] == 0);
        EXPECT_LE(len8[i], 8);
    }
    EXPECT_THROW(lh5::detail::CodeLengths(many, 7), std::invalid_argument);
    // Unlimited by the cap: the plain Huffman lengths (1, 2, 3, 3 here).
    EXPECT_EQ(lh5::detail::CodeLengths({10, 5, 2, 2}), (std::vector<uint8_t>{1, 2, 3, 3}));
    // Fewer than two symbols: no code to build.
    EXPECT_EQ(lh5::detail::CodeLengths({0, 7, 0}), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(lh5::detail::CodeLengths({0, 0}), (std::vector<uint8_t>{0, 0}));
}

TEST(Lh5Pack, Crc16IsTheArcCrc) {
    const char* check = "123456789";
    EXPECT_EQ(lh5::Crc16(reinterpret_cast<const uint8_t*>(check), 9), 0xBB3D);
    EXPECT_EQ(lh5::Crc16(nullptr, 0), 0);
}

TEST(Lh5Pack, LhasaNoticesACorruptedCrc) {
    // Proves that the extraction tests above do check the CRC.
    REQUIRE_LHASA();
    const Bytes data = sample::Text(10000, 37);
    Bytes a = lh5::PackArchive(data, "c.txt");
    a[22 + 5] ^= 1;  // low byte of the CRC; the header checksum is fixed up
    unsigned sum = 0;
    for (size_t i = 2; i < size_t(a[0]) + 2; ++i) sum += a[i];
    a[1] = uint8_t(sum);
    TempDir dir{"lh5pack"};
    WriteFile(dir / "c.lzh", a);
    EXPECT_NE(Shell("lhasa t " + dir / "c.lzh"), 0);
}

TEST(Lh5Pack, IncompressibleDataIsStillLh5) {
    const Bytes data = sample::Random(50000, 38);
    const Bytes a = lh5::PackArchive(data, "r");
    EXPECT_EQ(std::string(a.begin() + 2, a.begin() + 7), "-lh5-");
    // Nine bits per literal at worst, plus block headers.
    EXPECT_LT(Le32(&a[7]), data.size() * 9 / 8 + 1024);
}

TEST(Lh5Pack, EmptyDataGivesAnEmptyStream) {
    EXPECT_TRUE(lh5::Compress(nullptr, 0).empty());
    const Bytes a = lh5::PackArchive({}, "e");
    EXPECT_EQ(Le32(&a[7]), 0u);
    EXPECT_EQ(Le32(&a[11]), 0u);
}

TEST(Lh5Pack, CompressesWhatIsCompressible) {
    const Bytes text = sample::Text(200000, 39);
    EXPECT_LT(lh5::Compress(text.data(), text.size()).size(), text.size() / 2);
    const Bytes song = sample::SongLike(500000, 40);
    EXPECT_LT(lh5::Compress(song.data(), song.size()).size(), song.size() / 5);
    const Bytes rep = sample::Repetitive(1 << 20);
    EXPECT_LT(lh5::Compress(rep.data(), rep.size()).size(), rep.size() / 100);
}

TEST(Lh5Pack, OutputIsDeterministic) {
    const Bytes data = sample::Mixed(300000, 41);
    EXPECT_EQ(lh5::PackArchive(data, "m"), lh5::PackArchive(data, "m"));
}

TEST(Lh5Pack, MemberNameLimits) {
    const Bytes data = sample::Text(1000, 42);
    const std::string longest(230, 'n');
    const Bytes a = lh5::PackArchive(data, longest);
    EXPECT_EQ(a[0], 255);
    CYmDecruncher d;
    ASSERT_TRUE(d.Decrunch(a.data(), a.size()));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), d.Output()));
    EXPECT_THROW(lh5::PackArchive(data, std::string(231, 'n')), std::length_error);
    const Bytes unnamed = lh5::PackArchive(data, "");
    ASSERT_TRUE(d.Decrunch(unnamed.data(), unnamed.size()));
    EXPECT_EQ(d.OutputSize(), data.size());
}

TEST(Lh5Pack, EveryLengthAroundTheChunkAndBlockSizesRoundTrips) {
    CYmDecruncher d;
    const Bytes text = sample::Mixed(70000, 43);
    for (size_t n : {size_t(2), size_t(3), size_t(4), size_t(255), size_t(256), size_t(257),
                     size_t(8191), size_t(8192), size_t(8193), size_t(16383), size_t(16384),
                     size_t(16385), size_t(65535), size_t(65536), size_t(65537)}) {
        const Bytes data(text.begin(), text.begin() + long(n));
        const Bytes a = lh5::PackArchive(data, "n");
        ASSERT_TRUE(d.Decrunch(a.data(), a.size())) << n;
        ASSERT_EQ(d.OutputSize(), n);
        ASSERT_TRUE(std::equal(data.begin(), data.end(), d.Output())) << n;
    }
}

}  // namespace
