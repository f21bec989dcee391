// The settings dialog, driven through its controls on the offscreen platform, in a
// directory of its own that the tests fill with gamepacks.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTextDocument>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "gamepack/ansi.h"
#include "app/settingsdialog.h"
#include "music/ymplayer.h"
#include "tests/gamepack/testutil.h"
#include "tests/platform/gamepackfolders.h"

namespace {

struct PackInfo {
    int levels = 1;
    int32_t difficulty = 0, sizeIndex = 0, timerIndex = 0;
    std::string description = "A pack";
};

class SettingsDialogTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        oldDir_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
        pause_.setCheckable(true);
        pause_.setChecked(true);
        engine_.SetVolume(128);
    }
    void TearDown() override { QDir::setCurrent(oldDir_); }

    static void WritePack(const std::string& name, const PackInfo& info = {}) {
        GamepackSource source;
        source.Description = info.description;
        source.Difficulty = info.difficulty;
        source.SizeIndex = info.sizeIndex;
        source.TimerIndex = info.timerIndex;
        for (int i = 0; i < info.levels; ++i)
            source.Levels.push_back({"Level " + std::to_string(i + 1), testutil::BlockJpeg(2, 8), {}, ""});
        testutil::WriteFile(name, BuildGamepack(source));
    }

    std::unique_ptr<SettingsDialog> Open() {
        auto dialog = std::make_unique<SettingsDialog>(
            nullptr, SettingsDialogLinks{engine_, name_, volume_, speed_, &pause_, [this] { started_.push_back(name_); }});
        dialog->show();
        return dialog;
    }

    static int Row(SettingsDialog& d, const std::string& entry) {
        for (int row = 0; row < d.gamepackList->count(); ++row)
            if (d.EntryName(row) == entry) return row;
        return -1;
    }

    static void ClickEntry(SettingsDialog& d, const std::string& entry) {
        const int row = Row(d, entry);
        ASSERT_GE(row, 0) << entry << " is not listed";
        const QRect r = d.gamepackList->visualItemRect(d.gamepackList->item(row));
        QTest::mouseClick(d.gamepackList->viewport(), Qt::LeftButton, {}, r.center());
    }

    static std::vector<std::string> Entries(SettingsDialog& d) {
        std::vector<std::string> names;
        for (int row = 0; row < d.gamepackList->count(); ++row) names.push_back(d.EntryName(row));
        return names;
    }

    QTemporaryDir dir_;
    QString oldDir_;
    CYmEngine engine_;
    std::string name_ = "default.spx", volume_ = "128", speed_ = "10";
    QAction pause_;
    std::vector<std::string> started_;  // GamepackName at each start
};

// --- the list and what it shows ---------------------------------------------------------

TEST_F(SettingsDialogTest, EmptyDirectoryListsNothingAndOkStoresOnlyTheSliders) {
    auto d = Open();
    EXPECT_EQ(d->gamepackList->count(), 0);
    EXPECT_TRUE(d->gamepackList->selectedItems().isEmpty());
    EXPECT_EQ(d->dimensionsLabel->text(), "Dimensions: ");

    QTest::keyClick(d->volumeSlider, Qt::Key_PageUp);  // one page up from 128
    QTest::keyClick(d->speedSlider, Qt::Key_Right);
    QTest::keyClick(d->speedSlider, Qt::Key_Right);
    const int volume = d->volumeSlider->value(), speed = d->speedSlider->value();
    EXPECT_NE(volume, 128);
    EXPECT_EQ(speed, 12);
    QTest::mouseClick(d->okButton, Qt::LeftButton);

    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(volume_, std::to_string(volume));
    EXPECT_EQ(speed_, "12");
    EXPECT_EQ(name_, "default.spx");
    EXPECT_TRUE(started_.empty());
    EXPECT_FALSE(pause_.isChecked());
}

