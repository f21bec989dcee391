// marlipan-picgen OUTDIR [NAME...]   writes the level pictures as OUTDIR/NAME.png (all by default)
// marlipan-picgen --icon FILE SIZE   writes the program icon
// marlipan-picgen --icon-svg FILE    writes the program icon as scalable vector shapes
// marlipan-picgen --sheet FILE       writes all pictures side by side, for looking them over
// marlipan-picgen --list             prints the picture names
#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "tools/picgen/pictures.h"

namespace pics = marlipan::pictures;

namespace {

bool save(const QImage& img, const QString& path) {
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "marlipan-picgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

const char kUsage[] =
    "usage: marlipan-picgen OUTDIR [NAME...] | --icon FILE SIZE | --icon-svg FILE | --sheet FILE | --list\n"
    "       marlipan-picgen --help | --version\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Text needs the font database, which needs a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return usage();

    if (args[0] == "--help" || args[0] == "-h") {
        std::printf("%s\nDraws the bundled level pictures (PNG) and the program icon.\n", kUsage);
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("marlipan-picgen %s\n", MARLIPAN_VERSION);
        return 0;
    }
    if (args[0] == "--list") {
        for (const auto& pic : pics::all()) std::printf("%s\n", qPrintable(pic.name));
        return 0;
    }
    if (args[0] == "--icon") {
        if (args.size() != 3) return usage();
        const int size = args[2].toInt();
        if (size < 16 || size > 1024) return usage();
        return save(pics::icon(size), args[1]) ? 0 : 1;
    }
    if (args[0] == "--icon-svg") {
        if (args.size() != 2) return usage();
        // The same painting as the PNG icons, recorded as SVG shapes instead of pixels.
        QSvgGenerator svg;
        svg.setFileName(args[1]);
        svg.setSize(QSize(64, 64));
        svg.setViewBox(QRect(0, 0, 64, 64));
        svg.setTitle("Marlipan");
        QPainter p;
        if (!p.begin(&svg)) {
            std::fprintf(stderr, "marlipan-picgen: cannot write %s\n", qPrintable(args[1]));
            return 1;
        }
        p.setRenderHint(QPainter::Antialiasing);
        pics::drawIcon(p);
        return p.end() ? 0 : 1;
    }
    if (args[0] == "--sheet") {
        if (args.size() != 2) return usage();
        const auto& all = pics::all();
        const int cell = 256, cols = 5;
        const int rows = (static_cast<int>(all.size()) + cols - 1) / cols;
        QImage sheet(cols * cell, rows * cell, QImage::Format_RGB32);
        sheet.fill(Qt::black);
        QPainter p(&sheet);
        for (size_t i = 0; i < all.size(); ++i)
            p.drawImage(QRect((i % cols) * cell, (i / cols) * cell, cell - 4, cell - 4), pics::render(all[i]));
        p.end();
        return save(sheet, args[1]) ? 0 : 1;
    }

    const QDir out(args[0]);
    if (!out.exists() && !QDir().mkpath(args[0])) {
        std::fprintf(stderr, "marlipan-picgen: cannot create %s\n", qPrintable(args[0]));
        return 1;
    }
    const QStringList wanted = args.mid(1);
    for (const QString& name : wanted) {
        bool known = false;
        for (const auto& pic : pics::all()) known = known || pic.name == name;
        if (!known) {
            std::fprintf(stderr, "marlipan-picgen: no picture named %s\n", qPrintable(name));
            return 1;
        }
    }
    for (const auto& pic : pics::all()) {
        if (!wanted.isEmpty() && !wanted.contains(pic.name)) continue;
        if (!save(pics::render(pic), out.filePath(pic.name + ".png"))) return 1;
    }
    return 0;
}
