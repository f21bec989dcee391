#include "app/mainwindow.h"

#include "common/settingsstore.h"
#include "game/savegame.h"
#include "app/aboutbox.h"
#include "gamepack/ansi.h"
#include "gamepack/gamepackfile.h"
#include "app/settingsdialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QExposeEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <cstring>

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/gamepackfolders.h"
#include "platform/keystate.h"
#include "platform/resources.h"
#include "common/random.h"

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted by paintEvent: the frame, or black where there is none.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBox::ShowFrame(const QImage& frame, uint64_t version) {
    int top = -1, bottom = -1;
    if (shown_.size() != frame.size() || shown_.format() != frame.format()) {
        shown_ = frame.copy();
        top = 0;
        bottom = frame.height() - 1;
    } else if (version != 0 && version == shownVersion_) {
        // Nothing to send but what was uncovered meanwhile.
    } else {
        const size_t rowBytes = size_t(frame.bytesPerLine());
        for (int y = 0; y < frame.height(); ++y) {
            if (std::memcmp(frame.constScanLine(y), shown_.constScanLine(y), rowBytes) == 0) continue;
            std::memcpy(shown_.scanLine(y), frame.constScanLine(y), rowBytes);
            if (top < 0) top = y;
            bottom = y;
        }
    }
    shownVersion_ = version;
    QRegion dirty = black_;
    black_ = QRegion();
    if (top >= 0) dirty += QRect(0, top, width(), bottom - top + 1);
    // Painted and flushed now, not at some later event: what reaches the screen is this frame.
    if (!dirty.isEmpty()) repaint(dirty);
}

void PaintBox::Uncover(const QRegion& region) {
    const QRegion uncovered = region & rect();
    if (uncovered.isEmpty()) return;
    black_ += uncovered;
    repaint(uncovered);
}

void PaintBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(0, 0, shown_);
    const QRegion black = black_ + (QRegion(rect()) - QRect(QPoint(0, 0), shown_.size()));
    for (const QRect& r : black & event->region()) painter.fillRect(r, Qt::black);
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(int(event->position().x()), int(event->position().y()));
}

TForm1::TForm1(SettingsStore& store, platform::Audio* audio) : store_(store), audio_(audio) {
    setWindowTitle("Marlipan!");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    ProgramRandom().Seed(TickCount());
    Particles = std::make_unique<ParticleSystem>(ProgramRandom());

    client_ = new QWidget(this);
    setCentralWidget(client_);
    Panel1 = new QFrame(client_);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    QPalette black = Panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    Panel1->setPalette(black);
    PaintBox1 = new PaintBox(Panel1);
    connect(PaintBox1, &PaintBox::mousePressed, this, &TForm1::PaintBox1MouseDown);
    CreateMenu();
    SetSizes(DesignSizes);
    designSizes_ = CurrentSizes();

    Settings.Load(store_);
    HiScores.Load(store_);
    Music1->setChecked(Settings.MusicOn());
    SoundFX1->setChecked(Settings.SoundFXOn());
    OnTop1->setChecked(Settings.OnTopOn());
    if (!WindowSystemKeepsOnTop()) {
        // Said in the menu rather than a check mark that does nothing; the mark stays as
        // read, so the choice is kept for an X11 session.
        OnTop1->setEnabled(false);
        OnTop1->setText("Stay On To&p (not on Wayland)");
    }
    DoubleSize1->setChecked(Settings.DoubleSizeChecked);

    // The effects, held decoded for the whole run; a missing one stays silent.
    if (audio_) {
        for (int i = 0; i < 3; ++i) {
            const QByteArray wav = platform::FindResource(kEffectNames[i], "wav");
            if (!wav.isNull())
                soundEffects_[i] = audio_->LoadEffect(reinterpret_cast<const uint8_t*>(wav.constData()), size_t(wav.size()));
        }
    }

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(300);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    FrameClock = TickCount;
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &TForm1::FrameWaitTimer);

    flow.State = ScreenState::Loading;
    flow.board.ClearSlide();

    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!Settings.LimitZoomToScreen(screen ? screen->geometry().height() : 0))
        DoubleSize1->setEnabled(false);
    if (Settings.DoubleSizeOn()) SetSizes(ZoomOn(CurrentSizes()));

    const Layout layout = ComputeLayout(Panel1->width(), Panel1->height());
    renderer.Resize(layout.W, layout.H);

    MusicEngine = std::make_unique<CYmEngine>(audio_ ? &audio_->WaveOut() : nullptr);
    MusicEngine->SetLooping(true);
    MusicEngine->SetVolume(Settings.MusicVolumeValue());

    flow.LevelIndex = 0;
    bool loaded = false;
    try {
        LoadGamepack(Settings.GamepackName, 0);
        loaded = true;
    } catch (const std::exception& e) {
        // Shown as the top-level handler would; the window opens on the Loading screen and
        // stays there until New game or Settings loads a level.
        ShowError(QString::fromLocal8Bit(e.what()));
    }

    Timer1->start();
    Timer2->start();
    flow.board.MoveCount = 0;
    flow.ResultRecorded = false;
    if (startFailed_) return;
    started_ = true;
    setWindowFlag(Qt::WindowStaysOnTopHint, Settings.OnTopOn());
    if (loaded) flow.State = ScreenState::Playing;
    SetFrameLoopActive(true);

    if (screen) move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() {
    SetFrameLoopActive(false);
    if (MusicEngine->Playing()) {
        try {
            MusicEngine->Stop();
        } catch (const std::exception&) {
            // The device is going away with the program; nothing is left to stop.
        }
    }
    Settings.SetMusicVolume(MusicEngine->Volume());
    // Stored whatever ended the run, also "Can't load gamepack!" in a running game. A
    // start that failed changed nothing the player chose: the file is left as it was.
    if (!startFailed_) StoreRecords();
}

