#include "tools/pack/picturefit.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QTransform>

#include <algorithm>

#include "gamepack/picture.h"
#include "render/layout.h"
#include "tools/pack/manifest.h"
#include "tools/pack/packtool.h"

int LargestBoardSide() {
    const WindowSizes zoomed = ZoomOn(DesignSizes);
    return ComputeLayout(zoomed.panelWidth, zoomed.panelHeight).BoardSize;
}

int SmallestBoardSide() {
    return ComputeLayout(DesignSizes.panelWidth, DesignSizes.panelHeight).BoardSize;
}

namespace {

std::string Quote(const QString& name) { return "'" + name.toStdString() + "'"; }

std::string Dimensions(QSize s) {
    return std::to_string(s.width()) + " x " + std::to_string(s.height());
}

void Advise(QSize shown, const QString& name, std::vector<std::string>* notes) {
    if (!notes) return;
    const int largest = LargestBoardSide(), smallest = SmallestBoardSide();
    const int shortSide = std::min(shown.width(), shown.height());
    const std::string best = " (" + Dimensions(QSize(largest, largest)) + " or more looks best)";
    if (shortSide < smallest)
        notes->push_back("picture " + Quote(name) + " is " + Dimensions(shown) +
                         " pixels, smaller than the board: it will look blocky" + best);
    else if (shortSide < largest)
        notes->push_back("picture " + Quote(name) + " is " + Dimensions(shown) +
                         " pixels: it will look blocky on the zoomed board" + best);
    // The game stretches every picture to its square; past 5 : 4 shapes visibly change.
    if (std::max(shown.width(), shown.height()) * 4 > shortSide * 5)
        notes->push_back("picture " + Quote(name) + " (" + Dimensions(shown) +
                         ") is stretched to the square board; crop it square to keep its shapes");
}

// A photo's JPEG decoded by libjpeg at a fraction of its size, so that one of up to
// kMaxPhotoPixels needs little memory, and turned as its tag says (as Qt's reader does:
// mirrored first, then turned clockwise). Hostile and damaged files are refused as the
// game refuses them.
QImage DecodeJpegPhoto(const std::vector<uint8_t>& bytes, const QString& name, QSize atLeast,
                       QImageIOHandler::Transformations turn) {
    QImage image;
    try {
        image = DecodePhoto(bytes.data(), bytes.size(), atLeast.width(), atLeast.height());
    } catch (const PictureLimitError& e) {
        throw PackError("picture " + Quote(name) + " is refused: " + e.what());
    } catch (const PictureError& e) {
        throw PackError("picture " + Quote(name) + " cannot be decoded: " + e.what() +
                        " (save it as an RGB or greyscale JPEG, or as PNG)");
    }
    image = image.mirrored(turn & QImageIOHandler::TransformationMirror,
                           turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90) image = image.transformed(QTransform().rotate(90));
    return image;
}

}  // namespace

std::vector<uint8_t> FitPictureFile(const std::vector<uint8_t>& bytes, const QString& name,
                                    std::vector<std::string>* notes) {
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    // What Qt cannot even measure is refused there, with the reason.
    if (!stored.isValid()) return PreparePictureFile(bytes, name);
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize shown = turned ? stored.transposed() : stored;
    const int largest = LargestBoardSide();
    const QSize fit(std::min(shown.width(), largest), std::min(shown.height(), largest));
    // What is refused is refused before anything is scaled and before any advice: a
    // damaged or hostile picture is not stored as a grey guess. A picture kept as it is
    // passes the game's own checks (PreparePictureFile); any other JPEG, the photo
    // decoder's, which takes photos larger than the game would.
    if (fit == shown && reader.transformation() == QImageIOHandler::TransformationNone) {
        std::vector<uint8_t> kept = PreparePictureFile(bytes, name);
        Advise(shown, name, notes);
        return kept;
    }
    // Each side on its own: the game stretches the picture to its square anyway, and a
    // stored picture of exactly the board's size is shown pixel for pixel when zoomed.
    QImage image;
    if (IsJpeg(bytes)) {
        image = DecodeJpegPhoto(bytes, name, turned ? fit.transposed() : fit, reader.transformation());
    } else {
        CheckPictureFile(bytes, name, reader);
        reader.setScaledSize(turned ? fit.transposed() : fit);  // the reader scales before it turns
        image = reader.read();
        if (image.isNull()) {
            if (reader.error() == QImageReader::UnsupportedFormatError)
                throw PackError("picture " + Quote(name) + " is not a picture this tool can read");
            throw PackError("picture " + Quote(name) + " cannot be read: " + reader.errorString().toStdString());
        }
    }
    Advise(shown, name, notes);
    if (image.size() != fit) image = image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Stored through the one encoding path (transparency over white, the same quality),
    // handed over losslessly.
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (!image.save(&out, "PNG"))
        throw PackError("picture " + Quote(name) + " cannot be scaled down");
    return PreparePictureFile(std::vector<uint8_t>(png.begin(), png.end()), name);
}
