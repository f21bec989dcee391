// The solver's help in the main window: the Hint command, its mark on the game, and the
// fewest moves on the level-complete screen.
#include <QPainter>
#include <QTest>

#include "game/savegame.h"
#include "platform/dialogs.h"
#include "solver/solve.h"
#include "tests/app/windowfixture.h"

namespace {

const QString kQuestion = "Hint|Take a hint? A game with hints does not enter the Top 10.";

class Hints : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetDialogHooks({[](const QString&) {},
                        [this](const QString& caption, const QString& question) {
                            questions << caption + "|" + question;
                            framesWhileAsked = form && form->FrameLoopActive;
                            return answer;
                        }});
        Write("default.spx", MakeGamepack(0, 0, 1));  // one 3 x 3 level, no clock
    }
    void TearDown() override {
        SetDialogHooks({});
        WindowTest::TearDown();
    }

    // The length of a shortest solution of the board, as the solver proves it.
    static int Shortest(const Board& board) {
        const solver::Solution s = solver::Solve(BoardPosition(board), *Tables(), {});
        EXPECT_TRUE(s.found && s.optimal);
        return int(s.moves.size());
    }
    // Ends the slide under way and runs a frame's poll, which completes a solved board.
    static void EndSlide(MainWindow& f) {
        while (f.flow.board.Sliding) f.flow.board.AdvanceSlide(f.flow.board.TileSize);
        f.PollInput();
    }
    // Asks for a hint and waits for its tile to start sliding, then ends the slide. False
    // when no move came.
    static bool TakeHint(MainWindow& f) {
        const int32_t moves = f.flow.board.MoveCount;
        f.hintAction->trigger();
        (void)QTest::qWaitFor([&] { return f.flow.board.MoveCount != moves || !f.HintPending(); }, 10000);
        EndSlide(f);
        return f.flow.board.MoveCount == moves + 1;
    }
    // Plays moves (letters as the arrow keys name them) as clicks on their tiles.
    static void Play(MainWindow& f, const std::string& moves) {
        for (char m : moves) {
            ASSERT_TRUE(f.flow.PressCell(MoveCell(f.flow.board, m)));
            EndSlide(f);
        }
    }
    // A move the board allows, and the one that takes it back.
    static std::string ThereAndBack(const Board& b) {
        return b.CellForArrow(Board::Arrow::Left) >= 0 ? "LR" : "RL";
    }
    // The level-complete screen as drawn with nothing of the solver's help.
    static QImage LevelCompleteAlone(MainWindow& f, const QString& line = QString()) {
        QImage frame(f.renderer.BackBuffer.size(), QImage::Format_RGB32);
        frame.fill(Qt::black);
        QPainter painter(&frame);
        DrawLevelComplete(painter, f.flow.board, f.TileBitmaps.data(), int(f.TileBitmaps.size()), frame.width(), line);
        return frame;
    }

    QStringList questions;
    bool answer = true;
    bool framesWhileAsked = true;
};

}  // namespace

TEST_F(Hints, HintSlidesAMoveOfAShortestSolutionCountsItAndMarksTheGameOnceAskedYes) {
    MainWindow& f = Start();
    answer = false;
    f.hintAction->trigger();
    QTest::qWait(50);
    EXPECT_EQ(questions, QStringList{kQuestion});
    EXPECT_FALSE(framesWhileAsked) << "no frames while the question is open";
    EXPECT_TRUE(f.FrameLoopActive) << "the frames go on after the question";
    EXPECT_FALSE(f.HintPending()) << "No takes no hint";
    EXPECT_EQ(f.flow.board.MoveCount, 0);
    EXPECT_FALSE(f.flow.Hinted);

    answer = true;
    const int before = Shortest(f.flow.board);
    ASSERT_TRUE(TakeHint(f));
    EXPECT_EQ(questions, QStringList({kQuestion, kQuestion})) << "asked again";
    EXPECT_TRUE(f.flow.Hinted);
    EXPECT_EQ(f.flow.board.MoveCount, 1);
    EXPECT_EQ(Shortest(f.flow.board), before - 1) << "the hinted move is the first of a shortest way";
}

