#include "gamepack/picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return. It
// longjmps back to the frame that armed setjmp; that frame holds no C++ object with a
// destructor, and the exception is thrown only after setjmp has returned.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int rowsDone;  // every scanline is out: a missing end marker no longer matters
    int overLimit; // refused for its size or its scans, not for damage
    uint64_t maxPixels;  // the largest picture this decode takes
    jpeg_progress_mgr progress;
};

void OnError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level >= 0) return;  // trace messages
    cinfo->err->num_warnings++;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF && !e->rowsDone) OnError(cinfo);
}

void Quiet(j_common_ptr) {}

// Called by libjpeg as it reads the file, at least once per scan: a picture with more
// scans than its size allows is refused before its next scan is decoded.
void OnProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    const int allowed = AllowedPictureScans(d->image_width, d->image_height, e->maxPixels);
    if (d->input_scan_number <= allowed) return;
    std::snprintf(e->message, sizeof e->message,
                  "Picture has too many scans (more than %d for %u x %u pixels)", allowed,
                  unsigned(d->image_width), unsigned(d->image_height));
    e->overLimit = 1;
    std::longjmp(e->jump, 1);
}

void InitErrors(ErrorManager* e) {
    jpeg_std_error(&e->pub);
    e->pub.error_exit = OnError;
    e->pub.emit_message = OnMessage;
    e->pub.output_message = Quiet;
    e->message[0] = 0;
    e->rowsDone = 0;
    e->overLimit = 0;
    e->maxPixels = kMaxPicturePixels;
}

// One decode: the picture stretched to width x height (PreparePicture), or, with width
// 0, at the smallest scaled size that covers atLeastWidth x atLeastHeight (DecodePhoto).
struct DecodeRequest {
    J_COLOR_SPACE space;
    uint64_t maxPixels;
    int32_t width, height;
    int32_t atLeastWidth, atLeastHeight;
};

[[noreturn]] void Refuse(ErrorManager* e, const char* what, JDIMENSION width, JDIMENSION height,
                         uint64_t limit) {
    std::snprintf(e->message, sizeof e->message, "%s (%u x %u pixels; at most %llu are decoded)", what,
                  unsigned(width), unsigned(height), static_cast<unsigned long long>(limit));
    e->overLimit = 1;
    std::longjmp(e->jump, 1);
}

// Target pixel (x, y) of the target width x height takes source pixel
// (x * width / targetWidth, y * height / targetHeight): a nearest-neighbour stretch.
// Source rows come in order, so each is used for the target rows that map to it and
// then dropped. The image is made here, once its size is known, by an assignment that
// is complete before libjpeg runs again.
void DecodeRows(j_decompress_ptr cinfo, ErrorManager* e, const DecodeRequest& request, QImage* image) {
    jpeg_read_header(cinfo, TRUE);
    // A damaged or hostile header could ask for gigabytes (progressive pictures keep all
    // coefficients in memory); no level picture comes near this.
    if (uint64_t(cinfo->image_width) * cinfo->image_height > request.maxPixels)
        Refuse(e, "Picture too large", cinfo->image_width, cinfo->image_height, request.maxPixels);
    cinfo->mem->max_memory_to_use = 512L << 20;
    cinfo->out_color_space = request.space;
    if (request.width == 0) {
        for (cinfo->scale_num = 1, cinfo->scale_denom = 8;; ++cinfo->scale_num) {
            jpeg_calc_output_dimensions(cinfo);
            if (cinfo->scale_num == 8 || (int64_t(cinfo->output_width) >= request.atLeastWidth &&
                                          int64_t(cinfo->output_height) >= request.atLeastHeight))
                break;
        }
        if (uint64_t(cinfo->output_width) * cinfo->output_height > kMaxPicturePixels)
            Refuse(e, "Picture too large, even scaled down", cinfo->output_width, cinfo->output_height,
                   kMaxPicturePixels);
    }
    jpeg_start_decompress(cinfo);
    const JDIMENSION width = cinfo->output_width, height = cinfo->output_height;
    const int32_t targetWidth = request.width ? request.width : int32_t(width);
    const int32_t targetHeight = request.width ? request.height : int32_t(height);
    *image = QImage(targetWidth, targetHeight, QImage::Format_RGB32);
    if (image->isNull()) {
        std::snprintf(e->message, sizeof e->message, "Not enough memory for the picture");
        std::longjmp(e->jump, 1);
    }
    uint8_t* const out = image->bits();
    const size_t bytesPerLine = size_t(image->bytesPerLine());
    const int comps = cinfo->output_components;
    auto* xmap = static_cast<JDIMENSION*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, size_t(targetWidth) * sizeof(JDIMENSION)));
    for (int32_t x = 0; x < targetWidth; ++x)
        xmap[x] = JDIMENSION(uint64_t(x) * width / uint64_t(targetWidth)) * JDIMENSION(comps);
    JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                 JPOOL_IMAGE, width * JDIMENSION(comps), 1);
    int32_t y = 0;
    while (cinfo->output_scanline < height) {
        const uint64_t source = cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, row, 1);
        const uint32_t* first = nullptr;
        for (; y < targetHeight && uint64_t(y) * height / uint64_t(targetHeight) == source; ++y) {
            auto* dst = reinterpret_cast<uint32_t*>(out + size_t(y) * bytesPerLine);
            if (first) {
                std::memcpy(dst, first, size_t(targetWidth) * 4);
                continue;
            }
            const JSAMPLE* src = row[0];
            if (comps == 3) {
                for (int32_t x = 0; x < targetWidth; ++x) {
                    const JSAMPLE* p = src + xmap[x];
                    dst[x] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
                }
            } else {
                for (int32_t x = 0; x < targetWidth; ++x) {
                    uint32_t g = src[xmap[x]];
                    dst[x] = 0xFF000000u | g << 16 | g << 8 | g;
                }
            }
            first = dst;
        }
    }
    e->rowsDone = 1;
    jpeg_finish_decompress(cinfo);
}

