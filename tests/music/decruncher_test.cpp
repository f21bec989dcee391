// CYmDecruncher: archives of the outside archiver (jlha) unpack byte for byte;
// hand-built bit streams pin down the format's corners (one-symbol codes, block
// count 0, codes longer than the lookup, matches across the 8 KiB chunks); bad tables,
// absurd sizes, truncation and thousands of mutated archives are refused without a
// crash; a wrong method id leaves the earlier output untouched.

#include "music/ymdecruncher.h"
#include "tools/lh5/lh5pack.h"
#include "tools/lh5/sampledata.h"
#include "tests/music/archivefiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace sample = lh5::sample;

// ---- Files and outside tools ------------------------------------------------------

using namespace archivefiles;

// Packs `data` as file "song.bin" with jlha; `options` as on its command line.
Bytes MakeJlhaArchive(const Bytes& data, const std::string& options = "c1o5") {
    TempDir dir{"lh5dec"};
    WriteFile(dir / "song.bin", data);
    const int rc = Shell("cd " + dir.path() + " && jlha " + options + " song.lzh song.bin");
    EXPECT_EQ(rc, 0) << "jlha failed";
    return ReadFile(dir / "song.lzh");
}

#define REQUIRE_JLHA()                                                                  \
    do {                                                                                \
        if (!HaveTool("jlha"))                                                          \
            GTEST_SKIP() << "jlha (package jlha-utils) is not installed; scripts/deps " \
                            "installs it";                                              \
    } while (0)

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
std::string Method(const Bytes& a) { return a.size() >= 7 ? std::string(a.begin() + 2, a.begin() + 7) : ""; }

::testing::AssertionResult Unpacks(CYmDecruncher& d, const Bytes& archive, const Bytes& expected) {
    if (!d.Decrunch(archive.data(), archive.size()))
        return ::testing::AssertionFailure() << "Decrunch returned false";
    if (d.OutputSize() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << d.OutputSize() << ", expected " << expected.size();
    if (!d.Output()) return ::testing::AssertionFailure() << "no output";
    for (size_t i = 0; i < expected.size(); ++i)
        if (d.Output()[i] != expected[i])
            return ::testing::AssertionFailure() << "first difference at byte " << i;
    return ::testing::AssertionSuccess();
}

// ---- Hand-built archives and bit streams --------------------------------------------

class BitStream {
public:
    void Put(unsigned n, uint32_t v) {
        for (int i = int(n) - 1; i >= 0; --i) {
            if (bits_ % 8 == 0) bytes_.push_back(0);
            if ((v >> i) & 1) bytes_.back() |= uint8_t(0x80 >> (bits_ % 8));
            ++bits_;
        }
    }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
    size_t bits_ = 0;
};

// A level-0 member "s" around a bit stream; packedSize < 0 means the stream's size.
Bytes Archive(const Bytes& stream, uint32_t unpacked, const char* method = "-lh5-",
              int64_t packedSize = -1) {
    const uint32_t packed = packedSize < 0 ? uint32_t(stream.size()) : uint32_t(packedSize);
    Bytes a;
    a.reserve(25 + stream.size());
    a.push_back(23);  // header size: 22 + name length
    a.push_back(0);   // checksum, below
    a.insert(a.end(), method, method + 5);
    for (uint32_t v : {packed, unpacked})
        for (int k = 0; k < 4; ++k) a.push_back(uint8_t(v >> (8 * k)));
    for (int k = 0; k < 4; ++k) a.push_back(0);  // time stamp
    a.push_back(0x20);                           // attribute
    a.push_back(0);                              // level 0
    a.push_back(1);
    a.push_back('s');
    a.push_back(0);  // CRC, not examined
    a.push_back(0);
    unsigned sum = 0;
    for (size_t i = 2; i < a.size(); ++i) sum += a[i];
    a[1] = uint8_t(sum);
    a.insert(a.end(), stream.begin(), stream.end());
    return a;
}

// Canonical codes for lengths, computed the textbook way (independent of both the
// packer and the decoder).
std::vector<uint32_t> Canonical(const std::vector<int>& len) {
    std::vector<uint32_t> code(len.size(), 0);
    uint32_t next = 0;
    for (int l = 1; l <= 16; ++l) {
        for (size_t s = 0; s < len.size(); ++s)
            if (len[s] == l) code[s] = next++;
        next <<= 1;
    }
    return code;
}

struct Token {
    int literal;     // -1 for a match
    unsigned len;    // 3..256
    unsigned dist;   // 1..8192
};
Token Lit(uint8_t b) { return Token{b, 0, 0}; }
Token Match(unsigned len, unsigned dist) { return Token{-1, len, dist}; }

// One -lh5- block with fixed complete codes: the literal/length code gives symbols 0 and
// 1 eight bits and the other 508 nine bits; the position code gives 0 and 1 three bits
// and the other 12 four bits; the code-length code has two 1-bit symbols (lengths 8, 9).
void PutFixedBlock(BitStream& bs, const std::vector<Token>& tokens) {
    std::vector<int> cLen(510, 9), pLen(14, 4);
    cLen[0] = cLen[1] = 8;
    pLen[0] = pLen[1] = 3;
    const auto cCode = Canonical(cLen), pCode = Canonical(pLen);
    bs.Put(16, uint32_t(tokens.size()));
    // Code-length code: 12 lengths, 0 0 0, (special: 3 zeros follow), 0 0 0 0, 1 1.
    bs.Put(5, 12);
    for (int i = 0; i < 3; ++i) bs.Put(3, 0);
    bs.Put(2, 3);
    for (int i = 6; i < 10; ++i) bs.Put(3, 0);
    bs.Put(3, 1);
    bs.Put(3, 1);
    // Literal/length lengths: symbol 10 (length 8) is code 0, symbol 11 (length 9) code 1.
    bs.Put(9, 510);
    for (int s = 0; s < 510; ++s) bs.Put(1, cLen[s] == 8 ? 0 : 1);
    bs.Put(4, 14);
    for (int s = 0; s < 14; ++s) bs.Put(3, uint32_t(pLen[s]));
    for (const Token& t : tokens) {
        if (t.literal >= 0) {
            bs.Put(unsigned(cLen[t.literal]), cCode[t.literal]);
            continue;
        }
        const unsigned c = t.len + 253;
        bs.Put(unsigned(cLen[c]), cCode[c]);
        const unsigned p = t.dist - 1;
        unsigned j = 0;
        while ((p >> j) != 0) ++j;
        bs.Put(unsigned(pLen[j]), pCode[j]);
        if (j > 1) bs.Put(j - 1, p - (1u << (j - 1)));
    }
}

// A block whose three codes are all sent with symbol count 0: every symbol is `c` (and
// every position value `p`), at no cost in bits.
void PutOneSymbolBlock(BitStream& bs, uint32_t count, unsigned c, unsigned p = 0) {
    bs.Put(16, count);
    bs.Put(5, 0);
    bs.Put(5, 0);
    bs.Put(9, 0);
    bs.Put(9, c);
    bs.Put(4, 0);
    bs.Put(4, p);
}

// Expected bytes of a token list.
Bytes Expand(const std::vector<Token>& tokens) {
    Bytes out;
    for (const Token& t : tokens) {
        if (t.literal >= 0) { out.push_back(uint8_t(t.literal)); continue; }
        for (unsigned i = 0; i < t.len; ++i) out.push_back(out[out.size() - t.dist]);
    }
    return out;
}

// A small valid archive to decode before a refusal, so that the refusal's effect on an
// earlier output can be checked.
Bytes ValidArchive() { return lh5::PackArchive(sample::Text(3000, 1), "v"); }

// ---- Archives of the outside archiver ------------------------------------------------

struct Sample {
    const char* name;
    std::function<Bytes()> make;
};
void PrintTo(const Sample& s, std::ostream* os) { *os << s.name; }

const Sample kJlhaSamples[] = {
    {"Tiny24", [] { const char* s = "abcabcabcabcabcabcabcabc"; return Bytes(s, s + 24); }},
    {"Tiny103", [] { return Bytes(103, 'a'); }},
    {"Text100K", [] { return sample::Text(100000, 2); }},
    {"Text1MiB", [] { return sample::Text(1 << 20, 3); }},
    {"Binary300K", [] { return sample::Binary(300000, 4); }},
    {"SongLike1MiB", [] { return sample::SongLike(1 << 20, 5); }},
    {"Mixed1MiB", [] { return sample::Mixed(1 << 20, 6); }},
    {"Repetitive1MiB", [] { return sample::Repetitive(1 << 20); }},
    {"MatchStraddlesChunkBoundary", [] { return sample::ChunkStraddle(); }},
    {"ExactlyOneChunk", [] { return sample::Text(8192, 7); }},
    {"OneChunkAndOneByte", [] { return sample::Text(8193, 8); }},
};

class JlhaArchive : public ::testing::TestWithParam<Sample> {};

TEST_P(JlhaArchive, UnpacksByteForByte) {
    REQUIRE_JLHA();
    const Bytes data = GetParam().make();
    const Bytes archive = MakeJlhaArchive(data);
    ASSERT_GE(archive.size(), 27u);
    ASSERT_EQ(Method(archive), "-lh5-") << "jlha stored this sample; choose one it compresses";
    ASSERT_EQ(archive[20], 1) << "jlha c1 writes a level-1 header";
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, archive, data));
}

