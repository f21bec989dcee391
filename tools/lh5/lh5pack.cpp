// lh5pack: the -lh5- compressor and the one-member LHA archive writer (see lh5pack.h).

#include "tools/lh5/lh5pack.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace lh5 {
namespace {

constexpr unsigned kDicBits = 13;
constexpr unsigned kWindow = 1u << kDicBits;   // 8192
constexpr unsigned kMaxDistance = kWindow - 1;  // 8191: safe for every -lh5- decoder
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 256;
constexpr unsigned kNC = 256 + kMaxMatch - kMinMatch + 1;  // 510 literal/length symbols
constexpr unsigned kNP = kDicBits + 1;                      // 14 position symbols
constexpr unsigned kNT = 19;                                // code-length symbols
constexpr unsigned kTBits = 5, kCBits = 9, kPBits = 4;
constexpr unsigned kMaxCodeLen = 16;
// Symbols per Huffman block. A block's symbol count is sent in 16 bits; smaller blocks
// follow changes in the data sooner, larger ones send fewer tables.
constexpr size_t kBlockSymbols = 16384;

constexpr unsigned kHashBits = 15;
constexpr unsigned kMaxChain = 256;   // candidates looked at per position
constexpr unsigned kNiceMatch = 128;  // a match this long is taken without lazy look-ahead

// ---- Bits -----------------------------------------------------------------------

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
    // Appends the low n (0..32) bits of v, most significant first.
    void Put(unsigned n, uint32_t v) {
        if (n == 0) return;
        acc_ = (acc_ << n) | (uint64_t(v) & ((uint64_t(1) << n) - 1));
        bits_ += n;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(uint8_t(acc_ >> bits_));
        }
    }
    void Flush() {
        if (bits_) out_.push_back(uint8_t(acc_ << (8 - bits_)));
        bits_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    unsigned bits_ = 0;
};

// ---- Huffman code lengths -------------------------------------------------------

