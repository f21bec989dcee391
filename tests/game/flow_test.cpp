#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/random.h"
#include "game/flow.h"

namespace {

// Stands in for the main window: records what the flow asks of it.
class FakeHost : public GameHost {
public:
    std::vector<std::string> sounds;
    std::vector<int> loads;
    std::vector<std::pair<int32_t, int32_t>> results;
    int newGames = 0, levelCount = 3, timeLimit = 0;
    bool pause = false, topTen = false, soundOn = true;
    GameFlow* flow = nullptr;
    Random random;

    void PlaySoundEffect(const char* name) override { sounds.push_back(name); }
    bool SoundEffectsOn() const override { return soundOn; }
    int SlideSpeed() const override { return 10; }
    int LevelCount() const override { return levelCount; }
    void LoadLevel(int level) override {
        loads.push_back(level);
        flow->State = ScreenState::Loading;
        flow->StartLevel(timeLimit);
        flow->board.ShuffleBoard(random);
        flow->State = ScreenState::Playing;
        topTen = false;
    }
    void RecordResult(int32_t moves, int32_t timeLeft) override { results.push_back({moves, timeLeft}); }
    void NewGame() override {
        ++newGames;
        flow->StartNewGame();
        LoadLevel(0);
    }
    void SetPauseChecked(bool c) override { pause = c; }
    bool PauseChecked() const override { return pause; }
    void SetTopTenChecked(bool c) override { topTen = c; }
    bool TopTenChecked() const override { return topTen; }
    void ResetHighlights() override {}
    void EnterPaused() override {}
};

class Flow : public testing::Test {
protected:
    void SetUp() override {
        host.flow = &flow;
        flow.board.BoardCols = flow.board.BoardRows = 3;
        flow.board.TileSize = 81;
        flow.board.BoardSize = 243;
        flow.board.BoardLeft = 35;
        flow.board.BoardTop = 50;
        host.random.Seed(11);
        host.LoadLevel(0);
        host.loads.clear();
    }
    void SolveAllButLastSlide() {
        flow.board.SolveBoardNow();
        flow.board.TileGrid[2][2] = flow.board.EmptyMarker();
        std::swap(flow.board.TileGrid[2][2], flow.board.TileGrid[2][1]);  // gap above the corner
    }
    void RunFrames(int frames, const GameFlow::Keys& keys = {}) {
        for (int i = 0; i < frames; ++i) {
            flow.AdvanceSlide();
            flow.PollInput(keys);
        }
    }

    FakeHost host;
    GameFlow flow{host};
};

}  // namespace

TEST_F(Flow, ThirtySecondClockEndsTheGameOnTheThirtiethTickAndStaysAtZero) {
    host.timeLimit = 30;
    host.LoadLevel(0);
    flow.TickLevelClock();
    EXPECT_EQ(flow.TimeLeft, 29);
    for (int i = 2; i < 30; ++i) flow.TickLevelClock();
    EXPECT_EQ(flow.TimeLeft, 1);
    EXPECT_EQ(flow.State, ScreenState::Playing);
    flow.TickLevelClock();
    EXPECT_EQ(flow.TimeLeft, 0);
    EXPECT_EQ(flow.State, ScreenState::GameOver);
    EXPECT_EQ(host.sounds.back(), "appl");
    flow.TickLevelClock();
    EXPECT_EQ(flow.TimeLeft, 0);
    // A restored game may hold any time left; the lowest ends the game without wrapping.
    flow.State = ScreenState::Playing;
    flow.TimeLeft = INT32_MIN;
    flow.TickLevelClock();
    EXPECT_EQ(flow.TimeLeft, INT32_MIN);
    EXPECT_EQ(flow.State, ScreenState::GameOver);
}

TEST_F(Flow, ClockRunsOnlyWhilePlayingAndNeverWithoutALimit) {
    host.timeLimit = 60;
    host.LoadLevel(0);
    for (ScreenState s : {ScreenState::Paused, ScreenState::TopTen, ScreenState::LevelComplete,
                          ScreenState::Loading, ScreenState::GameOver}) {
        flow.State = s;
        flow.TickLevelClock();
    }
    EXPECT_EQ(flow.TimeLeft, 60);
    host.timeLimit = 0;
    host.LoadLevel(0);
    for (int i = 0; i < 5000; ++i) flow.TickLevelClock();
    EXPECT_EQ(flow.State, ScreenState::Playing);
    EXPECT_FALSE(flow.TimerActive);
}

