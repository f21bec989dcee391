#pragma once
// Inputs for the gamepack tests, made at run time: JPEG pictures of known colours and
// gamepack files written through the project's own writer.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

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

// A progressive JPEG of the picture (libjpeg's standard progression: 10 scans in colour),
// with its last scan repeated `extraScans` more times: what a hostile file does to make
// every decode walk the whole picture hundreds of times. libjpeg only warns about it.
inline std::vector<uint8_t> ProgressiveJpeg(const QImage& picture, int extraScans = 0) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);   // a failure here is a broken test: libjpeg exits
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> jpeg(buffer, buffer + size);
    std::free(buffer);

    // The last scan runs from its SOS marker to the EOI marker at the end.
    size_t sos = 0;
    for (size_t i = 2; i + 1 < jpeg.size() - 2; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) sos = i;
    const std::vector<uint8_t> scan(jpeg.begin() + std::ptrdiff_t(sos), jpeg.end() - 2);
    for (int k = 0; k < extraScans; ++k) jpeg.insert(jpeg.end() - 2, scan.begin(), scan.end());
    return jpeg;
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
