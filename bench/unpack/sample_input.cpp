// marlipan-lh5-sample OUT: writes 7 MiB of input for the whole-process unpacking
// benchmark: 6 MiB of song-like register dumps (several songs, as a long packed song
// would hold) followed by 1 MiB of mixed text, binary, random and zero stretches, which
// compresses far less. Deterministic, so every run measures the same file.
#include <cstdio>
#include <vector>

#include "tools/lh5/sampledata.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: marlipan-lh5-sample OUT\n");
        return 2;
    }
    namespace sample = lh5::sample;
    std::vector<uint8_t> data;
    for (uint64_t song = 0; song < 6; ++song) {
        const std::vector<uint8_t> part = sample::SongLike(1u << 20, 100 + song);
        data.insert(data.end(), part.begin(), part.end());
    }
    const std::vector<uint8_t> mixed = sample::Mixed(1u << 20, 200);
    data.insert(data.end(), mixed.begin(), mixed.end());

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(data.data(), 1, data.size(), out) != data.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "marlipan-lh5-sample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
