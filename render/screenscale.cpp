#include "render/screenscale.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// `weight`/256 of a and the rest of b, channel by channel, rounded.
inline QRgb Mix(QRgb a, QRgb b, int weight) {
    const uint32_t wa = uint32_t(weight), wb = 256 - wa;
    const uint32_t redBlue = (((a & 0xff00ffu) * wa + (b & 0xff00ffu) * wb + 0x800080u) >> 8) & 0xff00ffu;
    const uint32_t green = (((a & 0x00ff00u) * wa + (b & 0x00ff00u) * wb + 0x008000u) >> 8) & 0x00ff00u;
    return 0xff000000u | redBlue | green;
}
}  // namespace

std::vector<ScreenScaler::Share> ScreenScaler::Shares(int frameLength, double factor) {
    const int length = int(std::ceil(frameLength * factor - 1e-9));
    std::vector<Share> shares(size_t(std::max(length, 0)));
    for (int i = 0; i < length; ++i) {
        // Screen pixel i covers frame coordinates [i, i + 1) / factor: no more than one frame
        // pixel wide, so it meets one frame pixel or two.
        const double from = i / factor, to = (i + 1) / factor;
        const int index = std::min(int(std::floor(from)), frameLength - 1);
        int weight = 256;
        if (to > index + 1 && index + 1 < frameLength)
            weight = int(std::lround((index + 1 - from) / (to - from) * 256));
        shares[size_t(i)] = {index, weight};
    }
    return shares;
}

void ScreenScaler::ScaleRow(const QImage& frame, int row, std::vector<QRgb>& out) const {
    const QRgb* in = reinterpret_cast<const QRgb*>(frame.constScanLine(row));
    const int last = frame.width() - 1;
    out.resize(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Share s = columns_[i];
        out[i] = s.weight == 256 ? in[s.index] : Mix(in[s.index], in[std::min(s.index + 1, last)], s.weight);
    }
}

void ScreenScaler::Update(const QImage& frame, double factor, int first, int last) {
    if (frame.size() != frameSize_ || factor != factor_ || scaled_.isNull()) {
        frameSize_ = frame.size();
        factor_ = factor;
        columns_ = Shares(frame.width(), factor);
        rows_ = Shares(frame.height(), factor);
        scaled_ = QImage(int(columns_.size()), int(rows_.size()), QImage::Format_RGB32);
        scaled_.setDevicePixelRatio(factor);
        first = 0;
        last = frame.height() - 1;
    }
    if (frame.isNull() || last < first) return;
    const int lastRow = frame.height() - 1;
    int upperIndex = -1, lowerIndex = -1;
    for (size_t y = 0; y < rows_.size(); ++y) {
        const Share s = rows_[y];
        const int other = std::min(s.index + 1, lastRow);
        const bool usesOther = s.weight != 256;
        // Only the screen rows that meet a changed frame row.
        if (s.index > last || (usesOther ? other : s.index) < first) continue;
        if (upperIndex != s.index) {
            if (lowerIndex == s.index) std::swap(upper_, lower_), std::swap(upperIndex, lowerIndex);
            else ScaleRow(frame, s.index, upper_);
            upperIndex = s.index;
        }
        QRgb* out = reinterpret_cast<QRgb*>(scaled_.scanLine(int(y)));
        if (!usesOther) {
            std::memcpy(out, upper_.data(), upper_.size() * sizeof(QRgb));
            continue;
        }
        if (lowerIndex != other) {
            ScaleRow(frame, other, lower_);
            lowerIndex = other;
        }
        for (size_t x = 0; x < upper_.size(); ++x) out[x] = Mix(upper_[x], lower_[x], s.weight);
    }
}
