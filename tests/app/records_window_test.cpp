// The main window with the per-user store: settings, the Top 10 table and the saved game.
#include <QStringList>

#include "game/savegame.h"
#include "platform/dialogs.h"
#include "tests/app/windowfixture.h"

namespace {

class Records : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetDialogHooks({[this](const QString& text) { messages << text; },
                        [this](const QString& caption, const QString& question) {
                            questions << caption + "|" + question;
                            return answer;
                        }});
        Write("default.spx", MakeGamepack(0, 3, 3));  // 3 x 3, against a 90 s clock
        Write("big.spx", MakeGamepack(4, 0, 2));      // 7 x 7
    }
    void TearDown() override {
        SetDialogHooks({});
        WindowTest::TearDown();
    }
    void Finish() { form.reset(); }
    std::string Text(const char* name) const { return store.Read(name).text; }
    // Moves the gap with the move rule until the board differs from `grid`.
    static void MoveSomeTiles(MainWindow& f) {
        for (int i = 0; i < 3; ++i) {
            Board& b = f.flow.board;
            const int empty = b.FindEmptyCell();
            const int c = b.CellColumn(empty), r = b.CellRow(empty);
            const int from = c > 0 ? b.CellIndex(c - 1, r) : b.CellIndex(c + 1, r);
            ASSERT_TRUE(b.TryMoveCell(from));
            while (!b.AdvanceSlide(10)) {}
        }
    }
    static std::vector<int32_t> Grid(const MainWindow& f) {
        return std::vector<int32_t>(&f.flow.board.TileGrid[0][0], &f.flow.board.TileGrid[0][0] + 64);
    }

    QStringList messages, questions;
    bool answer = true;
};

}  // namespace

TEST_F(Records, FirstRunTakesTheDefaultsAndExitStoresThemAll) {
    MainWindow& f = Start();
    EXPECT_TRUE(f.musicAction->isChecked());
    EXPECT_TRUE(f.soundEffectsAction->isChecked());
    EXPECT_FALSE(f.stayOnTopAction->isChecked());
    EXPECT_FALSE(f.zoomAction->isChecked());
    EXPECT_EQ(f.MusicEngine->Volume(), 128);
    EXPECT_EQ(f.Settings.GamepackName, "default.spx");
    EXPECT_EQ(f.SlideSpeed(), 10);
    EXPECT_TRUE(f.HiScores.Entry(0).Empty());
    Finish();
    EXPECT_EQ(Text("PlayMusic"), "1");
    EXPECT_EQ(Text("PlaySoundFX"), "1");
    EXPECT_EQ(Text("OnTop"), "0");
    EXPECT_EQ(Text("DoubleSize"), "0");
    EXPECT_EQ(Text("MusicVolume"), "128");
    EXPECT_EQ(Text("GamepackName"), "default.spx");
    EXPECT_EQ(Text("SlideSpeed"), "10");
    EXPECT_EQ(store.Read("HiScore").bytes.size(), 630u);
}

TEST_F(Records, StoredFlagsAreNormalisedAndZoomIsHonouredOnATallScreen) {
    store.WriteString("PlayMusic", "yes");
    store.WriteString("OnTop", "2");
    store.WriteString("DoubleSize", "1");
    store.WriteString("MusicVolume", "loud");
    MainWindow& f = Start();
    EXPECT_TRUE(f.musicAction->isChecked());
    EXPECT_FALSE(f.stayOnTopAction->isChecked());
    EXPECT_EQ(f.centralWidget()->size(), QSize(517, 498)) << "the 800-pixel screen zooms";
    EXPECT_EQ(f.flow.board.TileSize, 143);
    EXPECT_EQ(f.MusicEngine->Volume(), 128);
    Finish();
    EXPECT_EQ(Text("PlayMusic"), "1");
    EXPECT_EQ(Text("OnTop"), "0");
    EXPECT_EQ(Text("DoubleSize"), "1");
    EXPECT_EQ(Text("MusicVolume"), "128");
}

TEST_F(Records, CommandsChangeTheSettingsTheyName) {
    MainWindow& f = Start();
    f.musicAction->trigger();
    EXPECT_EQ(f.Settings.PlayMusic, "0");
    f.soundEffectsAction->trigger();
    EXPECT_EQ(f.Settings.PlaySoundFX, "0");
    EXPECT_FALSE(f.SoundEffectsOn());
    f.stayOnTopAction->trigger();
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    f.zoomAction->trigger();
    Finish();
    EXPECT_EQ(Text("PlayMusic"), "0");
    EXPECT_EQ(Text("PlaySoundFX"), "0");
    EXPECT_EQ(Text("OnTop"), "1");
    EXPECT_EQ(Text("DoubleSize"), "1");
}

