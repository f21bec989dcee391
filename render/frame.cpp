#include "render/frame.h"

#include <QPainter>

#include "game/hiscoretable.h"
#include "render/particles.h"
#include "render/textscreens.h"

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
    const int w = BackBuffer.width(), h = BackBuffer.height();
    // The particles write pixels directly, so no painter is open on the buffer meanwhile.
    auto particles = [&] {
        if (model.particles) model.particles->UpdateParticles(BackBuffer);
    };
    switch (model.state) {
    case ScreenState::Playing: {
        QPainter painter(&BackBuffer);
        if (model.board && model.tiles) DrawBoard(painter, *model.board, model.tiles, model.tileCount);
        DrawStatusLine(painter, w, model.status);
        break;
    }
    case ScreenState::GameOver: {
        particles();
        QPainter painter(&BackBuffer);
        DrawGameOver(painter, w, h);
        break;
    }
    case ScreenState::Loading: {
        QPainter painter(&BackBuffer);
        DrawLoading(painter, w, h);
        break;
    }
    case ScreenState::LevelComplete: {
        QPainter painter(&BackBuffer);
        if (model.board) DrawLevelComplete(painter, *model.board, model.tiles, model.tileCount, w);
        break;
    }
    case ScreenState::Paused: {
        if (model.pause && model.preview) {
            QPainter painter(&BackBuffer);
            DrawPreview(painter, *model.preview, *model.pause, w, h);
        }
        particles();
        if (model.pause) {
            QPainter painter(&BackBuffer);
            DrawPaused(painter, model.scroller, *model.pause, w, h);
        }
        break;
    }
    case ScreenState::TopTen: {
        particles();
        if (model.hiScores) {
            QPainter painter(&BackBuffer);
            DrawTopTen(painter, *model.hiScores, w, h);
        }
        break;
    }
    default:
        break;  // no screen of its own: the frame stays black
    }
}
