#pragma once
#include <QImage>

#include "game/flow.h"
#include "render/boardview.h"

// Everything one frame shows, gathered by the main window.
struct FrameModel {
    ScreenState state = ScreenState::Loading;
    const Board* board = nullptr;
    const QImage* tiles = nullptr;  // tile pictures by tile number, the blank tile after them
    int tileCount = 0;
    StatusLine status;
};

// Composes each frame off-screen in the BackBuffer, which the paint box then shows in one copy.
class FrameRenderer {
public:
    QImage BackBuffer;

    void Resize(int width, int height);
    void ClearBackBuffer();
    void DrawFrame(const FrameModel& model);
    void DrawBoardOnly(const FrameModel& model);  // the redraw at the end of a slide
};
