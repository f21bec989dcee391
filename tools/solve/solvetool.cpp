#include "tools/solve/solvetool.h"

#include <cstdlib>
#include <istream>
#include <memory>
#include <mutex>
#include <ostream>

#include "solver/position.h"
#include "solver/solve.h"
#include "solver/tables.h"

#ifndef MARLIPAN_VERSION
#define MARLIPAN_VERSION "unknown"
#endif

namespace {

const char* const kUsage =
    "usage: marlipan-solve [--max-seconds S] [--no-cache] N N N ...\n"
    "       marlipan-solve [--max-seconds S] [--no-cache] -\n"
    "Solves a sliding-tile board of 3 x 3 to 7 x 7: its numbers in reading order, row by\n"
    "row from the top-left, 0 for the empty cell, separated by spaces or commas. With -,\n"
    "reads one board per line from standard input. Prints for each board the number of\n"
    "moves, \"optimal\" (proven shortest) or \"unproven\", and the moves: L, R, U, D, the\n"
    "direction each tile slides.\n"
    "  --max-seconds S  CPU seconds per board of 5 x 5 and larger (default 1)\n"
    "  --no-cache       neither read nor keep tables in the cache folder; use only the\n"
    "                   tables that build in a moment (a hard 4 x 4 board takes longer)\n"
    "  --help, --version\n";

bool ParseSeconds(const std::string& text, double& seconds) {
    if (text.empty()) return false;
    char* end = nullptr;
    seconds = std::strtod(text.c_str(), &end);
    return end && *end == 0 && seconds > 0 && seconds <= 86400;
}

}  // namespace

int RunSolveTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
                 solver::TableStore* tables) {
    solver::SolveOptions options;
    options.waitForTables = true;
    bool noCache = false, fromInput = false;
    std::string board;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        }
        if (a == "--version") {
            out << "marlipan-solve " MARLIPAN_VERSION "\n";
            return 0;
        }
        if (a == "--max-seconds") {
            if (i + 1 >= args.size() || !ParseSeconds(args[i + 1], options.cpuSeconds)) {
                err << "marlipan-solve: --max-seconds needs a number of seconds above 0\n" << kUsage;
                return 2;
            }
            ++i;
        } else if (a == "--no-cache") {
            noCache = true;
        } else if (a == "-") {
            fromInput = true;
        } else if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
            err << "marlipan-solve: unknown option " << a << "\n" << kUsage;
            return 2;
        } else {
            board += a + " ";
        }
    }
    if (fromInput == !board.empty()) {
        err << "marlipan-solve: give one board's numbers, or - to read boards from standard input\n" << kUsage;
        return 2;
    }

    // A table build says so when it starts (it takes a minute), from the store's thread;
    // declared before the store, so that they outlive its thread.
    std::mutex errors;
    const auto complain = [&](const std::string& line) {
        std::lock_guard<std::mutex> lock(errors);
        err << "marlipan-solve: " << line << std::endl;
    };
    std::unique_ptr<solver::TableStore> own;
    if (!tables) {
        solver::TablePlan plan = solver::TablePlan::Standard();
        plan.buildThreads = 2;
        if (noCache) {
            // Only what builds in a moment, in memory.
            plan.strong[0] = plan.quick[0];
            plan.strong[1].clear();
        }
        own = std::make_unique<solver::TableStore>(noCache ? "" : solver::TableStore::DefaultCacheFolder(), plan);
        tables = own.get();
    }

    tables->OnNote(complain);

    int status = 0;
    const auto answer = [&](const std::string& text, const std::string& which) {
        solver::Position position;
        std::string why;
        if (!solver::ParsePosition(text, position, why)) {
            complain(which + why);
            status = 1;
            return;
        }
        const solver::Solution solution = solver::Solve(position, *tables, options);
        out << solution.moves.size() << (solution.optimal ? " optimal" : " unproven");
        if (!solution.moves.empty()) out << ' ' << solution.moves;
        out << std::endl;
    };
    if (!fromInput) {
        answer(board, "");
    } else {
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (line.find_first_not_of(" \t\r,") == std::string::npos) continue;
            answer(line, "line " + std::to_string(number) + ": ");
        }
    }
    tables->OnNote(nullptr);  // `complain` goes out of scope; a store passed in lives on
    return status;
}