TEST_F(SettingsDialogTest, ListsEveryEntryMatchingSpxAndNothingElse) {
    WritePack("default.spx");
    WritePack(".hidden.spx");
    WritePack("UPPER.SPX");
    WritePack("readonly.spx");
    std::filesystem::permissions("readonly.spx", std::filesystem::perms::owner_read);
    std::filesystem::create_directory("folder.spx");
    testutil::WriteFile("notes.txt", {1, 2, 3});
    testutil::WriteFile("old.spx.bak", {1, 2, 3});
    testutil::WriteFile("spx", {1, 2, 3});

    auto d = Open();
    std::vector<std::string> names = Entries(*d);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.spx", "UPPER.SPX", "default.spx", "folder.spx",
                                               "readonly.spx"}));
    std::filesystem::permissions("readonly.spx", std::filesystem::perms::owner_all);
}

TEST_F(SettingsDialogTest, SelectsTheStoredGamepackAndDescribesIt) {
    WritePack("other.spx");
    WritePack("racing.spx", {3, 4, 2, 3, ""});
    name_ = "racing.spx";
    auto d = Open();
    ASSERT_EQ(d->gamepackList->selectedItems().size(), 1);
    EXPECT_EQ(d->EntryName(d->gamepackList->row(d->gamepackList->selectedItems().first())), "racing.spx");
    EXPECT_EQ(d->levelCountLabel->text(), "Level count: 3");
    EXPECT_EQ(d->dimensionsLabel->text(), "Size: 5x5");
    EXPECT_EQ(d->difficultyLabel->text(), "Difficulty: Impossible");
    EXPECT_EQ(d->timerLabel->text(), "Timer: Yes");
}

TEST_F(SettingsDialogTest, ANameDifferingOnlyInCaseSelectsNothing) {
    WritePack("Harbour.spx");
    name_ = "harbour.spx";
    auto d = Open();
    EXPECT_EQ(d->gamepackList->count(), 1);
    EXPECT_TRUE(d->gamepackList->selectedItems().isEmpty());
    EXPECT_EQ(d->levelCountLabel->text(), "Level count: ");
    EXPECT_EQ(d->dimensionsLabel->text(), "Dimensions: ");
}

TEST_F(SettingsDialogTest, ClickingAnEntryShowsItsHeader) {
    std::string description;
    ASSERT_TRUE(ToAnsi(QString::fromUtf8("Caf\u00e9 <b>not bold</b> & more"), description));
    WritePack("a.spx", {10, 0, 4, 0, description});
    WritePack("b.spx", {1, 3, 0, 12, "Second"});
    auto d = Open();

    ClickEntry(*d, "a.spx");
    EXPECT_EQ(d->levelCountLabel->text(), "Level count: 10");
    EXPECT_EQ(d->dimensionsLabel->text(), "Size: 7x7");
    EXPECT_EQ(d->timerLabel->text(), "Timer: No");
    // Shown as the text it is: decoded from Windows-1252, never taken for markup.
    EXPECT_EQ(d->descriptionText->text(), QString::fromUtf8("Caf\u00e9 <b>not bold</b> & more"));
    EXPECT_EQ(d->descriptionText->textFormat(), Qt::PlainText);

    ClickEntry(*d, "b.spx");
    EXPECT_EQ(d->dimensionsLabel->text(), "Size: 3x3");
    EXPECT_EQ(d->difficultyLabel->text(), "Difficulty: Hard");
    EXPECT_EQ(d->timerLabel->text(), "Timer: Yes");  // the last limit
    EXPECT_EQ(d->descriptionText->text(), "Second");
}