TEST_F(Hints, HintsAloneSolveTheBoardTheShortestWayAndTheGameEndsOutsideTheTopTen) {
    MainWindow& f = Start();
    const int shortest = Shortest(f.flow.board);
    int hints = 0;
    while (f.flow.State == ScreenState::Playing && hints <= shortest) {
        ASSERT_TRUE(TakeHint(f)) << "hint " << hints;
        ++hints;
    }
    EXPECT_EQ(f.flow.State, ScreenState::LevelComplete);
    EXPECT_EQ(hints, shortest);
    EXPECT_EQ(f.flow.board.MoveCount, shortest);
    EXPECT_EQ(questions.size(), 1) << "asked before the first hint of the game only";
    f.flow.NextLevel();  // the pack's last level
    EXPECT_EQ(f.flow.State, ScreenState::TopTen);
    EXPECT_TRUE(f.HiScores.Entry(0).Empty()) << "a game with hints is not offered to the Top 10";
}

TEST_F(Hints, HintActsOnlyWhereAClickWould) {
    MainWindow& f = Start();
    f.pauseAction->trigger();
    f.hintAction->trigger();
    EXPECT_TRUE(questions.isEmpty()) << "not on the Paused screen";
    EXPECT_FALSE(f.HintPending());
    f.pauseAction->trigger();
    const Board& b = f.flow.board;
    f.flow.PressCell(b.CellForArrow(ThereAndBack(b)[0] == 'L' ? Board::Arrow::Left : Board::Arrow::Right));
    ASSERT_TRUE(b.Sliding);
    f.hintAction->trigger();
    EXPECT_TRUE(questions.isEmpty()) << "not while a tile slides";
    EXPECT_FALSE(f.HintPending());
}

TEST_F(Hints, HintAskedForAnEarlierBoardIsDropped) {
    MainWindow& f = Start();
    f.flow.Hinted = true;  // asked and answered before
    f.hintAction->trigger();
    ASSERT_TRUE(f.HintPending());
    // A click before the answer was taken: the board the hint was for is gone.
    Play(f, ThereAndBack(f.flow.board).substr(0, 1));
    QTest::qWait(100);
    EXPECT_FALSE(f.HintPending());
    EXPECT_EQ(f.flow.board.MoveCount, 1) << "the player's move alone";

    f.hintAction->trigger();
    f.pauseAction->trigger();
    QTest::qWait(50);
    f.pauseAction->trigger();
    QTest::qWait(50);
    EXPECT_FALSE(f.HintPending());
    EXPECT_EQ(f.flow.board.MoveCount, 1) << "a hint asked for before a pause is not played after it";
}

TEST_F(Hints, SavedGameKeepsItsMarkBesideTheRecordAndNewGameClearsIt) {
    MainWindow& f = Start();
    f.saveGameAction->trigger();
    EXPECT_EQ(store.Committed().count(kHintedValueName), 0u) << "a player who takes no hint stores nothing new";
    const std::vector<uint8_t> unmarked = store.Read("Savegame").bytes;
    f.flow.Hinted = true;
    f.saveGameAction->trigger();
    EXPECT_EQ(store.Committed().at(kHintedValueName).text, "1");
    EXPECT_EQ(store.Read("Savegame").bytes, unmarked) << "the record is the same with or without a hint";

    f.newGameAction->trigger();
    EXPECT_FALSE(f.flow.Hinted);
    f.restoreGameAction->trigger();
    EXPECT_TRUE(f.flow.Hinted);

    f.newGameAction->trigger();
    f.saveGameAction->trigger();
    EXPECT_EQ(store.Committed().at(kHintedValueName).text, "0");
    f.flow.Hinted = true;
    f.restoreGameAction->trigger();
    EXPECT_FALSE(f.flow.Hinted);

    // A save made before the mark existed.
    MemoryStore old;
    old.WriteBinary("Savegame", unmarked);
    form.reset();
    store = old;
    MainWindow& g = Start();
    g.flow.Hinted = true;
    g.restoreGameAction->trigger();
    EXPECT_FALSE(g.flow.Hinted);
}

