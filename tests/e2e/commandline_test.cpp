// The game's command line, answered before any window system is reached: a mistyped option
// in a terminal without a display is told as one, not as a failure of the toolkit.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "tests/e2e/xsession.h"

TEST(CommandLine, AnUnknownOptionIsToldWithoutADisplayAndToolkitOptionsAreNotTakenForIt) {
    const QString game = e2e::BuiltGame();
    ASSERT_TRUE(QFile::exists(game)) << game.toStdString();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    QProcess run;
    run.setProcessEnvironment(env);
    // Options of the toolkit itself, with and without a value, come first.
    run.start(game, {"-style", "fusion", "-reverse", "--bogus"});
    ASSERT_TRUE(run.waitForFinished(30000));
    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << errors.toStdString();
    EXPECT_EQ(run.exitCode(), 2) << errors.toStdString();
    EXPECT_TRUE(errors.contains("unknown option 'bogus'")) << errors.toStdString();
    EXPECT_FALSE(errors.contains("style") || errors.contains("reverse")) << errors.toStdString();
}
