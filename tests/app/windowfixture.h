#pragma once
// A main window on the offscreen platform, started in a temporary folder that holds
// gamepacks written by the project's own writer.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "common/settingsstore.h"
#include "app/mainwindow.h"
#include "tools/lh5/lh5pack.h"
#include "tests/gamepack/testutil.h"
#include "tests/solver/testboards.h"

// A gamepack of `levels` levels with block pictures, `songs` of them with a tiny song.
inline std::vector<uint8_t> MakeGamepack(int sizeIndex, int timerIndex, int levels, int songLevels = 0) {
    GamepackSource source;
    source.Description = "Test pack";
    source.SizeIndex = sizeIndex;
    source.TimerIndex = timerIndex;
    for (int i = 0; i < levels; ++i) {
        GamepackLevelSource level;
        level.Name = "Level " + std::to_string(i + 1);
        level.Picture = testutil::BlockJpeg(sizeIndex + 3, 48);
        if (i < songLevels) {
            level.Song = lh5::PackArchive(testutil::TinyYm3(100), "song.ym");
            level.SongTitle = "Tune " + std::to_string(i + 1);
        }
        source.Levels.push_back(level);
    }
    return BuildGamepack(source);
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override {
        form.reset();
        QDir::setCurrent(previous_);
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        testutil::WriteFile(dir_.filePath(QString::fromStdString(name)).toStdString(), bytes);
    }
    MainWindow& Start() {
        form = std::make_unique<MainWindow>(store, nullptr, Tables());
        return *form;
    }
    // The solver's tables of every window of the test program: small ones, in memory.
    static std::shared_ptr<solver::TableStore> Tables() {
        static const auto tables = std::make_shared<solver::TableStore>("", testboards::SmallPlan());
        return tables;
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    MemoryStore store;
    std::unique_ptr<MainWindow> form;

private:
    QTemporaryDir dir_;
    QString previous_;
};