TEST_F(Hints, FewestMovesOffLeavesTheLevelCompleteScreenAsItWas) {
    MainWindow& f = Start();
    ASSERT_FALSE(f.fewestMovesAction->isChecked());
    Play(f, ThereAndBack(f.flow.board));
    Play(f, solver::Solve(BoardPosition(f.flow.board), *Tables(), {}).moves);
    ASSERT_EQ(f.flow.State, ScreenState::LevelComplete);
    f.DrawFrame();
    EXPECT_EQ(f.renderer.BackBuffer, LevelCompleteAlone(f));
    // Switched on, the line is all that changes: it lies between "Very Good!" and the picture.
    f.fewestMovesAction->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Help().LevelSearching(); }, 10000));
    f.DrawFrame();
    const QImage without = LevelCompleteAlone(f);
    int veryGood = -1, first = -1, last = -1;
    for (int y = 0; y < without.height(); ++y) {
        const size_t bytes = size_t(without.bytesPerLine());
        for (int x = 0; y < f.flow.board.BoardTop && x < without.width(); ++x)
            if (without.pixel(x, y) == qRgb(255, 255, 255)) veryGood = y;
        if (std::memcmp(f.renderer.BackBuffer.constScanLine(y), without.constScanLine(y), bytes) == 0) continue;
        if (first < 0) first = y;
        last = y;
    }
    ASSERT_GE(first, 0) << "the line is drawn";
    EXPECT_GT(first, veryGood) << "below \"Very Good!\"";
    EXPECT_LT(last, f.flow.board.BoardTop) << "above the picture";
}

TEST_F(Hints, FewestMovesTellsTheMovesOfTheLevelAndTheShortestFromItsStart) {
    Write("default.spx", MakeGamepack(0, 0, 2));
    store.WriteString("FewestMoves", "1");
    MainWindow& f = Start();
    ASSERT_TRUE(f.fewestMovesAction->isChecked());
    // The first level's moves are not the second's.
    Play(f, ThereAndBack(f.flow.board));
    Play(f, solver::Solve(BoardPosition(f.flow.board), *Tables(), {}).moves);
    f.flow.NextLevel();
    ASSERT_EQ(f.flow.LevelIndex, 1);
    const int shortest = Shortest(f.flow.board);
    Play(f, ThereAndBack(f.flow.board));
    Play(f, solver::Solve(BoardPosition(f.flow.board), *Tables(), {}).moves);
    ASSERT_EQ(f.flow.State, ScreenState::LevelComplete);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Help().LevelSearching(); }, 10000));
    f.DrawFrame();
    const QString line = QString("%1 moves; %2 was possible").arg(shortest + 2).arg(shortest);
    EXPECT_EQ(f.renderer.BackBuffer, LevelCompleteAlone(f, line)) << line.toStdString();
}

TEST_F(Hints, ClosingTheWindowMidSearchStopsItsSearchesAndLetsGoOfTheTables) {
    Write("default.spx", MakeGamepack(4, 0, 1));  // 7 x 7: searches that run for seconds
    store.WriteString("FewestMoves", "1");
    auto tables = std::make_shared<solver::TableStore>("", testboards::SmallPlan());
    form = std::make_unique<MainWindow>(store, nullptr, tables);
    form->flow.Hinted = true;
    form->hintAction->trigger();
    ASSERT_TRUE(form->Help().LevelSearching());
    EXPECT_GT(tables.use_count(), 1) << "the searches hold the tables";
    form.reset();
    EXPECT_EQ(tables.use_count(), 1) << "no search outlives the window";
}
