#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

#include "solver/position.h"
#include "tests/solver/testboards.h"
#include "tools/solve/solvetool.h"

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Tool(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunSolveTool(args, in, out, err, &testboards::SmallTables());
    return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(SolveTool, OneBoardFromTheArguments) {
    const ToolRun run = Tool({"1,2,3", "4", "5 6", "0,7,8"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2 optimal LL\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Tool({"1", "2", "3", "4", "5", "6", "7", "8", "0"}).out, "0 optimal\n");
}

// Each line answered in order, the bad ones on standard error by line number and why,
// and the exit status 1 because some were bad.
TEST(SolveTool, BatchAnswersGoodBoardsAndNamesEachBadOne) {
    const solver::Position five = testboards::Shuffled(5, 9);
    std::string fiveText;
    for (int v : five.cells) fiveText += std::to_string(v) + ",";
    const ToolRun run = Tool({"--max-seconds", "0.05", "-"},
                         "1 2 3 4 5 6 0 7 8\n"
                         "1 2 3 4 5 6 7 8\n"
                         "\n"
                         "1 2 3 4 5 6 7 8 9\n" +
                             fiveText +
                             "\n"  // line 5
                             "1 2 3 4 5 6 7 7 0\n"
                             "2 1 3 4 5 6 7 8 0\n"
                             "1 2 3 4 5 6 7 8 zero\n"
                             "1 2 3 4 5 6 7 8 0\n");
    EXPECT_EQ(run.status, 1);
    const auto out = Lines(run.out);
    ASSERT_EQ(out.size(), 3u) << run.out;
    EXPECT_EQ(out[0], "2 optimal LL");
    const size_t space = out[1].find(' ');
    const std::string moves = out[1].substr(out[1].rfind(' ') + 1);
    EXPECT_EQ(out[1].substr(0, space), std::to_string(moves.size()));
    EXPECT_NE(out[1].find(" unproven "), std::string::npos);
    EXPECT_TRUE(solver::Solves(five, moves));
    EXPECT_EQ(out[2], "0 optimal");
    const auto err = Lines(run.err);
    ASSERT_EQ(err.size(), 5u) << run.err;
    EXPECT_EQ(err[0].rfind("marlipan-solve: line 2: 8 numbers", 0), 0u) << err[0];
    EXPECT_EQ(err[1].rfind("marlipan-solve: line 4: number 9 is out of range", 0), 0u) << err[1];
    EXPECT_EQ(err[2].rfind("marlipan-solve: line 6: number 7 appears twice", 0), 0u) << err[2];
    EXPECT_EQ(err[3].rfind("marlipan-solve: line 7: it cannot be solved", 0), 0u) << err[3];
    EXPECT_EQ(err[4].rfind("marlipan-solve: line 8: \"zero\" is not a number", 0), 0u) << err[4];
}

TEST(SolveTool, HelpVersionAndUsageErrors) {
    ToolRun run = Tool({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("usage: marlipan-solve", 0), 0u);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Tool({"--version"}).out.rfind("marlipan-solve 1.", 0), 0u);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--frobnicate", "1"}, {"--max-seconds"}, {"--max-seconds", "0", "-"}, {"-", "1", "2"}}) {
        run = Tool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(Tool({"1", "2", "3"}).status, 1);
}

// The installed program itself: its exit status and standard output.
TEST(SolveTool, TheProgramAnswersAndFailsWithItsStatus) {
    const char* program = std::getenv("MARLIPAN_SOLVE");
    ASSERT_NE(program, nullptr);
    const auto run = [&](const std::string& args, std::string& out) {
        FILE* pipe = popen((std::string(program) + " --no-cache " + args + " 2>/dev/null").c_str(), "r");
        char buffer[256];
        out.clear();
        while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
        return WEXITSTATUS(pclose(pipe));
    };
    std::string out;
    EXPECT_EQ(run("1 2 3 4 5 6 0 7 8", out), 0);
    EXPECT_EQ(out, "2 optimal LL\n");
    EXPECT_EQ(run("1 2 3 4 5 6 7 7 0", out), 1);
    EXPECT_EQ(out, "");
}

}  // namespace
