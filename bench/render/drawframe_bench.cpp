// Cost of composing one Playing frame (board, slide, status line with the clock), at the
// design size and zoomed, on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <vector>

#include "game/board.h"
#include "render/frame.h"
#include "render/layout.h"

namespace {

void DrawPlayingFrame(benchmark::State& state) {
    const bool zoomed = state.range(0) != 0;
    const int n = 7;
    const WindowSizes sizes = zoomed ? ZoomOn(DesignSizes) : DesignSizes;
    const Layout layout = ComputeLayout(sizes.panelWidth, sizes.panelHeight);
    Board board;
    board.BoardCols = board.BoardRows = n;
    board.TileSize = layout.BoardSize / n;
    board.BoardSize = board.TileSize * n;
    board.BoardLeft = layout.BoardLeft;
    board.BoardTop = layout.BoardTop;
    board.SolveBoardNow();
    board.TileGrid[n - 1][n - 1] = n * n;
    board.Sliding = true;
    board.SlideFrom = board.CellIndex(n - 2, n - 1);
    board.SlideTo = board.CellIndex(n - 1, n - 1);
    board.SlideOffsetX = board.TileSize / 2;
    std::vector<QImage> tiles;
    for (int t = 0; t <= n * n; ++t) {
        QImage tile(board.TileSize, board.TileSize, QImage::Format_RGB32);
        tile.fill(qRgb(t * 5, 255 - t * 5, 128));
        tiles.push_back(tile);
    }
    FrameRenderer renderer;
    renderer.Resize(layout.W, layout.H);
    FrameModel model;
    model.state = ScreenState::Playing;
    model.board = &board;
    model.tiles = tiles.data();
    model.tileCount = int(tiles.size());
    model.status = {"Lighthouse", 4, 10, true, "Harbour Waltz", true, 95};
    for (auto _ : state) {
        renderer.DrawFrame(model);
        benchmark::DoNotOptimize(renderer.BackBuffer.constBits());
    }
}
BENCHMARK(DrawPlayingFrame)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
