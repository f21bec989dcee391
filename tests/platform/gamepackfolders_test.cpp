// Where a bare gamepack name is found, what the folders list, and how a file opened from
// elsewhere is made reachable by a bare name.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <filesystem>

#include "platform/gamepackfolders.h"
#include "tests/gamepack/testutil.h"
#include "tests/platform/gamepackfolders.h"

namespace fs = std::filesystem;
using platform::FindGamepack;
using platform::ImportGamepack;
using platform::ListGamepacks;

namespace {

class GamepackFolders : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folders.valid()); }
    static void Put(const std::string& path, uint8_t seed) { testutil::WriteFile(path, testutil::Filler(3000, seed)); }
    static uint8_t SeedOf(const std::string& path) { return testutil::ReadFile(path).at(0); }
    TestGamepackFolders folders;
};

}  // namespace

TEST_F(GamepackFolders, CurrentDirectoryThenPlayersFolderThenInstalledFoldersInOrder) {
    Put(folders.Installed("p.spx", 2), 4);
    EXPECT_EQ(SeedOf(FindGamepack("p.spx")), 4);
    Put(folders.Installed("p.spx", 1), 3);
    EXPECT_EQ(SeedOf(FindGamepack("p.spx")), 3) << "the first of $XDG_DATA_DIRS wins";
    Put(folders.Player("p.spx"), 2);
    EXPECT_EQ(SeedOf(FindGamepack("p.spx")), 2);
    Put(folders.Cwd("p.spx"), 1);
    EXPECT_EQ(FindGamepack("p.spx"), "p.spx") << "the current directory's file opens by its bare name";
}

TEST_F(GamepackFolders, AMissingNameStaysBareAndAFolderOfThatNameIsSkipped) {
    EXPECT_EQ(FindGamepack("gone.spx"), "gone.spx");
    fs::create_directory(folders.Cwd("dir.spx"));
    Put(folders.Player("dir.spx"), 5);
    EXPECT_EQ(SeedOf(FindGamepack("dir.spx")), 5);
    EXPECT_EQ(FindGamepack("../p.spx"), "../p.spx") << "a name with a folder is not looked up";
}

TEST_F(GamepackFolders, ListsEachNameOnceSortedWithoutRegardToCase) {
    Put(folders.Cwd("b.spx"), 1);
    Put(folders.Cwd("Default.spx"), 1);
    Put(folders.Player("b.spx"), 2);
    Put(folders.Player("a.SPX"), 2);
    Put(folders.Player("notes.txt"), 2);
    fs::create_directory(folders.Player("folder.spx"));
    Put(folders.Installed("C.spx"), 3);
    Put(folders.Installed("default.spx", 2), 3);
    EXPECT_EQ(ListGamepacks(), (std::vector<std::string>{"a.SPX", "b.spx", "C.spx", "Default.spx", "default.spx"}));
}

TEST_F(GamepackFolders, AFileFromElsewhereIsCopiedIntoThePlayersFolderOnce) {
    Put(folders.Outside("gift.spx"), 7);
    platform::ImportedGamepack first = ImportGamepack(folders.Outside("gift.spx"));
    EXPECT_EQ(first.name, "gift.spx");
    EXPECT_TRUE(first.copied);
    EXPECT_EQ(first.nameTaken, "");
    EXPECT_EQ(testutil::ReadFile(folders.Player("gift.spx")), testutil::Filler(3000, 7));

    platform::ImportedGamepack again = ImportGamepack(folders.Outside("gift.spx"));
    EXPECT_EQ(again.name, "gift.spx");
    EXPECT_FALSE(again.copied) << "the same bytes are already there";
}

TEST_F(GamepackFolders, ADifferentPackOfTheSameNameIsKeptAndTheNewOneNumbered) {
    Put(folders.Player("gift.spx"), 1);
    Put(folders.Cwd("gift-2.spx"), 2);  // found first: the copy in the player's folder would be hidden
    Put(folders.Outside("gift.spx"), 7);
    platform::ImportedGamepack pack = ImportGamepack(folders.Outside("gift.spx"));
    EXPECT_EQ(pack.name, "gift-3.spx");
    EXPECT_TRUE(pack.copied);
    EXPECT_EQ(pack.nameTaken, "gift.spx");
    EXPECT_EQ(SeedOf(folders.Player("gift.spx")), 1);
    EXPECT_EQ(SeedOf(folders.Cwd("gift-2.spx")), 2);
    EXPECT_EQ(SeedOf(FindGamepack("gift-3.spx")), 7);
}

TEST_F(GamepackFolders, OnlyThePlayersAndTheInstalledFoldersKeepAFileWhereItLies) {
    Put(folders.Installed("shipped.spx"), 3);
    EXPECT_EQ(ImportGamepack(folders.Installed("shipped.spx")).name, "shipped.spx");
    Put(folders.Player("mine.spx"), 4);
    EXPECT_FALSE(ImportGamepack(folders.Player("mine.spx")).copied);
    EXPECT_FALSE(fs::exists(folders.Player("shipped.spx")));
    // The game is started from another folder next time: a pack of the current folder
    // joins the player's.
    Put(folders.Cwd("here.spx"), 1);
    platform::ImportedGamepack here = ImportGamepack("here.spx");
    EXPECT_EQ(here.name, "here.spx");
    EXPECT_TRUE(here.copied);
    EXPECT_EQ(SeedOf(folders.Player("here.spx")), 1);
    // Started inside the player's folder, its own file stays as it is.
    QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(folders.Player(""))));
    platform::ImportedGamepack inside = ImportGamepack("mine.spx");
    EXPECT_EQ(inside.name, "mine.spx");
    EXPECT_FALSE(inside.copied);
}

TEST_F(GamepackFolders, AFileWithoutTheExtensionGetsItAndNoOtherPackIsSaidToHaveItsName) {
    Put(folders.Outside("renamed pack.dat"), 7);
    platform::ImportedGamepack pack = ImportGamepack(folders.Outside("renamed pack.dat"));
    EXPECT_EQ(pack.name, "renamed pack.dat.spx");
    EXPECT_EQ(pack.nameTaken, "");
    EXPECT_EQ(SeedOf(folders.Player("renamed pack.dat.spx")), 7);
}
