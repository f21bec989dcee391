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

class SettingsDialog : public testing::Test {
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

    std::unique_ptr<TForm2> Open() {
        auto dialog = std::make_unique<TForm2>(
            nullptr, TForm2Links{engine_, name_, volume_, speed_, &pause_, [this] { started_.push_back(name_); }});
        dialog->show();
        return dialog;
    }

    static int Row(TForm2& d, const std::string& entry) {
        for (int row = 0; row < d.ListBox1->count(); ++row)
            if (d.EntryName(row) == entry) return row;
        return -1;
    }

    static void ClickEntry(TForm2& d, const std::string& entry) {
        const int row = Row(d, entry);
        ASSERT_GE(row, 0) << entry << " is not listed";
        const QRect r = d.ListBox1->visualItemRect(d.ListBox1->item(row));
        QTest::mouseClick(d.ListBox1->viewport(), Qt::LeftButton, {}, r.center());
    }

    static std::vector<std::string> Entries(TForm2& d) {
        std::vector<std::string> names;
        for (int row = 0; row < d.ListBox1->count(); ++row) names.push_back(d.EntryName(row));
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

TEST_F(SettingsDialog, EmptyDirectoryListsNothingAndOkStoresOnlyTheSliders) {
    auto d = Open();
    EXPECT_EQ(d->ListBox1->count(), 0);
    EXPECT_TRUE(d->ListBox1->selectedItems().isEmpty());
    EXPECT_EQ(d->Label2->text(), "Dimensions: ");

    QTest::keyClick(d->TrackBar1, Qt::Key_PageUp);  // one page up from 128
    QTest::keyClick(d->TrackBar2, Qt::Key_Right);
    QTest::keyClick(d->TrackBar2, Qt::Key_Right);
    const int volume = d->TrackBar1->value(), speed = d->TrackBar2->value();
    EXPECT_NE(volume, 128);
    EXPECT_EQ(speed, 12);
    QTest::mouseClick(d->Button2, Qt::LeftButton);

    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(volume_, std::to_string(volume));
    EXPECT_EQ(speed_, "12");
    EXPECT_EQ(name_, "default.spx");
    EXPECT_TRUE(started_.empty());
    EXPECT_FALSE(pause_.isChecked());
}

TEST_F(SettingsDialog, ListsEveryEntryMatchingSpxAndNothingElse) {
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

TEST_F(SettingsDialog, SelectsTheStoredGamepackAndDescribesIt) {
    WritePack("other.spx");
    WritePack("racing.spx", {3, 4, 2, 3, ""});
    name_ = "racing.spx";
    auto d = Open();
    ASSERT_EQ(d->ListBox1->selectedItems().size(), 1);
    EXPECT_EQ(d->EntryName(d->ListBox1->row(d->ListBox1->selectedItems().first())), "racing.spx");
    EXPECT_EQ(d->Label1->text(), "Level count: 3");
    EXPECT_EQ(d->Label2->text(), "Size: 5x5");
    EXPECT_EQ(d->Label3->text(), "Difficulty: Impossible");
    EXPECT_EQ(d->Label4->text(), "Timer: Yes");
}

TEST_F(SettingsDialog, ANameDifferingOnlyInCaseSelectsNothing) {
    WritePack("Harbour.spx");
    name_ = "harbour.spx";
    auto d = Open();
    EXPECT_EQ(d->ListBox1->count(), 1);
    EXPECT_TRUE(d->ListBox1->selectedItems().isEmpty());
    EXPECT_EQ(d->Label1->text(), "Level count: ");
    EXPECT_EQ(d->Label2->text(), "Dimensions: ");
}

TEST_F(SettingsDialog, ClickingAnEntryShowsItsHeader) {
    std::string description;
    ASSERT_TRUE(ToAnsi(QString::fromUtf8("Caf\u00e9 <b>not bold</b> & more"), description));
    WritePack("a.spx", {10, 0, 4, 0, description});
    WritePack("b.spx", {1, 3, 0, 12, "Second"});
    auto d = Open();

    ClickEntry(*d, "a.spx");
    EXPECT_EQ(d->Label1->text(), "Level count: 10");
    EXPECT_EQ(d->Label2->text(), "Size: 7x7");
    EXPECT_EQ(d->Label4->text(), "Timer: No");
    // Shown as the text it is: decoded from Windows-1252, never taken for markup.
    EXPECT_EQ(d->Label5->text(), QString::fromUtf8("Caf\u00e9 <b>not bold</b> & more"));
    EXPECT_EQ(d->Label5->textFormat(), Qt::PlainText);

    ClickEntry(*d, "b.spx");
    EXPECT_EQ(d->Label2->text(), "Size: 3x3");
    EXPECT_EQ(d->Label3->text(), "Difficulty: Hard");
    EXPECT_EQ(d->Label4->text(), "Timer: Yes");  // the last limit
    EXPECT_EQ(d->Label5->text(), "Second");
}

TEST_F(SettingsDialog, ListsThePacksOfEveryFolderSortedAndDescribesEachFromWhereItLies) {
    TestGamepackFolders folders;  // its own current directory
    WritePack(folders.Cwd("b.spx"), {1, 0, 0, 0, "Here"});
    WritePack(folders.Player("b.spx"), {1, 0, 0, 0, "Hidden behind the current directory's"});
    WritePack(folders.Player("A.spx"), {1, 0, 1, 0, "Mine"});
    WritePack(folders.Installed("c.spx"), {1, 0, 2, 0, "Shipped"});
    name_ = "c.spx";
    auto d = Open();
    EXPECT_EQ(Entries(*d), (std::vector<std::string>{"A.spx", "b.spx", "c.spx"}));
    EXPECT_EQ(d->Label5->text(), "Shipped") << "the stored pack is selected wherever it lies";
    ClickEntry(*d, "A.spx");
    EXPECT_EQ(d->Label2->text(), "Size: 4x4");
    ClickEntry(*d, "b.spx");
    EXPECT_EQ(d->Label5->text(), "Here");
}

TEST_F(SettingsDialog, ALongDescriptionShowsWholeLinesOnly) {
    std::string words;
    while (words.size() < kDescriptionCapacity - 12) words += "tiles slide ";
    words.resize(kDescriptionCapacity);
    WritePack("long.spx", {1, 0, 0, 0, words});
    WritePack("short.spx", {1, 0, 0, 0, "Fits"});
    name_ = "long.spx";
    auto d = Open();
    const QString shown = d->Label5->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(QString::fromStdString(words).startsWith(shown.chopped(1).trimmed()));
    const QFontMetrics fm(d->Label5->font());
    const QRect needed = fm.boundingRect(QRect(0, 0, d->Label5->width(), 1000), Qt::TextWordWrap, shown);
    EXPECT_LE(needed.height(), d->Label5->height());
    EXPECT_GE(needed.height(), 2 * fm.lineSpacing());  // cut at the box, not before
    QTextDocument tip;  // the whole description in the tip, read as a tip reads it
    ASSERT_TRUE(Qt::mightBeRichText(d->Label5->toolTip()));
    tip.setHtml(d->Label5->toolTip());
    EXPECT_EQ(tip.toPlainText(), QString::fromStdString(words));

    ClickEntry(*d, "short.spx");
    EXPECT_EQ(d->Label5->text(), "Fits");
}

TEST_F(SettingsDialog, UnreadableEntriesShowTheBareCaptions) {
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
    EXPECT_EQ(d->Label2->text(), "Dimensions: ");
    for (const char* bad : {"short.spx", "folder.spx", "bigsize.spx", "negsize.spx", "baddiff.spx", "negdiff.spx"}) {
        SCOPED_TRACE(bad);
        ClickEntry(*d, "good.spx");
        ASSERT_EQ(d->Label5->text(), "Good");
        ClickEntry(*d, bad);
        EXPECT_EQ(d->Label1->text(), "Level count: ");
        EXPECT_EQ(d->Label2->text(), "Size: ");
        EXPECT_EQ(d->Label3->text(), "Difficulty: ");
        EXPECT_EQ(d->Label4->text(), "Timer: ");
        EXPECT_EQ(d->Label5->text(), "");
    }
}

TEST_F(SettingsDialog, NamesThatAreNotUtf8AreKeptAsTheFileSystemGivesThem) {
    const std::string name = "caf\xe9.spx";  // Latin-1 bytes
    WritePack(name, {4, 2, 1, 0, "Bytes"});
    name_ = name;
    auto d = Open();
    ASSERT_EQ(d->ListBox1->count(), 1);
    EXPECT_EQ(d->EntryName(0), name);
    EXPECT_EQ(d->Label1->text(), "Level count: 4");

    name_ = "default.spx";
    d = Open();
    ClickEntry(*d, name);
    QTest::mouseClick(d->Button2, Qt::LeftButton);
    EXPECT_EQ(started_, std::vector<std::string>{name});
    d.reset();
    std::filesystem::remove(name);  // QTemporaryDir cannot name it to remove it
}

TEST_F(SettingsDialog, WithNothingSelectedTheFirstArrowKeySelectsTheFirstEntry) {
    WritePack("a.spx");
    WritePack("b.spx");
    WritePack("c.spx");
    name_ = "none.spx";
    auto d = Open();
    QApplication::setActiveWindow(d.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
    ASSERT_TRUE(d->ListBox1->hasFocus());
    QTest::keyClick(d->ListBox1, Qt::Key_Down);
    ASSERT_EQ(d->ListBox1->selectedItems().size(), 1);
    EXPECT_EQ(d->ListBox1->row(d->ListBox1->selectedItems().first()), 0);
    EXPECT_EQ(d->Label1->text(), "Level count: 1");
    QTest::keyClick(d->ListBox1, Qt::Key_Down);
    EXPECT_EQ(d->ListBox1->row(d->ListBox1->selectedItems().first()), 1);
}

// --- volume and speed -------------------------------------------------------------------

TEST_F(SettingsDialog, TheVolumeSliderActsAtOnceAndCancelUndoesIt) {
    engine_.SetVolume(90);
    volume_ = "90";
    auto d = Open();
    EXPECT_EQ(d->TrackBar1->value(), 90);
    QTest::keyClick(d->TrackBar1, Qt::Key_PageUp);
    QTest::keyClick(d->TrackBar1, Qt::Key_Right);
    const int moved = d->TrackBar1->value();
    ASSERT_NE(moved, 90);
    EXPECT_EQ(engine_.Volume(), moved);
    EXPECT_EQ(volume_, std::to_string(moved));

    QTest::keyClick(d->TrackBar2, Qt::Key_Right);
    QTest::mouseClick(d->Button1, Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(engine_.Volume(), 90);
    EXPECT_EQ(volume_, "90");
    EXPECT_EQ(speed_, "10");
    EXPECT_TRUE(pause_.isChecked());
}

TEST_F(SettingsDialog, CancelRestoresTheEnginesVolumeNotTheStoredText) {
    engine_.SetVolume(77);  // the text can lag behind the engine
    auto d = Open();
    QTest::keyClick(d->TrackBar1, Qt::Key_Left);
    QTest::keyClick(d.get(), Qt::Key_Escape);  // Esc is Cancel
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(engine_.Volume(), 77);
    EXPECT_EQ(volume_, "77");
}

TEST_F(SettingsDialog, TheTitleBarsCloseButtonRunsNeitherOkNorCancel) {
    WritePack("a.spx");
    WritePack("b.spx");
    name_ = "a.spx";
    auto d = Open();
    ClickEntry(*d, "b.spx");
    QTest::keyClick(d->TrackBar1, Qt::Key_PageDown);
    QTest::keyClick(d->TrackBar2, Qt::Key_Right);
    const int moved = d->TrackBar1->value();
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

TEST_F(SettingsDialog, OkOnTheCurrentGamepackRestartsNothing) {
    WritePack("a.spx");
    WritePack("b.spx");
    name_ = "a.spx";
    auto d = Open();
    ClickEntry(*d, "b.spx");
    ClickEntry(*d, "a.spx");  // back to the one being played
    QTest::keyClick(d->TrackBar2, Qt::Key_Left);
    QTest::mouseClick(d->Button2, Qt::LeftButton);
    EXPECT_TRUE(started_.empty());
    EXPECT_EQ(name_, "a.spx");
    EXPECT_EQ(speed_, "9");
    EXPECT_FALSE(pause_.isChecked());
}

TEST_F(SettingsDialog, DoubleClickActsAsOk) {
    WritePack("a.spx");
    WritePack("b.spx");
    name_ = "a.spx";
    auto d = Open();
    QTest::keyClick(d->TrackBar2, Qt::Key_Right);
    const int row = Row(*d, "b.spx");
    const QPoint centre = d->ListBox1->visualItemRect(d->ListBox1->item(row)).center();
    QTest::mouseClick(d->ListBox1->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(d->ListBox1->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(started_, std::vector<std::string>{"b.spx"});
    EXPECT_EQ(speed_, "11");
}

TEST_F(SettingsDialog, EnterIsOk) {
    WritePack("a.spx");
    auto d = Open();
    ClickEntry(*d, "a.spx");
    QTest::keyClick(d->ListBox1, Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(started_, std::vector<std::string>{"a.spx"});
}

// --- layout -----------------------------------------------------------------------------

TEST_F(SettingsDialog, TabVisitsListSlidersOkCancelInThatOrder) {
    auto d = Open();
    QApplication::setActiveWindow(d.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
    EXPECT_EQ(QApplication::focusWidget(), d->ListBox1);
    for (QWidget* next : std::vector<QWidget*>{d->TrackBar1, d->TrackBar2, d->Button2, d->Button1, d->ListBox1}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(SettingsDialog, EveryCaptionFitsItsControl) {
    auto d = Open();
    auto fits = [](QWidget* w, const QString& text) {
        return QFontMetrics(w->font()).horizontalAdvance(text) <= w->width();
    };
    // The longest texts each label can show.
    EXPECT_TRUE(fits(d->Label1, "Level count: 10"));
    EXPECT_TRUE(fits(d->Label2, "Dimensions: "));
    EXPECT_TRUE(fits(d->Label3, "Difficulty: Impossible"));
    EXPECT_TRUE(fits(d->Label3, "Difficulty: Very Easy"));
    EXPECT_TRUE(fits(d->Label4, "Timer: Yes"));
    EXPECT_TRUE(fits(d->Label6, d->Label6->text()));
    EXPECT_TRUE(fits(d->Label7, d->Label7->text()));
    EXPECT_TRUE(fits(d->Label8, d->Label8->text()));
    EXPECT_TRUE(fits(d->Button1, "Cancel"));
    // Everything lies inside the client area, the group boxes inside their frames.
    for (QWidget* w : d->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(d.get()) || w->parentWidget() == nullptr) continue;
        if (w->parentWidget() != d.get() && w->parentWidget() != d->GroupBox1 && w->parentWidget() != d->GroupBox2)
            continue;
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << w->metaObject()->className();
    }
    EXPECT_EQ(d->size(), QSize(335, 300));
    // The description's box holds three lines of text.
    EXPECT_GE(d->Label5->height(), 3 * QFontMetrics(d->Label5->font()).lineSpacing());
}

}  // namespace
