#include "render/frame.h"

#include <QPainter>
#include <algorithm>

#include "game/hiscoretable.h"
#include "render/particles.h"
#include "render/textscreens.h"

void FrameRenderer::Resize(int width, int height) {
    if (BackBuffer.width() == width && BackBuffer.height() == height) return;
    BackBuffer = QImage(width, height, QImage::Format_RGB32);
    ClearBackBuffer();
}

void FrameRenderer::ClearBackBuffer() { BackBuffer.fill(Qt::black); }

const QImage* FrameRenderer::BoardTiles(const FrameModel& model) {
    const size_t count = size_t(model.tileCount);
    boardTiles_.resize(count);
    boardTileKeys_.resize(count, 0);
    const int size = model.board->TileSize;
    for (size_t i = 0; i < count; ++i) {
        const QImage& tile = model.tiles[i];
        if (boardTileKeys_[i] == tile.cacheKey() && !boardTiles_[i].isNull()) continue;
        boardTileKeys_[i] = tile.cacheKey();
        if (size < 2 || tile.size() != QSize(size, size)) {
            boardTiles_[i] = tile;
            continue;
        }
        QImage shrunk(size - 1, size - 1, BackBuffer.format());
        QPainter painter(&shrunk);
        painter.drawImage(shrunk.rect(), tile);
        boardTiles_[i] = shrunk;
    }
    return boardTiles_.data();
}

namespace {
bool SameStatus(const StatusLine& a, const StatusLine& b) {
    // Every field bound: a field added to StatusLine stops the build here until it is
    // compared as well.
    const auto& [levelName, levelIndex, levelCount, hasSong, songTitle, timerActive, timeLeft] = a;
    return levelName == b.levelName && levelIndex == b.levelIndex && levelCount == b.levelCount &&
           hasSong == b.hasSong && songTitle == b.songTitle && timerActive == b.timerActive &&
           timeLeft == b.timeLeft;
}
}  // namespace

void FrameRenderer::DrawStatus(QPainter& painter, const FrameModel& model) {
    const int w = BackBuffer.width();
    const int top = model.board ? std::min(model.board->BoardTop, BackBuffer.height()) : 0;
    if (top <= 0) {
        DrawStatusLine(painter, w, model.status);
        return;
    }
    if (statusStrip_.size() != QSize(w, top) || !SameStatus(statusShown_, model.status)) {
        statusStrip_ = QImage(w, top, BackBuffer.format());
        statusStrip_.fill(Qt::black);
        QPainter strip(&statusStrip_);
        DrawStatusLine(strip, w, model.status);
        statusShown_ = model.status;
    }
    painter.drawImage(0, 0, statusStrip_);
}

void FrameRenderer::DrawBoardOnly(const FrameModel& model) {
    if (!model.board || !model.tiles) return;
    QPainter painter(&BackBuffer);
    DrawBoard(painter, *model.board, BoardTiles(model), model.tileCount);
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
        if (model.board && model.tiles) DrawBoard(painter, *model.board, BoardTiles(model), model.tileCount);
        DrawStatus(painter, model);
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
