#pragma once
// A level's picture turned into what the board draws: the colour picture stretched to
// the board square, its tiles, the white blank tile and the grey preview.
//
// A level load in the main window, once the chunk is read (gamepackfile.h):
//     BoardLayout layout = LayoutBoard(BackBuffer.width(), BackBuffer.height());
//     LevelPicture picture = PreparePicture(level.picture.data(), level.picture.size,
//                                           layout.BoardSize);
//     PreviewPicture = picture.Preview;
//     CutTiles(picture.Colour, level.header.CellsPerSide(), layout, TileBitmaps);
//     BoardLeft = layout.BoardLeft; ... TileSize = layout.TileSize;

#include <QImage>

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

// 7 x 7 tiles, the blank tile and one spare, allocated once and reused by every load.
constexpr int kTilePoolSize = 51;
using TileBitmapPool = std::array<QImage, kTilePoolSize>;

// The board inside a BackBuffer, in pixels.
struct BoardLayout {
    int32_t BoardLeft = 0;
    int32_t BoardTop = 0;
    int32_t BoardSize = 0;  // unfitted until CutTiles
    int32_t TileSize = 0;   // 0 until CutTiles
};

// The layout for a BackBuffer of width x height: a square 60 pixels shorter than the
// buffer, centred across, starting 50 pixels from the top.
BoardLayout LayoutBoard(int32_t width, int32_t height);

// The largest size not above boardSize that n cells divide evenly.
int32_t FitBoardSize(int32_t boardSize, int32_t n);

// The largest picture decoded, in pixels (8192 x 5120; width x height as the JPEG says).
constexpr uint64_t kMaxPicturePixels = 40u << 20;
// The largest photo marlipan-pack takes (16384 x 10240): it decodes it scaled down
// (DecodePhoto), so only its file is read at full size. A progressive photo this large
// keeps its coefficients in about the 512 MiB the decoder may use.
constexpr uint64_t kMaxPhotoPixels = 4 * kMaxPicturePixels;
// The most scans a picture may have. Encoders write one scan for a baseline picture and
// about ten for a progressive one (libjpeg's standard progression: 10 in colour, 6 in
// grey), but a scan can be repeated without end, and each one makes the decoder walk the
// whole picture again: 300 scans in a 20 KB file kept a level load busy for 21 seconds.
// So the scans are bounded twice: by count, and by count x pixels, which is what the
// time of a decode follows (scaled decoding saves none of it); the budget lets the
// largest picture a decoder takes have libjpeg's 10 scans.
constexpr int kMaxPictureScans = 100;
constexpr uint64_t kScansOfTheLargestPicture = 10;

// How many scans a picture of width x height pixels may have (at least 1), for a decoder
// that takes pictures of up to maxPixels.
int AllowedPictureScans(uint32_t width, uint32_t height, uint64_t maxPixels = kMaxPicturePixels);

struct LevelPicture {
    QImage Colour;   // boardSize x boardSize, RGB32; the tiles are cut from it
    QImage Preview;  // boardSize x boardSize, RGB32 grey (libjpeg's luminance)
};

// libjpeg could not decode a picture; what() is libjpeg's own message.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// A picture the decoder could read but refuses: too many pixels or too many scans.
class PictureLimitError : public PictureError {
public:
    using PictureError::PictureError;
};

// Decodes the JPEG twice, in colour and in grey, each stretched to the square without
// smoothing. A picture that ends early ("Premature end of JPEG file") fails like one
// libjpeg cannot decode at all: it would show a grey band. Other warnings of libjpeg
// (stray bytes and the like, common in pictures that display well) are tolerated.
LevelPicture PreparePicture(const uint8_t* jpeg, size_t size, int32_t boardSize);

// A photo of up to kMaxPhotoPixels for marlipan-pack, decoded in colour at the smallest
// of libjpeg's scaled sizes (1/8, 2/8 .. 8/8) whose sides are still at least
// atLeastWidth x atLeastHeight, for the caller to scale on smoothly. A damaged photo,
// too many scans for its size, or a decoded size above kMaxPicturePixels are refused as
// PreparePicture refuses them. Throws PictureError or PictureLimitError.
QImage DecodePhoto(const uint8_t* jpeg, size_t size, int32_t atLeastWidth, int32_t atLeastHeight);

// Fits layout.BoardSize to n cells per side (the cut-off strip lies at the right and
// bottom; BoardLeft and BoardTop stay), sets TileSize and fills tiles[0 .. n*n]: tile k
// is the square in column k / n, row k % n of `colour`, tiles[n*n] is pure white.
// Entries above n*n are left as they are.
void CutTiles(const QImage& colour, int32_t n, BoardLayout& layout, TileBitmapPool& tiles);

// Baseline JPEG of the picture (for marlipan-pack and for tests): one grey component for
// a Format_Grayscale8 image, colour otherwise. Throws PictureError.
std::vector<uint8_t> EncodeJpeg(const QImage& image, int quality);
