#include "app/levelloader.h"

#include "common/random.h"
#include "game/flow.h"
#include "game/settings.h"
#include "gamepack/gamepackfile.h"
#include "music/ymplayer.h"
#include "platform/gamepackfolders.h"
#include "render/frame.h"
#include "render/layout.h"

namespace {
constexpr const char* kDefaultGamepack = "default.spx";
}

LevelLoad LoadGamepackLevel(const LevelParts& parts, const std::string& fileName, int level, int panelWidth,
                            int panelHeight) {
    GameFlow& flow = parts.flow;
    flow.State = ScreenState::Loading;
    LevelLoad result = LevelLoad::Loaded;
    const std::string nameBefore = parts.settings.GamepackName;
    const std::string unfoundBefore = parts.settings.UnfoundGamepack;

    GamepackLevel data;
    try {
        try {
            data = ReadGamepackLevel(platform::FindGamepack(fileName), level);
        } catch (const GamepackOpenError&) {
            result = LevelLoad::FellBackToDefault;
            flow.LevelIndex = 0;
            level = 0;
            // The default pack is played, and the player's choice kept to be stored.
            parts.settings.UnfoundGamepack = fileName;
            parts.settings.GamepackName = kDefaultGamepack;
            data = ReadGamepackLevel(platform::FindGamepack(kDefaultGamepack), 0);
        }
    } catch (const GamepackOpenError&) {
        // Neither file opened: the fallback never happened, and the name the player chose
        // is what the settings keep (the folder may only be missing for now).
        parts.settings.GamepackName = nameBefore;
        parts.settings.UnfoundGamepack = unfoundBefore;
        return LevelLoad::NothingOpened;
    } catch (const GamepackShortHeaderError&) {
        parts.settings.GamepackName = nameBefore;
        parts.settings.UnfoundGamepack = unfoundBefore;
        return LevelLoad::NothingOpened;
    }
    // A damaged file or a missing level propagates from ReadGamepackLevel to the top-level
    // handler, which shows the reason; the game stays on the Loading screen with the
    // previous header, and New game or Settings can load another gamepack.
    parts.header = data.header;

    const Layout layout = ComputeLayout(panelWidth, panelHeight);
    parts.renderer.Resize(layout.W, layout.H);
    LevelPicture picture;
    try {
        picture = PreparePicture(data.picture.data(), data.picture.size, layout.BoardSize);
    } catch (const PictureError& e) {
        // libjpeg's message alone does not say which file the player should look at.
        throw PictureError("The picture of level " + std::to_string(level + 1) + " of the gamepack '" +
                           (result == LevelLoad::Loaded ? fileName : std::string(kDefaultGamepack)) +
                           "' cannot be shown: " + e.what());
    }
    parts.preview = picture.Preview;

    parts.music.LoadSong(data.song.data(), data.song.size);
    if (parts.settings.MusicOn()) SwitchMusic(parts, true);

    flow.StartLevel(parts.header.TimeLimit());
    const int n = parts.header.CellsPerSide();
    flow.board.BoardCols = flow.board.BoardRows = n;
    BoardLayout board{layout.BoardLeft, layout.BoardTop, layout.BoardSize, 0};
    CutTiles(picture.Colour, n, board, parts.tiles);
    flow.board.BoardLeft = board.BoardLeft;
    flow.board.BoardTop = board.BoardTop;
    flow.board.BoardSize = board.BoardSize;
    flow.board.TileSize = board.TileSize;
    parts.renderer.ClearBackBuffer();
    flow.board.ShuffleBoard(ProgramRandom());

    flow.State = ScreenState::Playing;
    return result;
}

void SwitchMusic(const LevelParts& parts, bool on) {
    if (on) {
        const size_t level = size_t(parts.flow.LevelIndex);
        if (level < parts.header.SongSizes.size() && parts.header.SongSizes[level] != 0) {
            try {
                parts.music.Play();
            } catch (const std::exception&) {
                // No sound device: the game goes on silently.
            }
        }
        parts.settings.PlayMusic = "1";
    } else {
        parts.music.Stop();
        parts.settings.PlayMusic = "0";
    }
}
