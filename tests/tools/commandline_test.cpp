// Every tool answers --help on standard output with status 0 and names its version, as
// a user who types the first thing a terminal suggests expects.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct CommandRun {
    int status;
    std::string out;
};

// Standard output of the command, standard error thrown away.
CommandRun RunCommand(const std::string& command) {
    CommandRun run{-1, ""};
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ToolsCommandLine, HelpGoesToStandardOutputAndVersionNamesTheTool) {
    for (const char* tool : {MARLIPAN_PACK_EXE, MARLIPAN_SONGGEN_EXE, MARLIPAN_PICGEN_EXE, MARLIPAN_SFXGEN_EXE}) {
        const std::string name = std::string(tool).substr(std::string(tool).rfind('/') + 1);
        const CommandRun help = RunCommand(std::string("QT_QPA_PLATFORM=offscreen '") + tool + "' --help");
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_EQ(help.out.rfind("usage: " + name + " ", 0), 0u) << name << ": " << help.out;
        const CommandRun version = RunCommand(std::string("QT_QPA_PLATFORM=offscreen '") + tool + "' --version");
        EXPECT_EQ(version.status, 0) << name;
        EXPECT_EQ(version.out, name + " " + MARLIPAN_VERSION + "\n");
        // Without arguments the usage is an error.
        EXPECT_EQ(RunCommand(std::string("QT_QPA_PLATFORM=offscreen '") + tool + "'").status, 2) << name;
    }
}

}  // namespace
