// The captions the X server is given for the dialogs and message boxes of the real game:
// each its own name, with nothing appended by the toolkit.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <map>

#include "tests/e2e/xsession.h"

TEST_F(EndToEnd, DialogsAndMessageBoxesCarryOnlyTheirOwnCaptions) {
    // A saved game stored as text: Restore game answers with an error box.
    ASSERT_TRUE(QDir().mkpath(home.filePath("config/Dunmarsh")));
    QFile conf(home.filePath("config/Dunmarsh/Marlipan.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[General]\nPlayMusic=0\nPlaySoundFX=0\nSavegame=not binary\n");
    conf.close();

    // Each command opens one window over the main one; the names of the visible windows
    // are listed once there are two, then the window is closed by its key.
    const QString script = R"sh(
        set -e
        names() {
            for i in $(seq 1 40); do
                [ "$(xdotool search --onlyvisible --name . | wc -l)" -ge 2 ] && break
                sleep 0.25
            done
            for w in $(xdotool search --onlyvisible --name .); do echo "NAME $1 $(xdotool getwindowname "$w")"; done
        }
        "$GAME" & pid=$!
        win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Marlipan!$' | head -1)
        step() {
            xdotool windowfocus --sync "$win"
            sleep 0.3
            xdotool key "$1"
            names "$2"
            xdotool key "$3"
            sleep 0.5
        }
        step ctrl+t settings Escape
        step alt+F1 about Escape
        step ctrl+x confirm Escape
        step ctrl+r error Return
        kill "$pid"
        wait "$pid" || true
    )sh";
    const e2e::XRun run = e2e::RunUnderX(game, home.path(), home.path(), script);
    ASSERT_TRUE(run.finished) << "the run hung";
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    std::map<QString, QStringList> shown;  // by step, the names of the windows besides the game's
    int mainWindows = 0;
    for (const QByteArray& line : run.output.split('\n')) {
        if (!line.startsWith("NAME ")) continue;
        const QString text = QString::fromUtf8(line.mid(5));
        const QString step = text.section(' ', 0, 0), name = text.section(' ', 1);
        if (name == "Marlipan!" && step != "error") ++mainWindows;
        else shown[step] << name;
    }
    EXPECT_EQ(mainWindows, 3) << "the main window is there under each dialog";
    auto names = [&](const char* step) { return shown[step].join(" | ").toStdString(); };
    EXPECT_EQ(names("settings"), "Game settings");
    EXPECT_EQ(names("about"), "About");
    EXPECT_EQ(names("confirm"), "Confirm");
    EXPECT_EQ(names("error"), "Marlipan! | Marlipan!") << "the game's window and the error box";
}