TEST_F(Flow, PauseActsOnlyWhilePlayingOrPaused) {
    // A slide started just before the pause ends behind the Paused screen.
    SolveAllButLastSlide();
    ASSERT_TRUE(flow.board.TryMoveCell(flow.board.CellIndex(2, 2)));
    flow.TogglePause();
    EXPECT_EQ(flow.State, ScreenState::Paused);
    EXPECT_TRUE(host.pause);
    RunFrames(9);
    EXPECT_FALSE(flow.board.Sliding);
    EXPECT_EQ(flow.board.TileGrid[2][1], 7) << "the tile has arrived";
    flow.ToggleTopTen();  // Show Top 10 does nothing on the Paused screen
    EXPECT_EQ(flow.State, ScreenState::Paused);
    EXPECT_FALSE(host.topTen);
    flow.TogglePause();
    EXPECT_EQ(flow.State, ScreenState::Playing);
    EXPECT_FALSE(host.pause);
    for (ScreenState s : {ScreenState::TopTen, ScreenState::GameOver, ScreenState::LevelComplete}) {
        flow.State = s;
        flow.TogglePause();
        EXPECT_EQ(flow.State, s);
        EXPECT_FALSE(host.pause);
    }
}

TEST_F(Flow, ShowTopTenActsOnlyWhilePlayingOrOnTheTopTenScreen) {
    flow.ToggleTopTen();
    EXPECT_EQ(flow.State, ScreenState::TopTen);
    EXPECT_TRUE(host.topTen);
    flow.TogglePause();
    EXPECT_EQ(flow.State, ScreenState::TopTen);
    flow.ToggleTopTen();
    EXPECT_EQ(flow.State, ScreenState::Playing);
    flow.State = ScreenState::GameOver;
    flow.ToggleTopTen();
    EXPECT_EQ(flow.State, ScreenState::GameOver);
    EXPECT_FALSE(host.topTen);
}

TEST_F(Flow, MouseMovesOnlyATileNextToTheGap) {
    SolveAllButLastSlide();  // gap at column 2, row 1
    flow.MouseDown(35 + 2 * 81 + 5, 50 + 1 * 81 + 5);  // the gap itself
    flow.MouseDown(35 + 0 * 81 + 5, 50 + 0 * 81 + 5);  // far from the gap
    flow.MouseDown(5, 5);                              // off the board
    EXPECT_FALSE(flow.board.Sliding);
    EXPECT_EQ(flow.board.MoveCount, 0);
    flow.MouseDown(35 + 2 * 81 + 5, 50 + 0 * 81 + 5);  // above the gap
    EXPECT_TRUE(flow.board.Sliding);
    flow.MouseDown(35 + 2 * 81 + 5, 50 + 2 * 81 + 5);  // ignored while sliding
    EXPECT_EQ(flow.board.MoveCount, 1);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"slide"});
}

TEST_F(Flow, SlideRunningDuringALevelLoadNeverTouchesTheNewBoard) {
    SolveAllButLastSlide();
    ASSERT_TRUE(flow.board.TryMoveCell(flow.board.CellIndex(2, 2)));
    host.LoadLevel(0);  // e.g. New game while the tile slides
    int32_t before[8][8];
    std::copy(&flow.board.TileGrid[0][0], &flow.board.TileGrid[0][0] + 64, &before[0][0]);
    RunFrames(20);
    EXPECT_TRUE(std::equal(&before[0][0], &before[0][0] + 64, &flow.board.TileGrid[0][0]));
    EXPECT_FALSE(flow.board.Sliding);
}

TEST_F(Flow, TwoArrowsHeldInOnePollStartOneMove) {
    SolveAllButLastSlide();  // gap at column 2, row 1: Right and Down and Up are all legal
    GameFlow::Keys keys;
    keys.right = keys.up = keys.down = true;
    flow.PollInput(keys);
    EXPECT_EQ(flow.board.MoveCount, 1);
    EXPECT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(flow.board.SlideFrom, flow.board.CellIndex(1, 1)) << "Right is examined first";
}

TEST_F(Flow, HeldArrowRepeatsOncePerIdlePollOnly) {
    SolveAllButLastSlide();  // gap at column 2, row 1
    GameFlow::Keys keys;
    keys.right = true;  // the tile left of the gap moves right, again and again
    RunFrames(9, keys);  // one move of an 81-pixel tile at 10 pixels takes 9 frames
    EXPECT_EQ(flow.board.MoveCount, 1);
    RunFrames(1, keys);
    EXPECT_EQ(flow.board.MoveCount, 2);
    EXPECT_EQ(flow.board.SlideFrom, flow.board.CellIndex(0, 1));
}

TEST_F(Flow, SolvingPlaysGoodAndSpaceHeldAdvancesAfterOneFrame) {
    SolveAllButLastSlide();
    GameFlow::Keys keys;
    keys.space = true;
    keys.up = true;  // the corner tile moves up into the gap: the picture is restored
    int frames = 0;
    while (flow.State == ScreenState::Playing && frames < 50) {
        RunFrames(1, keys);
        ++frames;
    }
    EXPECT_EQ(frames, 10);  // one frame to start, nine to slide
    EXPECT_EQ(flow.State, ScreenState::LevelComplete);
    EXPECT_EQ(host.sounds.back(), "good");
    RunFrames(1, keys);
    EXPECT_EQ(host.loads, std::vector<int>{1});
    EXPECT_EQ(flow.State, ScreenState::Playing);
}

