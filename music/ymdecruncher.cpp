// CYmDecruncher: the -lh5- decompressor of packed songs.
//
// The decoder is the classic -lh5- one: 22-byte header copy, block-wise static
// Huffman tables with a 12-bit (literal/length) and an 8-bit (code-length and position)
// direct lookup and tree links below them, and an output produced in 8 KiB chunks
// through one window that doubles as the LZ dictionary, with the match copy that does
// not fit in a chunk carried over to the next one. Where the plain algorithm leaves a
// case undecided or would read or write outside an array, it is handled as follows:
//
// Input. The stream is the buffer (packed, size), read in place: there is no stream
// object to read from, so no separate 8 KiB input buffer is needed. The compressed
// data available is min(packed size, bytes after the header). Bytes past that end
// read as zero bits and the output is still produced in full: a song whose last bytes
// are missing keeps all but its last few bytes (the zero bits go on decoding with the
// block's own codes, and after its last symbol as blocks of 65536 literal zeros). The
// work stays bounded by the unpacked size, which is bounded by kMaxUnpackedSize.
//
// Header. Bytes 0..21 hold the header size H (byte 0), the method id (2..6), the
// packed size (7..10), the unpacked size (11..14) and the header level (20). The
// compressed data starts at H + 2 for header level 0 (where H + 2 covers the whole
// header) and any unknown level. Two layouts that reading H + 2 alone would decode as
// garbage are handled: a level-1 header (what `jlha c1` and most LHA archivers write)
// may be followed by extension headers that are counted in the packed size; they are
// skipped and their bytes taken off the packed size. A level-2 header (the default of
// many archivers) gives its total header size in bytes 0..1. A header that does not
// fit the buffer (fewer than 22 bytes, data offset beyond the end, an extension header
// running past the end or past the packed size) is refused.
//
// Unpacked size. It is refused, before anything is allocated, above kMaxUnpackedSize
// (64 MiB; songs are a few hundred KiB). No bound is taken from the size of the
// compressed data: data that ends early is decoded in full from zero bits.
//
// Code tables. A table whose lengths do not fill the code space exactly (overfull,
// underfull, or no symbol at all) is bad. A check summed in 16 bits would let a table
// overfull by a multiple of 2^16 (four codes of length 1, say) pass, whose building
// writes past the lookup table; so the sum is taken in 32 bits. Further bad
// tables: a code length above 16 (the code-length code can express up to 20), a symbol
// count above the table's symbol count, a zero-run that runs past the 510 literal/length
// lengths, and a one-symbol table (count 0) whose symbol is not a symbol of the table.
// Tree walks and node numbers are checked against their arrays as well, although a
// complete code of lengths up to 16 never reaches those checks. With these, every
// table, tree and window index stays inside its array for any input.
//
// Output ownership. A method id other than "-lh5-" returns false and leaves the earlier
// output untouched (it is checked before anything else); every other call releases the
// old output first, and every failure leaves none. A successful empty song has a 1-byte
// allocation behind it, so Output() is non-null with OutputSize() 0: "there is an
// output, it is empty".

#include "music/ymdecruncher.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr unsigned kTBits = 5;   // bits of the code-length code's symbol count
constexpr unsigned kCBits = 9;   // bits of the literal/length code's symbol count
constexpr unsigned kPBits = 4;   // bits of the position code's symbol count
constexpr unsigned kCTableBits = 12;
constexpr unsigned kPtTableBits = 8;
constexpr unsigned kWindowMask = CYmDecruncher::kWindowSize - 1;
constexpr uint16_t kBadSymbol = 0xFFFF;

inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

inline uint64_t Be64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
#if defined(__GNUC__) || defined(__clang__)
#  if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#  endif
#else
    v = uint64_t(p[0]) << 56 | uint64_t(p[1]) << 48 | uint64_t(p[2]) << 40 |
        uint64_t(p[3]) << 32 | uint64_t(p[4]) << 24 | uint64_t(p[5]) << 16 |
        uint64_t(p[6]) << 8 | uint64_t(p[7]);
#endif
    return v;
}

}  // namespace

// The bit reader. A plain reader keeps the next 16 bits of the stream in a 16-bit
// buffer and shifts bytes in one at a time; this one keeps the next `count` bits
// (56..63 after a refill) at the top of a 64-bit word, which gives the same bits in the
// same order with one refill per symbol instead of one per byte. Bytes past `end` read
// as zero.
struct CYmDecruncher::BitReader {
    const uint8_t* p;
    const uint8_t* end;
    uint64_t buf = 0;
    unsigned count = 0;

