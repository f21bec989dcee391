// Board layout, picture decoding and stretching, tile cutting.
#include <gtest/gtest.h>

#include <set>

#include "gamepack/picture.h"
#include "testutil.h"

using namespace testutil;

namespace {

struct LayoutRow {
    int width, height;           // BackBuffer
    int boardSize, left, top;    // unfitted
    int fitted[5], tile[5];      // n = 3..7
};

// The design window unzoomed and zoomed.
const LayoutRow kRows[] = {
    {315, 305, 245, 35, 50, {243, 244, 245, 240, 245}, {81, 61, 49, 40, 35}},
    {505, 489, 429, 38, 50, {429, 428, 425, 426, 427}, {143, 107, 85, 71, 61}},
};

TEST(BoardLayout, MatchesTheDesignWindowZoomedAndNot) {
    for (const LayoutRow& row : kRows) {
        SCOPED_TRACE(row.width);
        BoardLayout base = LayoutBoard(row.width, row.height);
        EXPECT_EQ(base.BoardSize, row.boardSize);
        EXPECT_EQ(base.BoardLeft, row.left);
        EXPECT_EQ(base.BoardTop, row.top);
        QImage colour(base.BoardSize, base.BoardSize, QImage::Format_RGB32);
        colour.fill(Qt::black);
        TileBitmapPool tiles;
        for (int n = 3; n <= 7; ++n) {
            SCOPED_TRACE(n);
            BoardLayout l = base;
            CutTiles(colour, n, l, tiles);
            EXPECT_EQ(l.BoardSize, row.fitted[n - 3]);
            EXPECT_EQ(l.TileSize, row.tile[n - 3]);
            EXPECT_EQ(l.BoardLeft, row.left);  // not re-centred after fitting
            EXPECT_EQ(l.BoardTop, 50);
            EXPECT_EQ(tiles[size_t(n * n)].size(), QSize(l.TileSize, l.TileSize));
        }
    }
}

TEST(PreparePicture, StretchesToTheSquareInColourAndGrey) {
    // A wide picture: left half red, right half blue; top rows white.
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 0));
    QPainter(&img).fillRect(100, 0, 100, 100, QColor(0, 0, 255));
    std::vector<uint8_t> jpeg = EncodeJpeg(img, 95);
    LevelPicture p = PreparePicture(jpeg.data(), jpeg.size(), 245);
    ASSERT_EQ(p.Colour.size(), QSize(245, 245));
    ASSERT_EQ(p.Preview.size(), QSize(245, 245));
    EXPECT_EQ(p.Colour.format(), QImage::Format_RGB32);
    // Stretched, not cropped: both halves keep half of the width.
    EXPECT_TRUE(Near(p.Colour.pixel(60, 200), QColor(255, 0, 0)));
    EXPECT_TRUE(Near(p.Colour.pixel(180, 20), QColor(0, 0, 255)));
    // The preview is libjpeg's luminance: about 76 for red, 29 for blue.
    QRgb red = p.Preview.pixel(60, 200), blue = p.Preview.pixel(180, 20);
    EXPECT_EQ(qRed(red), qGreen(red));
    EXPECT_EQ(qRed(red), qBlue(red));
    EXPECT_NEAR(qRed(red), 76, 6);
    EXPECT_NEAR(qRed(blue), 29, 6);
}

TEST(PreparePicture, GreyPictureGivesGreyColourTiles) {
    QImage grey(64, 64, QImage::Format_Grayscale8);
    grey.fill(150);
    std::vector<uint8_t> jpeg = EncodeJpeg(grey, 95);
    const uint8_t marker[] = {0xFF, 0xC0};
    auto sof = std::search(jpeg.begin(), jpeg.end(), std::begin(marker), std::end(marker));
    ASSERT_NE(sof, jpeg.end());
    ASSERT_EQ(sof[9], 1);  // one component: a true greyscale JPEG
    LevelPicture p = PreparePicture(jpeg.data(), jpeg.size(), 100);
    QRgb c = p.Colour.pixel(50, 50);
    EXPECT_NEAR(qRed(c), 150, 2);
    EXPECT_EQ(qRed(c), qGreen(c));
    EXPECT_EQ(qRed(c), qBlue(c));
    EXPECT_EQ(p.Preview.pixel(50, 50), c);
}

