// The game's sound: each level's song while it runs, the Music and Sound FX switches, the
// three effects from the program's resources, and a game without a sound card. The main
// window runs on Qt's offscreen platform with a fake sound card, or the real one on SDL's
// dummy driver.
#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>
#include <thread>

#include "platform/dialogs.h"
#include "platform/sdlaudio.h"
#include "tests/app/windowfixture.h"
#include "tests/music/fakewaveout.h"
#include "tests/platform/audiotest.h"

namespace {

using audiotest::FirstDifference;

class FakeAudio : public platform::Audio {
public:
    FakeAudio() { device.playLimit = 6; }   // then it holds the buffers, as if playing them
    FakeWaveOut device;
    std::vector<int> loadedSizes;   // of each WAV image, in the order loaded
    std::vector<int> played;        // effect ids

    waveout::Device& WaveOut() override { return device; }
    int LoadEffect(const uint8_t*, size_t size) override {
        loadedSizes.push_back(int(size));
        return 100 + int(loadedSizes.size()) - 1;
    }
    void PlayEffect(int id) override { played.push_back(id); }
};

std::vector<uint8_t> LevelSong() { return lh5::PackArchive(testutil::TinyYm3(100), "song.ym"); }

// Levels with a song where songs[i] is true.
std::vector<uint8_t> Pack(std::vector<bool> songs, int sizeIndex = 0) {
    GamepackSource source;
    source.Description = "Sound test";
    source.SizeIndex = sizeIndex;
    for (size_t i = 0; i < songs.size(); ++i) {
        GamepackLevelSource level;
        level.Name = "Level " + std::to_string(i + 1);
        level.Picture = testutil::BlockJpeg(sizeIndex + 3, 48);
        if (songs[i]) {
            level.Song = LevelSong();
            level.SongTitle = "Tune";
        }
        source.Levels.push_back(level);
    }
    return BuildGamepack(source);
}

class GameSound : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetDialogHooks({[this](const QString& text) { messages.push_back(text); }, nullptr});
    }
    void TearDown() override {
        WindowTest::TearDown();   // the window goes first: its engine plays on the card
        sdl.reset();
        SetDialogHooks({});
    }
    MainWindow& StartWith(platform::Audio* audio) {
        form = std::make_unique<MainWindow>(store, audio);
        return *form;
    }
    // The real card, on the driver named.
    platform::SdlAudio& Sdl(const char* driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        sdl = std::make_unique<platform::SdlAudio>();
        return *sdl;
    }
    std::vector<QString> messages;
    FakeAudio audio;
    std::unique_ptr<platform::SdlAudio> sdl;
};

TEST_F(GameSound, TheThreeEffectsComeFromTheProgramAndPlayByName) {
    Write("default.spx", Pack({false}));
    MainWindow& f = StartWith(&audio);
    EXPECT_EQ(audio.loadedSizes, (std::vector<int>{77260, 9622, 15258}));   // appl, good, slide
    f.PlaySoundEffect("good");
    f.PlaySoundEffect("appl");
    f.PlaySoundEffect("slide");
    f.PlaySoundEffect("boom");
    EXPECT_EQ(audio.played, (std::vector<int>{101, 100, 102}));
}

TEST_F(GameSound, ATileThatStartsToSlidePlaysSlideUnlessSoundFxIsOff) {
    Write("default.spx", Pack({false}));
    MainWindow& f = StartWith(&audio);
    auto pressNextToTheEmptyCell = [&] {
        const Board& b = f.flow.board;
        const int empty = b.FindEmptyCell();
        const int col = b.CellColumn(empty), row = b.CellRow(empty);
        const int target = b.CellIndex(col > 0 ? col - 1 : col + 1, row);
        for (int y = 0; y < f.paintBox->height(); y += 2)
            for (int x = 0; x < f.paintBox->width(); x += 2)
                if (b.CellAtPoint(x, y) == target) {
                    f.paintBoxPressed(x, y);
                    return true;
                }
        return false;
    };
    ASSERT_TRUE(pressNextToTheEmptyCell());
    EXPECT_EQ(audio.played, std::vector<int>{102});
    while (f.flow.board.Sliding) f.flow.board.AdvanceSlide(f.SlideSpeed());
    f.soundEffectsAction->trigger();
    EXPECT_EQ(f.Settings.PlaySoundFX, "0");
    ASSERT_TRUE(pressNextToTheEmptyCell());
    EXPECT_TRUE(f.flow.board.Sliding);
    EXPECT_EQ(audio.played, std::vector<int>{102});   // the tile moves, silently
}

