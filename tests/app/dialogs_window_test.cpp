// The Settings and About commands of the main window: each dialog is made for one modal
// showing, no frames are drawn while it is open, and it is gone afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <functional>

#include "app/aboutbox.h"
#include "app/settingsdialog.h"
#include "platform/dialogs.h"
#include "tests/app/windowfixture.h"

namespace {

class DialogCommands : public WindowTest {
protected:
    // Runs `command`; once its dialog is up, records what the window looked like and hands
    // the dialog to `act`, which must close it.
    template <typename Dialog>
    void RunWhileOpen(void (MainWindow::*command)(), const std::function<void(Dialog&)>& act) {
        QTimer::singleShot(0, [this, act] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            opened_ = dialog != nullptr;
            loopWhileOpen_ = form->FrameLoopActive;
            if (dialog) act(*dialog);
            else if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
        });
        (form.get()->*command)();
    }

    bool opened_ = false;
    bool loopWhileOpen_ = true;
};

TEST_F(DialogCommands, SettingsOkOnAnotherPackStartsItsFirstLevelAndTheLoopResumes) {
    Write("default.spx", MakeGamepack(1, 0, 3));
    Write("small.spx", MakeGamepack(0, 0, 1));
    MainWindow& w = Start();
    w.flow.LevelIndex = 2;
    w.flow.board.MoveCount = 17;
    w.flow.Hinted = true;
    ASSERT_EQ(w.flow.board.BoardCols, 4);

    RunWhileOpen<SettingsDialog>(&MainWindow::showSettings, [](SettingsDialog& d) {
        for (int row = 0; row < d.gamepackList->count(); ++row)
            if (d.EntryName(row) == "small.spx") d.gamepackList->setCurrentRow(row);
        QTest::mouseClick(d.okButton, Qt::LeftButton);
    });

    EXPECT_TRUE(opened_);
    EXPECT_FALSE(loopWhileOpen_);
    EXPECT_TRUE(w.FrameLoopActive);
    EXPECT_TRUE(w.findChildren<SettingsDialog*>().isEmpty());
    EXPECT_EQ(w.Settings.GamepackName, "small.spx");
    EXPECT_EQ(w.flow.LevelIndex, 0);
    EXPECT_EQ(w.flow.board.BoardCols, 3);
    EXPECT_EQ(w.flow.State, ScreenState::Playing);
    EXPECT_FALSE(w.flow.Hinted) << "another pack is another game: its hints are its own";
}

TEST_F(DialogCommands, APackChosenInSettingsReplacesAChoiceThatWasNotFound) {
    Write("default.spx", MakeGamepack(1, 0, 1));
    Write("small.spx", MakeGamepack(0, 0, 1));
    store.WriteString("GamepackName", "gone.spx");
    QStringList told;
    SetDialogHooks({[&told](const QString& text) { told << text; }, nullptr});
    Start();
    SetDialogHooks({});
    ASSERT_EQ(told.size(), 1) << "the missing pack is told at the start";
    RunWhileOpen<SettingsDialog>(&MainWindow::showSettings, [](SettingsDialog& d) {
        for (int row = 0; row < d.gamepackList->count(); ++row)
            if (d.EntryName(row) == "small.spx") d.gamepackList->setCurrentRow(row);
        QTest::mouseClick(d.okButton, Qt::LeftButton);
    });
    form.reset();
    EXPECT_EQ(store.Read("GamepackName").text, "small.spx") << "the new choice, not the one that was gone";
}

TEST_F(DialogCommands, SettingsOkOnTheSamePackLeavesThePausedScreenWithItsCheckMark) {
    Write("default.spx", MakeGamepack(1, 0, 3));
    MainWindow& w = Start();
    w.flow.LevelIndex = 1;
    w.flow.board.MoveCount = 5;
    w.flow.Hinted = true;
    w.togglePause();
    ASSERT_EQ(w.flow.State, ScreenState::Paused);
    int32_t grid[Board::MaxCells][Board::MaxCells];
    std::memcpy(grid, w.flow.board.TileGrid, sizeof grid);
    RunWhileOpen<SettingsDialog>(&MainWindow::showSettings, [](SettingsDialog& d) { QTest::mouseClick(d.okButton, Qt::LeftButton); });
    EXPECT_FALSE(w.pauseAction->isChecked());
    EXPECT_EQ(w.flow.State, ScreenState::Playing);
    EXPECT_EQ(w.flow.LevelIndex, 1);
    EXPECT_EQ(w.flow.board.MoveCount, 5);
    EXPECT_TRUE(w.flow.Hinted) << "the same game goes on";
    EXPECT_EQ(std::memcmp(grid, w.flow.board.TileGrid, sizeof grid), 0);
    w.togglePause();  // one P pauses again
    EXPECT_EQ(w.flow.State, ScreenState::Paused);
}

TEST_F(DialogCommands, AboutShowsTheWindowsVersionModallyAndIsFreedAfter) {
    Write("default.spx", MakeGamepack(0, 0, 1));
    MainWindow& w = Start();
    QString version;
    RunWhileOpen<AboutBox>(&MainWindow::showAbout, [&version](AboutBox& d) {
        version = d.version->text();
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_TRUE(opened_);
    EXPECT_FALSE(loopWhileOpen_);
    EXPECT_TRUE(w.FrameLoopActive);
    EXPECT_EQ(version, "v" + w.VersionText);
    EXPECT_TRUE(w.findChildren<AboutBox*>().isEmpty());
}

TEST_F(DialogCommands, EveryMessageBoxBelongsToTheShownMainWindow) {
    Write("default.spx", MakeGamepack(0, 0, 1));
    MainWindow& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // The parent of the box `show` opens; answered with its Escape button.
    auto parentOf = [](const std::function<void()>& show) {
        QWidget* parent = nullptr;
        QTimer::singleShot(0, [&parent] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            parent = box->parentWidget();
            box->reject();
        });
        show();
        return parent;
    };
    // Without a parent the window system may raise the game over the box, and the box
    // hides behind it while the game waits for its answer.
    EXPECT_EQ(parentOf([&w] { w.clearTopTen(); }), &w) << "Clear Top 10";
    EXPECT_EQ(parentOf([] { ShowError("Unknown savegame format"); }), &w) << "an error";
    EXPECT_EQ(parentOf([] { ShowMessage("Can't load gamepack!"); }), &w) << "a message";
}

}  // namespace

TEST(ErrorBox, ShowsAFileNameAsItIsUnderTheApplicationTitle) {
    // A name with markup in it, as a damaged gamepack's message carries it.
    const QString text = "The gamepack \"<b>pier</b>.spx\" is damaged";
    QString title, shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        title = box->windowTitle();
        shown = box->text();
        format = box->textFormat();
        box->accept();
    });
    ShowError(text);
    EXPECT_EQ(title, "Marlipan!");
    EXPECT_EQ(shown, text + ".");
    EXPECT_EQ(format, Qt::PlainText);
}
