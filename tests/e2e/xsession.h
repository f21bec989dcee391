#pragma once
// Runs the real game under its own Xvfb server, driven by a bash script with xdotool, in a
// temporary home: the way the end-to-end tests use the program as a player would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include "tests/gamepack/testutil.h"

namespace e2e {

// What most runs start on: "default.spx" in `folder`, one 3 x 3 level named "Only".
inline void WriteOneLevelDefaultPack(const QString& folder) {
    GamepackSource source;
    source.Levels.push_back({"Only", testutil::BlockJpeg(3, 60), {}, ""});
    testutil::WriteFile(QDir(folder).filePath("default.spx").toStdString(), BuildGamepack(source));
}

inline bool HaveXTools() {
    return !QStandardPaths::findExecutable("xvfb-run").isEmpty() &&
           !QStandardPaths::findExecutable("xdotool").isEmpty();
}

// The game this build made.
inline QString BuiltGame() { return qEnvironmentVariable("MARLIPAN_BINARY_DIR") + "/app/marlipan"; }

struct XRun {
    bool finished = false;  // false when the script was still running after a minute
    int exitCode = -1;
    QByteArray output, errors;
};

// Runs `script` with bash under a new X server, $GAME set to `game`, in `folder`, with HOME
// at `home` and the store in home/config; `extra` variables (an XDG folder, say) are set
// last. The offscreen platform of the tests is taken out.
inline XRun RunUnderX(const QString& game, const QString& folder, const QString& home, const QString& script,
                      const QProcessEnvironment& extra = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("GAME", game);
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.remove("QT_QPA_PLATFORM");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert(extra);
    QProcess run;
    run.setWorkingDirectory(folder);
    run.setProcessEnvironment(env);
    run.start("xvfb-run", {"-a", "-s", "-screen 0 1024x768x24", "bash", "-c", script});
    XRun result;
    result.finished = run.waitForFinished(60000);
    if (!result.finished) {
        run.kill();
        run.waitForFinished();
    }
    result.exitCode = run.exitCode();
    result.output = run.readAllStandardOutput();
    result.errors = run.readAllStandardError();
    return result;
}

}  // namespace e2e

// The runs that start the built game in a fresh home on the one-level default pack.
class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        if (!e2e::HaveXTools()) GTEST_SKIP() << "needs xvfb-run and xdotool (scripts/deps)";
        ASSERT_TRUE(QFile::exists(game)) << game.toStdString();
        ASSERT_TRUE(home.isValid());
        e2e::WriteOneLevelDefaultPack(home.path());
    }
    const QString game = e2e::BuiltGame();
    QTemporaryDir home;
};
