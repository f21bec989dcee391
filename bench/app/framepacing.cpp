// Frame pacing of the real main window: the interval between frames over a minute of play
// with the music on, one level load and a stretch on the Paused screen. Prints the
// distribution of the intervals (the one that holds the level load apart) and how many
// exceed 45 ms; exits 1 if any interval outside the load does. The first second, with the
// window's first showing, is in the distribution and also reported on its own.
//
// usage: marlipan-framepacing GAMEPACK_FOLDER [SECONDS] [INTERVALS.txt] [--hints=PACK]
// Runs on whatever platform QT_QPA_PLATFORM names (bench/frame_pacing.sh runs it under
// Xvfb) and plays through SDL (SDL_AUDIODRIVER=dummy needs no sound card). The optional
// file receives every interval in milliseconds, one a line, with the user-interface
// thread's CPU time in it and its phase.
// With --hints, the game plays PACK by hints alone (one every 400 ms, Space on a finished
// level) with Fewest moves on, and the solver starts without tables, as on a first start:
// its searches and its table builds work on the other threads meanwhile.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/settingsstore.h"
#include "app/mainwindow.h"
#include "platform/keystate.h"
#include "platform/sdlaudio.h"
#include "solver/tables.h"

namespace {

struct Interval {
    double ms;
    double cpuMs;  // the user-interface thread's own CPU time in it
    const char* phase;
    bool load;
};

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double Quantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5));
    return v[i];
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> args;
    std::string hintPack;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--hints=", 0) == 0) hintPack = arg.substr(8);
        else args.push_back(arg);
    }
    if (args.empty()) {
        std::fprintf(stderr, "usage: %s GAMEPACK_FOLDER [SECONDS] [INTERVALS.txt] [--hints=PACK]\n", argv[0]);
        return 2;
    }
    if (!QDir::setCurrent(QString::fromStdString(args[0]))) {
        std::fprintf(stderr, "no folder %s\n", args[0].c_str());
        return 2;
    }
    const double seconds = args.size() > 1 ? std::stod(args[1]) : 60.0;
    const bool hints = !hintPack.empty();
    KeyState::Install(&app);

    MemoryStore store;  // first run: music and effects on, default.spx
    if (hints) {
        store.WriteString("GamepackName", hintPack);
        store.WriteString("FewestMoves", "1");
    }
    // A cache folder of its own, empty: the tables are built during the run.
    QTemporaryDir cache;
    auto tables = std::make_shared<solver::TableStore>(cache.path().toStdString());
    platform::SdlAudio audio;
    MainWindow form(store, &audio, tables);
    if (form.StartFailed()) return 2;
    form.show();

    QElapsedTimer clock;
    clock.start();
    // The first second holds the window's first showing (fonts and glyphs loaded once).
    const char* phase = "start";
    QTimer::singleShot(1000, [&] {
        if (std::string(phase) == "start") phase = "play";
    });
    bool loadBetween = false;  // a level load ran since the last frame
    qint64 last = -1;
    double lastCpu = 0;
    std::vector<Interval> intervals;
    QObject::connect(&form, &MainWindow::FrameShown, [&] {
        const qint64 now = clock.nsecsElapsed();
        const double cpu = ThreadCpuMs();
        if (last >= 0) intervals.push_back({double(now - last) / 1e6, cpu - lastCpu, phase, loadBetween});
        loadBetween = false;
        last = now;
        lastCpu = cpu;
    });

    // The script, in shares of the run: play with the arrow keys, a level load, the Paused
    // screen, play again.
    const auto at = [&](double share, auto action) {
        QTimer::singleShot(int(share * seconds * 1000), &form, action);
    };
    int arrow = 0;
    QTimer keys;
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (hints) {
            form.flow.Hinted = true;  // as if Yes was answered
            if (form.flow.State == ScreenState::Playing) form.hintAction->trigger();
            if (form.flow.State != ScreenState::LevelComplete) return;
            KeyState::SetDown(VK::Space, true);
            QTimer::singleShot(60, [] { KeyState::SetDown(VK::Space, false); });
            return;
        }
        const int vk[4] = {VK::Left, VK::Up, VK::Right, VK::Down};
        for (int k : vk) KeyState::SetDown(k, false);
        if (form.flow.State == ScreenState::Playing) KeyState::SetDown(vk[arrow++ % 4], true);
        QTimer::singleShot(60, [vk] {
            for (int k : vk) KeyState::SetDown(k, false);
        });
    });
    keys.start(400);
    at(0.30, [&] {
        // The load runs inside this handler, between two frames: that interval is marked.
        form.newGameAction->trigger();
        loadBetween = true;
    });
    at(0.40, [&] {
        phase = "paused";
        form.pauseAction->trigger();
    });
    at(0.70, [&] {
        form.pauseAction->trigger();
        phase = "play";
    });
    at(1.0, [&] { form.close(); });
    app.exec();
    const bool music = form.MusicEngine->Playing();

    std::vector<double> steady;
    double loadMs = 0, startMs = 0;
    int over = 0;
    for (const Interval& i : intervals) {
        if (i.load) {
            loadMs = std::max(loadMs, i.ms);
            continue;
        }
        if (std::string(i.phase) == "start") startMs = std::max(startMs, i.ms);
        steady.push_back(i.ms);
        over += i.ms > 45.0;
        // A long interval in which the game itself worked little was spent waiting for
        // the processor (a busy machine), not in the game.
        if (i.ms > 45.0) std::printf("  %.2f ms (%s), of it %.2f ms of the game's own CPU time\n", i.ms, i.phase, i.cpuMs);
    }
    if (args.size() > 2) {
        std::ofstream out(args[2]);
        for (const Interval& i : intervals)
            out << i.ms << ' ' << i.cpuMs << ' ' << (i.load ? "load" : i.phase) << '\n';
    }
    if (steady.empty()) {
        std::fprintf(stderr, "no frames\n");
        return 2;
    }
    std::printf("frames %zu over %.0f s (%.1f a second), music %s at the end\n", intervals.size() + 1,
                seconds, double(intervals.size()) / seconds, music ? "playing" : "silent");
    std::printf("interval ms: min %.2f  median %.2f  p95 %.2f  p99 %.2f  max %.2f\n",
                Quantile(steady, 0), Quantile(steady, 0.5), Quantile(steady, 0.95),
                Quantile(steady, 0.99), Quantile(steady, 1));
    std::printf("the longest interval in the first second: %.2f ms\n", startMs);
    std::printf("the interval with the level load: %.2f ms\n", loadMs);
    std::printf("intervals above 45 ms outside the load: %d\n", over);
    if (hints) {
        const QString built = QDir(cache.path()).entryList(QDir::Files).join(' ');
        std::printf("hints: %s, %d moves, level %d, tables built: %s\n", hintPack.c_str(), form.flow.board.MoveCount,
                    form.flow.LevelIndex + 1, built.toLocal8Bit().constData());
    }
    return over == 0 ? 0 : 1;
}
