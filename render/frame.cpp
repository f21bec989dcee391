#include "render/frame.h"

#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cstring>

#include "game/hiscoretable.h"
#include "render/particles.h"
#include "render/textscreens.h"

void FrameRenderer::Resize(int width, int height) {
    if (BackBuffer.width() == width && BackBuffer.height() == height) return;
    BackBuffer = QImage(width, height, QImage::Format_RGB32);
    ClearBackBuffer();
}

void FrameRenderer::ClearBackBuffer() {
    // Not on a canvas, which holds the frame on screen.
    if (OnCanvas()) BackBuffer = QImage(BackBuffer.size(), BackBuffer.format());
    BackBuffer.fill(Qt::black);
    lastStill_ = false;
}

void FrameRenderer::UseCanvas(QImage canvas) {
    if (canvas.isNull() || canvas.size() != BackBuffer.size() || canvas.format() != BackBuffer.format()) {
        LeaveCanvas();
        return;
    }
    if (BackBuffer.constBits() == canvas.constBits()) return;  // the same memory: drawn there already
    // Moved in, not shared: the first write would copy shared image data.
    BackBuffer = std::move(canvas);
    canvasBits_ = BackBuffer.constBits();
}

void FrameRenderer::LeaveCanvas() {
    if (!OnCanvas()) return;
    BackBuffer = BackBuffer.copy();  // what the canvas holds, now the renderer's own
    canvasBits_ = nullptr;
}

void FrameRenderer::NewVersion() {
    static std::atomic<uint64_t> versions{0};
    version_ = ++versions;
    versionKey_ = BackBuffer.cacheKey();
}

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
        // A see-through picture shows the board's black through it, not stale memory.
        shrunk.fill(Qt::black);
        QPainter painter(&shrunk);
        painter.drawImage(shrunk.rect(), tile);
        boardTiles_[i] = shrunk;
    }
    return boardTiles_.data();
}

