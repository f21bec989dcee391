// A finished game's Top 10 entry survives the program being killed: the real game, the
// real store in a temporary home, a one-level pack solved with the hidden key combination.
#include <gtest/gtest.h>

#include <QSettings>

#include "game/hiscoretable.h"
#include "platform/store.h"
#include "tests/e2e/xsession.h"

TEST_F(EndToEnd, TopTenEntrySurvivesAKillAfterTheGame) {
    // The window is found by its title; the four keys are held together, then Space
    // leaves the level-complete screen for the Top 10. Keys are held for a while: the game
    // reads the keyboard's state once a frame, so a tap between two frames is not seen.
    // The game is killed as soon as the table has reached the store (or after 20 s).
    const QString script = R"(
        set -e
        "$GAME" & pid=$!
        win=$(xdotool search --sync --onlyvisible --name '^Marlipan!$' | head -1)
        xdotool windowfocus --sync "$win"
        sleep 1
        xdotool keydown Escape keydown alt keydown shift keydown Home
        sleep 1
        xdotool keyup Home keyup shift keyup alt keyup Escape
        sleep 0.5
        xdotool keydown space
        sleep 0.5
        xdotool keyup space
        for i in $(seq 1 40); do
            grep -qs HiScore "$XDG_CONFIG_HOME/Dunmarsh/Marlipan.conf" && break
            sleep 0.5
        done
        kill -9 "$pid"
        wait "$pid" || true
    )";
    const e2e::XRun run = e2e::RunUnderX(game, home.path(), home.path(), script);
    ASSERT_TRUE(run.finished) << "the run hung";
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    QSettings stored(home.filePath("config/Dunmarsh/Marlipan.conf"), QSettings::IniFormat);
    const QByteArray bytes = stored.value("HiScore").toByteArray();
    ASSERT_EQ(bytes.size(), 630) << "no table was stored before the kill";
    auto table = HiScoreTable::Parse(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    ASSERT_TRUE(table);
    EXPECT_FALSE(table->Entry(0).Empty());
    EXPECT_EQ(table->Entry(0).Gamepack, "default.spx");
    EXPECT_EQ(table->Entry(0).Moves, 0) << "solved by the key combination, without a move";
    EXPECT_EQ(table->Entry(0).TimeLeft, -1);
}