TEST(PreparePicture, EachTargetPixelIsOneSourcePixel) {
    // A 2 x 2 chequer blown up to 245: no blending at the border between squares.
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 255, 255));
    img.setPixel(1, 0, qRgb(0, 0, 0));
    img.setPixel(0, 1, qRgb(0, 0, 0));
    img.setPixel(1, 1, qRgb(255, 255, 255));
    std::vector<uint8_t> jpeg = EncodeJpeg(img, 100);
    LevelPicture p = PreparePicture(jpeg.data(), jpeg.size(), 245);
    std::set<QRgb> colours;
    for (int x = 0; x < 245; ++x) colours.insert(p.Colour.pixel(x, 10));
    // Each row takes its colours from the two decoded source pixels only.
    EXPECT_LE(colours.size(), 2u);
    EXPECT_EQ(p.Colour.pixel(0, 0), p.Colour.pixel(122, 122));  // 122 * 2 / 245 = 0
    EXPECT_EQ(p.Colour.pixel(123, 123), p.Colour.pixel(244, 244));
}

TEST(CutTiles, TileNumbersRunDownEachColumn) {
    std::vector<uint8_t> jpeg = BlockJpeg(4, 64);
    BoardLayout l = LayoutBoard(315, 305);
    LevelPicture p = PreparePicture(jpeg.data(), jpeg.size(), l.BoardSize);
    TileBitmapPool tiles;
    CutTiles(p.Colour, 4, l, tiles);
    ASSERT_EQ(l.TileSize, 61);
    // Tile 1 is the square in column 0, row 1; tile 4 in column 1, row 0.
    for (int k : {0, 1, 4, 14}) {
        SCOPED_TRACE(k);
        int c = k / 4, r = k % 4;
        ASSERT_EQ(tiles[size_t(k)].size(), QSize(61, 61));
        for (int y = 0; y < 61; y += 5)
            for (int x = 0; x < 61; x += 5)
                ASSERT_EQ(tiles[size_t(k)].pixel(x, y), p.Colour.pixel(c * 61 + x, r * 61 + y));
        EXPECT_TRUE(Near(tiles[size_t(k)].pixel(30, 30), BlockColour(c, r)));
    }
}

TEST(CutTiles, BlankTileIsPureWhiteAndTheStripIsUnused) {
    QImage dark(245, 245, QImage::Format_RGB32);
    dark.fill(qRgb(10, 20, 30));
    for (int i = 240; i < 245; ++i)
        for (int j = 0; j < 245; ++j) {
            dark.setPixel(i, j, qRgb(200, 0, 0));  // right strip
            dark.setPixel(j, i, qRgb(200, 0, 0));  // bottom strip
        }
    BoardLayout l = LayoutBoard(315, 305);
    TileBitmapPool tiles;
    tiles[50] = QImage(3, 3, QImage::Format_RGB32);  // beyond n * n: left alone
    CutTiles(dark, 6, l, tiles);
    ASSERT_EQ(l.BoardSize, 240);
    const QImage& blank = tiles[36];
    ASSERT_EQ(blank.size(), QSize(40, 40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(blank.pixel(x, y), 0xFFFFFFFFu);
    // Tile 35 (column 5, row 5) ends at pixel 239: none of the red strip.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(tiles[35].pixel(x, y), qRgb(10, 20, 30));
    EXPECT_EQ(tiles[50].size(), QSize(3, 3));
}

TEST(PreparePicture, UndecodableBytesRaiseLibjpegsMessage) {
    std::vector<uint8_t> junk = Filler(4000, 3);
    try {
        PreparePicture(junk.data(), junk.size(), 245);
        FAIL() << "junk decoded";
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("Not a JPEG file"), std::string::npos) << e.what();
    }
    EXPECT_THROW(PreparePicture(junk.data(), 0, 245), PictureError);
}

TEST(PreparePicture, TruncatedPictureFails) {
    std::vector<uint8_t> jpeg = BlockJpeg(4, 64);
    try {
        PreparePicture(jpeg.data(), jpeg.size() / 2, 245);
        FAIL() << "half a picture was accepted";
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("Premature end"), std::string::npos) << e.what();
    }
    // Trailing bytes after a complete picture are ignored (chunks come in whole blocks).
    jpeg.insert(jpeg.end(), 2047, 0x5A);
    EXPECT_NO_THROW(PreparePicture(jpeg.data(), jpeg.size(), 245));
}

