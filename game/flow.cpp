#include "game/flow.h"

#include <limits>
#include <utility>

void GameFlow::MoveCell(int index) {
    if (board.TryMoveCell(index) && host_.SoundEffectsOn()) host_.PlaySoundEffect("slide");
}

bool GameFlow::CheckSolved() {
    if (!board.IsSolved()) return false;
    if (host_.SoundEffectsOn()) host_.PlaySoundEffect("good");
    State = ScreenState::LevelComplete;
    return true;
}

void GameFlow::PollInput(const Keys& keys) {
    if (State == ScreenState::LevelComplete && keys.space) NextLevel();
    if (State == ScreenState::GameOver && keys.space) host_.NewGame();
    if (State != ScreenState::Playing || board.Sliding) return;

    // Arrows are examined in the order Left, Right, Up, Down against the same gap, but
    // only one move can slide at a time: the first key that starts a move wins the poll.
    const std::pair<bool, Board::Arrow> arrows[] = {{keys.left, Board::Arrow::Left},
                                                    {keys.right, Board::Arrow::Right},
                                                    {keys.up, Board::Arrow::Up},
                                                    {keys.down, Board::Arrow::Down}};
    for (const auto& [held, arrow] : arrows) {
        if (!held || board.Sliding) continue;
        int cell = board.CellForArrow(arrow);
        if (cell >= 0) MoveCell(cell);
    }
    if (keys.escape && keys.shift && keys.alt && keys.home) board.SolveBoardNow();
    CheckSolved();
}

void GameFlow::MouseDown(int x, int y) {
    if (State == ScreenState::LevelComplete) NextLevel();
    PressCell(board.CellAtPoint(x, y));
}

bool GameFlow::PressCell(int index) {
    if (State != ScreenState::Playing || board.Sliding) return false;
    if (index != -1) MoveCell(index);
    CheckSolved();
    return true;
}

void GameFlow::TickLevelClock() {
    if (State != ScreenState::Playing || !TimerActive) return;
    // A restored game may start at any time left, the lowest 32-bit value included.
    if (TimeLeft > std::numeric_limits<int32_t>::min()) TimeLeft -= 1;
    if (TimeLeft > 0) return;
    State = ScreenState::GameOver;
    if (host_.SoundEffectsOn()) host_.PlaySoundEffect("appl");
}

void GameFlow::NextLevel() {
    LevelIndex += 1;
    if (LevelIndex + 1 <= host_.LevelCount()) {
        host_.LoadLevel(LevelIndex);
        return;
    }
    const bool clockRan = TimerActive;
    TimerActive = false;
    if (!ResultRecorded) {
        // A game played with hints ends as one that is not better than any entry.
        if (!Hinted) host_.RecordResult(board.MoveCount, clockRan ? TimeLeft : -1);
        ResultRecorded = true;
    }
    State = ScreenState::TopTen;
    host_.SetTopTenChecked(true);
}

void GameFlow::TogglePause() {
    if (State != ScreenState::Playing && State != ScreenState::Paused) return;
    const bool checked = !host_.PauseChecked();
    host_.SetPauseChecked(checked);
    if (checked) {
        host_.EnterPaused();
        State = ScreenState::Paused;
    } else {
        State = ScreenState::Playing;
    }
}

void GameFlow::ToggleTopTen() {
    if (State != ScreenState::Playing && State != ScreenState::TopTen) return;
    const bool checked = !host_.TopTenChecked();
    host_.SetTopTenChecked(checked);
    if (checked) {
        host_.ResetHighlights();
        State = ScreenState::TopTen;
    } else {
        State = ScreenState::Playing;
    }
}

void GameFlow::StartNewGame() {
    host_.SetPauseChecked(false);
    LevelIndex = 0;
    board.MoveCount = 0;
    ResultRecorded = false;
    Hinted = false;
}

void GameFlow::StartLevel(int32_t timeLimit) {
    board.ClearSlide();
    if (timeLimit > 0) {
        TimerActive = true;
        TimeLeft = timeLimit;
    } else {
        TimerActive = false;
    }
}
