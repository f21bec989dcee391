#pragma once
// lh5pack: writes packed songs, one-member LHA archives compressed with "-lh5-".
//
// The compressor is LZSS over an 8 KiB window (hash chains, one-step lazy matching,
// match lengths 3..256, distances 1..8191) followed by the -lh5- static Huffman block
// coder: per block a code-length code, the literal/length code and the position code,
// every code length at most 16. Every input, incompressible or empty, is written as
// -lh5- (the game's decoder refuses -lh0-).
//
// Archives are deterministic: the same data and name give the same bytes (the time stamp
// is fixed at 2000-01-01 00:00).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lh5 {

// A one-member LHA archive: level-1 header with no extension headers (so the compressed
// data starts right after the base header, which is what the game reads), method "-lh5-",
// header checksum, CRC-16 of the data, then the compressed data and the end-of-archive
// byte. The member name is written as the given bytes. Throws std::length_error for a
// name longer than 230 bytes (the one-byte header size cannot hold more) or data of
// 4 GiB or more.
std::vector<uint8_t> PackArchive(const std::vector<uint8_t>& data, const std::string& memberName);

// The CRC LHA uses: CRC-16/ARC (reflected polynomial 0xA001, initial value 0).
uint16_t Crc16(const uint8_t* data, size_t size);

// The bare -lh5- bit stream of data (what PackArchive puts after the header). Empty
// data gives an empty stream.
std::vector<uint8_t> Compress(const uint8_t* data, size_t size);

namespace detail {
// Huffman code lengths for the frequencies, none longer than maxLen (1..16): a complete
// code (Kraft sum exactly 1, more frequent symbols never longer) when two or more
// symbols have a frequency, all lengths 0 when fewer do. What the block coder uses;
// exposed for tests. Throws std::invalid_argument when 2^maxLen codes are too few.
std::vector<uint8_t> CodeLengths(const std::vector<uint32_t>& freq, unsigned maxLen = 16);
}  // namespace detail

}  // namespace lh5
