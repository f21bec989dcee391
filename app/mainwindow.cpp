#include "app/mainwindow.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QExposeEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/aboutbox.h"
#include "app/levelloader.h"
#include "app/settingsdialog.h"
#include "common/random.h"
#include "common/settingsstore.h"
#include "game/savegame.h"
#include "gamepack/ansi.h"
#include "gamepack/gamepackfile.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/gamepackfolders.h"
#include "platform/keystate.h"
#include "platform/resources.h"
#include "platform/x11surface.h"

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted by paintEvent: the frame, or black where there is none.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // On X11 the box has a window of its own, which frames may reach straight from shared
    // memory; its parents stay Qt's.
    if (QGuiApplication::platformName() == "xcb") {
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_NativeWindow);
    }
}

PaintBox::~PaintBox() = default;

bool PaintBox::OnSurface() {
    if (!surfaceTried_ && testAttribute(Qt::WA_NativeWindow) && isVisible()) {
        surfaceTried_ = true;
        surface_ = X11Surface::For(this);
        if (surface_) setAttribute(Qt::WA_PaintOnScreen);
    }
    // On a screen scaled since, Qt's way enlarges the frame.
    if (surface_ && devicePixelRatioF() != 1) LeaveSurface();
    return surface_ != nullptr;
}

void PaintBox::LeaveSurface() {
    surface_.reset();
    onSurface_ = false;
    setAttribute(Qt::WA_PaintOnScreen, false);
}

const QImage& PaintBox::Shown() const {
    static const QImage none;
    if (!surface_) return shown_;
    return onSurface_ ? surface_->Current() : none;
}

QPaintEngine* PaintBox::paintEngine() const {
    // Painted on the surface the box has no engine; else Qt's painter is redirected to the
    // backing store without asking.
    return nullptr;
}

void PaintBox::CopyRows(const QImage& frame, QImage& kept, bool whole, const std::vector<uint8_t>* rows, int& top,
                        int& bottom) {
    const bool inPlace = frame.constBits() == kept.constBits();
    const size_t rowBytes = size_t(std::min(frame.bytesPerLine(), kept.bytesPerLine()));
    uchar* const bits = inPlace ? nullptr : kept.bits();  // detached once, not once a row
    const qsizetype stride = kept.bytesPerLine();
    if (whole || (rows && rows->size() != size_t(frame.height()))) rows = nullptr;
    for (int y = 0; y < frame.height(); ++y) {
        if (rows && !(*rows)[size_t(y)]) continue;
        if (!inPlace) {
            uchar* const row = bits + y * stride;
            if (!whole && std::memcmp(frame.constScanLine(y), row, rowBytes) == 0) continue;
            std::memcpy(row, frame.constScanLine(y), rowBytes);
        }
        if (top < 0) top = y;
        bottom = y;
    }
}

QImage PaintBox::Canvas(QSize size) {
    // The screen's scale is checked once a frame, when it is shown.
    if (!(surface_ || OnSurface()) || size.isEmpty()) return QImage();
    return surface_->Canvas(size);
}

void PaintBox::ShowFrame(const QImage& frame, uint64_t version, const std::vector<uint8_t>* rows) {
    // The frame on screen is kept in shown_, or in the surface's shared image.
    QImage* kept = &shown_;
    bool whole = shown_.size() != frame.size() || shown_.format() != frame.format();
    if (OnSurface()) {
        // Waits, should the server not have read the last frame yet.
        QImage& image = surface_->Image(frame.size());
        if (image.isNull() || image.format() != frame.format()) {
            LeaveSurface();  // no segment of this size, or a frame of another kind
        } else {
            kept = &image;
            whole = !onSurface_;
            onSurface_ = true;
        }
    }
    if (kept == &shown_ && whole) shown_ = QImage(frame.size(), frame.format());
    int top = -1, bottom = -1;
    // A frame of the version already kept needs not even the comparison.
    if (whole || version == 0 || version != shownVersion_) CopyRows(frame, *kept, whole, rows, top, bottom);
    shownVersion_ = version;
    QRegion dirty = black_;
    black_ = QRegion();
    if (surface_) {
        if (top >= 0) dirty += QRect(0, top, width(), bottom - top + 1);
        PaintOnSurface(dirty);
        return;
    }
    if (top >= 0 && ScaledByFraction()) {
        scaler_.Update(shown_, devicePixelRatioF(), top, bottom);
        // Screen rows at the band's edges also show the frame rows beyond it.
        top = std::max(top - 1, 0);
        bottom = std::min(bottom + 1, frame.height() - 1);
    } else if (top >= 0) {
        scaler_ = ScreenScaler();  // made anew should the window move to a screen scaled by a fraction
    }
    if (top >= 0) dirty += QRect(0, top, width(), bottom - top + 1);
    // Painted and flushed now, not at some later event: what reaches the screen is this frame.
    if (!dirty.isEmpty()) repaint(dirty);
}

