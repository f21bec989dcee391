#pragma once
#include <string>

#include "solver/patterndb.h"

namespace solver {

// A pattern database kept in a file of the cache folder, so that it is built once:
//
//   8 bytes  "MLPNPDB" and a 0 byte
//   4 bytes  format version (little-endian, as every number here)
//   4 bytes  board size
//   4 bytes  number of tiles k, then k bytes: the tiles, in the database's order
//   8 bytes  number of entries, 8 bytes number of packed bytes that follow the header
//   8 bytes  checksum of those bytes
//   the packed entries
//
// A file is trusted only when every field matches the pattern asked for, its length is
// exact and the checksum agrees: a truncated, damaged or foreign file is refused, never used.
namespace tablefile {

constexpr uint32_t kFormatVersion = 1;

// The file name for a pattern: its board size and tiles, e.g. "pdb4-8.9.10.11.12.13.14.bin".
std::string FileName(const PatternDb& db);

// Fills `db` from the file. False, with the reason in `why` ("missing", "truncated",
// "checksum mismatch", ...), when the file cannot be trusted; `db` is then left unusable.
bool Load(const std::string& path, PatternDb& db, std::string& why);

// Writes the file through a temporary file in the same folder and a rename, so that no
// reader, in this process or another, ever sees half a table. False (and nothing left
// behind) when it cannot be written.
bool Save(const std::string& path, const PatternDb& db, std::string& why);

uint64_t Checksum(const uint8_t* data, size_t size);

}  // namespace tablefile
}  // namespace solver
