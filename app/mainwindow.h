#pragma once
#include <QFrame>
#include <QImage>
#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "gamepack/gamepackformat.h"
#include "gamepack/picture.h"
#include "music/ymplayer.h"
#include "platform/audio.h"

#include "game/flow.h"
#include "game/hiscoretable.h"
#include "game/settings.h"
#include "render/frame.h"
#include "render/layout.h"
#include "render/particles.h"
#include "render/screenscale.h"
#include "render/textscreens.h"

#include "app/solverhelp.h"

struct LevelParts;

class QAction;
class SettingsStore;
class X11Surface;

// Shows the frames the frame loop composes and reports mouse presses; it draws nothing of
// its own. It keeps a copy of the frame on screen, so that any later repaint shows that
// frame and never a BackBuffer that has moved on since. On a screen scaled by a whole
// number each frame pixel is a square of screen pixels; on one scaled by a fraction the
// frame is enlarged evenly (ScreenScaler). Its size and every position stay in frame pixels.
// On an X server at one screen pixel a frame pixel the copy lies in memory shared with the
// server, and frames reach the box's own window from there (X11Surface); the frame loop
// draws each frame straight into it (Canvas), and the renderer draws anything it does not
// show elsewhere.
class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget* parent);
    ~PaintBox() override;
    // Puts the frame on screen at once, in one copy. Only the rows that differ from the
    // frame already there are sent, so a still screen costs no drawing at all.
    // version names the frame's pixels (FrameRenderer::FrameVersion), 0 for unknown: a
    // frame of the version already on screen needs not even the comparison. rows, when
    // given, marks the only rows that may differ from the frame of ShownVersion()
    // (FrameRenderer::RowsChangedSince); the others are not compared.
    void ShowFrame(const QImage& frame, uint64_t version = 0, const std::vector<uint8_t>* rows = nullptr);
    uint64_t ShownVersion() const { return shownVersion_; }
    // Where the next frame of `size` may be drawn straight into: the X11 surface's shared
    // image, once the server has read the frame before. A frame shown from it costs no
    // copy; rows, when given, then name the rows to send. A null image when the box paints
    // through Qt.
    QImage Canvas(QSize size);
    // Parts uncovered while no frames are drawn show black until the next frame.
    void Uncover(const QRegion& region);
    bool HasUncovered() const { return !black_.isEmpty(); }
    const QImage& Shown() const;
    // Whether frames go to the X server straight from shared memory (X11Surface).
    bool ShownOnSurface() const { return surface_ != nullptr; }

signals:
    void mousePressed(int x, int y);

protected:
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool ScaledByFraction() const;
    // Whether the X11 surface shows the frames; made at the first frame the box shows.
    bool OnSurface();
    // The rows of `frame` copied into `kept`, of its size and format: all of them when
    // `whole`, else those that differ (of those `rows` marks, when given). A frame drawn in
    // kept's own memory (Canvas) is not compared: the rows marked, or all, count as
    // changed. The band [top, bottom] they span; top -1 when none.
    static void CopyRows(const QImage& frame, QImage& kept, bool whole, const std::vector<uint8_t>* rows, int& top,
                         int& bottom);
    void PaintOnSurface(const QRegion& region);
    void LeaveSurface();  // Qt's way from now on
    QImage shown_;  // the frame on screen, when no X11 surface holds it
    std::unique_ptr<X11Surface> surface_;
    bool surfaceTried_ = false;
    bool onSurface_ = false;  // the surface's image holds the frame on screen
    uint64_t shownVersion_ = 0;
    QRegion black_;
    ScreenScaler scaler_;  // shown_ for a fractional scale
};

