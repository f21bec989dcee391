// Frame pacing of the real main window: the interval between frames over a minute of play
// with the music on, one level load and a stretch on the Paused screen. Prints the
// distribution of the intervals (the one that holds the level load apart) and how many
// exceed 45 ms; exits 1 if any interval outside the load does. The first second, with the
// window's first showing, is in the distribution and also reported on its own.
//
// usage: marlipan-framepacing GAMEPACK_FOLDER [SECONDS] [INTERVALS.txt]
// Runs on whatever platform QT_QPA_PLATFORM names (bench/frame_pacing.sh runs it under
// Xvfb) and plays through SDL (SDL_AUDIODRIVER=dummy needs no sound card). The optional
// file receives every interval in milliseconds, one a line, with the user-interface
// thread's CPU time in it and its phase.
#include <QApplication>
#include <QDir>
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s GAMEPACK_FOLDER [SECONDS] [INTERVALS.txt]\n", argv[0]);
        return 2;
    }
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "no folder %s\n", argv[1]);
        return 2;
    }
    const double seconds = argc > 2 ? std::stod(argv[2]) : 60.0;
    KeyState::Install(&app);

    MemoryStore store;  // first run: music and effects on, default.spx
    platform::SdlAudio audio;
    MainWindow form(store, &audio);
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
    if (argc > 3) {
        std::ofstream out(argv[3]);
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
    return over == 0 ? 0 : 1;
}
