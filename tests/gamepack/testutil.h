#pragma once
// Inputs for the gamepack tests, made at run time: JPEG pictures of known colours and
// gamepack files written through the project's own writer.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "gamepack/gamepackfile.h"
#include "gamepack/picture.h"

namespace testutil {

// Colour of block (column c, row r) of a BlockPicture: far apart, so that JPEG loss
// cannot confuse two neighbours.
inline QColor BlockColour(int c, int r) { return QColor(20 + 60 * c, 20 + 60 * r, 140); }

// n x n solid blocks of `block` pixels each.
inline QImage BlockPicture(int n, int block) {
    QImage img(n * block, n * block, QImage::Format_RGB32);
    QPainter p(&img);
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) p.fillRect(c * block, r * block, block, block, BlockColour(c, r));
    return img;
}

inline std::vector<uint8_t> BlockJpeg(int n = 4, int block = 64) {
    return EncodeJpeg(BlockPicture(n, block), 95);
}

inline bool Near(QRgb a, QColor b, int tol = 12) {
    return std::abs(qRed(a) - b.red()) <= tol && std::abs(qGreen(a) - b.green()) <= tol &&
           std::abs(qBlue(a) - b.blue()) <= tol;
}

inline std::vector<uint8_t> Filler(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(seed + i * 7 + (i >> 8));
    return v;
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// A tiny valid YM3 song: the tag, then 14 registers x frames, interleaved.
inline std::vector<uint8_t> TinyYm3(int frames) {
    std::vector<uint8_t> song = {'Y', 'M', '3', '!'};
    for (int reg = 0; reg < 14; ++reg)
        for (int f = 0; f < frames; ++f) song.push_back(uint8_t(reg == 7 ? 0x38 : (reg * 17 + f) & 0x0F));
    return song;
}

// The unscrambled header of a gamepack file image, and the way back.
inline GamepackHeader HeaderOf(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> raw(file.begin(), file.begin() + kGamepackHeaderSize);
    ScrambleBytes(raw.data(), raw.size());
    GamepackHeader h;
    ParseGamepackHeader(raw.data(), raw.size(), h);
    return h;
}

inline void PutHeader(std::vector<uint8_t>& file, const GamepackHeader& h) {
    auto raw = SerialiseGamepackHeader(h);
    ScrambleBytes(raw.data(), raw.size());
    std::copy(raw.begin(), raw.end(), file.begin());
}

}  // namespace testutil
