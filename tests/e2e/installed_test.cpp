// The installed game, as a player gets it: the build installed with `cmake --install` into a
// temporary prefix, started from an empty folder with no gamepacks anywhere else, finds the
// bundled default pack beside itself, plays, and stores it as the current pack at exit.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

bool Have(const char* program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

}  // namespace

TEST(InstalledGame, StartsOnItsBundledDefaultPackFromAnEmptyFolder) {
    if (!Have("xvfb-run") || !Have("xdotool")) GTEST_SKIP() << "needs xvfb-run and xdotool (scripts/deps)";
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString prefix = root.filePath("prefix");
    QProcess install;
    install.start(MARLIPAN_CMAKE, {"--install", qEnvironmentVariable("MARLIPAN_BINARY_DIR"), "--prefix", prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    const QString game = prefix + "/games/marlipan";
    ASSERT_TRUE(QFile::exists(game));
    ASSERT_TRUE(QFile::exists(prefix + "/share/marlipan/gamepacks/default.spx"));
    QDir().mkpath(root.filePath("empty"));

    // Started, then ended with Alt+X once its window is up; a "Can't load gamepack!" box
    // instead would not end by that key, and the run times out.
    const QString script = R"(
        "$GAME" & pid=$!
        win=$(xdotool search --sync --onlyvisible --name '^Marlipan!$' | head -1)
        xdotool windowfocus --sync "$win"
        sleep 1
        xdotool key alt+x
        for i in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
        if kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; exit 3; fi
        wait "$pid"
    )";
    QProcess run;
    run.setWorkingDirectory(root.filePath("empty"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("GAME", game);
    env.insert("HOME", root.filePath("home"));
    env.insert("XDG_CONFIG_HOME", root.filePath("home/config"));
    env.insert("XDG_DATA_HOME", root.filePath("home/data"));
    env.insert("XDG_DATA_DIRS", root.filePath("nowhere"));  // an installed game must not help
    env.remove("QT_QPA_PLATFORM");
    env.insert("SDL_AUDIODRIVER", "dummy");
    run.setProcessEnvironment(env);
    run.start("xvfb-run", {"-a", "-s", "-screen 0 1024x768x24", "bash", "-c", script});
    ASSERT_TRUE(run.waitForFinished(60000)) << "the run hung";
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    QSettings stored(root.filePath("home/config/Dunmarsh/Marlipan.conf"), QSettings::IniFormat);
    EXPECT_EQ(stored.value("GamepackName").toString(), "default.spx");
    EXPECT_TRUE(QDir(root.filePath("home/data/marlipan/gamepacks")).exists()) << "the player's folder is made";
    EXPECT_TRUE(QDir(root.filePath("empty")).isEmpty());
}