INSTANTIATE_TEST_SUITE_P(Samples, JlhaArchive, ::testing::ValuesIn(kJlhaSamples),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JlhaArchives, Level1ExtensionHeadersAreSkippedAndTakenOffThePackedSize) {
    REQUIRE_JLHA();
    const Bytes data = sample::Text(20000, 9);
    const Bytes archive = MakeJlhaArchive(data);
    ASSERT_EQ(Method(archive), "-lh5-");
    const size_t h = archive[0];
    // jlha's level-1 header is followed by at least one extension header (the header
    // CRC), counted in the packed size: exactly what reading the data at H + 2 would miss.
    ASSERT_NE(archive[h] | archive[h + 1] << 8, 0) << "no extension header to skip";
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, archive, data));
}

TEST(JlhaArchives, Level2HeaderIsRead) {
    REQUIRE_JLHA();
    const Bytes data = sample::Text(50000, 10);
    const Bytes archive = MakeJlhaArchive(data, "co5");  // jlha's default, level 2
    ASSERT_EQ(Method(archive), "-lh5-");
    ASSERT_EQ(archive[20], 2);
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, archive, data));
}

TEST(JlhaArchives, StoredMembersAreRefusedAndLeaveTheEarlierOutput) {
    REQUIRE_JLHA();
    CYmDecruncher d;
    const Bytes text = sample::Text(5000, 11);
    ASSERT_TRUE(Unpacks(d, lh5::PackArchive(text, "t"), text));
    const uint8_t* before = d.Output();
    // jlha stores empty, one-byte and incompressible files as -lh0-.
    for (const Bytes& data : {Bytes{}, Bytes{'x'}, sample::Random(5000, 12)}) {
        const Bytes archive = MakeJlhaArchive(data);
        ASSERT_EQ(Method(archive), "-lh0-");
        EXPECT_FALSE(d.Decrunch(archive.data(), archive.size()));
        EXPECT_EQ(d.Output(), before);
        EXPECT_TRUE(Unpacks(d, lh5::PackArchive(text, "t"), text));
        before = d.Output();
    }
}

// ---- The format's corners, from hand-built streams ----------------------------------

