// How soon a hint slides: for each bundled pack (3 x 3 to 7 x 7), the real main window is
// shown and plays a run of hints, one every PAUSE ms after the last slide ended, as a quick
// player would. For each hint it measures the time from the command to the first frame that
// shows its tile moving (the target: 200 ms on every board) and, on 3 x 3 and 4 x 4, checks
// whether the move was one of a shortest solution. The first hint of a game, which starts
// the search, is reported apart. Then, with Fewest moves on, it loads levels of each pack
// and reports how long the level's figure takes, whether it is proven, and (3 x 3, 4 x 4)
// whether it is the optimum, or (5 x 5 and up) how far above the lower bound it lies.
//
// usage: marlipan-hintlatency GAMEPACK_FOLDER WARM_CACHE [--cold] [HINTS] [PAUSE]
// WARM_CACHE is a cache folder that holds the solver's tables, or gets them (built once,
// a minute or so): the shortest-solution check uses it, and so does the window unless
// --cold, which gives the window a fresh empty folder, as on a first start.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "app/solverhelp.h"
#include "common/settingsstore.h"
#include "solver/solve.h"
#include "solver/tables.h"

namespace {

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5))];
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> args;
    bool cold = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--cold") cold = true;
        else args.push_back(argv[i]);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s GAMEPACK_FOLDER WARM_CACHE [--cold] [HINTS] [PAUSE]\n", argv[0]);
        return 2;
    }
    if (!QDir::setCurrent(QString::fromStdString(args[0]))) {
        std::fprintf(stderr, "no folder %s\n", args[0].c_str());
        return 2;
    }
    const int hints = args.size() > 2 ? std::stoi(args[2]) : 20;
    const int pause = args.size() > 3 ? std::stoi(args[3]) : 250;
    solver::TableStore checker(args[1]);
    solver::SolveOptions proven;
    proven.waitForTables = true;

    // One pack of each board size, each played on tables of its own when cold.
    const char* const packs[] = {"default.spx", "harbour.spx", "racing.spx", "expert.spx", "master.spx"};
    const auto storeFor = [](const char* pack) {
        MemoryStore store;
        store.WriteString("GamepackName", pack);
        store.WriteString("PlayMusic", "0");
        return store;
    };

    std::printf("%s tables; %d hints a board, %d ms after each slide\n", cold ? "no" : "cached", hints, pause);
    std::printf("board  first hint ms  later hints ms: median  p95  max   on a shortest way\n");
    bool allFast = true;
    for (const char* pack : packs) {
        QTemporaryDir fresh;
        auto tables = std::make_shared<solver::TableStore>(cold ? fresh.path().toStdString() : args[1]);
        MemoryStore store = storeFor(pack);
        MainWindow form(store, nullptr, tables);
        form.show();
        form.flow.Hinted = true;  // as if Yes was answered
        Wait(300);

        QElapsedTimer clock;
        bool waiting = false;
        double shownMs = 0;
        QObject::connect(&form, &MainWindow::FrameShown, [&] {
            if (waiting && form.flow.board.Sliding) {
                shownMs = double(clock.nsecsElapsed()) / 1e6;
                waiting = false;
            }
        });
        std::vector<double> later;
        double first = 0;
        std::vector<std::pair<solver::Position, solver::Position>> moves;  // checked after the run
        const int n = form.flow.board.BoardCols;
        for (int i = 0; i < hints && form.flow.State == ScreenState::Playing; ++i) {
            const solver::Position before = BoardPosition(form.flow.board);
            waiting = true;
            clock.start();
            form.hintAction->trigger();
            while (waiting && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (waiting) {
                std::fprintf(stderr, "%s: hint %d did not slide within 5 s\n", pack, i + 1);
                allFast = false;
                break;
            }
            (i == 0 ? first : later.emplace_back()) = shownMs;
            while (form.flow.board.Sliding) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (n <= 4) moves.emplace_back(before, BoardPosition(form.flow.board));
            Wait(pause);
        }
        int shortest = 0;
        for (const auto& [before, after] : moves)
            shortest += solver::Solve(after, checker, proven).moves.size() + 1 ==
                        solver::Solve(before, checker, proven).moves.size();
        const int checked = int(moves.size());
        allFast = allFast && first <= 200 && Quantile(later, 1) <= 200;
        std::printf("%dx%d   %8.1f        %8.1f %6.1f %6.1f   %s\n", n, n, first, Quantile(later, 0.5),
                    Quantile(later, 0.95), Quantile(later, 1),
                    checked ? (std::to_string(shortest) + " of " + std::to_string(checked)).c_str() : "-");
        std::fflush(stdout);
    }

    std::printf("\nFewest moves of a level, searched from its start (%s tables)\n", cold ? "no" : "cached");
    std::printf("board  level  seconds  figure  proven  optimum / lower bound\n");
    bool allRight = true;
    for (const char* pack : packs) {
        QTemporaryDir fresh;
        auto tables = std::make_shared<solver::TableStore>(cold ? fresh.path().toStdString() : args[1]);
        MemoryStore store = storeFor(pack);
        store.WriteString("FewestMoves", "1");
        MainWindow form(store, nullptr, tables);
        const int n = form.flow.board.BoardCols;
        for (int level = 0; level < std::min(form.Header.LevelCount, n <= 4 ? 6 : 2); ++level) {
            QElapsedTimer clock;
            clock.start();
            form.flow.LevelIndex = level;
            form.LoadGamepack(pack, level);
            const solver::Position start = BoardPosition(form.flow.board);
            while (form.Help().LevelSearching()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            const double seconds = double(clock.elapsed()) / 1e3;
            const SolverHelp::Fewest fewest = form.Help().LevelFewest();
            std::string truth;
            if (n <= 4) {
                const int optimum = int(solver::Solve(start, checker, proven).moves.size());
                allRight = allRight && fewest.proven && fewest.moves == optimum;
                truth = std::to_string(optimum);
            } else {
                truth = std::to_string(solver::LowerBound(start)) + " (x" +
                        std::to_string(double(fewest.moves) / solver::LowerBound(start)).substr(0, 4) + ")";
            }
            std::printf("%dx%d   %5d  %7.2f  %6d  %6s  %s\n", n, n, level + 1, seconds, fewest.moves,
                        fewest.proven ? "yes" : "no", truth.c_str());
            std::fflush(stdout);
        }
    }
    return allFast && allRight ? 0 : 1;
}
