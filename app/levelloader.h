#pragma once
// The level loader: reads one level of a gamepack and prepares the board, the tiles, the
// clock and the song for it. It is handed the objects it fills, not the window, so that
// the window calls into it and never the other way round.
#include <QImage>
#include <string>

#include "gamepack/gamepackformat.h"
#include "gamepack/picture.h"

class CYmEngine;
class FrameRenderer;
class GameFlow;
class GameSettings;

// What a level load changes.
struct LevelParts {
    GameFlow& flow;
    GameSettings& settings;   // GamepackName falls back to "default.spx", UnfoundGamepack keeps the choice; PlayMusic
    GamepackHeader& header;   // the current gamepack's, unscrambled
    FrameRenderer& renderer;  // sized to the panel, its back buffer cleared
    TileBitmapPool& tiles;
    QImage& preview;
    CYmEngine& music;
};

enum class LevelLoad {
    Loaded,              // the level of fileName itself
    FellBackToDefault,   // fileName did not open: level 0 of "default.spx" instead
    NothingOpened,       // neither file opened (or had a whole header); nothing changed
};

// (Re)starts `level` of the gamepack `fileName` on a panel of the given size. A damaged
// file or a missing level throws with the reason; the game then stays on the Loading
// screen with the previous header.
LevelLoad LoadGamepackLevel(const LevelParts& parts, const std::string& fileName, int level, int panelWidth,
                            int panelHeight);

// Starts the current level's song (when it has one) or stops the music, and keeps the
// choice in the PlayMusic setting. Without a sound device the game goes on silently.
void SwitchMusic(const LevelParts& parts, bool on);