// Code lengths (at most maxLen) for freq[0..n); symbols with frequency 0 get length 0.
// Returns the number of symbols used. With fewer than two symbols used all lengths are 0
// (the caller sends such a code as "one symbol, zero bits").
unsigned BuildLengths(const uint32_t* freq, unsigned n, unsigned maxLen, uint8_t* len) {
    std::fill(len, len + n, uint8_t(0));
    std::vector<unsigned> syms;
    for (unsigned i = 0; i < n; ++i)
        if (freq[i]) syms.push_back(i);
    const unsigned used = unsigned(syms.size());
    if (used < 2) return used;

    // Huffman tree by the two-queue method over the leaves sorted by frequency.
    std::stable_sort(syms.begin(), syms.end(),
                     [&](unsigned a, unsigned b) { return freq[a] < freq[b]; });
    std::vector<uint64_t> weight(2 * used - 1);
    std::vector<unsigned> parent(2 * used - 1, 0);
    for (unsigned i = 0; i < used; ++i) weight[i] = freq[syms[i]];
    unsigned leaf = 0, inner = used, next = used;
    auto take = [&]() {
        if (leaf < used && (inner >= next || weight[leaf] <= weight[inner])) return leaf++;
        return inner++;
    };
    while (next < 2 * used - 1) {
        unsigned a = take(), b = take();
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = next;
        ++next;
    }
    // Depths: the root is the last node; parents come after their children.
    std::vector<unsigned> depth(2 * used - 1, 0);
    unsigned count[64] = {0};
    for (int i = int(2 * used - 3); i >= 0; --i) depth[i] = depth[parent[i]] + 1;
    for (unsigned i = 0; i < used; ++i) ++count[std::min(depth[i], maxLen)];

    // Clamping to maxLen overfills the code space; repair it as LHA does: drop a leaf at
    // maxLen and split a shorter leaf into two, until the Kraft sum is exact.
    uint64_t kraft = 0;
    for (unsigned l = 1; l <= maxLen; ++l) kraft += uint64_t(count[l]) << (maxLen - l);
    while (kraft > (uint64_t(1) << maxLen)) {
        --count[maxLen];
        for (unsigned l = maxLen - 1; l > 0; --l) {
            if (count[l]) {
                --count[l];
                count[l + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // The most frequent symbols get the shortest lengths (syms is in ascending order).
    unsigned l = 1;
    for (int i = int(used) - 1; i >= 0; --i) {
        while (count[l] == 0) ++l;
        --count[l];
        len[syms[i]] = uint8_t(l);
    }
    return used;
}

// Canonical codes for the lengths, as the decoder's table builder assigns them: shorter
// codes first, within one length in symbol order.
void MakeCodes(const uint8_t* len, unsigned n, uint16_t* code) {
    unsigned count[kMaxCodeLen + 2] = {0};
    for (unsigned i = 0; i < n; ++i) ++count[len[i]];
    count[0] = 0;
    uint32_t next[kMaxCodeLen + 2];
    next[1] = 0;
    for (unsigned l = 1; l <= kMaxCodeLen; ++l) next[l + 1] = (next[l] + count[l]) << 1;
    for (unsigned i = 0; i < n; ++i) code[i] = len[i] ? uint16_t(next[len[i]]++) : 0;
}

// ---- The block coder ------------------------------------------------------------

struct Token {
    uint16_t c;  // literal 0..255, or 253 + match length
    uint16_t p;  // position value (distance - 1) of a match
};

inline unsigned PositionClass(unsigned p) {
    unsigned j = 0;
    while (p) { ++j; p >>= 1; }
    return j;  // 0..13
}

// Number of lengths sent for a code: up to the last non-zero one.
unsigned Trimmed(const uint8_t* len, unsigned n) {
    while (n > 0 && len[n - 1] == 0) --n;
    return n;
}

// Frequencies of the code-length code's symbols for the literal/length lengths:
// 0 = one zero, 1 = 3..18 zeros, 2 = 20..531 zeros, 3..18 = length 1..16.
void CountTFreq(const uint8_t* cLen, uint32_t* tFreq) {
    std::fill(tFreq, tFreq + kNT, 0u);
    const unsigned n = Trimmed(cLen, kNC);
    for (unsigned i = 0; i < n;) {
        const unsigned k = cLen[i++];
        if (k == 0) {
            unsigned run = 1;
            while (i < n && cLen[i] == 0) { ++i; ++run; }
            if (run <= 2) tFreq[0] += run;
            else if (run <= 18) ++tFreq[1];
            else if (run == 19) { ++tFreq[0]; ++tFreq[1]; }
            else ++tFreq[2];
        } else {
            ++tFreq[k + 2];
        }
    }
}

// The code-length code or the position code, in the reader's format.
void WritePtLen(BitWriter& w, const uint8_t* len, unsigned nn, unsigned nbit, int special) {
    const unsigned n = Trimmed(len, nn);
    w.Put(nbit, n);
    for (unsigned i = 0; i < n;) {
        const unsigned k = len[i++];
        if (k <= 6) w.Put(3, k);
        else w.Put(k - 3, (1u << (k - 3)) - 2);  // "111", then k - 7 ones and a zero
        if (int(i) == special) {
            unsigned m = 0;
            while (i < n && i < 6 && len[i] == 0) { ++i; ++m; }
            w.Put(2, m);
        }
    }
}

void WriteCLen(BitWriter& w, const uint8_t* cLen, const uint8_t* tLen, const uint16_t* tCode) {
    const unsigned n = Trimmed(cLen, kNC);
    w.Put(kCBits, n);
    for (unsigned i = 0; i < n;) {
        const unsigned k = cLen[i++];
        if (k == 0) {
            unsigned run = 1;
            while (i < n && cLen[i] == 0) { ++i; ++run; }
            if (run <= 2) {
                for (unsigned r = 0; r < run; ++r) w.Put(tLen[0], tCode[0]);
            } else if (run <= 18) {
                w.Put(tLen[1], tCode[1]);
                w.Put(4, run - 3);
            } else if (run == 19) {
                w.Put(tLen[0], tCode[0]);
                w.Put(tLen[1], tCode[1]);
                w.Put(4, 15);
            } else {
                w.Put(tLen[2], tCode[2]);
                w.Put(kCBits, run - 20);
            }
        } else {
            w.Put(tLen[k + 2], tCode[k + 2]);
        }
    }
}

unsigned OnlySymbol(const uint32_t* freq, unsigned n) {
    for (unsigned i = 0; i < n; ++i)
        if (freq[i]) return i;
    return 0;
}

void WriteBlock(BitWriter& w, const Token* tokens, size_t count) {
    uint32_t cFreq[kNC] = {0};
    uint32_t pFreq[kNP] = {0};
    for (size_t i = 0; i < count; ++i) {
        ++cFreq[tokens[i].c];
        if (tokens[i].c >= 256) ++pFreq[PositionClass(tokens[i].p)];
    }
    uint8_t cLen[kNC], pLen[kNP], tLen[kNT];
    uint16_t cCode[kNC], pCode[kNP], tCode[kNT];

    w.Put(16, uint32_t(count));
    if (BuildLengths(cFreq, kNC, kMaxCodeLen, cLen) >= 2) {
        uint32_t tFreq[kNT];
        CountTFreq(cLen, tFreq);
        if (BuildLengths(tFreq, kNT, kMaxCodeLen, tLen) >= 2) {
            WritePtLen(w, tLen, kNT, kTBits, 3);
        } else {
            w.Put(kTBits, 0);
            w.Put(kTBits, OnlySymbol(tFreq, kNT));
        }
        MakeCodes(tLen, kNT, tCode);
        WriteCLen(w, cLen, tLen, tCode);
    } else {
        // One literal/length symbol: it costs no bits. The code-length code is not used
        // but is read by the decoder all the same.
        w.Put(kTBits, 0);
        w.Put(kTBits, 0);
        w.Put(kCBits, 0);
        w.Put(kCBits, OnlySymbol(cFreq, kNC));
    }
    if (BuildLengths(pFreq, kNP, kMaxCodeLen, pLen) >= 2) {
        WritePtLen(w, pLen, kNP, kPBits, -1);
    } else {
        w.Put(kPBits, 0);
        w.Put(kPBits, OnlySymbol(pFreq, kNP));
    }
    MakeCodes(cLen, kNC, cCode);
    MakeCodes(pLen, kNP, pCode);

    for (size_t i = 0; i < count; ++i) {
        const unsigned c = tokens[i].c;
        w.Put(cLen[c], cCode[c]);
        if (c >= 256) {
            const unsigned p = tokens[i].p;
            const unsigned j = PositionClass(p);
            w.Put(pLen[j], pCode[j]);
            if (j > 1) w.Put(j - 1, p - (1u << (j - 1)));
        }
    }
}

// ---- LZSS -----------------------------------------------------------------------

class MatchFinder {
public:
    MatchFinder(const uint8_t* data, size_t size)
        : d_(data), n_(size), head_(size_t(1) << kHashBits, -1), prev_(kWindow, -1) {}

    // Longest match for position i among earlier positions (i itself not inserted yet).
    unsigned Find(size_t i, unsigned* distance) const {
        const size_t maxLen = std::min<size_t>(kMaxMatch, n_ - i);
        if (maxLen < kMinMatch) return 0;
        unsigned best = kMinMatch - 1;
        const uint8_t* cur = d_ + i;
        int64_t cand = head_[Hash(i)];
        for (unsigned chain = kMaxChain; cand >= 0 && chain; --chain) {
            const size_t dist = i - size_t(cand);
            if (dist > kMaxDistance) break;
            const uint8_t* m = d_ + cand;
            if (m[best] == cur[best] && m[0] == cur[0] && m[1] == cur[1]) {
                unsigned len = 2;
                while (len < maxLen && m[len] == cur[len]) ++len;
                if (len > best) {
                    best = len;
                    *distance = unsigned(dist);
                    if (len == maxLen) break;
                }
            }
            cand = prev_[size_t(cand) & (kWindow - 1)];
        }
        return best >= kMinMatch ? best : 0;
    }

    void Insert(size_t i) {
        if (i + kMinMatch > n_) return;
        const unsigned h = Hash(i);
        prev_[i & (kWindow - 1)] = head_[h];
        head_[h] = int32_t(i);
    }

private:
    unsigned Hash(size_t i) const {
        const uint32_t v = uint32_t(d_[i]) | uint32_t(d_[i + 1]) << 8 | uint32_t(d_[i + 2]) << 16;
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    const uint8_t* d_;
    size_t n_;
    std::vector<int32_t> head_;  // latest position of each hash, -1 for none
    std::vector<int32_t> prev_;  // chains by position mod 8192; good while within the window
};

void PutLe16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void PutLe32(std::vector<uint8_t>& v, uint32_t x) {
    PutLe16(v, x & 0xFFFF);
    PutLe16(v, x >> 16);
}

}  // namespace

uint16_t Crc16(const uint8_t* data, size_t size) {
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned r = i;
            for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
            t[i] = uint16_t(r);
        }
        return t;
    }();
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i) crc = uint16_t((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
    return crc;
}

std::vector<uint8_t> Compress(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    if (size == 0) return out;
    out.reserve(size / 2 + 64);
    BitWriter w(out);
    MatchFinder mf(data, size);
    std::vector<Token> block;
    block.reserve(kBlockSymbols);
    auto emit = [&](uint16_t c, uint16_t p) {
        block.push_back(Token{c, p});
        if (block.size() == kBlockSymbols) {
            WriteBlock(w, block.data(), block.size());
            block.clear();
        }
    };
    auto emitMatch = [&](unsigned len, unsigned dist) {
        emit(uint16_t(len + 256 - kMinMatch), uint16_t(dist - 1));
    };

    // One-step lazy matching: a match is postponed by one literal when the next
    // position starts a longer one.
    size_t i = 0;
    unsigned dist = 0;
    unsigned len = mf.Find(0, &dist);
    mf.Insert(0);
    while (i < size) {
        if (len == 0) {
            emit(data[i], 0);
            ++i;
        } else if (len < kNiceMatch && i + 1 < size) {
            unsigned dist2 = 0;
            const unsigned len2 = mf.Find(i + 1, &dist2);
            mf.Insert(i + 1);
            if (len2 > len) {
                emit(data[i], 0);
                ++i;
                len = len2;
                dist = dist2;
                continue;  // position i + 1 is searched and inserted
            }
            emitMatch(len, dist);
            for (size_t k = i + 2; k < i + len; ++k) mf.Insert(k);
            i += len;
        } else {
            emitMatch(len, dist);
            for (size_t k = i + 1; k < i + len; ++k) mf.Insert(k);
            i += len;
        }
        if (i < size) {
            len = mf.Find(i, &dist);
            mf.Insert(i);
        }
    }
    if (!block.empty()) WriteBlock(w, block.data(), block.size());
    w.Flush();
    return out;
}

namespace detail {
std::vector<uint8_t> CodeLengths(const std::vector<uint32_t>& freq, unsigned maxLen) {
    if (maxLen < 1 || maxLen > kMaxCodeLen) throw std::invalid_argument("code length limit");
    const size_t used = size_t(std::count_if(freq.begin(), freq.end(), [](uint32_t f) { return f != 0; }));
    if (used > (size_t(1) << maxLen)) throw std::invalid_argument("too many symbols for the limit");
    std::vector<uint8_t> len(freq.size());
    if (!freq.empty()) BuildLengths(freq.data(), unsigned(freq.size()), maxLen, len.data());
    return len;
}
}  // namespace detail

std::vector<uint8_t> PackArchive(const std::vector<uint8_t>& data, const std::string& memberName) {
    if (memberName.size() > 230) throw std::length_error("LHA member name longer than 230 bytes");
    if (uint64_t(data.size()) > 0xFFFFFFFFu) throw std::length_error("LHA member of 4 GiB or more");
    const std::vector<uint8_t> packed = Compress(data.data(), data.size());
    if (uint64_t(packed.size()) > 0xFFFFFFFFu) throw std::length_error("LHA member of 4 GiB or more");

    // Level-1 base header: 27 + name length bytes, ending with the size of the first
    // extension header (0: none).
    std::vector<uint8_t> a;
    const unsigned headerSize = 25 + unsigned(memberName.size());  // bytes after the first two
    a.reserve(headerSize + 3 + packed.size());
    a.push_back(uint8_t(headerSize));
    a.push_back(0);  // checksum, below
    const char* method = "-lh5-";
    a.insert(a.end(), method, method + 5);
    PutLe32(a, uint32_t(packed.size()));
    PutLe32(a, uint32_t(data.size()));
    PutLe32(a, (((2000u - 1980u) << 9 | 1u << 5 | 1u) << 16) | 0u);  // MS-DOS 2000-01-01 00:00
    a.push_back(0x20);  // level-1 "reserved" byte
    a.push_back(1);     // header level
    a.push_back(uint8_t(memberName.size()));
    a.insert(a.end(), memberName.begin(), memberName.end());
    PutLe16(a, Crc16(data.data(), data.size()));
    a.push_back('M');  // OS id: MS-DOS
    PutLe16(a, 0);     // no extension header
    unsigned sum = 0;
    for (unsigned i = 2; i < headerSize + 2; ++i) sum += a[i];
    a[1] = uint8_t(sum);

    a.insert(a.end(), packed.begin(), packed.end());
    a.push_back(0);  // end of archive
    return a;
}

}  // namespace lh5
