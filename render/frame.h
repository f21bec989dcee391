#pragma once
#include <QImage>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "game/board.h"
#include "game/flow.h"
#include "game/hiscoretable.h"
#include "render/boardview.h"

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
    QString levelLine;                    // under "Very Good!" (LevelComplete); empty: none

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
    // lacks is left out. A `canvas` of the BackBuffer's size and format is memory the
    // screen shows from: the BackBuffer becomes it (drawn anew the first time), so that
    // the frame needs no copy to reach the screen. Without one the BackBuffer is the
    // renderer's own again.
    void DrawFrame(const FrameModel& model, QImage canvas = QImage());
    // The redraw at the end of a slide, which never reaches the screen: into a buffer of
    // the renderer's own, so that a canvas keeps the frame on screen.
    void DrawBoardOnly(const FrameModel& model);
    // Names the BackBuffer's pixels: a number that stays the same only while they are
    // known to be unchanged (a frame of a screen without animation composed again from
    // inputs all as they were), and is new whenever they may have changed. Unique across
    // renderers.
    uint64_t FrameVersion() const { return version_; }
    // The rows in which the BackBuffer may differ from the frame of `version`, each marked
    // non-zero; null when that could be any row. Known only for the frame right after
    // `version` on the screens with kept texts, whose sparks say where they were and are,
    // and on the Paused screen, which keeps track of where its picture, sparks and texts lie.
    const std::vector<uint8_t>* RowsChangedSince(uint64_t version) const;
    // Drawing model now would give the very pixels the BackBuffer holds, and so would
    // every later frame until the model changes: the screen has no animation of its own
    // (Playing, Loading, LevelComplete), its inputs are all as they were for the last
    // frame, and nothing has written into the buffer since.
    bool Repeats(const FrameModel& model) const;
    // A screen whose frames move on by themselves, whatever the model (sparks, a scroller).
    static bool Animated(ScreenState state);

private:
    // The BackBuffer's memory is a canvas's.
    bool OnCanvas() const { return !BackBuffer.isNull() && BackBuffer.constBits() == canvasBits_; }
    const uchar* canvasBits_ = nullptr;
    void UseCanvas(QImage canvas);
    void LeaveCanvas();

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

    // Everything a frame of a screen without animation is drawn from, to tell a frame that
    // repeats the last.
    struct StillInputs {
        ScreenState state = ScreenState::Loading;
        QSize size;
        Board board;
        const QImage* tiles = nullptr;
        std::vector<qint64> tileKeys;
        StatusLine status;
        QString levelLine;
    };
    static bool Still(const FrameModel& model);
    bool SameInputs(const FrameModel& model) const;
    void KeepInputs(const FrameModel& model);
    StillInputs lastInputs_;
    bool lastStill_ = false;  // the last frame was drawn from lastInputs_ and the BackBuffer holds it still
    uint64_t version_ = 0;
    qint64 versionKey_ = 0;  // the BackBuffer's cacheKey when version_ was given
    std::vector<uint8_t> changedRows_;  // the last frame's changes from the frame before,
    uint64_t changedSince_ = 0;         // which had this version; 0 when not known
    void NewVersion();

    // The texts of the GameOver and Top 10 screens, which stand still above the moving
    // sparks: laid out and drawn once into a picture on transparent, and the screen without
    // its sparks (those texts on black) made from it. Kept while the size and the table
    // stay as they were. A frame is that screen with the last frame's sparks taken away
    // and the new ones put on.
    struct KeptTexts {
        ScreenState state = ScreenState::Loading;
        QSize size;
        std::array<HiScoreEntry, HiScoreTable::kEntryCount> entries;
        QImage texts;  // on transparent
        QImage still;  // on black
        std::vector<QPoint> dots;  // where the sparks of the frame drawn from it are
        uint64_t frame = 0;        // that frame's version; 0 for none
    };
    KeptTexts& TextsOf(const FrameModel& model);
    void DrawOverKeptTexts(const FrameModel& model);
    KeptTexts kept_;

    // An RGB32 BackBuffer made of an RGB32 `preview` at `at` on black, each row written
    // once: the Paused screen's picture costs no painter and no second pass. After a frame
    // drawn this way only the last frame's ink is written over, and the rows it touches
    // are the ones that changed.
    void PreviewOnBlack(const QImage& preview, QPoint at);
    // Sparks or texts put on row y's columns [x0, x1) of such a frame.
    void AddInk(int y, int x0, int x1);
    // Per row the columns [first, second) of the last Paused frame that may be other than
    // black (its picture, sparks and texts); first >= second where the row is all black.
    std::vector<std::pair<int, int>> pausedInk_;
    uint64_t pausedFrame_ = 0;  // the version of the frame pausedInk_ describes
    std::vector<QPoint> dots_;

    // Blackens what the Playing frame leaves uncovered: all but the status strip and the
    // cells whose opaque tile is copied over them whole.
    void ClearUncovered(const FrameModel& model, const QImage* tiles, int statusTop);
    std::vector<QRgb> blackRow_;
};