TEST_F(GameSound, TheLevelsSongPlaysAtTheStoredVolumeSampleForSample) {
    store.WriteString("MusicVolume", "77");
    Write("default.spx", Pack({true, true}));
    MainWindow& f = StartWith(&audio);
    EXPECT_EQ(f.MusicEngine->Volume(), 77);
    EXPECT_TRUE(f.MusicEngine->Playing());
    ASSERT_TRUE(audio.device.WaitPlayed(4));
    const auto played = audio.device.Played();
    const std::vector<int16_t> expected = audiotest::Reference(LevelSong(), 4, 77);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < 4; ++i) bytes.insert(bytes.end(), played[i].begin(), played[i].end());
    EXPECT_EQ(FirstDifference(audiotest::Samples(bytes), 0, expected, 0, expected.size()), -1);
    EXPECT_NE(audiotest::FirstNonZero(expected), expected.size());

    f.flow.LevelIndex = 1;
    f.LoadLevel(1);   // the next level hands over its song and starts it
    EXPECT_EQ(audio.device.opens, 2);
    EXPECT_EQ(audio.device.closes, 1);
    EXPECT_TRUE(f.MusicEngine->Playing());
    EXPECT_TRUE(messages.empty());
}

TEST_F(GameSound, MusicOnALevelWithoutASongPlaysNothingStoresOneAndTheNextSongStarts) {
    Write("default.spx", Pack({false, true}));
    MainWindow& f = StartWith(&audio);
    f.musicAction->trigger();   // off
    EXPECT_EQ(f.Settings.PlayMusic, "0");
    f.musicAction->trigger();   // on again, on a level without a song
    EXPECT_EQ(f.Settings.PlayMusic, "1");
    EXPECT_EQ(audio.device.opens, 0);
    EXPECT_FALSE(f.MusicEngine->Playing());
    f.flow.LevelIndex = 1;   // as NextLevel does
    f.LoadLevel(1);
    EXPECT_EQ(audio.device.opens, 1);
    EXPECT_TRUE(f.MusicEngine->Playing());
}

TEST_F(GameSound, MusicOffStopsTheSongAndOnStartsItAgainFromItsFirstFrame) {
    Write("default.spx", Pack({true}));
    MainWindow& f = StartWith(&audio);
    ASSERT_TRUE(audio.device.WaitPlayed(3));
    f.musicAction->trigger();
    EXPECT_FALSE(f.MusicEngine->Playing());
    EXPECT_FALSE(audio.device.IsOpen());
    const size_t before = audio.device.Played().size();
    audio.device.playLimit = before + 1;
    f.musicAction->trigger();
    ASSERT_TRUE(audio.device.WaitPlayed(before + 1));
    EXPECT_EQ(audio.device.Played()[before], audio.device.Played()[0]);
}

TEST_F(GameSound, ClosingTheWindowWhileMusicPlaysStopsItBeforeTheEngineGoes) {
    Write("default.spx", Pack({true}));
    StartWith(&audio);
    ASSERT_TRUE(audio.device.WaitPlayed(2));
    form.reset();
    EXPECT_FALSE(audio.device.IsOpen());
    EXPECT_EQ(audio.device.closes, 1);
    EXPECT_EQ(store.Read("MusicVolume").text, "128");
}

TEST_F(GameSound, ADeviceThatCannotBeOpenedLeavesTheGameSilentWithoutAMessage) {
    Write("default.spx", Pack({true, true}));
    audio.device.failures["Open"] = waveout::kBadDevice;
    MainWindow& f = StartWith(&audio);
    EXPECT_FALSE(f.MusicEngine->Playing());
    EXPECT_EQ(f.Settings.PlayMusic, "1");
    EXPECT_EQ(f.flow.State, ScreenState::Playing);
    f.flow.LevelIndex = 1;   // as NextLevel does
    f.LoadLevel(1);
    f.musicAction->trigger();
    f.musicAction->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(audio.device.opens, 0);
}

TEST_F(GameSound, WithoutAnySoundCardTheGameRunsSilently) {
    Write("default.spx", Pack({true}));
    platform::SdlAudio& card = Sdl("no-such-driver");
    ASSERT_FALSE(card.HasDevice());
    MainWindow& f = StartWith(&card);
    EXPECT_FALSE(f.MusicEngine->Playing());
    f.PlaySoundEffect("slide");
    f.musicAction->trigger();
    f.musicAction->trigger();
    EXPECT_EQ(f.flow.State, ScreenState::Playing);
    EXPECT_TRUE(messages.empty());
}

