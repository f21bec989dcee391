#pragma once
// Fonts of the settings dialog and the about box. Their layouts are fixed in pixels, so
// fonts are sized in pixels too, as Windows sizes them at 96 DPI, whatever the screen.

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

// The first of `wanted` that is installed, else "Arial". An unknown name is not left to
// fontconfig: it would choose a much wider sans or a script font, and overflow the
// layout, while "Arial" maps to a font of Arial's metrics (Liberation Sans).
inline QFont DialogFont(const QStringList& wanted, int pixels, bool bold = false, bool italic = false) {
    QString family = "Arial";
    const QStringList installed = QFontDatabase::families();
    for (const QString& name : wanted) {
        if (installed.contains(name, Qt::CaseInsensitive)) {
            family = name;
            break;
        }
    }
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

inline int PixelsForPoints(int points) { return (points * 96 + 36) / 72; }

inline const QStringList kSansSerifFamilies = {"MS Sans Serif", "Microsoft Sans Serif"};
inline const QStringList kComicFamilies = {"Comic Sans MS", "Comic Neue"};
