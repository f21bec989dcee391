// A whole level load as the game does it for a 7 x 7 board in the zoomed window: read
// the level from its gamepack file, decode the picture twice, cut 49 tiles. The target
// is well under 20 ms per load.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "gamepack/gamepackfile.h"
#include "gamepack/picture.h"
#include "tests/gamepack/testutil.h"

namespace {

// A photograph-like picture: smooth gradients with fine detail and noise, so the JPEG
// holds as much data as a real one of its size.
QImage Photo(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = int(seed >> 28) - 8;
            int r = int(128 + 100 * std::sin(x * 0.031) + noise);
            int g = int(128 + 100 * std::sin(y * 0.047 + x * 0.013) + noise);
            int b = int(128 + 100 * std::cos((x + y) * 0.021) + noise);
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return img;
}

// A three-level gamepack with a 7 x 7 board whose middle level carries the picture.
class Pack {
public:
    Pack(int width, int height) {
        GamepackSource src;
        src.SizeIndex = 4;
        std::vector<uint8_t> jpeg = EncodeJpeg(Photo(width, height), 90);
        pictureBytes = jpeg.size();
        for (int i = 0; i < 3; ++i)
            src.Levels.push_back({"Level", jpeg, std::vector<uint8_t>(20000, uint8_t(i)), "Song"});
        std::vector<uint8_t> bytes = BuildGamepack(src);
        file.setFileTemplate(QDir::tempPath() + "/marlipan-bench-XXXXXX.spx");
        file.open();
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        file.flush();
        path = file.fileName().toStdString();
    }
    QTemporaryFile file;
    std::string path;
    size_t pictureBytes = 0;
};

constexpr int kZoomedWidth = 505, kZoomedHeight = 489;  // BackBuffer of the zoomed window

void LevelLoad(benchmark::State& state) {
    Pack pack(int(state.range(0)), int(state.range(1)));
    TileBitmapPool tiles;
    for (auto _ : state) {
        GamepackLevel level = ReadGamepackLevel(pack.path, 1);
        BoardLayout layout = LayoutBoard(kZoomedWidth, kZoomedHeight);
        LevelPicture picture = PreparePicture(level.picture.data(), level.picture.size, layout.BoardSize);
        CutTiles(picture.Colour, level.header.CellsPerSide(), layout, tiles);
        benchmark::DoNotOptimize(tiles[48].constBits());
    }
    state.counters["jpeg_kB"] = double(pack.pictureBytes) / 1024.0;
}
BENCHMARK(LevelLoad)->Args({429, 429})->Args({640, 480})->Args({1024, 768})
    ->Unit(benchmark::kMillisecond);

void ReadLevelOnly(benchmark::State& state) {
    Pack pack(640, 480);
    for (auto _ : state) benchmark::DoNotOptimize(ReadGamepackLevel(pack.path, 1).picture.size);
}
BENCHMARK(ReadLevelOnly)->Unit(benchmark::kMicrosecond);

void CutTilesOnly(benchmark::State& state) {
    QImage colour(429, 429, QImage::Format_RGB32);
    colour.fill(0x336699);
    TileBitmapPool tiles;
    for (auto _ : state) {
        BoardLayout layout = LayoutBoard(kZoomedWidth, kZoomedHeight);
        CutTiles(colour, 7, layout, tiles);
        benchmark::DoNotOptimize(tiles[48].constBits());
    }
}
BENCHMARK(CutTilesOnly)->Unit(benchmark::kMicrosecond);

// The most a hostile picture can cost one level load: the largest picture decoded
// (8192 x 5120, kMaxPicturePixels) in progressive form with the most scans it may have
// (10), decoded twice as a load does; and the same with 300 scans, refused once they run
// over. The target is a few seconds at most: such a picture is absurd in a gamepack, but
// a load must end.
void WorstPicture(benchmark::State& state) {
    const int scans = int(state.range(0));
    const std::vector<uint8_t> jpeg = testutil::ProgressiveJpeg(Photo(8192, 5120), scans - 10);
    const BoardLayout layout = LayoutBoard(kZoomedWidth, kZoomedHeight);
    for (auto _ : state) {
        try {
            LevelPicture picture = PreparePicture(jpeg.data(), jpeg.size(), layout.BoardSize);
            benchmark::DoNotOptimize(picture.Colour.constBits());
        } catch (const PictureError&) {
        }
    }
    state.counters["jpeg_kB"] = double(jpeg.size()) / 1024.0;
}
BENCHMARK(WorstPicture)->ArgName("scans")->Arg(10)->Arg(300)
    ->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
