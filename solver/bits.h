#pragma once
#include <cstdint>

namespace solver {

// Bit counting without the popcnt instruction, which the baseline x86-64 target lacks (the
// compiler's builtin then becomes a library call, several times slower than this).
inline int PopCount(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return int((x * 0x0101010101010101ull) >> 56);
}

inline int LowestBit(uint64_t x) { return __builtin_ctzll(x); }

}  // namespace solver
