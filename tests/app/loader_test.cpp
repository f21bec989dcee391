#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QStringList>

#include "platform/dialogs.h"
#include "platform/keystate.h"
#include "tests/app/windowfixture.h"
#include "tests/platform/gamepackfolders.h"

namespace {

class Loader : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetDialogHooks({[this](const QString& text) { messages << text; }, nullptr});
    }
    void TearDown() override {
        SetDialogHooks({});
        WindowTest::TearDown();
    }
    QStringList messages;
};

}  // namespace

TEST_F(Loader, EveryBoardSizeLoadsShuffledWithItsLayout) {
    const int tileSizes[5] = {81, 61, 49, 40, 35};
    const int boardSizes[5] = {243, 244, 245, 240, 245};
    for (int sizeIndex = 0; sizeIndex < 5; ++sizeIndex) {
        Write("default.spx", MakeGamepack(sizeIndex, 0, 1));
        MainWindow& form = Start();
        const Board& b = form.flow.board;
        EXPECT_EQ(b.BoardCols, sizeIndex + 3);
        EXPECT_EQ(b.TileSize, tileSizes[sizeIndex]);
        EXPECT_EQ(b.BoardSize, boardSizes[sizeIndex]);
        EXPECT_EQ(b.BoardLeft, 35);
        EXPECT_EQ(b.BoardTop, 50);
        EXPECT_FALSE(b.IsSolved());
        EXPECT_EQ(form.PreviewPicture.size(), QSize(245, 245));
        EXPECT_EQ(form.flow.State, ScreenState::Playing);
    }
}

TEST_F(Loader, MissingGamepackFallsBackToDefaultAtLevelZero) {
    Write("default.spx", MakeGamepack(1, 0, 3));
    MainWindow& form = Start();
    form.flow.LevelIndex = 2;
    EXPECT_FALSE(form.LoadGamepack(std::string("nothere.spx"), 2));
    EXPECT_EQ(form.Settings.GamepackName, "default.spx");
    EXPECT_EQ(form.flow.LevelIndex, 0);
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_EQ(messages.size(), 1) << "the missing pack is told";
    EXPECT_TRUE(form.LoadGamepack(std::string("default.spx"), 1));
}

TEST_F(Loader, NeitherFilePresentShowsOneMessageAndEndsTheProgram) {
    MainWindow& form = Start();
    EXPECT_TRUE(form.StartFailed());
    EXPECT_FALSE(form.FrameLoopActive);
    EXPECT_EQ(messages, QStringList{"Can't load gamepack!"});
}

TEST_F(Loader, ShortFileFailsTheHeaderReadWithoutFallback) {
    Write("default.spx", MakeGamepack(0, 0, 1));
    MainWindow& form = Start();
    Write("short.spx", std::vector<uint8_t>(1000, 7));
    form.Settings.GamepackName = "short.spx";
    EXPECT_FALSE(form.LoadGamepack(std::string("short.spx"), 0));
    EXPECT_EQ(messages, QStringList{"Can't load gamepack!"});
    EXPECT_EQ(form.Settings.GamepackName, "short.spx") << "no fallback to the default pack";
    EXPECT_FALSE(form.FrameLoopActive);
}

TEST_F(Loader, DamagedGamepackIsRefusedAndTheOldLevelStays) {
    Write("default.spx", MakeGamepack(0, 0, 2));
    MainWindow& form = Start();
    std::vector<uint8_t> bad = MakeGamepack(2, 0, 2);
    GamepackHeader h = testutil::HeaderOf(bad);
    h.SizeIndex = 9;
    testutil::PutHeader(bad, h);
    Write("bad.spx", bad);
    EXPECT_THROW(form.LoadGamepack(std::string("bad.spx"), 0), GamepackDamagedError);
    EXPECT_EQ(form.Header.SizeIndex, 0) << "the damaged header is not taken over";
    EXPECT_EQ(form.flow.State, ScreenState::Loading);
    EXPECT_NO_THROW(form.LoadGamepack(std::string("default.spx"), 0));
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
}