TEST(PreparePicture, HugeDimensionsAreRefusedBeforeDecoding) {
    std::vector<uint8_t> jpeg = BlockJpeg(4, 64);
    const uint8_t marker[] = {0xFF, 0xC0};
    auto sof = std::search(jpeg.begin(), jpeg.end(), std::begin(marker), std::end(marker));
    ASSERT_NE(sof, jpeg.end());
    // Height and width follow the marker, its length and the precision byte.
    auto claim = [&](int width, int height) {
        std::vector<uint8_t> bad = jpeg;
        auto at = bad.begin() + (sof - jpeg.begin());
        at[5] = uint8_t(height >> 8), at[6] = uint8_t(height), at[7] = uint8_t(width >> 8), at[8] = uint8_t(width);
        try {
            PreparePicture(bad.data(), bad.size(), 245);
            return std::string("decoded");
        } catch (const PictureLimitError& e) {
            return std::string(e.what());
        } catch (const PictureError& e) {
            return "damaged: " + std::string(e.what());
        }
    };
    // libjpeg itself stops at 65500 pixels a side; below that the pixel count decides.
    EXPECT_EQ(claim(65535, 65535), "damaged: Maximum supported image dimension is 65500 pixels");
    EXPECT_EQ(claim(65500, 65500), "Picture too large (65500 x 65500 pixels; at most 41943040 are decoded)");
    EXPECT_EQ(claim(8192, 5121), "Picture too large (8192 x 5121 pixels; at most 41943040 are decoded)");
    // The largest picture allowed is decoded (its data, made for 256 x 256, runs out
    // into a marker, which libjpeg fills with grey).
    EXPECT_EQ(claim(8192, 5120), "decoded");
    static_assert(kMaxPicturePixels == 8192u * 5120u);
}

TEST(PreparePicture, ProgressivePictureWithHundredsOfScansIsRefused) {
    const QImage picture = BlockPicture(4, 64);
    // libjpeg's own progression (10 scans) and a few repeated scans more are pictures.
    for (int extra : {0, kMaxPictureScans - 10}) {
        const std::vector<uint8_t> jpeg = ProgressiveJpeg(picture, extra);
        LevelPicture p = PreparePicture(jpeg.data(), jpeg.size(), 64);
        EXPECT_TRUE(Near(p.Colour.pixel(5, 5), BlockColour(0, 0))) << extra;
    }
    const std::vector<uint8_t> hostile = ProgressiveJpeg(picture, 300);
    try {
        PreparePicture(hostile.data(), hostile.size(), 245);
        FAIL() << "a picture of 310 scans was decoded";
    } catch (const PictureLimitError& e) {
        EXPECT_EQ(std::string(e.what()), "Picture has too many scans (more than 100 for 256 x 256 pixels)");
    }
    const std::vector<uint8_t> justOver = ProgressiveJpeg(picture, kMaxPictureScans - 9);
    EXPECT_THROW(PreparePicture(justOver.data(), justOver.size(), 64), PictureLimitError);
}

TEST(PreparePicture, LargePicturesMayHaveFewerScans) {
    EXPECT_EQ(AllowedPictureScans(256, 256), kMaxPictureScans);
    EXPECT_EQ(AllowedPictureScans(2048, 2048), 100);
    EXPECT_EQ(AllowedPictureScans(4096, 2048), 50);
    EXPECT_EQ(AllowedPictureScans(4096, 2049), 49);
    EXPECT_EQ(AllowedPictureScans(8192, 5120), 10);   // libjpeg's standard progression fits
    EXPECT_EQ(AllowedPictureScans(65500, 65500), 1);
}

TEST(PreparePicture, DamagedDataInsideAPictureNeverCrashes) {
    std::vector<uint8_t> jpeg = BlockJpeg(4, 64);
    // Flip bytes throughout the entropy-coded data and headers: every outcome must be a
    // picture or a PictureError.
    for (size_t at = 2; at < jpeg.size(); at += 97) {
        std::vector<uint8_t> bad = jpeg;
        bad[at] ^= 0xFF;
        try {
            LevelPicture p = PreparePicture(bad.data(), bad.size(), 100);
            EXPECT_EQ(p.Colour.size(), QSize(100, 100));
        } catch (const PictureError&) {
        }
    }
}

}  // namespace