// The setjmp frame: plain C data only.
bool DecodeGuarded(const uint8_t* data, size_t size, const DecodeRequest& request, QImage* image,
                   ErrorManager* e) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    InitErrors(e);
    e->maxPixels = request.maxPixels;
    cinfo.err = &e->pub;
    if (setjmp(e->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    e->progress.progress_monitor = OnProgress;
    cinfo.progress = &e->progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    DecodeRows(&cinfo, e, request, image);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

QImage Decode(const uint8_t* data, size_t size, const DecodeRequest& request) {
    QImage image;
    ErrorManager e;
    if (!DecodeGuarded(data, size, request, &image, &e)) {
        if (e.overLimit) throw PictureLimitError(e.message);
        throw PictureError(e.message);
    }
    return image;
}

struct EncodeOutput {
    unsigned char* buffer;
    unsigned long size;
};

bool EncodeGuarded(const uint8_t* pixels, int width, int height, size_t bytesPerLine, int grey,
                   int quality, EncodeOutput* out, ErrorManager* e) {
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    InitErrors(e);
    cinfo.err = &e->pub;
    if (setjmp(e->jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &out->buffer, &out->size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(cinfo.next_scanline) * bytesPerLine);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

int AllowedPictureScans(uint32_t width, uint32_t height, uint64_t maxPixels) {
    const uint64_t pixels = uint64_t(width) * height;
    const uint64_t byBudget = pixels ? kScansOfTheLargestPicture * maxPixels / pixels : kMaxPictureScans;
    return int(std::max<uint64_t>(1, std::min<uint64_t>(kMaxPictureScans, byBudget)));
}

BoardLayout LayoutBoard(int32_t width, int32_t height) {
    BoardLayout l;
    l.BoardSize = height - 20 - 40;
    l.BoardLeft = (width - l.BoardSize) / 2;
    l.BoardTop = (height - l.BoardSize) / 2 + 20;
    return l;
}

int32_t FitBoardSize(int32_t boardSize, int32_t n) {
    if (n <= 0 || boardSize <= 0) return boardSize;
    return boardSize - boardSize % n;
}

LevelPicture PreparePicture(const uint8_t* jpeg, size_t size, int32_t boardSize) {
    if (boardSize <= 0) throw std::invalid_argument("PreparePicture: the board has no room");
    LevelPicture p;
    p.Colour = Decode(jpeg, size, {JCS_RGB, kMaxPicturePixels, boardSize, boardSize, 0, 0});
    p.Preview = Decode(jpeg, size, {JCS_GRAYSCALE, kMaxPicturePixels, boardSize, boardSize, 0, 0});
    return p;
}

QImage DecodePhoto(const uint8_t* jpeg, size_t size, int32_t atLeastWidth, int32_t atLeastHeight) {
    return Decode(jpeg, size, {JCS_RGB, kMaxPhotoPixels, 0, 0, atLeastWidth, atLeastHeight});
}

void CutTiles(const QImage& colour, int32_t n, BoardLayout& layout, TileBitmapPool& tiles) {
    if (n < 1 || n * n >= kTilePoolSize)
        throw std::invalid_argument("CutTiles: cells per side out of range");
    if (colour.format() != QImage::Format_RGB32 || colour.width() < layout.BoardSize ||
        colour.height() < layout.BoardSize)
        throw std::invalid_argument("CutTiles: the picture does not cover the board");
    layout.BoardSize = FitBoardSize(layout.BoardSize, n);
    const int32_t t = layout.BoardSize / n;
    layout.TileSize = t;
    for (int k = 0; k <= n * n; ++k)
        if (tiles[size_t(k)].size() != QSize(t, t) ||
            tiles[size_t(k)].format() != QImage::Format_RGB32)
            tiles[size_t(k)] = QImage(t, t, QImage::Format_RGB32);
    tiles[size_t(n * n)].fill(0xFFFFFFFFu);
    for (int k = 0; k < n * n; ++k) {
        const int c = k / n, r = k % n;
        QImage& tile = tiles[size_t(k)];
        for (int y = 0; y < t; ++y)
            std::memcpy(tile.scanLine(y),
                        colour.constScanLine(r * t + y) + size_t(c) * size_t(t) * 4,
                        size_t(t) * 4);
    }
}

std::vector<uint8_t> EncodeJpeg(const QImage& image, int quality) {
    if (image.isNull()) throw PictureError("Empty picture");
    const bool grey = image.format() == QImage::Format_Grayscale8;
    const QImage pixels = grey ? image : image.convertToFormat(QImage::Format_RGB888);
    ErrorManager e;
    EncodeOutput out{nullptr, 0};
    bool ok = EncodeGuarded(pixels.constBits(), pixels.width(), pixels.height(),
                            size_t(pixels.bytesPerLine()), grey, quality, &out, &e);
    std::vector<uint8_t> bytes;
    if (ok) bytes.assign(out.buffer, out.buffer + out.size);
    std::free(out.buffer);
    if (!ok) throw PictureError(e.message);
    return bytes;
}