void PaintBox::PaintOnSurface(const QRegion& region) {
    const QRect frame = onSurface_ ? surface_->Current().rect() : QRect();
    const QRegion black = (black_ + (QRegion(rect()) - frame)) & region;
    surface_->Put(region - black);
    surface_->Fill(black);
}

void PaintBox::Uncover(const QRegion& region) {
    const QRegion uncovered = region & rect();
    if (uncovered.isEmpty()) return;
    black_ += uncovered;
    repaint(uncovered);
}

bool PaintBox::ScaledByFraction() const {
    const qreal ratio = devicePixelRatioF();
    return ratio > 1 && ratio != std::floor(ratio);
}

void PaintBox::paintEvent(QPaintEvent* event) {
    if (surface_) {
        PaintOnSurface(event->region());
        return;
    }
    QPainter painter(this);
    if (ScaledByFraction() && !shown_.isNull()) {
        scaler_.Update(shown_, devicePixelRatioF(), 0, -1);  // the screen's scale may have changed
        painter.drawImage(QPointF(0, 0), scaler_.Scaled());
    } else {
        painter.drawImage(0, 0, shown_);
    }
    const QRegion black = black_ + (QRegion(rect()) - QRect(QPoint(0, 0), shown_.size()));
    for (const QRect& r : black & event->region()) painter.fillRect(r, Qt::black);
}

void PaintBox::resizeEvent(QResizeEvent* event) {
    // A frame of the old size is not shown at the new one (in a corner, on black): the box
    // is black until the frame loop draws one of its size.
    shown_ = QImage();
    onSurface_ = false;
    shownVersion_ = 0;
    black_ = QRegion();
    QWidget::resizeEvent(event);
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(int(event->position().x()), int(event->position().y()));
}