// The main window: owns the game's objects and wires the menu, the timers, the paint box
// and the frame loop to them.
class MainWindow : public QMainWindow, public GameHost {
    Q_OBJECT
public:
    // The store keeps the settings, the Top 10 table and the saved game between runs.
    // audio is the sound card, owned by the caller and outliving the window; without one
    // the game runs silently. tables are the solver's, shared by the process; without them
    // a store on the player's cache folder is made at the first hint or fewest-moves search.
    explicit MainWindow(SettingsStore& store, platform::Audio* audio = nullptr,
                        std::shared_ptr<solver::TableStore> tables = nullptr);
    ~MainWindow() override;

    // Components, named as the rest of the game refers to them.
    QFrame* boardPanel = nullptr;
    PaintBox* paintBox = nullptr;
    QTimer* levelClock = nullptr;
    QTimer* effectsTimer = nullptr;
    QAction *newGameAction, *pauseAction, *hintAction, *saveGameAction, *restoreGameAction, *topTenAction,
        *clearTopTenAction, *exitAction;
    QAction *settingsAction, *zoomAction, *stayOnTopAction, *musicAction, *soundEffectsAction, *fewestMovesAction,
        *aboutAction;

    GameFlow flow{*this};
    FrameRenderer renderer;
    TileBitmapPool TileBitmaps;
    QImage PreviewPicture;
    GamepackHeader Header;  // the current gamepack's, unscrambled
    GameSettings Settings;
    HiScoreTable HiScores;
    const QString VersionText = "1.10";
    std::unique_ptr<ParticleSystem> Particles;  // the bursts' pool and tables, made once
    PauseAnimation Pause;                       // the Paused screen's drift and scroller
    std::unique_ptr<CYmEngine> MusicEngine;
    bool FrameLoopActive = false;

    // One frame: draw, slide step, input poll; the next follows once more than FrameWaitMs
    // have passed since this one ended, events being processed meanwhile. While a menu,
    // a message box or another modal window is open no frame is drawn (the timers go on).
    static constexpr uint32_t FrameWaitMs = 30;
    void RunFrameLoop();  // one frame now, then the wait
    void SetFrameLoopActive(bool active);
    bool FrameScheduled() const { return frameTimer_.isActive(); }
    int FrameWaitLeft() const { return frameTimer_.isActive() ? frameTimer_.interval() : -1; }
    void FrameWaitTimer();  // the wait's timer: the next frame, if the wait is over
    // A still screen puts the loop to sleep: once the next frame could only repeat the one
    // shown (no slide, no key held, a screen without animation) and nothing has moved for
    // KeepPaceMs (no slide, key, change of screen or level), no frame is drawn until
    // something changes what the next one would show. The loop then goes on at once, at
    // its pace. Until then it keeps its pace, as the next move is likely to come soon.
    static constexpr uint32_t KeepPaceMs = 1000;
    bool Asleep() const { return asleep_; }
    // Run whenever the event loop is about to wait: wakes a sleeping loop if anything that
    // an event handler did changes what the next frame would show or what its poll would do.
    void WakeIfChanged();
    bool FramesHeld() const;
    std::function<uint32_t()> FrameClock;  // milliseconds, wrapping; tests set their own
    uint64_t FramesDrawn = 0;
    void DrawFrame();
    void PollInput();
    // (Re)starts a level: true when fileName itself was loaded, false after the fallback
    // to "default.spx" or when neither could be loaded (the program then ends).
    bool LoadGamepack(const std::string& fileName, int level);
    void SwitchMusic(bool on);
    // Starts level 0 of the gamepack file at `path` as New game does (`marlipan FILE.spx`);
    // a damaged file is refused with the loader's message and the game goes on as it was.
    // True when the pack was started.
    bool OpenGamepackFile(const std::string& path);
    // "Can't load gamepack!" while the window was made: the program ends before it shows.
    bool StartFailed() const { return startFailed_; }
    void paintBoxPressed(int x, int y);
    void ApplyZoom(bool on);

    // The Hint command asks for a hint; the answer's move slides as a click on its tile
    // would, once it is there (the game plays on meanwhile), and only if the board is still
    // the one it was asked for, on the Playing screen. A hint waits this long for a
    // solution proven shortest before it takes the best one found so far.
    static constexpr uint32_t HintWaitMs = 120;
    bool HintPending() const { return hintPending_; }
    SolverHelp& Help() { return help_; }