    BitReader(const uint8_t* data, size_t size) : p(data), end(data + size) {}

    // Makes at least 56 bits available.
    void Refill() {
        if (size_t(end - p) >= 8) {
            // Every bit below `count` that this ORs in is the stream's own bit at that
            // place (the partial byte at the bottom is taken again, identically, by the
            // next refill).
            buf |= Be64(p) >> count;
            p += (63 - count) >> 3;
            count |= 56;
            return;
        }
        while (count <= 56) {
            if (p < end) buf |= uint64_t(*p++) << (56 - count);
            count += 8;
        }
    }
    unsigned Peek(unsigned n) const { return unsigned(buf >> (64 - n)); }  // 1 <= n <= 32
    void Drop(unsigned n) { buf <<= n; count -= n; }                       // n <= count
    unsigned Get(unsigned n) { unsigned v = Peek(n); Drop(n); return v; }  // 1 <= n <= 32
};

CYmDecruncher::CYmDecruncher() {
    std::memset(cLen_, 0, sizeof cLen_);
    std::memset(ptLen_, 0, sizeof ptLen_);
    std::memset(cTable_, 0, sizeof cTable_);
    std::memset(ptTable_, 0, sizeof ptTable_);
    std::memset(left_, 0, sizeof left_);
    std::memset(right_, 0, sizeof right_);
    std::memset(window_, 0, sizeof window_);
}

CYmDecruncher::~CYmDecruncher() = default;

const uint8_t* CYmDecruncher::Output() const { return output_.get(); }
size_t CYmDecruncher::OutputSize() const { return output_ ? outputSize_ : 0; }

void CYmDecruncher::Release() {
    output_.reset();
    outputSize_ = 0;
}

bool CYmDecruncher::Decrunch(const uint8_t* packed, size_t size) {
    if (!packed) size = 0;
    error_ = false;

    // The 22-byte header copy (missing bytes stay zero); the method id.
    uint8_t header[22];
    std::memset(header, 0, sizeof header);
    if (size) std::memcpy(header, packed, std::min(size, sizeof header));
    if (std::memcmp(header + 2, "-lh5-", 5) != 0) return false;

    // From here on every outcome replaces the old output.
    Release();

    // Where the compressed data starts, and how much of it there is.
    uint32_t packedSize = Le32(header + 7);
    const uint32_t unpackedSize = Le32(header + 11);
    const unsigned level = header[20];
    size_t dataOffset = size_t(header[0]) + 2;
    if (level == 1) {
        // Base header (27 + name length bytes) ends with the size of the first
        // extension header; each extension header ends with the size of the next one.
        if (dataOffset < 27 || dataOffset > size) return false;
        uint32_t ext = Le16(packed + dataOffset - 2);
        while (ext != 0) {
            if (ext < 3 || ext > size - dataOffset || ext > packedSize) return false;
            packedSize -= ext;
            dataOffset += ext;
            ext = Le16(packed + dataOffset - 2);
        }
    } else if (level == 2) {
        dataOffset = Le16(header);
        if (dataOffset < 26 || dataOffset > size) return false;
    }
    // A header cut short by the end of the buffer is refused: going on with zeros for
    // the missing fields might "succeed" with an empty song.
    if (size < sizeof header || dataOffset > size) return false;
    const size_t avail = std::min<size_t>(packedSize, size - dataOffset);

    // Refuse an absurd unpacked size rather than allocate it.
    if (unpackedSize > kMaxUnpackedSize) return false;
    output_.reset(new (std::nothrow) uint8_t[std::max<size_t>(unpackedSize, 1)]);
    if (!output_) return false;
    outputSize_ = unpackedSize;

    // Decode the compressed data into the output.
    if (!Decode(packed + dataOffset, avail)) {
        Release();
        return false;
    }
    return true;
}

bool CYmDecruncher::Decode(const uint8_t* data, size_t avail) {
    BitReader br(data, avail);
    br.Refill();
    blockRemaining_ = 0;
    pendingLen_ = 0;
    pendingSrc_ = 0;
    // A valid stream never refers to the window's contents before the first chunk;
    // zeroing them makes a corrupt one deterministic.
    std::memset(window_, 0, sizeof window_);

    uint8_t* out = output_.get();
    size_t remaining = outputSize_;
    while (remaining > 0 && !error_) {
        const unsigned n = unsigned(std::min<size_t>(kWindowSize, remaining));
        DecodeChunk(br, n);
        if (error_) break;
        std::memcpy(out, window_, n);
        out += n;
        remaining -= n;
    }
    return !error_;
}