TEST(Decruncher, OneSymbolCodesDecodeTheirSymbolWithoutBits) {
    // Block 1: one literal 'A'. Block 2: 100 matches of 256 at distance 1, whose copies
    // straddle the 8 KiB chunk boundaries three times.
    BitStream bs;
    PutOneSymbolBlock(bs, 1, 'A');
    PutOneSymbolBlock(bs, 100, 509, 0);
    const Bytes expected(1 + 100 * 256, 'A');
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), uint32_t(expected.size())), expected));
}

TEST(Decruncher, BlockCountZeroMeans65536Symbols) {
    BitStream bs;
    PutOneSymbolBlock(bs, 0, 'B');
    PutOneSymbolBlock(bs, 1, 'C');
    Bytes expected(65536, 'B');
    expected.push_back('C');
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), uint32_t(expected.size())), expected));
}

TEST(Decruncher, FixedCodeBlockDecodesLiteralsAndMatches) {
    std::vector<Token> t = {Lit('h'), Lit('e'), Lit('l'), Lit('l'), Lit('o'), Lit(' '),
                            Match(6, 6), Match(3, 1), Lit(0), Lit(255), Match(256, 13)};
    BitStream bs;
    PutFixedBlock(bs, t);
    const Bytes expected = Expand(t);
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), uint32_t(expected.size())), expected));
}

TEST(Decruncher, MatchAcrossTheChunkBoundaryCopiesBytesOfThePreviousChunk) {
    // 8190 literals, then a 100-byte match from the very start (distance 8190): it starts
    // in chunk 0 and ends in chunk 1, reading bytes the window still holds from chunk 0.
    sample::Rng rng(13);
    std::vector<Token> t;
    for (int i = 0; i < 8190; ++i) t.push_back(Lit(uint8_t(rng.Next())));
    t.push_back(Match(100, 8190));
    t.push_back(Lit('z'));
    // Distance 8192, the largest: the source is the window slot being overwritten.
    t.push_back(Match(256, 8192));
    t.push_back(Match(200, 8191));
    BitStream bs;
    PutFixedBlock(bs, t);
    const Bytes expected = Expand(t);
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), uint32_t(expected.size())), expected));
}

TEST(Decruncher, PendingCopyCarriesOverSeveralBlocksAndChunks) {
    // Matches of 256 in blocks of a few symbols, across every chunk boundary of 64 KiB.
    sample::Rng rng(14);
    std::vector<Token> all;
    BitStream bs;
    size_t produced = 0;
    while (produced < 65536) {
        std::vector<Token> block;
        for (int i = 0; i < 7; ++i) {
            if (produced < 16 || rng.Below(3) == 0) { block.push_back(Lit(uint8_t(rng.Next()))); ++produced; }
            else {
                unsigned len = 3 + rng.Below(254);
                unsigned dist = 1 + rng.Below(unsigned(std::min<size_t>(produced, 8192)));
                block.push_back(Match(len, dist));
                produced += len;
            }
        }
        PutFixedBlock(bs, block);
        all.insert(all.end(), block.begin(), block.end());
    }
    const Bytes expected = Expand(all);
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), uint32_t(expected.size())), expected));
    // The output may end inside a match: the rest of the copy is dropped.
    const Bytes shorter(expected.begin(), expected.end() - 100);
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), uint32_t(shorter.size())), shorter));
}

TEST(Decruncher, CodesLongerThanTheLookupAreFoundThroughTheTree) {
    // Literals 0..16 with code lengths 1, 2, ..., 15, 16, 16: the codes of 13..16 bits
    // lie below the 12-bit lookup. The code-length code gives length symbols 3..18
    // (lengths 1..16) four bits each.
    std::vector<int> cLen(17);
    for (int s = 0; s < 16; ++s) cLen[s] = s + 1;
    cLen[16] = 16;
    const auto cCode = Canonical(cLen);
    std::vector<int> tLen(19, 4);
    tLen[0] = tLen[1] = tLen[2] = 0;
    const auto tCode = Canonical(tLen);

    BitStream bs;
    const std::vector<int> order = {16, 0, 15, 1, 14, 13, 12, 11, 2, 3, 4, 5, 6, 7, 8, 9, 10, 16, 15};
    bs.Put(16, uint32_t(order.size()));
    bs.Put(5, 19);
    for (int i = 0; i < 3; ++i) bs.Put(3, 0);
    bs.Put(2, 0);  // no zero lengths follow
    for (int i = 3; i < 19; ++i) bs.Put(3, 4);
    bs.Put(9, 17);
    for (int s = 0; s < 17; ++s) bs.Put(4, tCode[cLen[s] + 2]);
    bs.Put(4, 0);
    bs.Put(4, 0);
    Bytes expected;
    for (int s : order) {
        bs.Put(unsigned(cLen[s]), cCode[s]);
        expected.push_back(uint8_t(s));
    }
    CYmDecruncher d;
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), uint32_t(expected.size())), expected));
}

TEST(Decruncher, EmptySongSucceedsWithAnEmptyOutput) {
    CYmDecruncher d;
    const Bytes archive = Archive({}, 0);
    ASSERT_TRUE(d.Decrunch(archive.data(), archive.size()));
    EXPECT_EQ(d.OutputSize(), 0u);
    EXPECT_NE(d.Output(), nullptr);
    d.Release();
    EXPECT_EQ(d.Output(), nullptr);
    EXPECT_EQ(d.OutputSize(), 0u);
}

TEST(Decruncher, NewDecruncherHasNoOutput) {
    CYmDecruncher d;
    EXPECT_EQ(d.Output(), nullptr);
    EXPECT_EQ(d.OutputSize(), 0u);
}

TEST(Decruncher, EachDecrunchReplacesTheOutput) {
    CYmDecruncher d;
    const Bytes a = sample::Text(10000, 15), b = sample::SongLike(30000, 16);
    EXPECT_TRUE(Unpacks(d, lh5::PackArchive(a, "a"), a));
    EXPECT_TRUE(Unpacks(d, lh5::PackArchive(b, "b"), b));
    EXPECT_TRUE(Unpacks(d, lh5::PackArchive(a, "a"), a));
}