void TForm1::StoreRecords() {
    try {
        StoreSettingsAndTop10(store_, Settings, HiScores);
    } catch (const StoreError& e) {
        // Told once a run: the table is stored after every result and at exit, and each
        // later try would only say the same again. A later try that succeeds keeps all.
        if (storeFailureTold_) return;
        storeFailureTold_ = true;
        ShowError(QString::fromLocal8Bit(e.what()) + ": the settings and the Top 10 table are not kept");
    }
}

void TForm1::CreateMenu() {
    auto add = [this](QMenu* menu, const char* caption, const QKeySequence& shortcut,
                      void (TForm1::*slot)(), bool checkable = false) {
        QAction* action = menu->addAction(caption);
        action->setShortcut(shortcut);
        action->setCheckable(checkable);
        // The handlers toggle their own check marks (and only in the states where they
        // act), so the toggle Qt makes on a click is undone before they run.
        connect(action, &QAction::triggered, this, [this, action, slot, checkable] {
            if (checkable) action->setChecked(!action->isChecked());
            (this->*slot)();
        });
        return action;
    };
    QMenu* file = menuBar()->addMenu("&File");
    NewGame1 = add(file, "&New game", QKeySequence(Qt::CTRL | Qt::Key_N), &TForm1::NewGame1Click);
    Pause1 = add(file, "&Pause/Preview", QKeySequence(Qt::Key_P), &TForm1::Pause1Click, true);
    SaveGame1 = add(file, "&Save game", QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveGame1Click);
    Restoregame1 = add(file, "&Restore game", QKeySequence(Qt::CTRL | Qt::Key_R), &TForm1::Restoregame1Click);
    file->addSeparator();
    op101 = add(file, "Show Top &10", QKeySequence(Qt::CTRL | Qt::Key_1), &TForm1::op101Click, true);
    ClearTop10Table1 = add(file, "Clear Top 10 Table", QKeySequence(Qt::CTRL | Qt::Key_X),
                           &TForm1::ClearTop10Table1Click);
    file->addSeparator();
    Exit1 = add(file, "E&xit", QKeySequence(Qt::ALT | Qt::Key_X), &TForm1::Exit1Click);
    QMenu* options = menuBar()->addMenu("&Options");
    Settings1 = add(options, "Se&ttings", QKeySequence(Qt::CTRL | Qt::Key_T), &TForm1::Settings1Click);
    options->addSeparator();
    DoubleSize1 = add(options, "&Zoom", QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm1::DoubleSize1Click, true);
    OnTop1 = add(options, "Stay On To&p", QKeySequence(Qt::CTRL | Qt::Key_P), &TForm1::OnTop1Click, true);
    options->addSeparator();
    Music1 = add(options, "&Music", QKeySequence(Qt::CTRL | Qt::Key_M), &TForm1::Music1Click, true);
    SoundFX1 = add(options, "Sound &FX", QKeySequence(Qt::CTRL | Qt::Key_F), &TForm1::SoundFX1Click, true);
    QMenu* help = menuBar()->addMenu("&Help");
    About1 = add(help, "&About", QKeySequence(Qt::ALT | Qt::Key_F1), &TForm1::About1Click);
}