// Decodes n (1..8192) bytes into window_[0..n), continuing a pending copy first.
void CYmDecruncher::DecodeChunk(BitReader& reader, unsigned n) {
    // Work on locals: stores into the window may alias anything reachable through
    // `this`, so members would be reloaded after every byte.
    BitReader b = reader;
    uint8_t* const win = window_;
    const uint16_t* const cTable = cTable_;
    const uint16_t* const ptTable = ptTable_;
    const uint8_t* const cLen = cLen_;
    const uint8_t* const ptLen = ptLen_;
    unsigned r = 0;
    unsigned plen = unsigned(pendingLen_);
    unsigned src = pendingSrc_;
    uint16_t blk = blockRemaining_;
    bool error = false;

    for (;;) {
        // A match copy: the pending one from the previous chunk, or the one just read.
        if (plen) {
            unsigned todo = std::min(plen, n - r);
            plen -= todo;
            if (src + todo <= kWindowSize && (src + todo <= r || src >= r + todo)) {
                std::memcpy(win + r, win + src, todo);  // no wrap, no overlap
                r += todo;
                src = (src + todo) & kWindowMask;
            } else {
                do {
                    win[r++] = win[src];
                    src = (src + 1) & kWindowMask;
                } while (--todo);
            }
        }
        if (r == n) break;

        if (blk == 0) {
            reader = b;
            ReadBlockHeader(reader);
            b = reader;
            blk = blockRemaining_;
            if (error_) { error = true; break; }
        }
        --blk;  // 16-bit: a block count of 0 means 65536 symbols

        // Up to 16 (literal/length) + 16 (position) + 12 (position bits) bits follow.
        if (b.count < 44) b.Refill();

        unsigned c = cTable[b.Peek(kCTableBits)];
        if (c >= kNC) {
            const unsigned bits = b.Peek(16);
            unsigned mask = 1u << (15 - kCTableBits);
            do {
                if (!mask || c >= kTreeNodes) { c = kBadSymbol; break; }
                c = (bits & mask) ? right_[c] : left_[c];
                mask >>= 1;
            } while (c >= kNC);
            if (c == kBadSymbol) { error = true; break; }
        }
        b.Drop(cLen[c]);
        if (c < 256) {
            win[r++] = uint8_t(c);
            if (r == n) break;
            continue;
        }
        plen = c - 253;  // lengths 3..256

        unsigned j = ptTable[b.Peek(kPtTableBits)];
        if (j >= kNP) {
            const unsigned bits = b.Peek(16);
            unsigned mask = 1u << (15 - kPtTableBits);
            do {
                if (!mask || j >= kTreeNodes) { j = kBadSymbol; break; }
                j = (bits & mask) ? right_[j] : left_[j];
                mask >>= 1;
            } while (j >= kNP);
            if (j == kBadSymbol) { error = true; break; }
        }
        b.Drop(ptLen[j]);
        unsigned dist = j;  // the position value: 0, 1, or 2^(j-1) + (j-1) more bits
        if (j > 1) dist = (1u << (j - 1)) + b.Get(j - 1);
        src = (r - dist - 1) & kWindowMask;
    }

    reader = b;
    pendingLen_ = int(plen);
    pendingSrc_ = src;
    blockRemaining_ = blk;
    if (error) error_ = true;
}

void CYmDecruncher::ReadBlockHeader(BitReader& br) {
    br.Refill();
    blockRemaining_ = uint16_t(br.Get(16));
    ReadPtLen(br, kNT, kTBits, 3);
    if (error_) return;
    ReadCLen(br);
    if (error_) return;
    ReadPtLen(br, kNP, kPBits, -1);
}

// The code-length code (19 symbols) or the position code (14 symbols) into ptLen_ and
// ptTable_.
void CYmDecruncher::ReadPtLen(BitReader& br, unsigned nn, unsigned nbit, int special) {
    br.Refill();
    const unsigned k = br.Get(nbit);
    if (k == 0) {
        const unsigned v = br.Get(nbit);
        if (v >= nn) { error_ = true; return; }  // not a symbol of this code
        std::memset(ptLen_, 0, nn);
        std::fill(ptTable_, ptTable_ + (1u << kPtTableBits), uint16_t(v));
        return;
    }
    if (k > nn) { error_ = true; return; }
    unsigned i = 0;
    while (i < k) {
        br.Refill();
        unsigned c = br.Peek(3);
        if (c == 7) {
            const unsigned bits = br.Peek(16);
            for (unsigned mask = 1u << 12; mask && (bits & mask); mask >>= 1) ++c;
            if (c > 16) { error_ = true; return; }  // the tables are sized for 16
            br.Drop(c - 3);
        } else {
            br.Drop(3);
        }
        ptLen_[i++] = uint8_t(c);
        if (int(i) == special) {
            unsigned m = br.Get(2);  // i is 3 here, so i + m <= 6 < nn
            while (m-- > 0) ptLen_[i++] = 0;
        }
    }
    while (i < nn) ptLen_[i++] = 0;
    MakeTable(nn, ptLen_, kPtTableBits, ptTable_);
}