// ---- Bad code tables -------------------------------------------------------------------

// Decodes a valid archive, then `stream` (a block header and a few bytes of symbols):
// it must be refused and leave no output.
void ExpectRefusedAndReleased(const BitStream& stream, uint32_t unpacked = 16) {
    CYmDecruncher d;
    const Bytes valid = ValidArchive();
    ASSERT_TRUE(d.Decrunch(valid.data(), valid.size()));
    Bytes bits = stream.bytes();
    bits.resize(bits.size() + 64, 0x5A);  // symbols enough for the output, were it decoded
    const Bytes archive = Archive(bits, unpacked);
    EXPECT_FALSE(d.Decrunch(archive.data(), archive.size()));
    EXPECT_EQ(d.Output(), nullptr);
    EXPECT_EQ(d.OutputSize(), 0u);
}

// Block header whose code-length code is "every length symbol is t" (count 0), then the
// literal/length count k; the lengths cost no bits.
BitStream EveryLengthIs(unsigned t, unsigned k) {
    BitStream bs;
    bs.Put(16, 16);
    bs.Put(5, 0);
    bs.Put(5, t);
    bs.Put(9, k);
    return bs;
}

TEST(BadTable, CompleteTwoSymbolCodeIsAccepted) {
    // The control for the tests below: two literals of length 1.
    BitStream bs = EveryLengthIs(3, 2);
    bs.Put(4, 0);
    bs.Put(4, 0);
    bs.Put(8, 0b01101001);
    CYmDecruncher d;
    const Bytes expected = {0, 1, 1, 0, 1, 0, 0, 1};
    EXPECT_TRUE(Unpacks(d, Archive(bs.bytes(), 8), expected));
}

TEST(BadTable, OverfullLiteralCodeIsRefusedEvenWhenItWrapsSixteenBits) {
    // Four codes of length 1 fill the code space twice: 4 x 2^15 = 2^17, which a 16-bit
    // sum sees as 0.
    BitStream bs = EveryLengthIs(3, 4);
    bs.Put(4, 0);
    bs.Put(4, 0);
    ExpectRefusedAndReleased(bs);
    BitStream three = EveryLengthIs(3, 3);
    three.Put(4, 0);
    three.Put(4, 0);
    ExpectRefusedAndReleased(three);
}

TEST(BadTable, UnderfullLiteralCodeIsRefused) {
    BitStream one = EveryLengthIs(3, 1);  // one code of length 1
    one.Put(4, 0);
    one.Put(4, 0);
    ExpectRefusedAndReleased(one);
    BitStream three = EveryLengthIs(4, 3);  // three codes of length 2
    three.Put(4, 0);
    three.Put(4, 0);
    ExpectRefusedAndReleased(three);
}

TEST(BadTable, LiteralCodeWithoutAnySymbolIsRefused) {
    // Five zero lengths: a 16-bit sum is 0 and would pass this.
    BitStream bs = EveryLengthIs(0, 5);
    bs.Put(4, 0);
    bs.Put(4, 0);
    ExpectRefusedAndReleased(bs);
}

TEST(BadTable, OverfullAndUnderfullCodeLengthCodesAreRefused) {
    for (unsigned n : {3u, 1u}) {  // three or one codes of length 1
        BitStream bs;
        bs.Put(16, 16);
        bs.Put(5, n);
        for (unsigned i = 0; i < n; ++i) bs.Put(3, 1);
        if (n == 3) bs.Put(2, 0);
        ExpectRefusedAndReleased(bs);
    }
}

TEST(BadTable, OverfullAndUnderfullPositionCodesAreRefused) {
    for (unsigned n : {3u, 1u}) {
        BitStream bs = EveryLengthIs(3, 2);
        bs.Put(4, n);
        for (unsigned i = 0; i < n; ++i) bs.Put(3, 1);
        ExpectRefusedAndReleased(bs);
    }
}

TEST(BadTable, CodeLengthsAbove16AreRefused) {
    // In the code-length code a length of 7 or more is "111" and one more 1 bit for each
    // length above 7, ending in a 0: 17 = 111 1111111111 0; 20 is the most it can say.
    for (unsigned len : {17u, 18u, 20u}) {
        BitStream bs;
        bs.Put(16, 16);
        bs.Put(5, 2);
        bs.Put(3, 7);
        for (unsigned i = 7; i < len; ++i) bs.Put(1, 1);
        if (len < 20) bs.Put(1, 0);
        bs.Put(3, 1);
        ExpectRefusedAndReleased(bs);
    }
    // The position code uses the same length coding.
    BitStream p = EveryLengthIs(3, 2);
    p.Put(4, 2);
    p.Put(3, 7);
    for (int i = 7; i < 17; ++i) p.Put(1, 1);
    p.Put(1, 0);
    p.Put(3, 1);
    ExpectRefusedAndReleased(p);
}

TEST(BadTable, SymbolCountsAboveTheCodeSizeAreRefused) {
    BitStream t;  // code-length code: 20 > 19 lengths
    t.Put(16, 16);
    t.Put(5, 20);
    for (int i = 0; i < 22; ++i) t.Put(3, 5);
    ExpectRefusedAndReleased(t);
    BitStream c = EveryLengthIs(11, 511);  // literal/length code: 511 > 510
    ExpectRefusedAndReleased(c);
    BitStream p = EveryLengthIs(3, 2);  // position code: 15 > 14
    p.Put(4, 15);
    for (int i = 0; i < 15; ++i) p.Put(3, 4);
    ExpectRefusedAndReleased(p);
}