TEST_F(Loader, DamagedFirstLevelAtStartShowsLoadingUntilALevelLoads) {
    GamepackSource source;
    source.Levels.push_back({"Broken", std::vector<uint8_t>(3000, 0x55), {}, ""});
    Write("default.spx", BuildGamepack(source));
    MainWindow& form = Start();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(form.FrameLoopActive);
    EXPECT_EQ(form.flow.State, ScreenState::Loading) << "not an empty board in Playing";
    form.DrawFrame();
    FrameRenderer loading;
    loading.Resize(form.renderer.BackBuffer.width(), form.renderer.BackBuffer.height());
    loading.DrawFrame(FrameModel{});
    EXPECT_EQ(form.renderer.BackBuffer, loading.BackBuffer);
    form.tickLevelClock();
    form.paintBoxPressed(100, 100);
    EXPECT_EQ(form.flow.State, ScreenState::Loading);
    Write("default.spx", MakeGamepack(0, 0, 1));
    form.newGameAction->trigger();
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
}

TEST_F(Loader, PictureThatCannotBeDecodedRaisesLibjpegsMessage) {
    Write("default.spx", MakeGamepack(0, 0, 1));
    MainWindow& form = Start();
    GamepackSource source;
    source.Levels.push_back({"Broken", std::vector<uint8_t>(3000, 0x55), {}, ""});
    Write("broken.spx", BuildGamepack(source));
    try {
        form.LoadGamepack(std::string("broken.spx"), 0);
        FAIL() << "expected a picture error";
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("JPEG"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("level 1 of the gamepack 'broken.spx'"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(form.flow.State, ScreenState::Loading);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is restored";
}

TEST_F(Loader, TimerIndexSetsTheClock) {
    Write("default.spx", MakeGamepack(0, 12, 1));
    MainWindow& form = Start();
    EXPECT_TRUE(form.flow.TimerActive);
    EXPECT_EQ(form.flow.TimeLeft, 1200);
    Write("untimed.spx", MakeGamepack(0, 0, 1));
    form.LoadGamepack(std::string("untimed.spx"), 0);
    EXPECT_FALSE(form.flow.TimerActive);
}

TEST_F(Loader, CursorBeforeTheLoadIsRestoredAfterIt) {
    Write("default.spx", MakeGamepack(0, 0, 1));
    MainWindow& form = Start();
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    form.LoadGamepack(std::string("default.spx"), 0);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST_F(Loader, LevelWithoutSongShowsMusicNone) {
    Write("default.spx", MakeGamepack(0, 0, 2, 1));
    MainWindow& form = Start();
    const QRgb yellow = qRgb(255, 255, 0);
    auto yellowWidth = [&] {
        form.DrawFrame();
        int right = 0;
        const QImage& img = form.renderer.BackBuffer;
        for (int y = 18; y < 32; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == yellow) right = std::max(right, x);
        return right;
    };
    const int withSong = yellowWidth();  // "Music: Tune 1"
    form.flow.LevelIndex = 1;
    form.LoadGamepack(std::string("default.spx"), 1);
    const int without = yellowWidth();  // "Music: none"
    QFont font("Arial");
    font.setPixelSize(11);
    EXPECT_NEAR(without - 10, QFontMetrics(font).horizontalAdvance("Music: none"), 3);
    EXPECT_NEAR(withSong - 10, QFontMetrics(font).horizontalAdvance("Music: Tune 1"), 3);
}

TEST_F(Loader, NextLevelLoadsTheFollowingLevelAndKeepsTheMoves) {
    Write("default.spx", MakeGamepack(0, 0, 2));
    MainWindow& form = Start();
    form.flow.board.MoveCount = 9;
    form.flow.State = ScreenState::LevelComplete;
    form.flow.NextLevel();
    EXPECT_EQ(form.flow.LevelIndex, 1);
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_EQ(form.flow.board.MoveCount, 9);
    form.flow.State = ScreenState::LevelComplete;
    form.flow.NextLevel();
    EXPECT_EQ(form.flow.State, ScreenState::TopTen);
    EXPECT_TRUE(form.topTenAction->isChecked());
}

TEST_F(Loader, FailedLoadFromTheKeyboardKeepsTheFrameLoopGoing) {
    GamepackSource source;
    source.Levels.push_back({"Good", testutil::BlockJpeg(3, 48), {}, ""});
    source.Levels.push_back({"Broken", std::vector<uint8_t>(3000, 0x55), {}, ""});
    Write("default.spx", BuildGamepack(source));
    MainWindow& form = Start();
    form.flow.State = ScreenState::LevelComplete;
    KeyState::SetDown(VK::Space, true);
    EXPECT_THROW(form.RunFrameLoop(), PictureError);
    KeyState::Clear();
    EXPECT_EQ(form.flow.State, ScreenState::Loading);
    EXPECT_TRUE(form.FrameScheduled()) << "the next frame still comes, showing the Loading screen";
}

TEST_F(Loader, ZoomOnTheTopTenScreenAfterTheLastLevelReloadsThatLevel) {
    Write("default.spx", MakeGamepack(0, 0, 2));
    MainWindow& form = Start();
    form.flow.LevelIndex = 1;
    form.flow.State = ScreenState::LevelComplete;
    form.flow.NextLevel();
    ASSERT_EQ(form.flow.State, ScreenState::TopTen);
    EXPECT_NO_THROW(form.zoomAction->trigger());
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_EQ(form.flow.LevelIndex, 1);
    EXPECT_TRUE(form.flow.ResultRecorded);
}

// --- packs outside the current directory ------------------------------------------------

TEST_F(Loader, PacksAreFoundInThePlayersAndTheInstalledFoldersAndTheFallbackToo) {
    TestGamepackFolders folders;
    testutil::WriteFile(folders.Installed("default.spx", 2), MakeGamepack(0, 0, 1));
    testutil::WriteFile(folders.Player("mine.spx"), MakeGamepack(1, 0, 1));
    MainWindow& form = Start();
    EXPECT_FALSE(form.StartFailed()) << "started from a folder without packs";
    EXPECT_EQ(form.flow.board.BoardCols, 3);
    EXPECT_TRUE(form.LoadGamepack(std::string("mine.spx"), 0));
    EXPECT_EQ(form.flow.board.BoardCols, 4);
    EXPECT_FALSE(form.LoadGamepack(std::string("gone.spx"), 0));
    EXPECT_EQ(form.Settings.GamepackName, "default.spx");
    EXPECT_EQ(form.flow.board.BoardCols, 3);
}

TEST_F(Loader, APackOpenedInTheCurrentFolderIsPlayedAfterAStartFromAnotherFolder) {
    TestGamepackFolders folders;
    testutil::WriteFile(folders.Installed("default.spx"), MakeGamepack(0, 0, 1));
    testutil::WriteFile(folders.Cwd("mypack.spx"), MakeGamepack(2, 0, 1));  // just built here
    ASSERT_TRUE(Start().OpenGamepackFile("mypack.spx"));
    form.reset();  // quit
    QTemporaryDir elsewhere;
    QDir::setCurrent(elsewhere.path());
    MainWindow& again = Start();
    EXPECT_EQ(again.Settings.GamepackName, "mypack.spx");
    EXPECT_EQ(again.flow.board.BoardCols, 5) << "not the default pack";
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Loader, AChosenPackThatIsGoneIsToldOnceAndStaysTheChoiceUntilAnotherIsChosen) {
    TestGamepackFolders folders;
    testutil::WriteFile(folders.Installed("default.spx"), MakeGamepack(0, 0, 2));
    testutil::WriteFile(folders.Outside("other.spx"), MakeGamepack(1, 0, 1));
    store.WriteString("GamepackName", "gone.spx");
    MainWindow& form = Start();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("\"gone.spx\"")) << messages[0].toStdString();
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_EQ(form.Settings.GamepackName, "default.spx") << "what is played, and what a result names";
    form.flow.State = ScreenState::LevelComplete;
    form.flow.NextLevel();
    form.newGameAction->trigger();
    EXPECT_EQ(messages.size(), 1) << "told once, not at every level";
    this->form.reset();
    EXPECT_EQ(store.Read("GamepackName").text, "gone.spx") << "not replaced by the fallback";

    MainWindow& next = Start();  // still gone: told again, as the game again plays another
    EXPECT_EQ(messages.size(), 2);
    ASSERT_TRUE(next.OpenGamepackFile(folders.Outside("other.spx")));
    this->form.reset();
    EXPECT_EQ(store.Read("GamepackName").text, "other.spx") << "the player's new choice";
}

TEST_F(Loader, AFileNotNamedSpxJoinsQuietlyAndANameTakenByAnotherPackIsTold) {
    TestGamepackFolders folders;
    testutil::WriteFile(folders.Installed("default.spx"), MakeGamepack(0, 0, 1));
    testutil::WriteFile(folders.Outside("renamed pack.dat"), MakeGamepack(1, 0, 1));
    MainWindow& form = Start();
    ASSERT_TRUE(form.OpenGamepackFile(folders.Outside("renamed pack.dat")));
    EXPECT_EQ(form.Settings.GamepackName, "renamed pack.dat.spx");
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();

    testutil::WriteFile(folders.Cwd("renamed pack.dat"), MakeGamepack(2, 0, 1));  // another pack
    ASSERT_TRUE(form.OpenGamepackFile("renamed pack.dat"));
    EXPECT_EQ(form.Settings.GamepackName, "renamed pack.dat-2.spx");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("already known as \"renamed pack.dat.spx\"")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("\"renamed pack.dat-2.spx\"")) << messages[0].toStdString();
}

TEST_F(Loader, AGamepackFileStartsItsFirstLevelAsNewGameDoes) {
    TestGamepackFolders folders;
    testutil::WriteFile(folders.Installed("default.spx"), MakeGamepack(0, 0, 2));
    testutil::WriteFile(folders.Outside("gift.spx"), MakeGamepack(2, 0, 2));
    MainWindow& form = Start();
    form.flow.LevelIndex = 1;
    ASSERT_TRUE(form.LoadGamepack(std::string("default.spx"), 1));
    form.flow.board.MoveCount = 7;

    EXPECT_TRUE(form.OpenGamepackFile(folders.Outside("gift.spx")));
    EXPECT_EQ(form.Settings.GamepackName, "gift.spx") << "a bare name, as the records keep it";
    EXPECT_EQ(form.flow.LevelIndex, 0);
    EXPECT_EQ(form.flow.board.MoveCount, 0);
    EXPECT_EQ(form.flow.board.BoardCols, 5);
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_EQ(testutil::ReadFile(folders.Player("gift.spx")), testutil::ReadFile(folders.Outside("gift.spx")));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Loader, ADamagedGamepackFileIsRefusedAndTheGameGoesOn) {
    TestGamepackFolders folders;
    testutil::WriteFile(folders.Installed("default.spx"), MakeGamepack(0, 0, 1));
    std::vector<uint8_t> bad = MakeGamepack(2, 0, 1);
    GamepackHeader h = testutil::HeaderOf(bad);
    h.PictureSizes[0] = 1 << 30;
    testutil::PutHeader(bad, h);
    testutil::WriteFile(folders.Outside("bad.spx"), bad);
    testutil::WriteFile(folders.Outside("short.spx"), std::vector<uint8_t>(1000, 7));
    MainWindow& form = Start();

    EXPECT_FALSE(form.OpenGamepackFile(folders.Outside("bad.spx")));
    EXPECT_FALSE(form.OpenGamepackFile(folders.Outside("short.spx")));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains("damaged")) << messages[0].toStdString();
    EXPECT_NE(messages[1], "Can't load gamepack!") << "a file the player chose does not end the game";
    EXPECT_TRUE(form.FrameLoopActive);
    EXPECT_EQ(form.Settings.GamepackName, "default.spx");
    EXPECT_EQ(form.flow.board.BoardCols, 3);
    EXPECT_EQ(form.flow.State, ScreenState::Playing);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(folders.Player("bad.spx"))));
}