namespace {
bool SameBoard(const Board& a, const Board& b) {
    // Every field bound, as for the status line below.
    const auto& [cols, rows, grid, left, top, size, tileSize, sliding, from, to, offsetX, offsetY,
                 moves] = a;
    (void)moves;  // not drawn
    return cols == b.BoardCols && rows == b.BoardRows && left == b.BoardLeft && top == b.BoardTop &&
           size == b.BoardSize && tileSize == b.TileSize && sliding == b.Sliding &&
           from == b.SlideFrom && to == b.SlideTo && offsetX == b.SlideOffsetX &&
           offsetY == b.SlideOffsetY && std::equal(&grid[0][0], &grid[0][0] + sizeof grid / sizeof grid[0][0],
                                                   &b.TileGrid[0][0]);
}

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

bool FrameRenderer::Animated(ScreenState state) {
    return state == ScreenState::GameOver || state == ScreenState::Paused || state == ScreenState::TopTen;
}

bool FrameRenderer::Still(const FrameModel& m) {
    if (Animated(m.state)) return false;
    // A Playing frame without its board is only its status line; not worth keeping.
    return m.state != ScreenState::Playing || (m.board && m.tiles);
}

bool FrameRenderer::SameInputs(const FrameModel& m) const {
    const StillInputs& last = lastInputs_;
    bool same = last.state == m.state && last.size == BackBuffer.size() && last.tiles == m.tiles &&
                last.tileKeys.size() == size_t(m.tileCount) && (m.board != nullptr) &&
                SameBoard(last.board, *m.board) && SameStatus(last.status, m.status) &&
                last.levelLine == m.levelLine;
    for (int i = 0; same && i < m.tileCount; ++i) same = last.tileKeys[size_t(i)] == m.tiles[i].cacheKey();
    return same;
}

void FrameRenderer::KeepInputs(const FrameModel& m) {
    StillInputs& last = lastInputs_;
    last.state = m.state;
    last.size = BackBuffer.size();
    last.board = m.board ? *m.board : Board();
    last.tiles = m.tiles;
    last.tileKeys.resize(size_t(m.tileCount));
    for (int i = 0; i < m.tileCount; ++i) last.tileKeys[size_t(i)] = m.tiles[i].cacheKey();
    last.status = m.status;
    last.levelLine = m.levelLine;
}

namespace {
bool SameEntries(const std::array<HiScoreEntry, HiScoreTable::kEntryCount>& a, const HiScoreTable& table) {
    for (int i = 0; i < HiScoreTable::kEntryCount; ++i) {
        // Every field bound, as for the status line.
        const auto& [moves, timeLeft, colour, gamepack] = a[size_t(i)];
        const HiScoreEntry& b = table.Entry(i);
        if (moves != b.Moves || timeLeft != b.TimeLeft || colour != b.Colour || gamepack != b.Gamepack) return false;
    }
    return true;
}
}  // namespace

FrameRenderer::KeptTexts& FrameRenderer::TextsOf(const FrameModel& m) {
    KeptTexts& k = kept_;
    const bool table = m.state == ScreenState::TopTen;
    if (k.state == m.state && k.size == BackBuffer.size() && !k.still.isNull() &&
        (!table || SameEntries(k.entries, *m.hiScores)))
        return k;
    const int w = BackBuffer.width(), h = BackBuffer.height();
    k.state = m.state;
    k.size = BackBuffer.size();
    if (table) k.entries = m.hiScores->Entries();
    k.texts = QImage(k.size, QImage::Format_ARGB32_Premultiplied);
    k.texts.fill(Qt::transparent);
    {
        // Unsmoothed text in opaque colours: every pixel of it is opaque, so the texts land
        // on the frame exactly as if drawn there.
        QPainter painter(&k.texts);
        if (table) DrawTopTen(painter, *m.hiScores, w, h);
        else DrawGameOver(painter, w, h);
    }
    k.still = QImage(k.size, BackBuffer.format());
    k.still.fill(Qt::black);
    QPainter(&k.still).drawImage(0, 0, k.texts);
    k.frame = 0;
    return k;
}

void FrameRenderer::DrawOverKeptTexts(const FrameModel& model) {
    KeptTexts& k = TextsOf(model);
    // The last frame came from these texts and nothing has written into it since: only
    // its sparks differ from the still screen.
    if (k.frame == version_ && BackBuffer.cacheKey() == versionKey_ && BackBuffer.format() == QImage::Format_RGB32) {
        const int w = BackBuffer.width(), h = BackBuffer.height();
        changedRows_.assign(size_t(h), 0);
        changedSince_ = version_;
        for (const QPoint& dot : k.dots) {
            if (dot.y() < 0 || dot.y() >= h) continue;
            changedRows_[size_t(dot.y())] = 1;
            QRgb* line = reinterpret_cast<QRgb*>(BackBuffer.scanLine(dot.y()));
            const QRgb* still = reinterpret_cast<const QRgb*>(k.still.constScanLine(dot.y()));
            for (int x = std::max(dot.x(), 0); x < std::min(dot.x() + 2, w); ++x) line[x] = still[x];
        }
    } else {
        std::memcpy(BackBuffer.bits(), k.still.constBits(), size_t(k.still.sizeInBytes()));
    }
    k.dots.clear();
    if (model.particles) model.particles->UpdateParticles(BackBuffer, &k.texts, &k.dots);
    if (changedSince_ != 0)
        for (const QPoint& dot : k.dots) changedRows_[size_t(dot.y())] = 1;  // within the frame
}

const std::vector<uint8_t>* FrameRenderer::RowsChangedSince(uint64_t version) const {
    const bool known = version != 0 && version == changedSince_ && BackBuffer.cacheKey() == versionKey_ &&
                       changedRows_.size() == size_t(BackBuffer.height());
    return known ? &changedRows_ : nullptr;
}

bool FrameRenderer::Repeats(const FrameModel& model) const {
    // Written to from outside since the last frame, the buffer holds something unknown.
    return Still(model) && lastStill_ && BackBuffer.cacheKey() == versionKey_ && SameInputs(model);
}

void FrameRenderer::PreviewOnBlack(const QImage& preview, QPoint at) {
    const int w = BackBuffer.width(), h = BackBuffer.height();
    const QRect k = QRect(at, preview.size()) & BackBuffer.rect();
    // The last frame was drawn here and nothing has written into it since: black is
    // already everywhere but its ink.
    const bool known = pausedFrame_ != 0 && pausedFrame_ == version_ && BackBuffer.cacheKey() == versionKey_ &&
                       pausedInk_.size() == size_t(h);
    if (!known) pausedInk_.assign(size_t(h), {0, w});
    changedRows_.assign(size_t(h), 0);
    changedSince_ = known ? version_ : 0;
    blackRow_.resize(size_t(w), QColor(Qt::black).rgb());
    uchar* const bits = BackBuffer.bits();
    const qsizetype stride = BackBuffer.bytesPerLine();
    for (int y = 0; y < h; ++y) {
        const std::pair<int, int> ink = pausedInk_[size_t(y)];
        const bool picture = !k.isEmpty() && y >= k.top() && y <= k.bottom();
        const int left = picture ? k.left() : w, right = picture ? k.right() + 1 : w;
        if (!picture && ink.first >= ink.second) continue;  // black, and stays so
        changedRows_[size_t(y)] = 1;
        QRgb* const row = reinterpret_cast<QRgb*>(bits + y * stride);
        // The ink on either side of the picture's columns goes back to black.
        const auto blacken = [&](int x0, int x1) {
            if (x0 < x1) std::memcpy(row + x0, blackRow_.data(), size_t(x1 - x0) * sizeof(QRgb));
        };
        blacken(ink.first, std::min(ink.second, left));
        blacken(std::max(ink.first, right), ink.second);
        if (picture) {
            const QRgb* line = reinterpret_cast<const QRgb*>(preview.constScanLine(y - at.y())) + (left - at.x());
            std::memcpy(row + left, line, size_t(right - left) * sizeof(QRgb));
        }
        pausedInk_[size_t(y)] = {left, right};
    }
}

void FrameRenderer::AddInk(int y, int x0, int x1) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, BackBuffer.width());
    if (y < 0 || size_t(y) >= pausedInk_.size() || x0 >= x1) return;
    std::pair<int, int>& ink = pausedInk_[size_t(y)];
    ink = ink.first >= ink.second ? std::make_pair(x0, x1)
                                  : std::make_pair(std::min(ink.first, x0), std::max(ink.second, x1));
    changedRows_[size_t(y)] = 1;
}