WindowSizes TForm1::CurrentSizes() const {
    return {client_->width(), client_->height(), Panel1->width(), Panel1->height()};
}

void TForm1::SetSizes(const WindowSizes& s) {
    client_->setFixedSize(s.clientWidth, s.clientHeight);
    Panel1->setGeometry(4, 2, s.panelWidth, s.panelHeight);
    PaintBox1->setGeometry(1, 1, s.panelWidth - 2, s.panelHeight - 2);
    // A fixed-size window: the menu bar adds its height to the client area.
    setFixedSize(s.clientWidth, s.clientHeight + menuBar()->sizeHint().height());
}

void TForm1::SetFrameLoopActive(bool active) {
    FrameLoopActive = active;
    if (!active) frameTimer_.stop();
    // The interrupted wait carries on: its end may long have passed.
    else if (!frameTimer_.isActive()) frameTimer_.start(0);
}

bool TForm1::FramesHeld() const { return !FrameLoopActive || ModalOrPopupOpen(); }

void TForm1::FrameWaitTimer() {
    if (!FrameLoopActive) return;
    if (waiting_) {
        const uint32_t elapsed = FrameClock() - waitStart_;  // unsigned: the wrap does no harm
        if (elapsed <= FrameWaitMs) {
            frameTimer_.start(int(FrameWaitMs + 1 - elapsed));
            return;
        }
    }
    // A menu or a modal window runs its own loop: no frame until it is gone.
    if (ModalOrPopupOpen()) {
        frameTimer_.start(int(FrameWaitMs + 1));
        return;
    }
    RunFrameLoop();
}

void TForm1::RunFrameLoop() {
    if (!FrameLoopActive) return;
    // The wait for the next frame starts when this one ends, also when this one ends in an
    // error (a level that fails to load from the keyboard): the loop must go on to show
    // the Loading screen and take the next command.
    struct NextFrame {
        TForm1* form;
        ~NextFrame() {
            if (!form->FrameLoopActive) return;
            form->waiting_ = true;
            form->waitStart_ = form->FrameClock();
            form->frameTimer_.start(int(FrameWaitMs + 1));
        }
    } next{this};
    DrawFrame();
    // The board drawn once more at the end of a slide is replaced by the next frame's; it
    // never reaches the screen.
    if (flow.AdvanceSlide()) renderer.DrawBoardOnly(Model());
    PollInput();
}

FrameModel TForm1::Model() {
    FrameModel m;
    m.state = flow.State;
    const int n = flow.board.BoardCols;
    // The solved board's gap becomes its last piece, so the whole picture shows; the grid
    // keeps it until the next level is prepared.
    if (flow.State == ScreenState::LevelComplete && n >= 1 && n <= Board::MaxCells)
        flow.board.TileGrid[n - 1][n - 1] = n * n - 1;
    m.board = &flow.board;
    m.tiles = TileBitmaps.data();
    m.tileCount = int(TileBitmaps.size());
    ScrollerInfo scroller;
    const size_t level = size_t(flow.LevelIndex);
    if (level < Header.LevelNames.size()) {
        m.status.levelName = FromAnsi(Header.LevelNames[level]);
        m.status.hasSong = Header.SongSizes[level] != 0;
        m.status.songTitle = FromAnsi(Header.SongTitles[level]);
        scroller.LevelName = m.status.levelName;
    }
    m.status.levelIndex = flow.LevelIndex;
    m.status.levelCount = Header.LevelCount;
    m.status.timerActive = flow.TimerActive;
    m.status.timeLeft = flow.TimeLeft;
    m.preview = &PreviewPicture;
    m.hiScores = &HiScores;
    m.particles = Particles.get();
    m.pause = &Pause;
    if (flow.State == ScreenState::Paused) {
        scroller.Description = FromAnsi(Header.Description);
        scroller.LevelIndex = flow.LevelIndex;
        scroller.LevelCount = Header.LevelCount;
        scroller.Version = VersionText;
        m.scroller = ScrollerText(scroller);
    }
    return m;
}