TEST_F(SettingsDialogTest, ListsThePacksOfEveryFolderSortedAndDescribesEachFromWhereItLies) {
    TestGamepackFolders folders;  // its own current directory
    WritePack(folders.Cwd("b.spx"), {1, 0, 0, 0, "Here"});
    WritePack(folders.Player("b.spx"), {1, 0, 0, 0, "Hidden behind the current directory's"});
    WritePack(folders.Player("A.spx"), {1, 0, 1, 0, "Mine"});
    WritePack(folders.Installed("c.spx"), {1, 0, 2, 0, "Shipped"});
    name_ = "c.spx";
    auto d = Open();
    EXPECT_EQ(Entries(*d), (std::vector<std::string>{"A.spx", "b.spx", "c.spx"}));
    EXPECT_EQ(d->descriptionText->text(), "Shipped") << "the stored pack is selected wherever it lies";
    ClickEntry(*d, "A.spx");
    EXPECT_EQ(d->dimensionsLabel->text(), "Size: 4x4");
    ClickEntry(*d, "b.spx");
    EXPECT_EQ(d->descriptionText->text(), "Here");
}

TEST_F(SettingsDialogTest, ALongDescriptionShowsWholeLinesOnly) {
    std::string words;
    while (words.size() < kDescriptionCapacity - 12) words += "tiles slide ";
    words.resize(kDescriptionCapacity);
    WritePack("long.spx", {1, 0, 0, 0, words});
    WritePack("short.spx", {1, 0, 0, 0, "Fits"});
    name_ = "long.spx";
    auto d = Open();
    const QString shown = d->descriptionText->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(QString::fromStdString(words).startsWith(shown.chopped(1).trimmed()));
    const QFontMetrics fm(d->descriptionText->font());
    const QRect needed = fm.boundingRect(QRect(0, 0, d->descriptionText->width(), 1000), Qt::TextWordWrap, shown);
    EXPECT_LE(needed.height(), d->descriptionText->height());
    EXPECT_GE(needed.height(), 2 * fm.lineSpacing());  // cut at the box, not before
    QTextDocument tip;  // the whole description in the tip, read as a tip reads it
    ASSERT_TRUE(Qt::mightBeRichText(d->descriptionText->toolTip()));
    tip.setHtml(d->descriptionText->toolTip());
    EXPECT_EQ(tip.toPlainText(), QString::fromStdString(words));

    ClickEntry(*d, "short.spx");
    EXPECT_EQ(d->descriptionText->text(), "Fits");
}

TEST_F(SettingsDialogTest, UnreadableEntriesShowTheBareCaptions) {
    WritePack("good.spx", {2, 1, 1, 1, "Good"});
    testutil::WriteFile("short.spx", testutil::Filler(kGamepackHeaderSize - 1, 3));
    std::filesystem::create_directory("folder.spx");
    // Whole headers whose values lie outside the tables.
    std::vector<uint8_t> bytes;
    WritePack("tmp.spx");
    for (auto [file, size, difficulty] : {std::tuple{"bigsize.spx", 5, 0}, std::tuple{"negsize.spx", -1, 0},
                                          std::tuple{"baddiff.spx", 0, 5}, std::tuple{"negdiff.spx", 0, -2147483647 - 1}}) {
        bytes = testutil::ReadFile("tmp.spx");
        GamepackHeader h = testutil::HeaderOf(bytes);
        h.SizeIndex = size;
        h.Difficulty = difficulty;
        testutil::PutHeader(bytes, h);
        testutil::WriteFile(file, bytes);
    }
    std::filesystem::remove("tmp.spx");

    auto d = Open();
    EXPECT_EQ(d->dimensionsLabel->text(), "Dimensions: ");
    for (const char* bad : {"short.spx", "folder.spx", "bigsize.spx", "negsize.spx", "baddiff.spx", "negdiff.spx"}) {
        SCOPED_TRACE(bad);
        ClickEntry(*d, "good.spx");
        ASSERT_EQ(d->descriptionText->text(), "Good");
        ClickEntry(*d, bad);
        EXPECT_EQ(d->levelCountLabel->text(), "Level count: ");
        EXPECT_EQ(d->dimensionsLabel->text(), "Size: ");
        EXPECT_EQ(d->difficultyLabel->text(), "Difficulty: ");
        EXPECT_EQ(d->timerLabel->text(), "Timer: ");
        EXPECT_EQ(d->descriptionText->text(), "");
    }
}

