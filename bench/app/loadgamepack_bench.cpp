// A whole level load as the main window does it: a 7 x 7 level in the zoomed window, with
// a song (read, unscramble, decode the picture twice, cut the tiles, unpack and parse the
// song, shuffle). Target: well under 20 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <fstream>

#include "common/settingsstore.h"
#include "app/mainwindow.h"
#include "gamepack/gamepackfile.h"
#include "gamepack/picture.h"
#include "tools/lh5/lh5pack.h"

namespace {

std::vector<uint8_t> Picture() {
    QImage image(512, 512, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 512, 512);
    g.setColorAt(0, Qt::darkBlue);
    g.setColorAt(1, Qt::yellow);
    p.fillRect(image.rect(), g);
    p.setBrush(Qt::red);
    for (int i = 0; i < 12; ++i) p.drawEllipse(QPoint(40 * i + 20, 30 * i + 40), 35, 25);
    p.end();
    return EncodeJpeg(image, 90);
}

// Thirty seconds of a plain 14-register song with moving tones.
std::vector<uint8_t> Song() {
    const int frames = 1500;
    std::vector<uint8_t> ym = {'Y', 'M', '3', '!'};
    for (int reg = 0; reg < 14; ++reg)
        for (int f = 0; f < frames; ++f)
            ym.push_back(uint8_t(reg == 7 ? 0x38 : reg >= 8 && reg <= 10 ? 12 : (f * (reg + 3)) & 0xFF));
    return lh5::PackArchive(ym, "song.ym");
}

void LoadSevenBySevenZoomedWithSong(benchmark::State& state) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    GamepackSource source;
    source.SizeIndex = 4;
    source.Levels.push_back({"Bench", Picture(), Song(), "Bench tune"});
    const std::vector<uint8_t> file = BuildGamepack(source);
    std::ofstream("default.spx", std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                         std::streamsize(file.size()));
    MemoryStore store;
    store.WriteString("DoubleSize", "1");
    store.WriteString("PlayMusic", "0");
    {
        MainWindow form(store);
        if (form.flow.board.TileSize != 61) state.SkipWithError("not a zoomed 7 x 7 board");
        for (auto _ : state) benchmark::DoNotOptimize(form.LoadGamepack("default.spx", 0));
    }
    QDir::setCurrent(previous);
}
BENCHMARK(LoadSevenBySevenZoomedWithSong)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
