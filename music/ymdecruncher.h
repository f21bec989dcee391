#pragma once
// CYmDecruncher: the LH5 decompressor of packed songs.
//
// A packed song is one member of an LHA archive compressed with "-lh5-" (LZSS over an
// 8 KiB window, static Huffman codes sent block by block). Decrunch() reads the member
// header, decodes the bit stream in 8 KiB chunks through one window and leaves the plain
// song in an owned output buffer that the caller reads in place.
//
// Result rules (undecided cases of the plain algorithm handled; details in
// ymdecruncher.cpp):
//   - method id other than "-lh5-" (or fewer than 7 bytes): false, the output of an
//     earlier call stays exactly as it was;
//   - any other failure (bad code table, a code length above 16, an unpacked size
//     above kMaxUnpackedSize, a header cut short or a broken level-1 extension
//     header): false and no output;
//   - compressed data that ends before the output is complete is not a failure: the
//     missing bytes read as zero bits and the output is produced in full;
//   - success: true, Output() holds exactly OutputSize() = unpacked-size bytes. A
//     successful empty song gives a non-null Output() with OutputSize() 0.
// Nothing outside the buffer (packed, size) is ever read, and no table, tree or window
// index can leave its array, whatever the input.
//
// No Qt, no SDL, no allocation per block or per symbol: the tables, the tree links and
// the window are fixed arrays inside the object; only the output is allocated.

#include <cstddef>
#include <cstdint>
#include <memory>

class CYmDecruncher {
public:
    CYmDecruncher();
    ~CYmDecruncher();
    CYmDecruncher(const CYmDecruncher&) = delete;
    CYmDecruncher& operator=(const CYmDecruncher&) = delete;

    // true: Output() holds exactly the unpacked size given by the header.
    bool Decrunch(const uint8_t* packed, size_t size);
    const uint8_t* Output() const;   // nullptr when there is no output
    size_t OutputSize() const;       // 0 when there is no output
    void Release();                  // drop the output

    // Largest unpacked size accepted; a header asking for more is refused unallocated.
    static constexpr uint32_t kMaxUnpackedSize = 64u << 20;

    // Decoder constants of -lh5-.
    static constexpr unsigned kDicBits = 13;
    static constexpr unsigned kWindowSize = 1u << kDicBits;  // 8192
    static constexpr unsigned kNC = 510;                      // literal/length symbols
    static constexpr unsigned kNP = 14;                       // position symbols
    static constexpr unsigned kNT = 19;                       // code-length symbols
    static constexpr unsigned kNPT = 19;                      // short-code lengths array
    static constexpr unsigned kTreeNodes = 2 * kNC - 1;       // 1019

    struct BitReader;  // defined in ymdecruncher.cpp

private:
    bool Decode(const uint8_t* data, size_t avail);
    void DecodeChunk(BitReader& br, unsigned n);
    void ReadBlockHeader(BitReader& br);
    void ReadPtLen(BitReader& br, unsigned nn, unsigned nbit, int special);
    void ReadCLen(BitReader& br);
    void MakeTable(unsigned nchar, const uint8_t* bitlen, unsigned tablebits, uint16_t* table);

    // Output.
    std::unique_ptr<uint8_t[]> output_;
    size_t outputSize_ = 0;

    // Decoder state of one decompression (reset at its start).
    bool error_ = false;
    uint16_t blockRemaining_ = 0;
    // The pending match copy that survives from one output chunk to the next. Kept as
    // one process-wide copy (globals), these two would allow one decompression at a
    // time; as members of the object they are reset at every decompression exactly as
    // globals would be, so one decompression behaves identically, and separate
    // CYmDecruncher objects (the engine's, a tool's, tests running in parallel) can work
    // on different threads at once.
    int pendingLen_ = 0;
    unsigned pendingSrc_ = 0;

    uint8_t cLen_[kNC];                   // literal/length code lengths
    uint8_t ptLen_[kNPT];                 // code-length code, then position code lengths
    uint16_t cTable_[1u << 12];           // literal/length lookup, top 12 bits
    uint16_t ptTable_[1u << 8];           // short-code lookup, top 8 bits
    uint16_t left_[kTreeNodes];           // tree links of codes longer than the lookup
    uint16_t right_[kTreeNodes];
    uint8_t window_[kWindowSize];         // the 8 KiB window, doubles as the dictionary
};
