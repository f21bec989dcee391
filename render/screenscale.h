#pragma once
// A frame shown on a screen whose pixels are smaller than the frame's by a factor that is
// not a whole number: a desktop scaled to 125 %, 150 % or 175 %.
//
// Whole screen pixels per frame pixel would make some columns and rows of the frame one
// screen pixel wide and their neighbours two, so that equal strokes of the status text look
// unequal. Here each screen pixel takes the average of the frame over the area it covers:
// a line keeps its weight wherever it lies, and only its edges soften.
#include <QImage>
#include <vector>

class ScreenScaler {
public:
    // Makes Scaled() the RGB32 `frame` enlarged by `factor` (above 1), anew only where
    // frame rows first..last reach; the whole of it when the frame's size or the factor
    // is not the last call's. An empty range (last < first) only catches up on such a change.
    void Update(const QImage& frame, double factor, int first, int last);
    // The enlarged frame: ceil(size x factor) pixels, its device pixel ratio the factor.
    const QImage& Scaled() const { return scaled_; }

private:
    // One screen pixel along a line: the share (out of 256) of frame pixel `index` in it;
    // the rest belongs to index + 1.
    struct Share {
        int index;
        int weight;
    };
    static std::vector<Share> Shares(int frameLength, double factor);
    void ScaleRow(const QImage& frame, int row, std::vector<QRgb>& out) const;

    std::vector<Share> columns_, rows_;
    std::vector<QRgb> upper_, lower_;  // two frame rows enlarged across, for the rows between
    QImage scaled_;
    QSize frameSize_;
    double factor_ = 0;
};