TEST(BadTable, OneSymbolCodesNamingNoSymbolAreRefused) {
    BitStream t;
    t.Put(16, 16);
    t.Put(5, 0);
    t.Put(5, 19);  // code-length symbols are 0..18
    ExpectRefusedAndReleased(t);
    BitStream c;
    c.Put(16, 16);
    c.Put(5, 0);
    c.Put(5, 0);
    c.Put(9, 0);
    c.Put(9, 510);  // literal/length symbols are 0..509
    ExpectRefusedAndReleased(c);
    BitStream p = EveryLengthIs(3, 2);
    p.Put(4, 0);
    p.Put(4, 14);  // position symbols are 0..13
    ExpectRefusedAndReleased(p);
}

TEST(BadTable, ZeroRunPastTheLiteralLengthsIsRefused) {
    // Every length symbol is "20 + 9 bits zeros": 20 + 511 = 531 zeros > 510 lengths.
    BitStream bs = EveryLengthIs(2, 510);
    bs.Put(9, 511);
    ExpectRefusedAndReleased(bs);
}

// ---- Method id, sizes, headers, truncation ---------------------------------------------

TEST(Decruncher, WrongMethodIdLeavesTheEarlierOutputUntouched) {
    CYmDecruncher d;
    const Bytes data = sample::Text(20000, 17);
    ASSERT_TRUE(Unpacks(d, lh5::PackArchive(data, "song"), data));
    const uint8_t* before = d.Output();

    BitStream bs;
    PutOneSymbolBlock(bs, 10, 'A');
    const char* junk = "this is no archive at all";
    const std::vector<Bytes> refused = {
        Archive(bs.bytes(), 10, "-lh0-"), Archive(bs.bytes(), 10, "-lh6-"),
        Archive(bs.bytes(), 10, "-lh5 "), Archive(bs.bytes(), 10, "-LH5-"),
        Bytes(junk, junk + std::strlen(junk)), Bytes{0x16, 0, '-', 'l', 'h', '5'},
        Bytes{}};
    for (const Bytes& a : refused) {
        EXPECT_FALSE(d.Decrunch(a.data(), a.size()));
        EXPECT_EQ(d.Output(), before);
        ASSERT_EQ(d.OutputSize(), data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), d.Output()));
    }
    EXPECT_FALSE(d.Decrunch(nullptr, 100));
    EXPECT_EQ(d.Output(), before);
}

TEST(Decruncher, UnpackedSizeAbove64MiBIsRefused) {
    // 64 MiB exactly, from the least data that can say so: four one-symbol blocks of
    // 65536 matches of 256 (26 bytes).
    BitStream bs;
    for (int i = 0; i < 4; ++i) PutOneSymbolBlock(bs, 0, 509, 0);
    ASSERT_EQ(bs.bytes().size(), 26u);
    CYmDecruncher d;
    Bytes archive = Archive(bs.bytes(), CYmDecruncher::kMaxUnpackedSize);
    ASSERT_TRUE(d.Decrunch(archive.data(), archive.size()));
    EXPECT_EQ(d.OutputSize(), size_t(64) << 20);
    EXPECT_EQ(d.Output()[(size_t(64) << 20) - 1], 0);  // copies of the cleared window

    for (uint32_t size : {CYmDecruncher::kMaxUnpackedSize + 1, 0x80000000u, 0xFFFFFFFFu}) {
        Bytes big = bs.bytes();
        big.resize(100000, 0);
        archive = Archive(big, size);
        EXPECT_FALSE(d.Decrunch(archive.data(), archive.size())) << size;
        EXPECT_EQ(d.Output(), nullptr);
    }
}

TEST(Decruncher, UnpackedSizeIsBoundedByTheLimitAloneNotByTheData) {
    // One block header (52 bits, 7 bytes) of 65536 literals 'A'; past it the missing
    // bytes read as zero bits, which decode as a block of 65536 literal zeros.
    BitStream bs;
    PutOneSymbolBlock(bs, 0, 'A', 0);
    ASSERT_EQ(bs.bytes().size(), 7u);
    CYmDecruncher d;
    Bytes archive = Archive(bs.bytes(), (1u << 16) + 2);
    ASSERT_TRUE(d.Decrunch(archive.data(), archive.size()));
    ASSERT_EQ(d.OutputSize(), (1u << 16) + 2);
    EXPECT_EQ(d.Output()[0], 'A');
    EXPECT_EQ(d.Output()[(1u << 16) - 1], 'A');
    EXPECT_EQ(d.Output()[1u << 16], 0);
    EXPECT_EQ(d.Output()[(1u << 16) + 1], 0);
    // No data at all: the whole song is zeros.
    archive = Archive({}, 1000);
    ASSERT_TRUE(d.Decrunch(archive.data(), archive.size()));
    ASSERT_EQ(d.OutputSize(), 1000u);
    EXPECT_TRUE(std::all_of(d.Output(), d.Output() + 1000, [](uint8_t b) { return b == 0; }));
    // A packed size beyond the buffer counts only the bytes that are there.
    archive = Archive(bs.bytes(), (1u << 16) + 2, "-lh5-", 1 << 20);
    ASSERT_TRUE(d.Decrunch(archive.data(), archive.size()));
    EXPECT_EQ(d.Output()[1u << 16], 0);
}