TEST_F(Records, FinishedGameIsStoredAtOnce) {
    MainWindow& f = Start();
    f.flow.board.MoveCount = 321;
    f.flow.TimeLeft = 44;
    f.flow.LevelIndex = 2;
    f.flow.State = ScreenState::LevelComplete;
    f.flow.NextLevel();
    ASSERT_EQ(f.flow.State, ScreenState::TopTen);
    // Without the window's end (the program killed now), the table is in the store.
    const auto stored = store.Committed().at("HiScore").bytes;
    auto table = HiScoreTable::Parse(stored.data(), stored.size());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Entry(0).Moves, 321);
    EXPECT_EQ(table->Entry(0).TimeLeft, 44);
    EXPECT_EQ(table->Entry(0).Colour, 0x0000FFFFu);
}

TEST_F(Records, ClearTopTenAsksFirstAndYesClears) {
    MainWindow& f = Start();
    f.HiScores.RecordResult(10, -1, "default.spx");
    answer = false;
    f.clearTopTenAction->trigger();
    EXPECT_EQ(questions, QStringList{"Confirm|Are you sure to clear all Top 10 entries?"});
    EXPECT_FALSE(f.HiScores.Entry(0).Empty());
    EXPECT_TRUE(f.FrameLoopActive);
    answer = true;
    f.clearTopTenAction->trigger();
    EXPECT_TRUE(f.HiScores.Entry(0).Empty());
    Finish();
    const auto bytes = store.Read("HiScore").bytes;
    auto table = HiScoreTable::Parse(bytes.data(), bytes.size());
    ASSERT_TRUE(table);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(table->Entry(i).Empty());
}

TEST_F(Records, SaveMoveRestoreGivesBackBoardMovesAndTime) {
    MainWindow& f = Start();
    f.flow.board.MoveCount = 12;
    f.flow.TimeLeft = 55;
    const auto saved = Grid(f);
    f.saveGameAction->trigger();
    MoveSomeTiles(f);
    f.flow.TimeLeft = 20;
    f.flow.ResultRecorded = true;  // as after finishing a game since the save
    ASSERT_NE(Grid(f), saved);
    f.restoreGameAction->trigger();
    EXPECT_EQ(Grid(f), saved) << "the level is not reshuffled";
    EXPECT_EQ(f.flow.board.MoveCount, 12);
    EXPECT_EQ(f.flow.TimeLeft, 55);
    EXPECT_FALSE(f.flow.ResultRecorded) << "the restored game's result will be offered";
    EXPECT_EQ(f.flow.State, ScreenState::Playing);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Records, SavesRestoreAcrossBoardSizes) {
    MainWindow& f = Start();
    const auto small = Grid(f);
    f.saveGameAction->trigger();
    f.Settings.GamepackName = "big.spx";
    f.LoadGamepack("big.spx", 0);
    ASSERT_EQ(f.flow.board.BoardCols, 7);
    f.restoreGameAction->trigger();
    EXPECT_EQ(f.flow.board.BoardCols, 3);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) EXPECT_EQ(f.flow.board.TileGrid[c][r], small[size_t(c * 8 + r)]);
    EXPECT_FALSE(f.flow.board.IsSolved());

    f.Settings.GamepackName = "big.spx";
    f.LoadGamepack("big.spx", 1);
    f.flow.LevelIndex = 1;
    const auto big = Grid(f);
    f.saveGameAction->trigger();
    f.Settings.GamepackName = "default.spx";
    f.LoadGamepack("default.spx", 0);
    f.restoreGameAction->trigger();
    EXPECT_EQ(f.flow.board.BoardCols, 7);
    EXPECT_EQ(f.flow.LevelIndex, 1);
    EXPECT_EQ(Grid(f), big);
}

