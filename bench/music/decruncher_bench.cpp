// Speed of CYmDecruncher (MB/s of unpacked output) and of the lh5pack packer (MB/s of
// input), on about 1 MiB of song-like data (an interleaved YM register dump) and on other
// kinds of data for comparison. The target for unpacking is at least 100 MB/s.

#include "music/ymdecruncher.h"
#include "tools/lh5/lh5pack.h"
#include "tools/lh5/sampledata.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace sample = lh5::sample;

enum Kind { kSong, kText, kMixed, kRandom, kRepetitive };

Bytes Make(int kind) {
    const size_t n = 1 << 20;
    switch (kind) {
        case kSong: return sample::SongLike(n, 1);
        case kText: return sample::Text(n, 2);
        case kMixed: return sample::Mixed(n, 3);
        case kRandom: return sample::Random(n, 4);
        default: return sample::Repetitive(n);
    }
}

const char* Name(int kind) {
    static const char* const names[] = {"song", "text", "mixed", "random", "repetitive"};
    return names[kind];
}

void BM_Decrunch(benchmark::State& state) {
    const Bytes data = Make(int(state.range(0)));
    const Bytes archive = lh5::PackArchive(data, "song.ym");
    CYmDecruncher d;
    for (auto _ : state) {
        if (!d.Decrunch(archive.data(), archive.size()) || d.OutputSize() != data.size()) {
            state.SkipWithError("Decrunch failed");
            break;
        }
        benchmark::DoNotOptimize(d.Output());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
    state.SetLabel(Name(int(state.range(0))));
    state.counters["ratio%"] = 100.0 * double(archive.size()) / double(data.size());
}
BENCHMARK(BM_Decrunch)->DenseRange(kSong, kRepetitive)->Unit(benchmark::kMillisecond);

void BM_Pack(benchmark::State& state) {
    const Bytes data = Make(int(state.range(0)));
    size_t packed = 0;
    for (auto _ : state) {
        const Bytes archive = lh5::PackArchive(data, "song.ym");
        packed = archive.size();
        benchmark::DoNotOptimize(archive.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
    state.SetLabel(Name(int(state.range(0))));
    state.counters["ratio%"] = 100.0 * double(packed) / double(data.size());
}
BENCHMARK(BM_Pack)->DenseRange(kSong, kRepetitive)->Unit(benchmark::kMillisecond);

// A typical whole song load: a few hundred KiB.
void BM_DecrunchSong300K(benchmark::State& state) {
    const Bytes data = sample::SongLike(300 * 1024, 5);
    const Bytes archive = lh5::PackArchive(data, "song.ym");
    CYmDecruncher d;
    for (auto _ : state) {
        benchmark::DoNotOptimize(d.Decrunch(archive.data(), archive.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_DecrunchSong300K)->Unit(benchmark::kMicrosecond);

}  // namespace