// The literal/length code lengths, through the code-length code, into cLen_ and cTable_.
void CYmDecruncher::ReadCLen(BitReader& br) {
    br.Refill();
    const unsigned k = br.Get(kCBits);
    if (k == 0) {
        const unsigned v = br.Get(kCBits);
        if (v >= kNC) { error_ = true; return; }
        std::memset(cLen_, 0, sizeof cLen_);
        std::fill(cTable_, cTable_ + (1u << kCTableBits), uint16_t(v));
        return;
    }
    if (k > kNC) { error_ = true; return; }
    unsigned i = 0;
    while (i < k) {
        br.Refill();
        unsigned c = ptTable_[br.Peek(kPtTableBits)];
        if (c >= kNT) {
            const unsigned bits = br.Peek(16);
            unsigned mask = 1u << (15 - kPtTableBits);
            do {
                if (!mask || c >= kTreeNodes) { error_ = true; return; }
                c = (bits & mask) ? right_[c] : left_[c];
                mask >>= 1;
            } while (c >= kNT);
        }
        br.Drop(ptLen_[c]);
        if (c <= 2) {
            unsigned run = c == 0 ? 1 : c == 1 ? br.Get(4) + 3 : br.Get(kCBits) + 20;
            if (run > kNC - i) { error_ = true; return; }  // would run past the lengths
            std::memset(cLen_ + i, 0, run);
            i += run;
        } else {
            cLen_[i++] = uint8_t(c - 2);  // c <= 18, so lengths up to 16
        }
    }
    std::memset(cLen_ + i, 0, kNC - i);
    MakeTable(kNC, cLen_, kCTableBits, cTable_);
}

// Builds the lookup table (2^tablebits entries) and the tree links below it for the
// canonical code given by bitlen[0..nchar); sets error_ on a bad table.
void CYmDecruncher::MakeTable(unsigned nchar, const uint8_t* bitlen, unsigned tablebits,
                              uint16_t* table) {
    uint32_t count[17] = {0};
    uint32_t start[18];
    uint32_t weight[17];
    for (unsigned i = 0; i < nchar; ++i) {
        if (bitlen[i] > 16) { error_ = true; return; }
        ++count[bitlen[i]];
    }
    start[1] = 0;
    for (unsigned i = 1; i <= 16; ++i) start[i + 1] = start[i] + (count[i] << (16 - i));
    if (start[17] != (1u << 16)) { error_ = true; return; }  // not a complete prefix code

    const unsigned jutbits = 16 - tablebits;
    for (unsigned i = 1; i <= tablebits; ++i) {
        start[i] >>= jutbits;
        weight[i] = 1u << (tablebits - i);
    }
    for (unsigned i = tablebits + 1; i <= 16; ++i) weight[i] = 1u << (16 - i);

    const unsigned tableSize = 1u << tablebits;
    const unsigned longStart = start[tablebits + 1] >> jutbits;  // <= tableSize
    std::fill(table + longStart, table + tableSize, uint16_t(0));

    unsigned avail = nchar;
    const uint32_t mask = 1u << (15 - tablebits);
    for (unsigned ch = 0; ch < nchar; ++ch) {
        const unsigned len = bitlen[ch];
        if (len == 0) continue;
        const uint32_t next = start[len] + weight[len];
        if (len <= tablebits) {
            // A complete code puts these inside the table; checked all the same.
            if (next > tableSize) { error_ = true; return; }
            std::fill(table + start[len], table + next, uint16_t(ch));
        } else {
            uint32_t k = start[len];
            if ((k >> jutbits) >= tableSize) { error_ = true; return; }
            uint16_t* p = &table[k >> jutbits];
            for (unsigned i = len - tablebits; i != 0; --i) {
                if (*p == 0) {
                    if (avail >= kTreeNodes) { error_ = true; return; }
                    right_[avail] = left_[avail] = 0;
                    *p = uint16_t(avail++);
                }
                if (*p >= kTreeNodes) { error_ = true; return; }
                p = (k & mask) ? &right_[*p] : &left_[*p];
                k <<= 1;
            }
            *p = uint16_t(ch);
        }
        start[len] = next;
    }
}