TEST_F(Flow, HiddenCombinationSolvesTheBoard) {
    GameFlow::Keys keys;
    bool* four[4] = {&keys.escape, &keys.shift, &keys.alt, &keys.home};
    for (int without = 0; without < 4; ++without) {
        for (int k = 0; k < 4; ++k) *four[k] = k != without;
        flow.PollInput(keys);
        EXPECT_EQ(flow.State, ScreenState::Playing) << "three of the four keys do nothing, key " << without << " up";
    }
    keys.home = true;
    flow.PollInput(keys);
    EXPECT_EQ(flow.State, ScreenState::LevelComplete);
    EXPECT_EQ(flow.board.TileGrid[2][2], 8);
}

TEST_F(Flow, FinishingTheLastLevelRecordsOnceWithTheClockOrMinusOne) {
    host.levelCount = 2;
    host.timeLimit = 120;
    host.LoadLevel(0);
    flow.board.MoveCount = 42;
    flow.TimeLeft = 77;
    flow.LevelIndex = 1;
    flow.State = ScreenState::LevelComplete;
    flow.NextLevel();
    ASSERT_EQ(host.results.size(), 1u);
    EXPECT_EQ(host.results[0], std::make_pair(42, 77));
    EXPECT_EQ(flow.State, ScreenState::TopTen);
    EXPECT_TRUE(host.topTen);
    EXPECT_FALSE(flow.TimerActive);
    // Leaving the Top 10 returns to the solved board, which completes again.
    flow.board.SolveBoardNow();
    flow.ToggleTopTen();
    EXPECT_EQ(flow.State, ScreenState::Playing);
    EXPECT_TRUE(flow.CheckSolved());
    flow.LevelIndex = 1;
    flow.NextLevel();
    EXPECT_EQ(host.results.size(), 1u) << "a second pass adds no second entry";

    FakeHost other;
    GameFlow untimed(other);
    other.flow = &untimed;
    other.levelCount = 1;
    untimed.board.MoveCount = 5;
    untimed.NextLevel();
    ASSERT_EQ(other.results.size(), 1u);
    EXPECT_EQ(other.results[0].second, -1);
}

TEST_F(Flow, GameWithAHintEndsOnTheTopTenWithoutItsResult) {
    host.levelCount = 1;
    flow.Hinted = true;
    flow.board.MoveCount = 3;
    flow.State = ScreenState::LevelComplete;
    flow.NextLevel();
    EXPECT_TRUE(host.results.empty());
    EXPECT_EQ(flow.State, ScreenState::TopTen);
    EXPECT_TRUE(host.topTen);
}

TEST_F(Flow, ClickLeavingLevelCompleteAlsoMovesOnTheNewBoard) {
    flow.State = ScreenState::LevelComplete;
    const int movesBefore = flow.board.MoveCount;
    // A click at the tile above the new board's gap... the new board is random: click each cell.
    flow.MouseDown(35 + 2 * 81 + 5, 50 + 1 * 81 + 5);
    EXPECT_EQ(host.loads, std::vector<int>{1});
    EXPECT_EQ(flow.State, ScreenState::Playing);
    const bool adjacent = flow.board.Sliding;
    EXPECT_EQ(flow.board.MoveCount, movesBefore + (adjacent ? 1 : 0));
}

TEST_F(Flow, SpaceOnGameOverStartsANewGame) {
    flow.board.MoveCount = 30;
    flow.LevelIndex = 2;
    flow.ResultRecorded = true;  // an earlier game of this run was finished
    flow.Hinted = true;
    flow.State = ScreenState::GameOver;
    GameFlow::Keys space;
    space.space = true;
    flow.PollInput(space);
    EXPECT_EQ(host.newGames, 1);
    EXPECT_EQ(flow.LevelIndex, 0);
    EXPECT_EQ(flow.board.MoveCount, 0);
    EXPECT_FALSE(flow.ResultRecorded) << "the new game's result will be offered";
    EXPECT_FALSE(flow.Hinted) << "the new game took no hint";
    EXPECT_EQ(flow.State, ScreenState::Playing);
}

TEST_F(Flow, NoSoundsWhenEffectsAreOff) {
    host.soundOn = false;
    SolveAllButLastSlide();
    flow.board.TryMoveCell(flow.board.CellIndex(2, 2));
    GameFlow::Keys keys;
    keys.up = true;
    RunFrames(12, keys);
    EXPECT_TRUE(host.sounds.empty());
}