void FrameRenderer::ClearUncovered(const FrameModel& model, const QImage* tiles, int statusTop) {
    const Board& b = *model.board;
    const int n = b.BoardCols, ts = b.TileSize, side = ts - 1;
    if (BackBuffer.format() != QImage::Format_RGB32 || b.BoardRows != n || n < 1 ||
        n > Board::MaxCells || side < 1 || !tiles) {
        BackBuffer.fill(Qt::black);  // nothing is known to be covered
        return;
    }
    const int w = BackBuffer.width(), h = BackBuffer.height();
    // Copied from a row of black, which the library's copy does many pixels at a time.
    blackRow_.resize(size_t(w), QColor(Qt::black).rgb());
    uchar* const bits = BackBuffer.bits();  // detached once, not once a row
    const qsizetype stride = BackBuffer.bytesPerLine();
    const auto blacken = [&](int y, int x0, int x1) {  // [x0, x1) of row y
        x0 = std::max(x0, 0);
        x1 = std::min(x1, w);
        if (y < 0 || y >= h || x0 >= x1) return;
        std::memcpy(bits + y * stride + x0 * qsizetype(sizeof(QRgb)), blackRow_.data(),
                    size_t(x1 - x0) * sizeof(QRgb));
    };
    // The cells, which lie on a regular grid: a cell whose tile is copied one to one and
    // opaque hides whatever lay below it, all but the one-pixel line at its right and bottom.
    bool covered[Board::MaxCells][Board::MaxCells] = {};
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) {
            const int t = b.TileGrid[c][r];
            covered[c][r] = t >= 0 && t < model.tileCount && tiles[t].size() == QSize(side, side) &&
                            !tiles[t].hasAlphaChannel();
        }
    const int left = b.BoardLeft, top = b.BoardTop, right = left + n * ts, bottom = top + n * ts;
    for (int y = std::max(statusTop, 0); y < h; ++y) {  // the status strip covers the rows above
        if (y < top || y >= bottom) {
            blacken(y, 0, w);
            continue;
        }
        const int r = (y - top) / ts;
        if ((y - top) % ts == side) {
            blacken(y, 0, w);  // the line below a row of cells
            continue;
        }
        blacken(y, 0, left);
        for (int c = 0; c < n; ++c) {
            const int x = left + c * ts;
            blacken(y, covered[c][r] ? x + side : x, x + ts);
        }
        blacken(y, right, w);
    }
}