    // GameHost
    void PlaySoundEffect(const char* name) override;
    bool SoundEffectsOn() const override;
    int SlideSpeed() const override;
    int LevelCount() const override;
    void LoadLevel(int level) override;
    void RecordResult(int32_t moves, int32_t timeLeft) override;
    void NewGame() override { newGame(); }
    void SetPauseChecked(bool checked) override;
    bool PauseChecked() const override;
    void SetTopTenChecked(bool checked) override;
    bool TopTenChecked() const override;
    void ResetHighlights() override;
    void EnterPaused() override;

public slots:
    void newGame();
    void exitGame();
    void togglePause() { flow.TogglePause(); }
    void showTopTen() { flow.ToggleTopTen(); }
    void tickLevelClock() { flow.TickLevelClock(); }
    void tickEffects();
    void toggleZoom();
    void toggleStayOnTop();
    void toggleMusic();
    void toggleSoundEffects();
    void toggleFewestMoves();
    void hint();
    void saveGame();
    void restoreGame();
    void clearTopTen();
    void showSettings();
    void showAbout();

signals:
    void FrameShown();  // each frame, once it is on screen

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void FailToStart();
    LevelParts Parts();  // what a level load fills in
    void SetSizes(const WindowSizes& sizes);
    WindowSizes CurrentSizes() const;
    // What this frame shows; on LevelComplete it first completes the picture in TileGrid.
    FrameModel Model();
    ScrollerInfo scroller_;  // what scrollerText_ was joined from
    QString scrollerText_;

    QWidget* client_ = nullptr;
    QTimer frameTimer_;
    bool waiting_ = false;     // a frame ended at waitStart_ and its wait is not over
    uint32_t waitStart_ = 0;
    bool asleep_ = false;      // no frame is due until something changes
    void KeepOnTop(bool on);   // the stay-on-top flag, set on the window as it is
    bool KeysHeld() const;     // a key that the poll reads is down
    // Nothing could make the next frame differ from the one shown, nor its poll act.
    bool Quiet();
    // Movement, input or a change of screen or level keeps the loop at its pace for a while.
    bool restarted_ = true;    // the loop has (re)started: its first frame counts as movement
    uint32_t lastMovement_ = 0;
    uint32_t lastEffect_ = 0;   // FrameClock when the last sound effect was asked for
    ScreenState shownState_ = ScreenState::Loading;
    uint64_t levelLoads_ = 0, shownLevelLoads_ = 0;
    void StoreRecords();

    // The solver's help: the searches, the hint asked for and the poll that takes their
    // answers on this thread while one is awaited.
    SolverHelp help_;
    QTimer solverPoll_;
    bool hintPending_ = false;
    int hintCols_ = 0;
    int32_t hintGrid_[Board::MaxCells][Board::MaxCells] = {};  // the board the hint is for
    uint32_t hintAsked_ = 0;                                      // FrameClock at the key
    void PollSolvers();
    // Runs the poll while an answer is awaited: a hint, or the fewest moves the level-complete
    // screen is to show; stops it otherwise.
    void AwaitSolvers();
    // The level in play has just started, from a load or a restore.
    void LevelStarted();
    // Another game: no hint pending, no hint search until the next hint.
    void DropHints();

    SettingsStore& store_;
    platform::Audio* audio_ = nullptr;
    static constexpr const char* kEffectNames[3] = {"appl", "good", "slide"};
    int soundEffects_[3] = {-1, -1, -1};   // by kEffectNames; -1 plays nothing
    WindowSizes designSizes_ = DesignSizes;
    bool started_ = false;           // the window was made and its first level loaded
    bool startFailed_ = false;       // "Can't load gamepack!" before that
    bool storeFailureTold_ = false;  // the player knows the store cannot be written
};
