// The keyboard after a menu: closed by Escape, the menu bar keeps no selection of its own,
// so the arrows and Space reach the game alone. The real game under an X server, driven by
// the mouse and the keyboard as a player would.
#include <gtest/gtest.h>

#include <QSettings>

#include "tests/e2e/xsession.h"

TEST_F(EndToEnd, AfterAMenuClosesTheArrowsAndSpaceBelongToTheGame) {
    // "File" is clicked open and closed by Escape. Then Left and Down: with a selection
    // left in the bar they would walk it to "Help" and open that menu. Then, on the
    // level-complete screen (the hidden key combination), Space must go on to the Top 10,
    // which is stored at once, rather than open a menu. Each step prints the number of
    // top-level windows shown: the game's alone, or with a menu.
    const QString script = R"sh(
        set -e
        shown() { sleep 0.5; echo "STEP $1 $(xdotool search --maxdepth 1 --onlyvisible --class . | wc -l)"; }
        "$GAME" & pid=$!
        win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Marlipan!$' | head -1)
        xdotool windowfocus --sync "$win"
        sleep 0.5
        eval "$(xdotool getwindowgeometry --shell "$win")"
        file() { xdotool mousemove $((X + 15)) $((Y + 10)) click 1; }
        file; shown open
        xdotool key Escape; shown closed
        xdotool key Left key Down; shown arrows
        xdotool key Escape Escape; sleep 0.3
        xdotool keydown Escape keydown alt keydown shift keydown Home; sleep 1
        xdotool keyup Home keyup shift keyup alt keyup Escape; sleep 0.5
        file; sleep 0.3; xdotool key Escape; sleep 0.3
        xdotool keydown space; sleep 0.5; xdotool keyup space; shown space
        for i in $(seq 1 20); do
            grep -qs HiScore "$XDG_CONFIG_HOME/Dunmarsh/Marlipan.conf" && break
            sleep 0.25
        done
        kill -9 "$pid"
        wait "$pid" || true
    )sh";
    const e2e::XRun run = e2e::RunUnderX(game, home.path(), home.path(), script);
    ASSERT_TRUE(run.finished) << "the run hung";
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QStringList steps;
    for (const QByteArray& line : run.output.split('\n'))
        if (line.startsWith("STEP ")) steps << QString::fromUtf8(line.mid(5));
    EXPECT_EQ(steps.join(", ").toStdString(), "open 2, closed 1, arrows 1, space 1")
        << "the number of windows after each step; 2 is a menu open";
    QSettings stored(home.filePath("config/Dunmarsh/Marlipan.conf"), QSettings::IniFormat);
    EXPECT_TRUE(stored.contains("HiScore")) << "Space went on from the level-complete screen";
}