TEST(Decruncher, DataCutAnywhereDecodesAsIfTheMissingBytesWereZero) {
    const Bytes data = sample::Mixed(12000, 18);
    const Bytes archive = lh5::PackArchive(data, "cut");
    const size_t end = archive.size() - 1;  // the last byte is the end-of-archive mark
    const size_t dataStart = end - lh5::Compress(data.data(), data.size()).size();
    CYmDecruncher d;
    ASSERT_TRUE(Unpacks(d, Bytes(archive.begin(), archive.begin() + end), data));
    // Cut inside the method id: refused as not -lh5-, the earlier output stays.
    const uint8_t* before = d.Output();
    for (size_t cut = 0; cut < 7; ++cut) {
        ASSERT_FALSE(d.Decrunch(archive.data(), cut)) << "cut at " << cut;
        ASSERT_EQ(d.Output(), before);
    }
    // Cut in the header: refused, no output.
    for (size_t cut = 7; cut < dataStart; ++cut) {
        ASSERT_FALSE(d.Decrunch(archive.data(), cut)) << "cut at " << cut;
        ASSERT_EQ(d.Output(), nullptr);
    }
    // Cut anywhere in the compressed data: exactly what the whole archive gives with
    // the missing bytes zeroed, in full length.
    CYmDecruncher zeroed;
    int whole = 0;
    for (size_t cut = dataStart; cut < end; ++cut) {
        Bytes z = archive;
        std::fill(z.begin() + long(cut), z.begin() + long(end), uint8_t(0));
        const bool ok = zeroed.Decrunch(z.data(), z.size());
        ASSERT_EQ(d.Decrunch(archive.data(), cut), ok) << "cut at " << cut;
        if (!ok) continue;  // the zeros completed a code table badly
        ++whole;
        ASSERT_EQ(d.OutputSize(), data.size());
        ASSERT_TRUE(std::equal(d.Output(), d.Output() + data.size(), zeroed.Output()))
            << "cut at " << cut;
    }
    EXPECT_GT(whole, int(end - dataStart) * 9 / 10);
    // One byte missing loses only the last few bytes of the song.
    ASSERT_TRUE(d.Decrunch(archive.data(), end - 1));
    EXPECT_TRUE(std::equal(data.begin(), data.end() - 8, d.Output()));
}

TEST(Decruncher, PackedSizeShorterThanTheDataReadsZeroBitsPastIt) {
    // The header claims fewer bytes than the stream has: the bytes past the packed size
    // are not read; zero bits take their place.
    const Bytes data = sample::Text(5000, 19);
    Bytes archive = lh5::PackArchive(data, "p");
    const size_t packed = Le32(archive.data() + 7);
    const size_t end = archive.size() - 1;
    for (size_t less : {size_t(1), size_t(2), packed / 2, packed}) {
        Bytes shorter = archive, zeroed = archive;
        const uint32_t v = uint32_t(packed - less);
        for (int k = 0; k < 4; ++k) shorter[7 + k] = uint8_t(v >> (8 * k));
        std::fill(zeroed.begin() + long(end - less), zeroed.begin() + long(end), uint8_t(0));
        CYmDecruncher a, b;
        const bool ok = b.Decrunch(zeroed.data(), zeroed.size());
        ASSERT_EQ(a.Decrunch(shorter.data(), shorter.size()), ok) << "packed size short by " << less;
        if (!ok) continue;
        ASSERT_EQ(a.OutputSize(), data.size());
        EXPECT_TRUE(std::equal(a.Output(), a.Output() + data.size(), b.Output()))
            << "packed size short by " << less;
        if (less == packed) {   // no data: a block of literal zeros
            EXPECT_TRUE(std::all_of(a.Output(), a.Output() + data.size(),
                                    [](uint8_t x) { return x == 0; }));
        }
    }
}

// ---- A reference decoder written the plain way ----------------------------------------

// The -lh5- decoder written the plain way: a 16-bit bit buffer filled a byte at
// a time, make_table with its start/weight arrays, the chunk loop with the pending copy.
// It carries the same mends as CYmDecruncher (32-bit code-space check, lengths <= 16,
// counts and one-symbol values within the code, zero runs within the lengths) and reads
// zero bits past the end of the data, so that the two must agree on every input; it is
// slow and only as safe as those mends make it, which is enough for a test.
class ReferenceDecoder {
public:
    bool Run(const uint8_t* data, size_t avail, size_t unpacked, Bytes& out) {
        in_ = data;
        avail_ = avail;
        FillBuf(16);
        out.clear();
        for (size_t rem = unpacked; rem > 0;) {
            const unsigned n = unsigned(std::min<size_t>(rem, 8192));
            Decode(n);
            if (err_) return false;
            out.insert(out.end(), win_, win_ + n);
            rem -= n;
        }
        return true;
    }

private:
    void FillBuf(int n) {
        bitbuf_ = uint16_t(bitbuf_ << n);
        while (n > bitcount_) {
            n -= bitcount_;
            bitbuf_ = uint16_t(bitbuf_ | subbitbuf_ << n);
            subbitbuf_ = pos_ < avail_ ? in_[pos_++] : 0;
            bitcount_ = 8;
        }
        bitcount_ -= n;
        bitbuf_ = uint16_t(bitbuf_ | subbitbuf_ >> bitcount_);
    }
    unsigned GetBits(int n) { unsigned x = bitbuf_ >> (16 - n); FillBuf(n); return x; }

