#pragma once
#include <QImage>
#include <QString>

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
};