TEST_F(Records, SaveOnGameOverRestoresIntoPlayingAndTheNextTickEndsIt) {
    MainWindow& f = Start();
    f.flow.TimeLeft = 1;
    f.tickLevelClock();
    ASSERT_EQ(f.flow.State, ScreenState::GameOver);
    f.saveGameAction->trigger();
    f.restoreGameAction->trigger();
    EXPECT_EQ(f.flow.State, ScreenState::Playing);
    EXPECT_EQ(f.flow.TimeLeft, 0);
    f.tickLevelClock();
    EXPECT_EQ(f.flow.State, ScreenState::GameOver);
    // That tick left the clock at -1; saved and restored again, it ends the game again.
    f.saveGameAction->trigger();
    f.restoreGameAction->trigger();
    EXPECT_EQ(f.flow.State, ScreenState::Playing);
    EXPECT_EQ(f.flow.TimeLeft, -1);
    f.tickLevelClock();
    EXPECT_EQ(f.flow.State, ScreenState::GameOver);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(Records, SaveOnLevelCompleteRestoresASolvedBoard) {
    MainWindow& f = Start();
    f.flow.board.SolveBoardNow();
    ASSERT_TRUE(f.flow.CheckSolved());
    f.saveGameAction->trigger();
    f.newGameAction->trigger();
    f.restoreGameAction->trigger();
    EXPECT_EQ(f.flow.State, ScreenState::Playing);
    EXPECT_TRUE(f.flow.CheckSolved()) << "the next poll finds it solved again";
}

TEST_F(Records, SaveOfAFinishedGameIsRefusedAndNothingChanges) {
    MainWindow& f = Start();
    f.flow.LevelIndex = 3;  // what a save on the Top 10 screen of a 3-level pack holds
    f.flow.State = ScreenState::TopTen;
    f.saveGameAction->trigger();
    f.flow.LevelIndex = 0;
    f.flow.State = ScreenState::Playing;
    const auto before = Grid(f);
    EXPECT_THROW(f.restoreGameAction->trigger(), SaveGameError);
    EXPECT_EQ(Grid(f), before);
    EXPECT_EQ(f.flow.LevelIndex, 0);
}

TEST_F(Records, RestoreOfAMissingPackFallsBackWithoutTheSavedBoard) {
    MainWindow& f = Start();
    f.Settings.GamepackName = "big.spx";
    f.LoadGamepack("big.spx", 1);
    f.flow.LevelIndex = 1;
    f.flow.board.MoveCount = 77;
    f.saveGameAction->trigger();
    QFile::remove(Path("big.spx"));
    f.restoreGameAction->trigger();
    EXPECT_EQ(f.Settings.GamepackName, "default.spx");
    EXPECT_EQ(f.flow.LevelIndex, 0);
    EXPECT_EQ(f.flow.board.BoardCols, 3);
    EXPECT_EQ(f.flow.board.MoveCount, 77) << "the saved moves are not applied";
}

TEST_F(Records, WrongVersionOrTypeIsReportedAndChangesNothing) {
    MainWindow& f = Start();
    store.WriteString("Savegame", "not binary");
    EXPECT_THROW(f.restoreGameAction->trigger(), StoreTypeError);
    SaveGameRecord record = MakeSaveGame("default.spx", 0, 5, 5, f.flow.board.TileGrid, 3);
    record.Version = "1.09";
    store.WriteBinary("Savegame", EncodeSaveGame(record));
    try {
        f.restoreGameAction->trigger();
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Unknown savegame format");
    }
}

TEST_F(Records, SaveThatCannotBeWrittenSaysSo) {
    MainWindow& f = Start();
    store.SetSyncFails(true);
    for (int i = 0; i < 2; ++i) {
        try {
            f.saveGameAction->trigger();
            ADD_FAILURE() << "a save that did not happen reported as done";
        } catch (const StoreError& e) {
            EXPECT_NE(std::string(e.what()).find("the game is not saved"), std::string::npos) << e.what();
        }
    }
    Finish();
    EXPECT_EQ(messages.size(), 1) << "at exit: the settings and the table are not kept either";
}

TEST_F(Records, StoreThatCannotBeWrittenIsToldOnceWhatItCannotKeep) {
    store.SetSyncFails(true);
    MainWindow& f = Start();
    f.flow.LevelIndex = 2;
    f.flow.State = ScreenState::LevelComplete;
    f.flow.NextLevel();  // a result: stored at once, which fails
    ASSERT_EQ(f.flow.State, ScreenState::TopTen);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("the settings and the Top 10 table are not kept")) << messages[0].toStdString();
    f.clearTopTenAction->trigger();
    Finish();
    EXPECT_EQ(messages.size(), 1) << "not again on Clear Top 10, nor at exit";
    EXPECT_TRUE(store.Committed().empty());
}

TEST_F(Records, CantLoadGamepackInARunningGameStillStoresTheRun) {
    MainWindow& f = Start();
    f.musicAction->trigger();
    f.HiScores.RecordResult(33, -1, "default.spx");
    f.Settings.GamepackName = "big.spx";
    ASSERT_TRUE(QFile::remove(Path("big.spx")));
    ASSERT_TRUE(QFile::remove(Path("default.spx")));
    f.newGameAction->trigger();
    EXPECT_EQ(messages, QStringList{"Can't load gamepack!"});
    EXPECT_FALSE(f.StartFailed()) << "the game had started";
    Finish();
    EXPECT_EQ(store.Committed().at("PlayMusic").text, "0");
    EXPECT_EQ(store.Committed().at("GamepackName").text, "big.spx") << "the pack chosen, not the fallback that failed";
    const auto bytes = store.Committed().at("HiScore").bytes;
    auto table = HiScoreTable::Parse(bytes.data(), bytes.size());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Entry(0).Moves, 33);
}

TEST_F(Records, StartThatLoadsNoGamepackLeavesTheStoredFileAsItWas) {
    ASSERT_TRUE(QFile::remove(Path("default.spx")));
    store.WriteString("GamepackName", "mine.spx");
    store.WriteString("MusicVolume", "loud");
    store.Sync();
    const auto before = store.Committed();
    MainWindow& f = Start();
    EXPECT_TRUE(f.StartFailed());
    Finish();
    EXPECT_EQ(store.SyncCount(), 1) << "nothing stored by the failed start";
    EXPECT_EQ(store.Committed().at("GamepackName").text, "mine.spx");
    EXPECT_EQ(store.Committed().size(), before.size());
}