    void MakeTable(int nchar, const uint8_t* bitlen, int tablebits, uint16_t* table) {
        uint32_t count[17] = {0}, weight[17], start[18];
        for (int i = 0; i < nchar; i++) {
            if (bitlen[i] > 16) { err_ = true; return; }
            count[bitlen[i]]++;
        }
        start[1] = 0;
        for (int i = 1; i <= 16; i++) start[i + 1] = start[i] + (count[i] << (16 - i));
        if (start[17] != 65536) { err_ = true; return; }
        const int jutbits = 16 - tablebits;
        for (int i = 1; i <= tablebits; i++) { start[i] >>= jutbits; weight[i] = 1u << (tablebits - i); }
        for (int i = tablebits + 1; i <= 16; i++) weight[i] = 1u << (16 - i);
        unsigned i = start[tablebits + 1] >> jutbits;
        while (i != (1u << tablebits)) table[i++] = 0;
        int avail = nchar;
        const unsigned mask = 1u << (15 - tablebits);
        for (int ch = 0; ch < nchar; ch++) {
            const int len = bitlen[ch];
            if (len == 0) continue;
            unsigned k = start[len];
            const unsigned nextcode = k + weight[len];
            if (len <= tablebits) {
                for (unsigned j = k; j < nextcode; j++) table[j] = uint16_t(ch);
            } else {
                uint16_t* p = &table[k >> jutbits];
                for (int n = len - tablebits; n > 0; --n) {
                    if (*p == 0) { right_[avail] = left_[avail] = 0; *p = uint16_t(avail++); }
                    p = (k & mask) ? &right_[*p] : &left_[*p];
                    k <<= 1;
                }
                *p = uint16_t(ch);
            }
            start[len] = nextcode;
        }
    }
    void ReadPtLen(int nn, int nbit, int special) {
        const int n = int(GetBits(nbit));
        if (n == 0) {
            const unsigned c = GetBits(nbit);
            if (int(c) >= nn) { err_ = true; return; }
            std::fill(ptLen_, ptLen_ + nn, uint8_t(0));
            std::fill(ptTable_, ptTable_ + 256, uint16_t(c));
            return;
        }
        if (n > nn) { err_ = true; return; }
        int i = 0;
        while (i < n) {
            unsigned c = bitbuf_ >> 13;
            if (c == 7)
                for (unsigned mask = 1u << 12; mask & bitbuf_; mask >>= 1) c++;
            if (c > 16) { err_ = true; return; }
            FillBuf(c < 7 ? 3 : int(c) - 3);
            ptLen_[i++] = uint8_t(c);
            if (i == special)
                for (int m = int(GetBits(2)); m > 0; --m) ptLen_[i++] = 0;
        }
        while (i < nn) ptLen_[i++] = 0;
        MakeTable(nn, ptLen_, 8, ptTable_);
    }
    void ReadCLen() {
        const int n = int(GetBits(9));
        if (n == 0) {
            const unsigned c = GetBits(9);
            if (c >= 510) { err_ = true; return; }
            std::fill(cLen_, cLen_ + 510, uint8_t(0));
            std::fill(cTable_, cTable_ + 4096, uint16_t(c));
            return;
        }
        if (n > 510) { err_ = true; return; }
        int i = 0;
        while (i < n) {
            unsigned c = ptTable_[bitbuf_ >> 8];
            for (unsigned mask = 1u << 7; c >= 19; mask >>= 1) c = (bitbuf_ & mask) ? right_[c] : left_[c];
            FillBuf(ptLen_[c]);
            if (c <= 2) {
                int run = c == 0 ? 1 : c == 1 ? int(GetBits(4)) + 3 : int(GetBits(9)) + 20;
                if (i + run > 510) { err_ = true; return; }
                while (run-- > 0) cLen_[i++] = 0;
            } else {
                cLen_[i++] = uint8_t(c - 2);
            }
        }
        while (i < 510) cLen_[i++] = 0;
        MakeTable(510, cLen_, 12, cTable_);
    }
    unsigned DecodeC() {
        if (blocksize_ == 0) {
            blocksize_ = uint16_t(GetBits(16));
            ReadPtLen(19, 5, 3);
            if (err_) return 0;
            ReadCLen();
            if (err_) return 0;
            ReadPtLen(14, 4, -1);
            if (err_) return 0;
        }
        blocksize_--;
        unsigned j = cTable_[bitbuf_ >> 4];
        for (unsigned mask = 1u << 3; j >= 510; mask >>= 1) j = (bitbuf_ & mask) ? right_[j] : left_[j];
        FillBuf(cLen_[j]);
        return j;
    }
    unsigned DecodeP() {
        unsigned j = ptTable_[bitbuf_ >> 8];
        for (unsigned mask = 1u << 7; j >= 14; mask >>= 1) j = (bitbuf_ & mask) ? right_[j] : left_[j];
        FillBuf(ptLen_[j]);
        if (j != 0) j = (1u << (j - 1)) + GetBits(int(j) - 1);
        return j;
    }
    void Decode(unsigned n) {
        unsigned r = 0;
        while (--plen_ >= 0) {
            win_[r] = win_[src_];
            src_ = (src_ + 1) & 8191;
            if (++r == n) return;
        }
        for (;;) {
            const unsigned c = DecodeC();
            if (err_) return;
            if (c <= 255) {
                win_[r] = uint8_t(c);
                if (++r == n) return;
            } else {
                plen_ = int(c) - 253;
                src_ = (r - DecodeP() - 1) & 8191;
                while (--plen_ >= 0) {
                    win_[r] = win_[src_];
                    src_ = (src_ + 1) & 8191;
                    if (++r == n) return;
                }
            }
        }
    }

    const uint8_t* in_ = nullptr;
    size_t avail_ = 0, pos_ = 0;
    uint16_t bitbuf_ = 0, subbitbuf_ = 0;
    int bitcount_ = 0;
    bool err_ = false;
    uint16_t blocksize_ = 0;
    int plen_ = 0;
    unsigned src_ = 0;
    uint8_t cLen_[510] = {}, ptLen_[19] = {}, win_[8192] = {};
    uint16_t cTable_[4096] = {}, ptTable_[256] = {}, left_[1019] = {}, right_[1019] = {};
};

