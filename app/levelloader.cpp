// The level loader of the main window: reads one level of a gamepack and prepares the
// board, the tiles, the clock and the song for it.
#include <QCoreApplication>

#include "common/random.h"
#include "app/mainwindow.h"
#include "gamepack/gamepackfile.h"
#include "platform/dialogs.h"
#include "platform/gamepackfolders.h"

namespace {
constexpr const char* kDefaultGamepack = "default.spx";
}

bool MainWindow::LoadGamepack(const std::string& fileName, int level) {
    BusyCursor busy;
    flow.State = ScreenState::Loading;
    bool result = true;
    const std::string nameBefore = Settings.GamepackName;

    GamepackLevel data;
    try {
        try {
            data = ReadGamepackLevel(platform::FindGamepack(fileName), level);
        } catch (const GamepackOpenError&) {
            result = false;
            flow.LevelIndex = 0;
            level = 0;
            Settings.GamepackName = kDefaultGamepack;
            data = ReadGamepackLevel(platform::FindGamepack(kDefaultGamepack), 0);
        }
    } catch (const GamepackOpenError&) {
        // Neither file opened: the fallback never happened, and the name the player chose
        // is what the settings keep (the folder may only be missing for now).
        Settings.GamepackName = nameBefore;
        FailToStart();
        return false;
    } catch (const GamepackShortHeaderError&) {
        Settings.GamepackName = nameBefore;
        FailToStart();
        return false;
    }
    // A damaged file or a missing level propagates from ReadGamepackLevel to the top-level
    // handler, which shows the reason; the game stays on the Loading screen with the
    // previous header, and New game or Settings can load another gamepack.
    Header = data.header;

    const Layout layout = ComputeLayout(boardPanel->width(), boardPanel->height());
    renderer.Resize(layout.W, layout.H);
    LevelPicture picture;
    try {
        picture = PreparePicture(data.picture.data(), data.picture.size, layout.BoardSize);
    } catch (const PictureError& e) {
        // libjpeg's message alone does not say which file the player should look at.
        throw PictureError("The picture of level " + std::to_string(level + 1) + " of the gamepack '" +
                           (result ? fileName : std::string(kDefaultGamepack)) +
                           "' cannot be shown: " + e.what());
    }
    PreviewPicture = picture.Preview;

    MusicEngine->LoadSong(data.song.data(), data.song.size);
    if (Settings.MusicOn()) SwitchMusic(true);

    flow.StartLevel(Header.TimeLimit());
    const int n = Header.CellsPerSide();
    flow.board.BoardCols = flow.board.BoardRows = n;
    BoardLayout board{layout.BoardLeft, layout.BoardTop, layout.BoardSize, 0};
    CutTiles(picture.Colour, n, board, TileBitmaps);
    flow.board.BoardLeft = board.BoardLeft;
    flow.board.BoardTop = board.BoardTop;
    flow.board.BoardSize = board.BoardSize;
    flow.board.TileSize = board.TileSize;
    renderer.ClearBackBuffer();
    flow.board.ShuffleBoard(ProgramRandom());

    flow.State = ScreenState::Playing;
    topTenAction->setChecked(false);
    return result;
}

void MainWindow::FailToStart() {
    SetFrameLoopActive(false);
    startFailed_ = !started_;
    ShowMessage("Can't load gamepack!");
    // Queued, so that it also ends a program whose event loop has not started yet.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainWindow::SwitchMusic(bool on) {
    if (on) {
        const size_t level = size_t(flow.LevelIndex);
        if (level < Header.SongSizes.size() && Header.SongSizes[level] != 0) {
            try {
                MusicEngine->Play();
            } catch (const std::exception&) {
                // No sound device: the game goes on silently.
            }
        }
        Settings.PlayMusic = "1";
    } else {
        MusicEngine->Stop();
        Settings.PlayMusic = "0";
    }
}
