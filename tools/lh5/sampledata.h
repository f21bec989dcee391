#pragma once
// Deterministic sample inputs for the LH5 tests and benchmarks: text, structured binary,
// song-like register dumps, mixtures, repetitive and random bytes. Header-only; the
// lh5pack library does not use it.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lh5::sample {

// splitmix64: small, fast, the same on every platform.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint64_t Next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return n ? uint32_t(Next() % n) : 0; }

private:
    uint64_t s_;
};

inline std::vector<uint8_t> Random(size_t size, uint64_t seed) {
    Rng rng(seed);
    std::vector<uint8_t> v(size);
    for (auto& b : v) b = uint8_t(rng.Next());
    return v;
}

// Words of a small vocabulary in sentences and lines: compresses like prose.
inline std::vector<uint8_t> Text(size_t size, uint64_t seed) {
    static const char* const words[] = {
        "the", "tile", "slides", "into", "empty", "cell", "picture", "board", "level",
        "music", "chip", "plays", "a", "of", "and", "to", "moves", "score", "clock",
        "gamepack", "restores", "player", "square", "window", "song", "frame", "sound",
        "marlipan", "puzzle", "with", "each", "time", "limit", "runs", "out", "game"};
    const size_t nwords = sizeof words / sizeof words[0];
    Rng rng(seed);
    std::string s;
    s.reserve(size + 16);
    size_t line = 0;
    bool capital = true;
    while (s.size() < size) {
        std::string w = words[rng.Below(uint32_t(nwords))];
        if (capital) { w[0] = char(w[0] - 'a' + 'A'); capital = false; }
        s += w;
        line += w.size() + 1;
        if (rng.Below(9) == 0) { s += '.'; capital = true; }
        if (line > 72) { s += '\n'; line = 0; } else s += ' ';
    }
    s.resize(size);
    return std::vector<uint8_t>(s.begin(), s.end());
}

// Records of an increasing id, a few type codes and sampled float values: structured
// binary that compresses, but not much.
inline std::vector<uint8_t> Binary(size_t size, uint64_t seed) {
    Rng rng(seed);
    std::vector<uint8_t> v;
    v.reserve(size + 16);
    for (uint32_t id = 0; v.size() < size; ++id) {
        const uint16_t type = uint16_t(rng.Below(5));
        float value = float(std::sin(id * 0.01) * 1000.0 + rng.Below(4));
        uint32_t bits;
        static_assert(sizeof bits == sizeof value, "float is 32 bits");
        std::memcpy(&bits, &value, 4);
        const uint32_t fields[3] = {id, type, bits};
        for (uint32_t f : fields)
            for (int k = 0; k < 4; ++k) v.push_back(uint8_t(f >> (8 * k)));
    }
    v.resize(size);
    return v;
}

