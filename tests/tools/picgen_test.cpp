// The level pictures must be solvable by eye: every tile of a board carries detail of its own.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "tools/picgen/pictures.h"

namespace pics = marlipan::pictures;

namespace {

class Pictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "picgen_tests";
            static char* argv[] = {name, nullptr};
            app_ = std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    static std::unique_ptr<QGuiApplication> app_;
};
std::unique_ptr<QGuiApplication> Pictures::app_;

// Standard deviation of luminance inside tile (c, r) of an n x n cut.
double tileSpread(const QImage& img, int n, int c, int r) {
    const int size = img.width() / n;
    double lum = 0, lum2 = 0;
    int count = 0;
    for (int y = r * size; y < (r + 1) * size; y += 2) {
        for (int x = c * size; x < (c + 1) * size; x += 2) {
            const QRgb px = img.pixel(x, y);
            const double l = 0.299 * qRed(px) + 0.587 * qGreen(px) + 0.114 * qBlue(px);
            lum += l;
            lum2 += l * l;
            ++count;
        }
    }
    lum /= count;
    return std::sqrt(std::max(0.0, lum2 / count - lum * lum));
}

// Share of pixels in which two tiles clearly differ: a player tells tiles apart by the
// features one has and the other lacks, even small ones.
double tileDifference(const QImage& img, int n, int c1, int r1, int c2, int r2) {
    const int size = img.width() / n;
    int differing = 0, count = 0;
    for (int y = 0; y < size; y += 2) {
        for (int x = 0; x < size; x += 2) {
            const QRgb a = img.pixel(c1 * size + x, r1 * size + y);
            const QRgb b = img.pixel(c2 * size + x, r2 * size + y);
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b))});
            differing += d > 48;
            ++count;
        }
    }
    return static_cast<double>(differing) / count;
}

// The pictures of the bundled packs with their board sizes, read from the manifests.
struct Level {
    QString picture;
    int size = 0;
};

std::vector<Level> bundledLevels() {
    const char* src = std::getenv("MARLIPAN_SOURCE_DIR");
    const QDir assets(QString(src && *src ? src : MARLIPAN_TOOLS_TEST_SOURCE_DIR) + "/assets");
    std::vector<Level> levels;
    for (const QString& name : assets.entryList({"*.manifest"}, QDir::Files)) {
        QFile f(assets.filePath(name));
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        int size = 0;
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine()).trimmed();
            if (line.startsWith("size:")) size = line.mid(5).trimmed().toInt();
            if (line.startsWith("picture:")) levels.push_back({line.mid(8).trimmed(), size});
        }
    }
    return levels;
}

}  // namespace

TEST_F(Pictures, ThereAreAtLeastFifteenWithDistinctNames) {
    const auto& all = pics::all();
    EXPECT_GE(all.size(), 15u);
    QSet<QString> names;
    for (const auto& p : all) names.insert(p.name);
    EXPECT_EQ(static_cast<size_t>(names.size()), all.size());
}

TEST_F(Pictures, RenderSquareAndTheSameEveryTime) {
    for (const auto& p : pics::all()) {
        SCOPED_TRACE(p.name.toStdString());
        const QImage a = pics::render(p);
        EXPECT_EQ(a.width(), pics::kSize);
        EXPECT_EQ(a.height(), pics::kSize);
        EXPECT_EQ(a, pics::render(p));
    }
}

// Every level picture, cut as its pack's board cuts it: no tile may be a plain field, and no
// two tiles may look nearly the same.
TEST_F(Pictures, EveryTileOfEveryBundledLevelHasDetailAndDiffersFromTheOthers) {
    const auto levels = bundledLevels();
    ASSERT_GE(levels.size(), 15u);
    for (const auto& level : levels) {
        SCOPED_TRACE((level.picture + " on a board of " + QString::number(level.size)).toStdString());
        const pics::Picture* pic = nullptr;
        for (const auto& p : pics::all())
            if (p.name + ".png" == level.picture) pic = &p;
        ASSERT_NE(pic, nullptr) << "no generator for this picture";
        const QImage img = pics::render(*pic);
        const int n = level.size;
        for (int i = 0; i < n * n; ++i) {
            EXPECT_GT(tileSpread(img, n, i / n, i % n), 2.0)
                << "plain tile at column " << i / n << ", row " << i % n;
            for (int j = i + 1; j < n * n; ++j) {
                EXPECT_GT(tileDifference(img, n, i / n, i % n, j / n, j % n), 0.05)
                    << "tiles at column " << i / n << ", row " << i % n << " and column " << j / n
                    << ", row " << j % n << " look alike";
            }
        }
    }
}

TEST_F(Pictures, IconShowsABoardWithAGapOnATransparentGround) {
    for (const int size : {64, 256}) {
        const QImage icon = pics::icon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "rounded corner";
        // The top-left tile is coloured, the bottom-right cell is the dark empty gap.
        const QRgb tile = icon.pixel(size * 10 / 64, size * 12 / 64);
        const QRgb gap = icon.pixel(size * 58 / 64, size * 50 / 64);
        EXPECT_EQ(qAlpha(tile), 255);
        EXPECT_GT(qRed(tile) + qGreen(tile) + qBlue(tile), 300);
        EXPECT_LT(qRed(gap) + qGreen(gap) + qBlue(gap), 200);
    }
}