void TForm1::DrawFrame() {
    renderer.DrawFrame(Model());
    PaintBox1->ShowFrame(renderer.BackBuffer, renderer.FrameVersion());
    ++FramesDrawn;
    emit FrameShown();
}

void TForm1::PollInput() {
    GameFlow::Keys keys;
    keys.space = KeyState::IsDown(VK::Space);
    keys.left = KeyState::IsDown(VK::Left);
    keys.right = KeyState::IsDown(VK::Right);
    keys.up = KeyState::IsDown(VK::Up);
    keys.down = KeyState::IsDown(VK::Down);
    keys.escape = KeyState::IsDown(VK::Escape);
    keys.shift = KeyState::IsDown(VK::Shift);
    keys.alt = KeyState::IsDown(VK::Alt);
    keys.home = KeyState::IsDown(VK::Home);
    flow.PollInput(keys);
}

void TForm1::PaintBox1MouseDown(int x, int y) { flow.MouseDown(x, y); }

void TForm1::NewGame1Click() {
    flow.StartNewGame();
    LoadGamepack(Settings.GamepackName, 0);
}

void TForm1::Timer2Timer() {
    Particles->Timer2Timer(flow.State, PaintBox1->width(), PaintBox1->height());
}

void TForm1::ApplyZoom(bool on) {
    SetSizes(on ? ZoomOn(CurrentSizes()) : designSizes_);
    // After the last level the index is one past it; the zoomed reload shows that last
    // level again (the result is already recorded) instead of asking for one that is not there.
    if (Header.LevelCount > 0 && flow.LevelIndex >= Header.LevelCount) flow.LevelIndex = Header.LevelCount - 1;
    LoadGamepack(Settings.GamepackName, flow.LevelIndex);
    flow.State = ScreenState::Playing;
}

void TForm1::DoubleSize1Click() {
    Pause1->setChecked(false);
    DoubleSize1->setChecked(!DoubleSize1->isChecked());
    Settings.SetDoubleSize(DoubleSize1->isChecked());
    ApplyZoom(DoubleSize1->isChecked());
}

void TForm1::OnTop1Click() {
    OnTop1->setChecked(!OnTop1->isChecked());
    Settings.OnTop = GameSettings::Flag(OnTop1->isChecked());
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, OnTop1->isChecked());
    if (visible) show();  // changing the flags hides a shown window
}

void TForm1::Music1Click() {
    Music1->setChecked(!Music1->isChecked());
    SwitchMusic(Music1->isChecked());
}

void TForm1::SoundFX1Click() {
    SoundFX1->setChecked(!SoundFX1->isChecked());
    Settings.PlaySoundFX = GameSettings::Flag(SoundFX1->isChecked());
}

void TForm1::ClearTop10Table1Click() {
    SetFrameLoopActive(false);
    const bool yes = AskYesNo("Confirm", "Are you sure to clear all Top 10 entries?");
    SetFrameLoopActive(true);
    if (!yes) return;
    HiScores.ResetHiScoreTable();
    StoreRecords();
}

void TForm1::SaveGame1Click() {
    try {
        WriteSaveGame(store_, MakeSaveGame(Settings.GamepackName, flow.LevelIndex, flow.TimeLeft,
                                           flow.board.MoveCount, flow.board.TileGrid, flow.board.BoardCols));
    } catch (const StoreError& e) {
        // The player asked for this one, so it is answered every time; what the settings
        // and the table cannot keep is told apart, once.
        throw StoreError(std::string(e.what()) + ": the game is not saved");
    }
}