// A second after the last effect, with the music off, the card's device closes: SDL's
// thread would wake for every period of silence. The next effect opens it; music keeps it.
TEST_F(GameSound, TheCardRestsASecondAfterTheLastEffectWhileNoMusicPlays) {
    store.WriteString("PlayMusic", "0");
    Write("default.spx", Pack({true}));
    platform::SdlAudio& card = Sdl("dummy");
    MainWindow& f = StartWith(&card);
    uint32_t now = 5000;
    f.FrameClock = [&] { return now; };
    f.RunFrameLoop();
    EXPECT_FALSE(card.DeviceOpen());
    f.PlaySoundEffect("slide");
    ASSERT_TRUE(card.DeviceOpen()) << card.DeviceError();
    now += MainWindow::KeepPaceMs;
    ASSERT_TRUE(audiotest::WaitUntil([&] { return card.Paused(); }));   // the effect is over
    f.RunFrameLoop();
    EXPECT_TRUE(card.DeviceOpen()) << "within the second";
    now += 1;
    f.RunFrameLoop();
    EXPECT_FALSE(card.DeviceOpen());
    f.musicAction->trigger();
    ASSERT_TRUE(f.MusicEngine->Playing());
    now += 10 * MainWindow::KeepPaceMs;
    f.RunFrameLoop();
    EXPECT_TRUE(card.DeviceOpen()) << "while the music plays";
}

// The refills run on the device's thread, so the user-interface thread may stall in a
// level load or sit in a modal dialog without the music running dry.
TEST_F(GameSound, NoUnderrunWhileALevelLoadsOrADialogIsOpen) {
    Write("default.spx", Pack({true, true}, 4));   // 7 x 7
    platform::SdlAudio& card = Sdl("dummy");
    ASSERT_TRUE(card.HasDevice()) << card.DeviceError();
    MainWindow& f = StartWith(&card);
    ASSERT_TRUE(f.MusicEngine->Playing());
    auto played = [&] { return card.Music().Stats().buffersPlayed; };
    for (int round = 0; round < 2; ++round) {
        // A modal dialog, as Settings and About open one, for a second.
        QDialog dialog(&f);
        QTimer::singleShot(1000, &dialog, &QDialog::accept);
        f.SetFrameLoopActive(false);
        dialog.exec();
        f.SetFrameLoopActive(true);
        // A level load, then the thread busy elsewhere for longer than one buffer plays.
        const uint64_t before = played();
        f.flow.LevelIndex = 1 - round;
        f.LoadLevel(1 - round);
        ASSERT_TRUE(f.MusicEngine->Playing());
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        ASSERT_TRUE(audiotest::WaitUntil([&] { return played() >= before + 2; }));
    }
    const platform::MusicStats s = card.Music().Stats();
    std::printf("buffers played %llu, late refills %llu, least lead %.0f ms\n",
                (unsigned long long)s.buffersPlayed, (unsigned long long)s.lateRefills,
                s.minLeadValues / 88.2);
    EXPECT_EQ(s.lateRefills, 0u);
    EXPECT_GE(s.buffersPlayed, 5u);
}

// The whole path: the window loads the first level, hands its song to the engine, and the
// music reaches SDL's disk driver as the engine renders it, at the stored volume.
TEST_F(GameSound, TheFirstLevelsMusicReachesTheCardSampleForSample) {
    const std::string file = audiotest::TempPath("game.raw");
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    unsetenv("SDL_DISKAUDIODELAY");
    store.WriteString("PlaySoundFX", "0");
    Write("default.spx", Pack({true}));
    platform::SdlAudio& card = Sdl("disk");
    ASSERT_TRUE(card.HasDevice()) << card.DeviceError();
    StartWith(&card);
    ASSERT_TRUE(audiotest::WaitUntil([&] { return card.Music().Stats().buffersPlayed >= 4; }));
    form.reset();
    sdl.reset();   // closes the file
    const std::vector<int16_t> out = audiotest::Samples(audiotest::ReadFile(file));
    std::remove(file.c_str());
    const std::vector<int16_t> expected = audiotest::Reference(LevelSong(), 4, 128);
    const size_t start = audiotest::FirstNonZero(out), lead = audiotest::FirstNonZero(expected);
    ASSERT_LT(start, out.size());
    ASSERT_GE(start, lead);
    EXPECT_EQ(FirstDifference(out, start - lead, expected, 0, expected.size()), -1);
}

}  // namespace
