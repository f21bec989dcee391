#pragma once
#include <QImage>
#include <QString>
#include <vector>

#include "game/flow.h"
#include "render/boardview.h"

class HiScoreTable;
class ParticleSystem;
struct PauseAnimation;

// Everything one frame shows, gathered by the main window.
struct FrameModel {
    ScreenState state = ScreenState::Loading;
    const Board* board = nullptr;
    const QImage* tiles = nullptr;  // tile pictures by tile number, the blank tile after them
    int tileCount = 0;
    StatusLine status;

    const QImage* preview = nullptr;      // the level picture in grey (Paused)
    QString scroller;                     // the Paused screen's scroller text
    const HiScoreTable* hiScores = nullptr;

    // Animation the screens advance as they draw; the main window keeps them, so that
    // they stay frozen while another screen is shown.
    ParticleSystem* particles = nullptr;  // GameOver, Paused, TopTen
    PauseAnimation* pause = nullptr;      // Paused
};

// Composes each frame off-screen in the BackBuffer, which the paint box then shows in one copy.
class FrameRenderer {
public:
    QImage BackBuffer;

    void Resize(int width, int height);
    void ClearBackBuffer();
    // The steps of model.state, later ones over earlier ones; a step whose data the model
    // lacks is left out.
    void DrawFrame(const FrameModel& model);
    void DrawBoardOnly(const FrameModel& model);  // the redraw at the end of a slide

private:
    // The board's tile pictures, each already shrunk onto the square one pixel smaller
    // that the board copies it into (the same mapping, done once per level rather than
    // every frame); a picture of another size is kept as it is.
    const QImage* BoardTiles(const FrameModel& model);
    std::vector<QImage> boardTiles_;
    std::vector<qint64> boardTileKeys_;  // cacheKey of the picture each was made from

    // The status line, which lies above the board on the cleared black: drawn into a strip
    // when its texts change and copied from there in the frames between.
    void DrawStatus(QPainter& painter, const FrameModel& model);
    QImage statusStrip_;
    StatusLine statusShown_;
};
