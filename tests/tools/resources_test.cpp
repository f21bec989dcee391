// The game finds its sound effects and icon under fixed resource paths.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <cstdlib>
#include <string>

#include "resources/programresources.h"

namespace {

QByteArray readSourceFile(const char* name) {
    const char* src = std::getenv("MARLIPAN_SOURCE_DIR");
    QFile f(QString::fromStdString(std::string(src && *src ? src : MARLIPAN_TOOLS_TEST_SOURCE_DIR) +
                                   "/resources/" + name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray readResource(const char* path) {
    InitProgramResources();
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(Resources, SoundEffectsAreCompiledInUnderTheirNamesWithoutExtension) {
    const struct { const char* path; const char* file; int size; } effects[] = {
        {":/wav/APPL", "appl.wav", 77260},
        {":/wav/GOOD", "good.wav", 9622},
        {":/wav/SLIDE", "slide.wav", 15258},
    };
    for (const auto& e : effects) {
        SCOPED_TRACE(e.path);
        const QByteArray bytes = readResource(e.path);
        EXPECT_EQ(bytes.size(), e.size);
        EXPECT_TRUE(bytes.startsWith("RIFF"));
        EXPECT_EQ(bytes, readSourceFile(e.file));
    }
}

TEST(Resources, IconIsAPng) {
    InitProgramResources();
    const QImage icon(":/icons/marlipan.png");
    EXPECT_EQ(icon.size(), QSize(256, 256));
    const QImage small(":/icons/marlipan-64.png");
    EXPECT_EQ(small.size(), QSize(64, 64));
}