void FrameRenderer::DrawBoardOnly(const FrameModel& model) {
    if (!model.board || !model.tiles) return;
    LeaveCanvas();
    {
        QPainter painter(&BackBuffer);
        DrawBoard(painter, *model.board, BoardTiles(model), model.tileCount);
    }
    lastStill_ = false;
    changedSince_ = 0;
    NewVersion();
}

void FrameRenderer::DrawFrame(const FrameModel& model, QImage canvas) {
    UseCanvas(std::move(canvas));
    // The pixels are there already: drawing them again would change nothing.
    if (Repeats(model)) return;
    changedSince_ = 0;  // any row, unless the kept texts' sparks tell
    const int w = BackBuffer.width(), h = BackBuffer.height();
    const bool playing = model.state == ScreenState::Playing && model.board && model.tiles;
    // The screens with kept texts start from their still picture instead of black; the
    // Paused screen writes its picture and the black around it in one pass.
    const bool keptTexts = model.state == ScreenState::GameOver || (model.state == ScreenState::TopTen && model.hiScores);
    const bool overPreview = model.state == ScreenState::Paused && model.pause && model.preview &&
                             model.preview->format() == QImage::Format_RGB32 &&
                             BackBuffer.format() == QImage::Format_RGB32;
    if (!playing && !keptTexts && !overPreview) ClearBackBuffer();
    // The particles write pixels directly, so no painter is open on the buffer meanwhile.
    auto particles = [&] {
        if (model.particles) model.particles->UpdateParticles(BackBuffer);
    };
    switch (model.state) {
    case ScreenState::Playing: {
        if (!playing) {
            QPainter painter(&BackBuffer);
            DrawStatus(painter, model);
            break;
        }
        const QImage* tiles = BoardTiles(model);
        ClearUncovered(model, tiles, std::min(model.board->BoardTop, h));
        QPainter painter(&BackBuffer);
        DrawBoard(painter, *model.board, tiles, model.tileCount);
        DrawStatus(painter, model);
        break;
    }
    case ScreenState::GameOver:
        DrawOverKeptTexts(model);
        break;
    case ScreenState::Loading: {
        QPainter painter(&BackBuffer);
        DrawLoading(painter, w, h);
        break;
    }
    case ScreenState::LevelComplete: {
        QPainter painter(&BackBuffer);
        if (model.board) DrawLevelComplete(painter, *model.board, model.tiles, model.tileCount, w, model.levelLine);
        break;
    }
    case ScreenState::Paused: {
        if (overPreview) {
            MovePreview(*model.pause, model.preview->size(), w, h);
            PreviewOnBlack(*model.preview, QPoint(model.pause->PreviewX, model.pause->PreviewY));
        } else if (model.pause && model.preview) {
            QPainter painter(&BackBuffer);
            DrawPreview(painter, *model.preview, *model.pause, w, h);
        }
        dots_.clear();
        if (model.particles) model.particles->UpdateParticles(BackBuffer, nullptr, &dots_);
        const QRect texts = model.pause ? DrawPaused(BackBuffer, model.scroller, *model.pause, w, h) : QRect();
        if (!overPreview) break;
        // Where the sparks and the texts land is ink the next frame blackens again.
        for (const QPoint& dot : dots_) AddInk(dot.y(), dot.x(), dot.x() + 2);
        for (int y = texts.top(); !texts.isEmpty() && y <= texts.bottom(); ++y)
            AddInk(y, texts.left(), texts.right() + 1);
        break;
    }
    case ScreenState::TopTen:
        if (keptTexts) DrawOverKeptTexts(model);
        else particles();
        break;
    default:
        break;  // no screen of its own: the frame stays black
    }
    lastStill_ = Still(model);
    if (lastStill_) KeepInputs(model);
    NewVersion();
    if (keptTexts) kept_.frame = version_;
    if (overPreview) pausedFrame_ = version_;
}