void TForm1::Restoregame1Click() {
    const std::optional<SaveGameRecord> saved = ReadSaveGame(store_);
    if (!saved) return;
    // A save whose level is gone (made on the Top 10 screen, or the pack changed since)
    // is refused before anything changes. A pack that cannot be opened at all takes the
    // loader's fallback to the default pack, as a missing pack does everywhere.
    try {
        const GamepackHeader h = ReadGamepackHeader(platform::FindGamepack(saved->Gamepack));
        CheckSavedLevel(*saved, h.LevelCount, h.CellsPerSide());
    } catch (const GamepackOpenError&) {
    }
    Pause1->setChecked(false);
    flow.LevelIndex = saved->LevelIndex;
    Settings.GamepackName = saved->Gamepack;
    if (!LoadGamepack(Settings.GamepackName, flow.LevelIndex)) return;
    flow.ResultRecorded = false;
    flow.board.MoveCount = saved->MoveCount;
    flow.TimeLeft = saved->TimeLeft;
    ApplySavedBoard(*saved, flow.board.TileGrid, flow.board.BoardCols);
}

void TForm1::Settings1Click() {
    SetFrameLoopActive(false);
    {
        // Made for this one showing and gone with the scope.
        TForm2 dialog(this, TForm2Links{*MusicEngine, Settings.GamepackName, Settings.MusicVolume,
                                        Settings.SlideSpeed, Pause1, [this] {
                                            flow.LevelIndex = 0;
                                            LoadGamepack(Settings.GamepackName, 0);
                                        }});
        // OK clears the Pause/Preview check mark; a game left on the Paused screen follows
        // it back to Playing, or the next P would pause it a second time.
        if (dialog.exec() == QDialog::Accepted && flow.State == ScreenState::Paused && !Pause1->isChecked())
            flow.State = ScreenState::Playing;
    }
    SetFrameLoopActive(true);
}

void TForm1::About1Click() {
    SetFrameLoopActive(false);
    {
        TForm3 dialog(this, VersionText);
        dialog.exec();
    }
    SetFrameLoopActive(true);
}

void TForm1::Exit1Click() { close(); }

void TForm1::showEvent(QShowEvent* event) {
    // The window system's exposures arrive at the native window; a changed window flag
    // may have made a new one.
    if (QWindow* window = windowHandle()) window->installEventFilter(this);
    QMainWindow::showEvent(event);
}

namespace {
// The exposed region; the event keeps it in a member that Qt no longer offers as API.
struct ExposeRegion : QExposeEvent {
    static const QRegion& Of(const QExposeEvent* event) { return event->*(&ExposeRegion::m_region); }
};
}  // namespace

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Uncovered while frames are held, the paint box shows black until the next frame,
    // not a frame that is no longer current.
    if (event->type() == QEvent::Expose && watched == windowHandle() && FramesHeld())
        PaintBox1->Uncover(ExposeRegion::Of(static_cast<QExposeEvent*>(event))
                               .translated(-PaintBox1->mapTo(this, QPoint(0, 0))));
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    SetFrameLoopActive(false);
    event->accept();
}

void TForm1::PlaySoundEffect(const char* name) {
    if (!audio_ || !name) return;
    for (int i = 0; i < 3; ++i)
        if (qstricmp(name, kEffectNames[i]) == 0) audio_->PlayEffect(soundEffects_[i]);
}
bool TForm1::SoundEffectsOn() const { return Settings.SoundFXOn(); }
int TForm1::SlideSpeed() const { return Settings.SlideSpeedValue(); }
int TForm1::LevelCount() const { return Header.LevelCount; }
void TForm1::LoadLevel(int level) { LoadGamepack(Settings.GamepackName, level); }

void TForm1::RecordResult(int32_t moves, int32_t timeLeft) {
    HiScores.RecordResult(moves, timeLeft, Settings.GamepackName);
    // Stored at once, so that a result survives the program being killed later.
    StoreRecords();
}

void TForm1::SetPauseChecked(bool checked) { Pause1->setChecked(checked); }
bool TForm1::PauseChecked() const { return Pause1->isChecked(); }
void TForm1::SetTopTenChecked(bool checked) { op101->setChecked(checked); }
bool TForm1::TopTenChecked() const { return op101->isChecked(); }
void TForm1::ResetHighlights() { HiScores.ResetHighlight(); }
void TForm1::EnterPaused() { Pause.Enter(ProgramRandom()); }