TEST(Decruncher, DecodesMutatedStreamsExactlyAsTheReferenceDecoder) {
    // The fast decoder (64-bit bit reader, one refill per symbol, block copies) and the
    // reference decoder agree on success and on every output byte, also for corrupt
    // streams that happen to form valid tables.
    const std::vector<Bytes> datas = {sample::Text(5000, 51), sample::SongLike(20000, 52),
                                      sample::Repetitive(30000), sample::Binary(4000, 53),
                                      sample::Random(3000, 54), sample::Mixed(40000, 55)};
    std::vector<Bytes> streams;
    for (const Bytes& d : datas) streams.push_back(lh5::Compress(d.data(), d.size()));
    sample::Rng rng(4711);
    CYmDecruncher d;
    int agreedOk = 0, agreedFail = 0;
    for (int iter = 0; iter < 2500; ++iter) {
        const size_t b = rng.Below(uint32_t(streams.size()));
        Bytes s = streams[b];
        uint32_t unpacked = uint32_t(datas[b].size());
        const int kind = int(rng.Below(4));
        for (int e = 1 + int(rng.Below(6)); e > 0; --e) {
            if (kind == 0) s[rng.Below(uint32_t(s.size()))] ^= uint8_t(1u << rng.Below(8));
            else if (kind == 1) s[rng.Below(uint32_t(s.size()))] = uint8_t(rng.Next());
            else if (kind == 2) unpacked = rng.Below(100000);
            else { s = sample::Random(1 + rng.Below(2000), rng.Next()); unpacked = rng.Below(50000); }
        }
        const Bytes archive = Archive(s, unpacked);
        const bool fast = d.Decrunch(archive.data(), archive.size());
        auto reference = std::make_unique<ReferenceDecoder>();
        Bytes out;
        const bool slow = reference->Run(s.data(), s.size(), unpacked, out);
        ASSERT_EQ(fast, slow) << "iteration " << iter;
        if (fast) {
            ASSERT_EQ(d.OutputSize(), out.size());
            ASSERT_TRUE(std::equal(out.begin(), out.end(), d.Output())) << "iteration " << iter;
            ++agreedOk;
        } else {
            ++agreedFail;
        }
    }
    EXPECT_GT(agreedOk, 100);
    EXPECT_GT(agreedFail, 100);
}

// ---- Mutated archives -------------------------------------------------------------------

TEST(Decruncher, MutatedAndGarbageArchivesNeverCrash) {
    std::vector<Bytes> bases = {
        lh5::PackArchive(sample::Text(3000, 21), "a"),
        lh5::PackArchive(sample::SongLike(6000, 22), "b"),
        lh5::PackArchive(sample::Repetitive(20000), "c"),
        lh5::PackArchive(sample::Binary(2000, 23), "d"),
        lh5::PackArchive(sample::Random(700, 24), "e"),
    };
    {
        BitStream bs;
        std::vector<Token> t = {Lit('x'), Match(256, 1), Lit('y'), Match(40, 50)};
        PutFixedBlock(bs, t);
        bases.push_back(Archive(bs.bytes(), uint32_t(Expand(t).size())));
    }
    sample::Rng rng(2024);
    CYmDecruncher d;
    int accepted = 0, refused = 0;
    for (int iter = 0; iter < 6000; ++iter) {
        Bytes a = bases[rng.Below(uint32_t(bases.size()))];
        const size_t dataStart = size_t(a[0]) + 2;
        const int kind = int(rng.Below(6));
        const int edits = 1 + int(rng.Below(8));
        for (int e = 0; e < edits && !a.empty(); ++e) {
            switch (kind) {
                case 0:  // flip bits in the compressed data
                    a[dataStart + rng.Below(uint32_t(a.size() - dataStart))] ^= uint8_t(1u << rng.Below(8));
                    break;
                case 1:  // random bytes anywhere after the method id
                    a[7 + rng.Below(uint32_t(a.size() - 7))] = uint8_t(rng.Next());
                    break;
                case 2:  // truncate
                    a.resize(rng.Below(uint32_t(a.size() + 1)));
                    break;
                case 3:  // header sizes
                    a[7 + rng.Below(8)] = uint8_t(rng.Next());
                    break;
                case 4:  // header size and level bytes
                    a[rng.Below(2) ? 0 : 20] = uint8_t(rng.Below(4) == 0 ? rng.Next() : rng.Below(3));
                    break;
                default: {  // garbage after a plausible header
                    a.resize(dataStart);
                    const Bytes g = sample::Random(rng.Below(3000), rng.Next());
                    a.insert(a.end(), g.begin(), g.end());
                    const uint32_t un = rng.Below(200000);
                    for (int k = 0; k < 4; ++k) a[11 + k] = uint8_t(un >> (8 * k));
                    break;
                }
            }
        }
        // Data that ends early decodes in full up to the limit; sizes within it are kept
        // under 1 MiB so that thousands of garbage songs stay quick to decode.
        if (a.size() >= 15 && Le32(a.data() + 11) > (1u << 20) &&
            Le32(a.data() + 11) <= CYmDecruncher::kMaxUnpackedSize) {
            a[13] &= 0x0F;
            a[14] = 0;
        }
        const bool ok = d.Decrunch(a.data(), a.size());
        if (ok) {
            ++accepted;
            ASSERT_GE(a.size(), 15u);
            ASSERT_EQ(d.OutputSize(), Le32(a.data() + 11)) << "iteration " << iter;
            ASSERT_NE(d.Output(), nullptr);
        } else if (Method(a) == "-lh5-") {
            ++refused;
            ASSERT_EQ(d.Output(), nullptr) << "iteration " << iter;
            ASSERT_EQ(d.OutputSize(), 0u);
        }
    }
    // Both outcomes occur (a mutation of a match distance, say, still decodes).
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

TEST(Decruncher, SeparateDecrunchersWorkOnThreadsAtOnce) {
    const Bytes a = sample::SongLike(300000, 25), b = sample::Text(300000, 26);
    const Bytes pa = lh5::PackArchive(a, "a"), pb = lh5::PackArchive(b, "b");
    bool okA = true, okB = true;
    std::thread ta([&] {
        CYmDecruncher d;
        for (int i = 0; i < 5; ++i) okA = okA && Unpacks(d, pa, a);
    });
    std::thread tb([&] {
        CYmDecruncher d;
        for (int i = 0; i < 5; ++i) okB = okB && Unpacks(d, pb, b);
    });
    ta.join();
    tb.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
}

}  // namespace
