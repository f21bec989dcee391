#pragma once
#include <cstdint>

#include "game/board.h"

// What the screen shows and which input it takes.
enum class ScreenState : uint8_t {
    Playing = 0, GameOver = 1, Loading = 2, LevelComplete = 3, Paused = 4, TopTen = 5
};

// What the flow asks of the window around it. The main window implements it; tests fake it.
class GameHost {
public:
    virtual ~GameHost() = default;
    virtual void PlaySoundEffect(const char* name) = 0;  // "appl", "good", "slide"
    virtual bool SoundEffectsOn() const = 0;
    virtual int SlideSpeed() const = 0;
    virtual int LevelCount() const = 0;
    virtual void LoadLevel(int level) = 0;  // LoadGamepack(GamepackName, level)
    virtual void RecordResult(int32_t moves, int32_t timeLeft) = 0;
    virtual void NewGame() = 0;             // the New game command
    virtual void SetPauseChecked(bool checked) = 0;
    virtual bool PauseChecked() const = 0;
    virtual void SetTopTenChecked(bool checked) = 0;
    virtual bool TopTenChecked() const = 0;
    virtual void ResetHighlights() = 0;      // the Top 10 shows no entry highlighted
    virtual void EnterPaused() = 0;          // start values of the Paused screen's animation
};

// The game's flow through its screens: the input poll, mouse presses, the level clock,
// the pause and Top 10 switches and the advance from level to level.
class GameFlow {
public:
    explicit GameFlow(GameHost& host) : host_(host) {}

    Board board;
    ScreenState State = ScreenState::Loading;
    int32_t LevelIndex = 0;
    bool TimerActive = false;
    int32_t TimeLeft = 0;
    bool ResultRecorded = false;
    // The player took a hint in this game: its result is not offered to the Top 10.
    bool Hinted = false;

    // Keys held at the moment of a poll.
    struct Keys {
        bool space = false, left = false, right = false, up = false, down = false;
        bool escape = false, shift = false, alt = false, home = false;
    };

    bool AdvanceSlide() { return board.AdvanceSlide(host_.SlideSpeed()); }  // true when a slide ended
    void PollInput(const Keys& keys);
    void MouseDown(int x, int y);
    // A press on the cell at `index` of the Playing board (-1: beside the board), as a
    // click there makes it: the tile slides if it can, and the solved board completes.
    // Nothing happens on another screen or while a tile slides; false then.
    bool PressCell(int index);
    void TickLevelClock();
    void NextLevel();
    bool CheckSolved();
    void TogglePause();
    void ToggleTopTen();
    void StartNewGame();  // the state part of New game (the hint mark cleared); the host then loads level 0

    // A level load starts the clock (a limit of 0 seconds: no clock, TimeLeft kept) and
    // clears a slide that still refers to the old board.
    void StartLevel(int32_t timeLimit);

private:
    void MoveCell(int index);

    GameHost& host_;
};
