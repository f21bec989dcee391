#include "render/frame.h"

#include <QPainter>

void FrameRenderer::Resize(int width, int height) {
    if (BackBuffer.width() == width && BackBuffer.height() == height) return;
    BackBuffer = QImage(width, height, QImage::Format_RGB32);
    ClearBackBuffer();
}

void FrameRenderer::ClearBackBuffer() { BackBuffer.fill(Qt::black); }

void FrameRenderer::DrawBoardOnly(const FrameModel& model) {
    if (!model.board || !model.tiles) return;
    QPainter painter(&BackBuffer);
    DrawBoard(painter, *model.board, model.tiles, model.tileCount);
}

void FrameRenderer::DrawFrame(const FrameModel& model) {
    ClearBackBuffer();
    QPainter painter(&BackBuffer);
    switch (model.state) {
    case ScreenState::Playing:
        if (model.board && model.tiles) DrawBoard(painter, *model.board, model.tiles, model.tileCount);
        DrawStatusLine(painter, BackBuffer.width(), model.status);
        break;
    case ScreenState::GameOver:
    case ScreenState::Loading:
    case ScreenState::LevelComplete:
    case ScreenState::Paused:
    case ScreenState::TopTen:
    default:
        break;  // the text screens draw here; until then their frames stay black
    }
}