TEST_F(SettingsDialogTest, NamesThatAreNotUtf8AreKeptAsTheFileSystemGivesThem) {
    const std::string name = "caf\xe9.spx";  // Latin-1 bytes
    WritePack(name, {4, 2, 1, 0, "Bytes"});
    name_ = name;
    auto d = Open();
    ASSERT_EQ(d->gamepackList->count(), 1);
    EXPECT_EQ(d->EntryName(0), name);
    EXPECT_EQ(d->levelCountLabel->text(), "Level count: 4");

    name_ = "default.spx";
    d = Open();
    ClickEntry(*d, name);
    QTest::mouseClick(d->okButton, Qt::LeftButton);
    EXPECT_EQ(started_, std::vector<std::string>{name});
    d.reset();
    std::filesystem::remove(name);  // QTemporaryDir cannot name it to remove it
}

TEST_F(SettingsDialogTest, WithNothingSelectedTheFirstArrowKeySelectsTheFirstEntry) {
    WritePack("a.spx");
    WritePack("b.spx");
    WritePack("c.spx");
    name_ = "none.spx";
    auto d = Open();
    QApplication::setActiveWindow(d.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
    ASSERT_TRUE(d->gamepackList->hasFocus());
    QTest::keyClick(d->gamepackList, Qt::Key_Down);
    ASSERT_EQ(d->gamepackList->selectedItems().size(), 1);
    EXPECT_EQ(d->gamepackList->row(d->gamepackList->selectedItems().first()), 0);
    EXPECT_EQ(d->levelCountLabel->text(), "Level count: 1");
    QTest::keyClick(d->gamepackList, Qt::Key_Down);
    EXPECT_EQ(d->gamepackList->row(d->gamepackList->selectedItems().first()), 1);
}

// --- volume and speed -------------------------------------------------------------------

TEST_F(SettingsDialogTest, TheVolumeSliderActsAtOnceAndCancelUndoesIt) {
    engine_.SetVolume(90);
    volume_ = "90";
    auto d = Open();
    EXPECT_EQ(d->volumeSlider->value(), 90);
    QTest::keyClick(d->volumeSlider, Qt::Key_PageUp);
    QTest::keyClick(d->volumeSlider, Qt::Key_Right);
    const int moved = d->volumeSlider->value();
    ASSERT_NE(moved, 90);
    EXPECT_EQ(engine_.Volume(), moved);
    EXPECT_EQ(volume_, std::to_string(moved));

    QTest::keyClick(d->speedSlider, Qt::Key_Right);
    QTest::mouseClick(d->cancelButton, Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(engine_.Volume(), 90);
    EXPECT_EQ(volume_, "90");
    EXPECT_EQ(speed_, "10");
    EXPECT_TRUE(pause_.isChecked());
}

TEST_F(SettingsDialogTest, CancelRestoresTheEnginesVolumeNotTheStoredText) {
    engine_.SetVolume(77);  // the text can lag behind the engine
    auto d = Open();
    QTest::keyClick(d->volumeSlider, Qt::Key_Left);
    QTest::keyClick(d.get(), Qt::Key_Escape);  // Esc is Cancel
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(engine_.Volume(), 77);
    EXPECT_EQ(volume_, "77");
}

TEST_F(SettingsDialogTest, TheTitleBarsCloseButtonRunsNeitherOkNorCancel) {
    WritePack("a.spx");
    WritePack("b.spx");
    name_ = "a.spx";
    auto d = Open();
    ClickEntry(*d, "b.spx");
    QTest::keyClick(d->volumeSlider, Qt::Key_PageDown);
    QTest::keyClick(d->speedSlider, Qt::Key_Right);
    const int moved = d->volumeSlider->value();
    d->close();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(engine_.Volume(), moved);
    EXPECT_EQ(volume_, std::to_string(moved));
    EXPECT_EQ(speed_, "10");
    EXPECT_EQ(name_, "a.spx");
    EXPECT_TRUE(started_.empty());
    EXPECT_TRUE(pause_.isChecked());
}

// --- choosing a gamepack ----------------------------------------------------------------

TEST_F(SettingsDialogTest, OkOnTheCurrentGamepackRestartsNothing) {
    WritePack("a.spx");
    WritePack("b.spx");
    name_ = "a.spx";
    auto d = Open();
    ClickEntry(*d, "b.spx");
    ClickEntry(*d, "a.spx");  // back to the one being played
    QTest::keyClick(d->speedSlider, Qt::Key_Left);
    QTest::mouseClick(d->okButton, Qt::LeftButton);
    EXPECT_TRUE(started_.empty());
    EXPECT_EQ(name_, "a.spx");
    EXPECT_EQ(speed_, "9");
    EXPECT_FALSE(pause_.isChecked());
}

TEST_F(SettingsDialogTest, DoubleClickActsAsOk) {
    WritePack("a.spx");
    WritePack("b.spx");
    name_ = "a.spx";
    auto d = Open();
    QTest::keyClick(d->speedSlider, Qt::Key_Right);
    const int row = Row(*d, "b.spx");
    const QPoint centre = d->gamepackList->visualItemRect(d->gamepackList->item(row)).center();
    QTest::mouseClick(d->gamepackList->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(d->gamepackList->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(started_, std::vector<std::string>{"b.spx"});
    EXPECT_EQ(speed_, "11");
}

TEST_F(SettingsDialogTest, EnterIsOk) {
    WritePack("a.spx");
    auto d = Open();
    ClickEntry(*d, "a.spx");
    QTest::keyClick(d->gamepackList, Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(started_, std::vector<std::string>{"a.spx"});
}

// --- layout -----------------------------------------------------------------------------

TEST_F(SettingsDialogTest, TabVisitsListSlidersOkCancelInThatOrder) {
    auto d = Open();
    QApplication::setActiveWindow(d.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
    EXPECT_EQ(QApplication::focusWidget(), d->gamepackList);
    for (QWidget* next : std::vector<QWidget*>{d->volumeSlider, d->speedSlider, d->okButton, d->cancelButton, d->gamepackList}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(SettingsDialogTest, EveryCaptionFitsItsControl) {
    auto d = Open();
    auto fits = [](QWidget* w, const QString& text) {
        return QFontMetrics(w->font()).horizontalAdvance(text) <= w->width();
    };
    // The longest texts each label can show.
    EXPECT_TRUE(fits(d->levelCountLabel, "Level count: 10"));
    EXPECT_TRUE(fits(d->dimensionsLabel, "Dimensions: "));
    EXPECT_TRUE(fits(d->difficultyLabel, "Difficulty: Impossible"));
    EXPECT_TRUE(fits(d->difficultyLabel, "Difficulty: Very Easy"));
    EXPECT_TRUE(fits(d->timerLabel, "Timer: Yes"));
    EXPECT_TRUE(fits(d->descriptionCaption, d->descriptionCaption->text()));
    EXPECT_TRUE(fits(d->volumeCaption, d->volumeCaption->text()));
    EXPECT_TRUE(fits(d->speedCaption, d->speedCaption->text()));
    EXPECT_TRUE(fits(d->cancelButton, "Cancel"));
    // Everything lies inside the client area, the group boxes inside their frames.
    for (QWidget* w : d->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(d.get()) || w->parentWidget() == nullptr) continue;
        if (w->parentWidget() != d.get() && w->parentWidget() != d->gamepackGroup && w->parentWidget() != d->otherGroup)
            continue;
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << w->metaObject()->className();
    }
    EXPECT_EQ(d->size(), QSize(335, 300));
    // The description's box holds three lines of text.
    EXPECT_GE(d->descriptionText->height(), 3 * QFontMetrics(d->descriptionText->font()).lineSpacing());
}

}  // namespace
