#include "tools/pack/picturefit.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>

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
    // What the game refuses is refused before anything is scaled: photos up to its pixel
    // limit are taken, a damaged or hostile JPEG is not stored as a grey guess.
    CheckPictureFile(bytes, name, reader);
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize shown = turned ? stored.transposed() : stored;
    Advise(shown, name, notes);

    const int largest = LargestBoardSide();
    const QSize fit(std::min(shown.width(), largest), std::min(shown.height(), largest));
    if (fit == shown && reader.transformation() == QImageIOHandler::TransformationNone)
        return PreparePictureFile(bytes, name);

    // Each side on its own: the game stretches the picture to its square anyway, and a
    // stored picture of exactly the board's size is shown pixel for pixel when zoomed.
    // The reader scales before it turns; a JPEG is then decoded at a fraction of its size,
    // so a 100-megapixel photo needs no more memory than a small one.
    reader.setScaledSize(turned ? fit.transposed() : fit);
    QImage image = reader.read();
    if (image.isNull()) {
        if (reader.error() == QImageReader::UnsupportedFormatError)
            throw PackError("picture " + Quote(name) + " is not a picture this tool can read");
        throw PackError("picture " + Quote(name) + " cannot be read: " + reader.errorString().toStdString());
    }
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