// An interleaved YM register dump (all frames of register 0, then of register 1, ...)
// of a tune made of 64-row patterns played in an order list, with arpeggios, vibrato,
// volume decay and noise drums: what a packed song holds. Packs to about a tenth, as
// real YM songs do.
inline std::vector<uint8_t> SongLike(size_t size, uint64_t seed) {
    static const uint16_t notePeriod[12] = {3822, 3608, 3405, 3214, 3034, 2863,
                                            2703, 2551, 2408, 2273, 2145, 2025};
    static const int arpeggio[4][3] = {{0, 0, 0}, {0, 4, 7}, {0, 3, 7}, {0, 12, 0}};
    Rng rng(seed);
    const size_t frames = size / 16 + 1;
    const int kPatterns = 40, kRows = 64, kSpeed = 3;
    struct Cell { int note; int fx; };  // note -1: hold; fx: 0 none, 1..3 arpeggio, 4 vibrato
    std::vector<Cell> patterns(size_t(kPatterns) * kRows * 3);
    for (auto& c : patterns) {
        c.note = rng.Below(3) == 0 ? int(rng.Below(48)) : -1;
        c.fx = rng.Below(4) == 0 ? int(1 + rng.Below(4)) : 0;
    }
    std::vector<int> order;
    for (int i = 0; i < 160; ++i) order.push_back(rng.Below(3) == 0 ? order.empty() ? 0 : order[rng.Below(uint32_t(order.size()))] : int(rng.Below(kPatterns)));

    std::vector<uint8_t> regs(frames * 16);
    int note[3] = {0, 12, 24}, fx[3] = {0, 0, 0}, vol[3] = {0, 0, 0};
    for (size_t f = 0; f < frames; ++f) {
        const size_t row = f / kSpeed;
        const int pat = order[(row / kRows) % order.size()];
        const bool rowStart = f % kSpeed == 0;
        for (int ch = 0; ch < 3; ++ch) {
            const Cell& c = patterns[(size_t(pat) * kRows + row % kRows) * 3 + ch];
            if (rowStart && c.note >= 0) { note[ch] = c.note; fx[ch] = c.fx; vol[ch] = 15; }
            else if (vol[ch] > 6 && rng.Below(3) == 0) --vol[ch];
            int n = note[ch];
            if (fx[ch] >= 1 && fx[ch] <= 3) n += arpeggio[fx[ch]][f % 3];
            int period = notePeriod[n % 12] >> (n / 12 + 1);
            if (fx[ch] == 4) period += int(std::lround(std::sin(double(f) * 0.7) * period / 40.0));
            regs[f * 16 + 2 * ch] = uint8_t(period);
            regs[f * 16 + 2 * ch + 1] = uint8_t(period >> 8 & 0x0F);
            regs[f * 16 + 8 + ch] = uint8_t(vol[ch]);
        }
        const bool drum = row % 8 == 4 && f % kSpeed < 2;
        regs[f * 16 + 6] = drum ? uint8_t(rng.Below(32)) : 0;
        regs[f * 16 + 7] = drum ? 0x30 : 0x38;
        regs[f * 16 + 11] = uint8_t(0x10 + (row / kRows) % 4);
        regs[f * 16 + 12] = 0x00;
        regs[f * 16 + 13] = 0xFF;
    }
    std::vector<uint8_t> v;
    v.reserve(size);
    for (int r = 0; r < 16 && v.size() < size; ++r)
        for (size_t f = 0; f < frames && v.size() < size; ++f) v.push_back(regs[f * 16 + r]);
    return v;
}

// A short pattern repeated: compresses to almost nothing, every match 256 bytes long.
inline std::vector<uint8_t> Repetitive(size_t size) {
    static const char pattern[] = "Marlipan!";
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i) v[i] = uint8_t(pattern[i % (sizeof pattern - 1)]);
    return v;
}

// Stretches of text, binary, random bytes, zeros and song data in turn.
inline std::vector<uint8_t> Mixed(size_t size, uint64_t seed) {
    Rng rng(seed);
    std::vector<uint8_t> v;
    v.reserve(size);
    for (int part = 0; v.size() < size; ++part) {
        const size_t n = 1000 + rng.Below(30000);
        std::vector<uint8_t> piece;
        switch (part % 5) {
            case 0: piece = Text(n, rng.Next()); break;
            case 1: piece = Binary(n, rng.Next()); break;
            case 2: piece = Random(n / 4, rng.Next()); break;
            case 3: piece.assign(n, 0); break;
            default: piece = SongLike(n, rng.Next()); break;
        }
        v.insert(v.end(), piece.begin(), piece.end());
    }
    v.resize(size);
    return v;
}

// Random bytes, then a copy of the first `repeat` of them starting `at`: a distance of
// `at` bytes, chosen just under the window so that the match straddles the first 8 KiB
// boundary and copies bytes of the previous chunk.
inline std::vector<uint8_t> ChunkStraddle(size_t at = 8190, size_t repeat = 200) {
    std::vector<uint8_t> v = Random(at, 77);
    for (size_t i = 0; i < repeat; ++i) v.push_back(v[i]);
    std::vector<uint8_t> tail = Random(500, 78);
    v.insert(v.end(), tail.begin(), tail.end());
    return v;
}

}  // namespace lh5::sample