MainWindow::MainWindow(SettingsStore& store, platform::Audio* audio, std::shared_ptr<solver::TableStore> tables)
    : help_(std::move(tables)), store_(store), audio_(audio) {
    SetMessageBoxOwner(this);
    setWindowTitle("Marlipan!");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    ProgramRandom().Seed(TickCount());
    Particles = std::make_unique<ParticleSystem>(ProgramRandom());

    client_ = new QWidget(this);
    setCentralWidget(client_);
    boardPanel = new QFrame(client_);
    boardPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    boardPanel->setLineWidth(1);
    boardPanel->setAutoFillBackground(true);
    QPalette black = boardPanel->palette();
    black.setColor(QPalette::Window, Qt::black);
    boardPanel->setPalette(black);
    paintBox = new PaintBox(boardPanel);
    connect(paintBox, &PaintBox::mousePressed, this, &MainWindow::paintBoxPressed);
    CreateMenu();
    SetSizes(DesignSizes);
    designSizes_ = CurrentSizes();

    Settings.Load(store_);
    HiScores.Load(store_);
    musicAction->setChecked(Settings.MusicOn());
    soundEffectsAction->setChecked(Settings.SoundFXOn());
    stayOnTopAction->setChecked(Settings.OnTopOn());
    if (!WindowSystemKeepsOnTop()) {
        // Said in the menu rather than a check mark that does nothing; the mark stays as
        // read, so the choice is kept for an X11 session.
        stayOnTopAction->setEnabled(false);
        stayOnTopAction->setText("Stay On To&p (not on Wayland)");
    }
    zoomAction->setChecked(Settings.DoubleSizeChecked);
    fewestMovesAction->setChecked(Settings.FewestMovesOn());

    // The effects, held decoded for the whole run; a missing one stays silent.
    if (audio_) {
        for (int i = 0; i < 3; ++i) {
            const QByteArray wav = platform::FindResource(kEffectNames[i], "wav");
            if (!wav.isNull())
                soundEffects_[i] = audio_->LoadEffect(reinterpret_cast<const uint8_t*>(wav.constData()), size_t(wav.size()));
        }
    }

    levelClock = new QTimer(this);
    levelClock->setInterval(1000);
    connect(levelClock, &QTimer::timeout, this, &MainWindow::tickLevelClock);
    effectsTimer = new QTimer(this);
    effectsTimer->setInterval(300);
    connect(effectsTimer, &QTimer::timeout, this, &MainWindow::tickEffects);
    FrameClock = TickCount;
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &MainWindow::FrameWaitTimer);
    connect(&solverPoll_, &QTimer::timeout, this, &MainWindow::PollSolvers);
    // Every handler of every event runs before the thread waits again, in this event loop
    // or a nested one (a menu, a dialog): the one place that sees any change they made.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &MainWindow::WakeIfChanged);

    flow.State = ScreenState::Loading;
    flow.board.ClearSlide();

    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!Settings.LimitZoomToScreen(screen ? screen->geometry().height() : 0))
        zoomAction->setEnabled(false);
    if (Settings.DoubleSizeOn()) SetSizes(ZoomOn(CurrentSizes()));

    const Layout layout = ComputeLayout(boardPanel->width(), boardPanel->height());
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

    levelClock->start();
    effectsTimer->start();
    flow.board.MoveCount = 0;
    flow.ResultRecorded = false;
    if (startFailed_) return;
    started_ = true;
    KeepOnTop(Settings.OnTopOn());
    if (loaded) flow.State = ScreenState::Playing;
    SetFrameLoopActive(true);

    if (screen) move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() {
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

void MainWindow::StoreRecords() {
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

namespace {
// The arrow keys, Space and Escape belong to the game. A menu bar that kept a keyboard
// selection once its menu closed (by Escape) or after Alt alone would take them as well:
// Left and Right would walk the bar unseen, Down or Space open a menu and stop the frames.
// Menus still open by the mouse and by Alt and their letter, and keys walk them while open.
class MenuBarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}  // namespace

void MainWindow::CreateMenu() {
    auto* barStyle = new MenuBarStyle;
    barStyle->setParent(menuBar());
    menuBar()->setStyle(barStyle);
    auto add = [this](QMenu* menu, const char* caption, const QKeySequence& shortcut,
                      void (MainWindow::*slot)(), bool checkable = false) {
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
    newGameAction = add(file, "&New game", QKeySequence(Qt::CTRL | Qt::Key_N), &MainWindow::newGame);
    pauseAction = add(file, "&Pause/Preview", QKeySequence(Qt::Key_P), &MainWindow::togglePause, true);
    hintAction = add(file, "&Hint", QKeySequence(Qt::Key_H), &MainWindow::hint);
    saveGameAction = add(file, "&Save game", QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::saveGame);
    restoreGameAction = add(file, "&Restore game", QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::restoreGame);
    file->addSeparator();
    topTenAction = add(file, "Show Top &10", QKeySequence(Qt::CTRL | Qt::Key_1), &MainWindow::showTopTen, true);
    clearTopTenAction = add(file, "Clear Top 10 Table", QKeySequence(Qt::CTRL | Qt::Key_X),
                           &MainWindow::clearTopTen);
    file->addSeparator();
    exitAction = add(file, "E&xit", QKeySequence(Qt::ALT | Qt::Key_X), &MainWindow::exitGame);
    QMenu* options = menuBar()->addMenu("&Options");
    settingsAction = add(options, "Se&ttings", QKeySequence(Qt::CTRL | Qt::Key_T), &MainWindow::showSettings);
    options->addSeparator();
    zoomAction = add(options, "&Zoom", QKeySequence(Qt::CTRL | Qt::Key_Z), &MainWindow::toggleZoom, true);
    stayOnTopAction = add(options, "Stay On To&p", QKeySequence(Qt::CTRL | Qt::Key_P), &MainWindow::toggleStayOnTop, true);
    options->addSeparator();
    musicAction = add(options, "&Music", QKeySequence(Qt::CTRL | Qt::Key_M), &MainWindow::toggleMusic, true);
    soundEffectsAction = add(options, "Sound &FX", QKeySequence(Qt::CTRL | Qt::Key_F), &MainWindow::toggleSoundEffects, true);
    options->addSeparator();
    fewestMovesAction = add(options, "Fe&west moves", QKeySequence(), &MainWindow::toggleFewestMoves, true);
    QMenu* help = menuBar()->addMenu("&Help");
    aboutAction = add(help, "&About", QKeySequence(Qt::ALT | Qt::Key_F1), &MainWindow::showAbout);
}

WindowSizes MainWindow::CurrentSizes() const {
    return {client_->width(), client_->height(), boardPanel->width(), boardPanel->height()};
}

void MainWindow::SetSizes(const WindowSizes& s) {
    client_->setFixedSize(s.clientWidth, s.clientHeight);
    boardPanel->setGeometry(4, 2, s.panelWidth, s.panelHeight);
    paintBox->setGeometry(1, 1, s.panelWidth - 2, s.panelHeight - 2);
    // A fixed-size window: the menu bar adds its height to the client area.
    setFixedSize(s.clientWidth, s.clientHeight + menuBar()->sizeHint().height());
}

void MainWindow::SetFrameLoopActive(bool active) {
    FrameLoopActive = active;
    asleep_ = false;
    if (!active) {
        frameTimer_.stop();
        return;
    }
    restarted_ = true;
    // The interrupted wait carries on: its end may long have passed.
    if (!frameTimer_.isActive()) frameTimer_.start(0);
}

bool MainWindow::FramesHeld() const { return !FrameLoopActive || ModalOrPopupOpen(); }

void MainWindow::FrameWaitTimer() {
    if (!FrameLoopActive || asleep_) return;
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

void MainWindow::RunFrameLoop() {
    if (!FrameLoopActive) return;
    // The wait for the next frame starts when this one ends, also when this one ends in an
    // error (a level that fails to load from the keyboard): the loop must go on to show
    // the Loading screen and take the next command.
    struct NextFrame {
        MainWindow* form;
        bool sleep = false;  // set once the frame has run to its end
        ~NextFrame() {
            if (!form->FrameLoopActive) return;
            form->waiting_ = true;
            form->waitStart_ = form->FrameClock();
            form->asleep_ = sleep;
            if (sleep) form->frameTimer_.stop();
            else form->frameTimer_.start(int(FrameWaitMs + 1));
        }
    } next{this};
    const bool slid = flow.board.Sliding;
    DrawFrame();
    // The board drawn once more at the end of a slide is replaced by the next frame's; it
    // never reaches the screen.
    if (flow.AdvanceSlide()) renderer.DrawBoardOnly(Model());
    PollInput();

    const uint32_t now = FrameClock();
    if (restarted_ || slid || flow.board.Sliding || KeysHeld() || flow.State != shownState_ ||
        levelLoads_ != shownLevelLoads_)
        lastMovement_ = now;
    restarted_ = false;
    shownState_ = flow.State;
    shownLevelLoads_ = levelLoads_;
    // A move that ended, a level loaded: the hint search turns to the new board.
    if (flow.State == ScreenState::Playing && !flow.board.Sliding) help_.FollowBoard(flow.board);
    AwaitSolvers();
    // A second after the last effect the sound card may close its device, unless music plays.
    if (audio_ && now - lastEffect_ > KeepPaceMs) audio_->Rest();
    next.sleep = now - lastMovement_ > KeepPaceMs && Quiet();
}

bool MainWindow::KeysHeld() const {
    // The keys PollInput reads.
    for (int vk : {VK::Space, VK::Left, VK::Right, VK::Up, VK::Down, VK::Escape, VK::Shift, VK::Alt, VK::Home})
        if (KeyState::IsDown(vk)) return true;
    return false;
}

bool MainWindow::Quiet() {
    // An uncovered part shows black until a frame is drawn over it.
    return !FrameRenderer::Animated(flow.State) && !KeysHeld() && !flow.board.Sliding &&
           !paintBox->HasUncovered() && renderer.Repeats(Model());
}

void MainWindow::WakeIfChanged() {
    if (!asleep_ || !FrameLoopActive || Quiet()) return;
    asleep_ = false;
    // At once if the last frame's wait is over, else when it is.
    frameTimer_.start(0);
}

FrameModel MainWindow::Model() {
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
        // Joined again only when a piece of it changes, not every frame.
        if (scroller.Description != scroller_.Description || scroller.LevelName != scroller_.LevelName ||
            scroller.LevelIndex != scroller_.LevelIndex || scroller.LevelCount != scroller_.LevelCount ||
            scroller.Version != scroller_.Version || scrollerText_.isNull()) {
            scroller_ = scroller;
            scrollerText_ = ScrollerText(scroller);
        }
        m.scroller = scrollerText_;
    }
    if (flow.State == ScreenState::LevelComplete && Settings.FewestMovesOn()) {
        const SolverHelp::Fewest fewest = help_.LevelFewest();
        m.levelLine = MovesLine(help_.LevelMoves(flow.board), fewest.moves, fewest.proven);
    }
    return m;
}

void MainWindow::DrawFrame() {
    renderer.DrawFrame(Model(), paintBox->Canvas(renderer.BackBuffer.size()));
    paintBox->ShowFrame(renderer.BackBuffer, renderer.FrameVersion(),
                        renderer.RowsChangedSince(paintBox->ShownVersion()));
    ++FramesDrawn;
    emit FrameShown();
}

void MainWindow::PollInput() {
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

LevelParts MainWindow::Parts() {
    return {flow, Settings, Header, renderer, TileBitmaps, PreviewPicture, *MusicEngine};
}

bool MainWindow::LoadGamepack(const std::string& fileName, int level) {
    BusyCursor busy;
    const std::string unfound = Settings.UnfoundGamepack;
    ++levelLoads_;
    const LevelLoad result = LoadGamepackLevel(Parts(), fileName, level, boardPanel->width(), boardPanel->height());
    if (result == LevelLoad::NothingOpened) {
        FailToStart();
        return false;
    }
    topTenAction->setChecked(false);
    LevelStarted();
    // Told once for each pack that is missing, not at every level of the default pack.
    if (result == LevelLoad::FellBackToDefault && Settings.UnfoundGamepack != unfound) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(Settings.UnfoundGamepack));
        ShowMessage(QString("The gamepack \"%1\" was not found, so \"%2\" is played instead. It stays your "
                            "choice: put it back into a gamepack folder such as %3 to play it again, or "
                            "choose another gamepack in Settings.")
                        .arg(name, QString::fromStdString(Settings.GamepackName), platform::PlayerGamepackFolder()));
    }
    return result == LevelLoad::Loaded;
}

void MainWindow::FailToStart() {
    SetFrameLoopActive(false);
    startFailed_ = !started_;
    ShowMessage("Can't load gamepack!");
    // Queued, so that it also ends a program whose event loop has not started yet.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainWindow::SwitchMusic(bool on) { ::SwitchMusic(Parts(), on); }

void MainWindow::paintBoxPressed(int x, int y) { flow.MouseDown(x, y); }

void MainWindow::newGame() {
    flow.StartNewGame();
    DropHints();
    LoadGamepack(Settings.GamepackName, 0);
}

void MainWindow::DropHints() {
    hintPending_ = false;
    help_.StopHints();
}

void MainWindow::LevelStarted() {
    hintPending_ = false;
    help_.StartLevel(flow.board, Settings.FewestMovesOn());
}

void MainWindow::hint() {
    // As a click: only on the Playing board, and not while a tile slides.
    if (flow.State != ScreenState::Playing || flow.board.Sliding) return;
    if (!flow.Hinted) {
        SetFrameLoopActive(false);
        const bool yes = AskYesNo("Hint", "Take a hint? A game with hints does not enter the Top 10.");
        SetFrameLoopActive(true);
        if (!yes) return;
        flow.Hinted = true;
    }
    if (!hintPending_) {
        hintPending_ = true;
        hintCols_ = flow.board.BoardCols;
        std::copy(&flow.board.TileGrid[0][0], &flow.board.TileGrid[0][0] + Board::MaxCells * Board::MaxCells,
                  &hintGrid_[0][0]);
        hintAsked_ = FrameClock();
    }
    // The move is played by the poll, also when the answer is there already.
    help_.WantHints(flow.board);
    AwaitSolvers();
}

void MainWindow::PollSolvers() {
    if (hintPending_) {
        const bool same = flow.board.BoardCols == hintCols_ &&
                          std::equal(&hintGrid_[0][0], &hintGrid_[0][0] + Board::MaxCells * Board::MaxCells,
                                     &flow.board.TileGrid[0][0]);
        if (flow.State != ScreenState::Playing || flow.board.Sliding || !same) {
            hintPending_ = false;  // the board moved on without it
        } else {
            const SolverHelp::Hint h = help_.HintFor(flow.board, FrameClock() - hintAsked_ >= HintWaitMs);
            if (h.kind != SolverHelp::Hint::Wait) hintPending_ = false;
            if (h.kind == SolverHelp::Hint::Move) flow.PressCell(MoveCell(flow.board, h.move));
        }
    }
    AwaitSolvers();
}

void MainWindow::AwaitSolvers() {
    // A hint is looked for often, to slide soon after its answer; the fewest moves, shown
    // on a still screen, can come a little later.
    const bool figure = flow.State == ScreenState::LevelComplete && Settings.FewestMovesOn() && help_.LevelSearching();
    if (!hintPending_ && !figure) {
        solverPoll_.stop();
        return;
    }
    const int interval = hintPending_ ? 10 : 100;
    if (!solverPoll_.isActive() || solverPoll_.interval() != interval) solverPoll_.start(interval);
}

void MainWindow::tickEffects() {
    Particles->TickEffects(flow.State, paintBox->width(), paintBox->height());
}

void MainWindow::ApplyZoom(bool on) {
    SetSizes(on ? ZoomOn(CurrentSizes()) : designSizes_);
    // After the last level the index is one past it; the zoomed reload shows that last
    // level again (the result is already recorded) instead of asking for one that is not there.
    if (Header.LevelCount > 0 && flow.LevelIndex >= Header.LevelCount) flow.LevelIndex = Header.LevelCount - 1;
    LoadGamepack(Settings.GamepackName, flow.LevelIndex);
    flow.State = ScreenState::Playing;
}

void MainWindow::toggleZoom() {
    pauseAction->setChecked(false);
    zoomAction->setChecked(!zoomAction->isChecked());
    Settings.SetDoubleSize(zoomAction->isChecked());
    ApplyZoom(zoomAction->isChecked());
}

void MainWindow::toggleStayOnTop() {
    stayOnTopAction->setChecked(!stayOnTopAction->isChecked());
    Settings.OnTop = GameSettings::Flag(stayOnTopAction->isChecked());
    KeepOnTop(stayOnTopAction->isChecked());
}

void MainWindow::KeepOnTop(bool on) {
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags == windowFlags()) return;
    // A window that exists changes in place. Qt's way makes it anew, hidden, and the paint
    // box's own window (X11) would go down with the old one.
    if (QWindow* window = windowHandle()) {
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

void MainWindow::toggleMusic() {
    musicAction->setChecked(!musicAction->isChecked());
    SwitchMusic(musicAction->isChecked());
}

void MainWindow::toggleSoundEffects() {
    soundEffectsAction->setChecked(!soundEffectsAction->isChecked());
    Settings.PlaySoundFX = GameSettings::Flag(soundEffectsAction->isChecked());
}

void MainWindow::toggleFewestMoves() {
    fewestMovesAction->setChecked(!fewestMovesAction->isChecked());
    Settings.FewestMoves = GameSettings::Flag(fewestMovesAction->isChecked());
    help_.SolveLevel(Settings.FewestMovesOn());
    AwaitSolvers();
}

void MainWindow::clearTopTen() {
    SetFrameLoopActive(false);
    const bool yes = AskYesNo("Confirm", "Are you sure to clear all Top 10 entries?");
    SetFrameLoopActive(true);
    if (!yes) return;
    HiScores.ResetHiScoreTable();
    StoreRecords();
}

void MainWindow::saveGame() {
    try {
        WriteSaveGame(store_,
                      MakeSaveGame(Settings.GamepackName, flow.LevelIndex, flow.TimeLeft, flow.board.MoveCount,
                                   flow.board.TileGrid, flow.board.BoardCols),
                      flow.Hinted);
    } catch (const StoreError& e) {
        // The player asked for this one, so it is answered every time; what the settings
        // and the table cannot keep is told apart, once.
        throw StoreError(std::string(e.what()) + ": the game is not saved");
    }
}

void MainWindow::restoreGame() {
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
    pauseAction->setChecked(false);
    flow.LevelIndex = saved->LevelIndex;
    Settings.ChooseGamepack(saved->Gamepack);
    if (!LoadGamepack(Settings.GamepackName, flow.LevelIndex)) return;
    flow.ResultRecorded = false;
    flow.board.MoveCount = saved->MoveCount;
    flow.TimeLeft = saved->TimeLeft;
    ApplySavedBoard(*saved, flow.board.TileGrid, flow.board.BoardCols);
    // The restored game keeps its hint mark; its level counts and is solved from here.
    DropHints();
    flow.Hinted = ReadSaveGameHinted(store_);
    LevelStarted();
}

void MainWindow::showSettings() {
    SetFrameLoopActive(false);
    {
        // Made for this one showing and gone with the scope.
        SettingsDialog dialog(this, SettingsDialogLinks{*MusicEngine, Settings.GamepackName, Settings.MusicVolume,
                                        Settings.SlideSpeed, pauseAction, [this] {
                                            Settings.UnfoundGamepack.clear();  // another pack chosen
                                            flow.LevelIndex = 0;
                                            flow.Hinted = false;  // a new game
                                            DropHints();
                                            LoadGamepack(Settings.GamepackName, 0);
                                        }});
        // OK clears the Pause/Preview check mark; a game left on the Paused screen follows
        // it back to Playing, or the next P would pause it a second time.
        if (dialog.exec() == QDialog::Accepted && flow.State == ScreenState::Paused && !pauseAction->isChecked())
            flow.State = ScreenState::Playing;
    }
    SetFrameLoopActive(true);
}

void MainWindow::showAbout() {
    SetFrameLoopActive(false);
    {
        AboutBox dialog(this, VersionText);
        dialog.exec();
    }
    SetFrameLoopActive(true);
}

void MainWindow::exitGame() { close(); }

void MainWindow::showEvent(QShowEvent* event) {
    // The window system's exposures arrive at the native window; a changed window flag
    // may have made a new one.
    if (QWindow* window = windowHandle()) window->installEventFilter(this);
    // On X11 the paint box has a window of its own, exposed on its own.
    if (QWindow* box = paintBox->windowHandle()) box->installEventFilter(this);
    QMainWindow::showEvent(event);
}

namespace {
// The exposed region; the event keeps it in a member that Qt no longer offers as API.
struct ExposeRegion : QExposeEvent {
    static const QRegion& Of(const QExposeEvent* event) { return event->*(&ExposeRegion::m_region); }
};
}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Uncovered while frames are held, the paint box shows black until the next frame,
    // not a frame that is no longer current.
    if (event->type() == QEvent::Expose && FramesHeld()) {
        const QRegion& exposed = ExposeRegion::Of(static_cast<QExposeEvent*>(event));
        if (watched == windowHandle()) paintBox->Uncover(exposed.translated(-paintBox->mapTo(this, QPoint(0, 0))));
        else if (watched == paintBox->windowHandle()) paintBox->Uncover(exposed);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SetFrameLoopActive(false);
    event->accept();
}

void MainWindow::PlaySoundEffect(const char* name) {
    if (!audio_ || !name) return;
    lastEffect_ = FrameClock();
    for (int i = 0; i < 3; ++i)
        if (qstricmp(name, kEffectNames[i]) == 0) audio_->PlayEffect(soundEffects_[i]);
}
bool MainWindow::SoundEffectsOn() const { return Settings.SoundFXOn(); }
int MainWindow::SlideSpeed() const { return Settings.SlideSpeedValue(); }
int MainWindow::LevelCount() const { return Header.LevelCount; }
void MainWindow::LoadLevel(int level) { LoadGamepack(Settings.GamepackName, level); }

void MainWindow::RecordResult(int32_t moves, int32_t timeLeft) {
    HiScores.RecordResult(moves, timeLeft, Settings.GamepackName);
    // Stored at once, so that a result survives the program being killed later.
    StoreRecords();
}

void MainWindow::SetPauseChecked(bool checked) { pauseAction->setChecked(checked); }
bool MainWindow::PauseChecked() const { return pauseAction->isChecked(); }
void MainWindow::SetTopTenChecked(bool checked) { topTenAction->setChecked(checked); }
bool MainWindow::TopTenChecked() const { return topTenAction->isChecked(); }
void MainWindow::ResetHighlights() { HiScores.ResetHighlight(); }
void MainWindow::EnterPaused() { Pause.Enter(ProgramRandom()); }
