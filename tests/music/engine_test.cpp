// CYmEngine: song loading, the frame handler filling its two buffers, volume, and the
// device protocol (start, refill, stop, errors, a song that ends) against a fake device.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "music/ymplayer.h"
#include "tests/music/fakewaveout.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"

namespace {

using songwriter::Frame16;

std::vector<uint8_t> Packed(const std::vector<uint8_t>& song) {
    return lh5::PackArchive(song, "song.ym");
}

// A YM6 song with a tune on A and effects on B and C.
std::vector<uint8_t> BusySong(int frames = 50) {
    songwriter::Ym56 s;
    s.name = "Busy";
    s.author = "Tester";
    s.attributes = 1 | 4;
    s.drums = {{15, 3, 12, 1, 9, 0, 14, 2}};
    for (int i = 0; i < frames; ++i) {
        Frame16 f = songwriter::Silent16();
        f[0] = uint8_t(60 + 7 * i);
        f[7] = 0x3E;
        f[8] = 12;
        songwriter::SetEffect1(f, 2, kSidVoice, 2, uint8_t(20 + i % 5));
        f[9] = 10;
        if (i % 4 == 0) {
            songwriter::SetEffect2(f, 3, kDigiDrum, 1, 60);
            f[10] = 0;
        }
        s.frames.push_back(f);
    }
    return s.Build();
}

std::vector<uint8_t> FullScaleSong() {
    std::vector<songwriter::Frame14> frames(10, songwriter::Silent14());
    for (auto& f : frames) f[8] = f[9] = f[10] = 15;
    return songwriter::Ym14("YM3!", frames);
}

std::vector<uint8_t> BufferBytes(const CYmEngine& e, int which, uint32_t values) {
    return std::vector<uint8_t>(e.BufferBytes(which), e.BufferBytes(which) + values * 2);
}

TEST(EngineLoad, PackedSongIsUnpackedAndParsed) {
    CYmEngine engine;
    const auto packed = Packed(BusySong());
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    EXPECT_TRUE(engine.Loaded());
    EXPECT_TRUE(engine.Playable());
    EXPECT_EQ(engine.Song().Kind, SongKind::Ym6);
    EXPECT_EQ(engine.Song().SongName, "Busy");
    EXPECT_EQ(engine.Song().Author, "Tester");
    EXPECT_EQ(engine.Song().Length, 50);
    EXPECT_EQ(engine.Frames().DrumTable.size(), 1u);
    EXPECT_EQ(engine.Chip().ChipClock(), 2000000);
}

TEST(EngineLoad, FailedLoadLeavesNoSongAndUnknownKindDoesNotPlay) {
    FakeWaveOut device;
    CYmEngine engine(&device);
    const auto packed = Packed(BusySong());
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    const std::vector<uint8_t> junk = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_FALSE(engine.LoadSong(junk.data(), junk.size()));
    EXPECT_FALSE(engine.Loaded());
    engine.Play();
    EXPECT_FALSE(engine.Playing());
    EXPECT_EQ(device.opens, 0);

    const auto unknown = Packed({'N', 'O', 'T', 'Y', 'M', 1, 2, 3});
    EXPECT_TRUE(engine.LoadSong(unknown.data(), unknown.size()));
    EXPECT_TRUE(engine.Loaded());
    EXPECT_EQ(engine.Song().Kind, SongKind::Unknown);
    EXPECT_FALSE(engine.Playable());
    engine.Play();
    EXPECT_EQ(device.opens, 0);
    engine.ResetForPass();
    EXPECT_EQ(engine.FillBuffer(0), 0u);
}

// A few dozen bytes that unpack to `claimed` bytes: blocks whose three codes are all
// one-symbol codes of zero bits (a 256-byte match at distance 1), so every block of 52
// bits yields 65 535 matches, 16 MiB, without reading another bit.
std::vector<uint8_t> LH5Bomb(uint32_t claimed, int blocks) {
    std::vector<uint8_t> bits;
    auto put = [&](uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) bits.push_back(uint8_t(value >> i & 1));
    };
    for (int b = 0; b < blocks; ++b) {
        put(0xFFFF, 16);          // symbols in the block
        put(0, 5), put(0, 5);     // code-length code: none sent, one symbol
        put(0, 9), put(509, 9);   // literal/length: the 256-byte match only
        put(0, 4), put(0, 4);     // position: distance 1 only
    }
    std::vector<uint8_t> data((bits.size() + 7) / 8, 0);
    for (size_t i = 0; i < bits.size(); ++i) data[i / 8] |= uint8_t(bits[i] << (7 - i % 8));
    std::vector<uint8_t> archive = lh5::PackArchive({}, "bomb.ym");
    archive.resize(size_t(archive[0]) + 2);   // the header alone
    for (int i = 0; i < 4; ++i) {
        archive[size_t(7 + i)] = uint8_t(data.size() >> (8 * i));
        archive[size_t(11 + i)] = uint8_t(claimed >> (8 * i));
    }
    archive.insert(archive.end(), data.begin(), data.end());
    return archive;
}

TEST(EngineLoad, APackedSongMayNotClaimMoreThanASongCanUse) {
    CYmEngine engine;
    const auto largest = LH5Bomb(kMaxSongBytes, 1);
    ASSERT_LT(largest.size(), 60u);
    EXPECT_TRUE(engine.LoadSong(largest.data(), largest.size()));
    EXPECT_TRUE(engine.Loaded());
    const auto tooLarge = LH5Bomb(kMaxSongBytes + 1, 1);
    EXPECT_FALSE(engine.LoadSong(tooLarge.data(), tooLarge.size()));
    EXPECT_FALSE(engine.Loaded());
    const auto full = LH5Bomb(64u << 20, 4);   // what a 54-byte archive could claim
    EXPECT_FALSE(engine.LoadSong(full.data(), full.size()));

    std::vector<uint8_t> plain(kMaxSongBytes + 1, 0);
    std::memcpy(plain.data(), "YM3!", 4);
    EXPECT_FALSE(engine.LoadPlainSong(plain.data(), plain.size()));
    EXPECT_FALSE(engine.Loaded());
    EXPECT_TRUE(engine.LoadPlainSong(plain.data(), plain.size() - 1));
    EXPECT_EQ(engine.Frames().FrameCount, (kMaxSongBytes - 4) / 14);
}

TEST(EngineLoad, HeaderClockAndRateDoNotChangeSpeedOrPitch) {
    songwriter::Ym56 s;
    for (int i = 0; i < 8; ++i) {
        Frame16 f = songwriter::Silent16();
        f[0] = uint8_t(30 + i);
        f[7] = 0x3E;
        f[8] = 15;
        s.frames.push_back(f);
    }
    CYmEngine a, b;
    const auto normal = Packed(s.Build());
    s.clock = 1000000;
    s.rate = 60;
    const auto odd = Packed(s.Build());
    ASSERT_TRUE(a.LoadSong(normal.data(), normal.size()));
    ASSERT_TRUE(b.LoadSong(odd.data(), odd.size()));
    EXPECT_EQ(b.Song().ChipClock, 1000000);
    EXPECT_EQ(b.Song().FrameRate, 60000);
    a.ResetForPass();
    b.ResetForPass();
    EXPECT_EQ(a.FillBuffer(0), b.FillBuffer(0));
    EXPECT_EQ(BufferBytes(a, 0, CYmEngine::kBufferValues), BufferBytes(b, 0, CYmEngine::kBufferValues));
}

TEST(EngineRender, FullScaleSongGives32766AndVolumeZeroSilence) {
    CYmEngine engine;
    const auto packed = Packed(FullScaleSong());
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    engine.SetLooping(true);
    engine.ResetForPass();
    ASSERT_EQ(engine.FillBuffer(0), CYmEngine::kBufferValues);
    for (uint32_t i = 0; i < CYmEngine::kBufferValues; ++i)
        ASSERT_EQ(engine.BufferSamples(0)[i], 32766) << i;

    engine.SetVolume(0);
    EXPECT_EQ(engine.Volume(), 0);
    ASSERT_EQ(engine.FillBuffer(1), CYmEngine::kBufferValues);
    for (uint32_t i = 0; i < CYmEngine::kBufferValues; ++i) ASSERT_EQ(engine.BufferSamples(1)[i], 0);
    engine.SetVolume(300);
    EXPECT_EQ(engine.Volume(), 255);
    engine.SetVolume(-4);
    EXPECT_EQ(engine.Volume(), 0);
}

TEST(EngineRender, LoopingOnFillsEveryBufferAndOffEndsTheSong) {
    CYmEngine engine;
    const auto packed = Packed(BusySong(30));   // 0.6 s: under two buffers
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    engine.SetLooping(true);
    engine.ResetForPass();
    for (int i = 0; i < 6; ++i) ASSERT_EQ(engine.FillBuffer(i & 1), CYmEngine::kBufferValues);
    engine.SetLooping(false);
    engine.ResetForPass();
    EXPECT_EQ(engine.FillBuffer(0), CYmEngine::kBufferValues);
    const uint32_t rest = engine.FillBuffer(1);
    EXPECT_GT(rest, 0u);
    EXPECT_LT(rest, CYmEngine::kBufferValues);
    EXPECT_TRUE(engine.EndOfSong());
    // The whole last frame was played: 30 frames of 5000 ticks.
    EXPECT_EQ(engine.Chip().TotalTicks(), 150000u);
    EXPECT_EQ(engine.FillBuffer(0), 0u);
}

// The buffers a device should receive: the frame handler run into 0, 1, 0, 1 ...
std::vector<std::vector<uint8_t>> Reference(const std::vector<uint8_t>& packed, size_t n, int volume = 255) {
    CYmEngine engine;
    engine.LoadSong(packed.data(), packed.size());
    engine.SetLooping(true);
    engine.SetVolume(volume);
    engine.ResetForPass();
    std::vector<std::vector<uint8_t>> out;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t v = engine.FillBuffer(int(i & 1));
        out.push_back(BufferBytes(engine, int(i & 1), v));
    }
    return out;
}

TEST(EnginePlay, BuffersCirculateInOrderAndStopClosesTheDevice) {
    FakeWaveOut device;
    const auto packed = Packed(BusySong());
    {
        CYmEngine engine(&device);
        engine.SetLooping(true);
        ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
        engine.Play();
        EXPECT_TRUE(engine.Playing());
        engine.Play();   // already playing: nothing happens
        ASSERT_TRUE(device.WaitPlayed(8));
        engine.Stop();
        EXPECT_FALSE(engine.Playing());
        engine.Stop();   // already stopped
        EXPECT_FALSE(device.IsOpen());
    }
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(device.closes, 1);
    EXPECT_EQ(device.resets, 1);
    EXPECT_EQ(device.unprepares, 2);
    EXPECT_EQ(device.format_.SamplesPerSec, 44100u);
    EXPECT_EQ(device.format_.Channels, 2);
    EXPECT_EQ(device.format_.BitsPerSample, 16);
    EXPECT_EQ(device.format_.BlockAlign, 4);
    EXPECT_EQ(device.format_.AvgBytesPerSec, 176400u);
    const auto played = device.Played();
    ASSERT_GE(played.size(), 8u);
    const auto expected = Reference(packed, played.size());
    for (size_t i = 0; i < played.size(); ++i) {
        ASSERT_EQ(played[i].size(), size_t(CYmEngine::kBufferBytes)) << i;
        ASSERT_EQ(played[i], expected[i]) << "buffer " << i;
    }
}

TEST(EnginePlay, StopWhileTheDeviceHoldsBothBuffersRetiresThemThroughReset) {
    FakeWaveOut device;
    device.playLimit = 0;   // nothing finishes until the reset
    CYmEngine engine(&device);
    const auto packed = Packed(BusySong());
    engine.LoadSong(packed.data(), packed.size());
    engine.Play();
    EXPECT_EQ(device.writes, 2);
    engine.Stop();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.unprepares, 2);
    EXPECT_TRUE(device.Played().empty());
}

TEST(EnginePlay, LoadSongWhilePlayingStopsAndDoesNotRestart) {
    FakeWaveOut device;
    device.playLimit = 2;
    CYmEngine engine(&device);
    const auto packed = Packed(BusySong());
    engine.LoadSong(packed.data(), packed.size());
    engine.Play();
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    EXPECT_FALSE(engine.Playing());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.opens, 1);
    const size_t before = device.Played().size();
    device.playLimit = before + 2;
    engine.Play();   // the new song starts from its first frame
    EXPECT_EQ(device.opens, 2);
    ASSERT_TRUE(device.WaitPlayed(before + 2));
    engine.Stop();
    const auto played = device.Played();
    const auto expected = Reference(packed, 2);
    EXPECT_EQ(played[before], expected[0]);
    EXPECT_EQ(played[before + 1], expected[1]);
}

TEST(EnginePlay, VolumeZeroWhilePlayingSilencesLaterBuffers) {
    FakeWaveOut device;
    CYmEngine engine(&device);
    engine.SetLooping(true);
    const auto packed = Packed(FullScaleSong());
    engine.LoadSong(packed.data(), packed.size());
    engine.Play();
    ASSERT_TRUE(device.WaitPlayed(3));
    engine.SetVolume(0);
    const size_t seen = device.Played().size();
    ASSERT_TRUE(device.WaitPlayed(seen + 4));
    engine.Stop();
    const auto played = device.Played();
    EXPECT_EQ(played.front(), Reference(packed, 1).front());
    EXPECT_EQ(played.back(), std::vector<uint8_t>(CYmEngine::kBufferBytes, 0));
}

TEST(EnginePlay, DestroyingAPlayingEngineStopsTheDevice) {
    FakeWaveOut device;
    {
        CYmEngine engine(&device);
        const auto packed = Packed(BusySong());
        engine.LoadSong(packed.data(), packed.size());
        engine.Play();
        ASSERT_TRUE(device.WaitPlayed(2));
    }
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.closes, 1);
    FakeWaveOut untouched;
    { CYmEngine idle(&untouched); }
    EXPECT_EQ(untouched.opens + untouched.closes + untouched.resets, 0);
}

TEST(EnginePlay, ASongThatDoesNotLoopEndsByItselfAndCloseWaitsForTheUserThread) {
    FakeWaveOut device;
    CYmEngine engine(&device);
    engine.SetLooping(false);
    const auto packed = Packed(BusySong(60));   // 1.2 s: four buffers, the last partial
    engine.LoadSong(packed.data(), packed.size());
    engine.Play();
    for (int i = 0; i < 500 && engine.Playing(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(engine.Playing());
    EXPECT_TRUE(device.IsOpen());   // never closed from the device's own thread
    const auto played = device.Played();
    ASSERT_EQ(played.size(), 4u);
    EXPECT_LT(played.back().size(), size_t(CYmEngine::kBufferBytes));
    engine.Stop();
    EXPECT_FALSE(device.IsOpen());
    engine.Play();   // plays again from the start
    EXPECT_EQ(device.opens, 2);
    engine.Stop();
}

std::string PlayError(FakeWaveOut& device, CYmEngine& engine) {
    try {
        engine.Play();
    } catch (const WaveOutError& e) {
        EXPECT_FALSE(engine.Playing());
        EXPECT_FALSE(device.IsOpen());
        return e.what();
    }
    return "";
}

TEST(EnginePlayErrors, EachFailingStartStepIsReportedAndReleased) {
    const auto packed = Packed(BusySong());
    struct Case { const char* op; const char* message; int unprepares; };
    const Case cases[] = {
        {"Open", "[WaveOutOpen]\r\nfake device error 2", 0},
        {"PrepareHeader#1", "[WaveOutPrepareHeaderN1]\r\nfake device error 2", 0},
        {"Write#1", "[WaveOutWriteN1]\r\nfake device error 2", 1},
        {"PrepareHeader#2", "[WaveOutPrepareHeaderN2]\r\nfake device error 2", 1},
        {"Write#2", "[WaveOutWriteN2]\r\nfake device error 2", 2},
    };
    for (const Case& c : cases) {
        FakeWaveOut device;
        device.playLimit = 0;
        device.failures[c.op] = waveout::kBadDevice;
        CYmEngine engine(&device);
        engine.SetLooping(true);
        engine.LoadSong(packed.data(), packed.size());
        EXPECT_EQ(PlayError(device, engine), c.message) << c.op;
        EXPECT_EQ(device.unprepares, c.unprepares) << c.op;
        EXPECT_EQ(device.closes, std::string(c.op) == "Open" ? 0 : 1) << c.op;
        // The engine can start again once the device works.
        device.failures.clear();
        device.playLimit = SIZE_MAX;
        engine.Play();
        EXPECT_TRUE(engine.Playing()) << c.op;
        engine.Stop();
    }
}

TEST(EnginePlayErrors, AFailingReleaseStepIsAddedToTheReport) {
    FakeWaveOut device;
    device.failures["PrepareHeader#1"] = waveout::kNoMemory;
    device.failures["Close#1"] = waveout::kError;
    CYmEngine engine(&device);
    const auto packed = Packed(BusySong());
    engine.LoadSong(packed.data(), packed.size());
    EXPECT_EQ(PlayError(device, engine),
              "[WaveOutPrepareHeaderN1]\r\nfake device error 7\r\n[WaveOutClose(Init1)]\r\n"
              "fake device error 1");
}

TEST(EngineStopErrors, AFailingStepIsRaisedAfterTheDeviceIsClosed) {
    for (const char* op : {"Reset", "UnprepareHeader#1", "UnprepareHeader#2", "Close"}) {
        FakeWaveOut device;
        device.playLimit = 1;
        device.failures[op] = waveout::kError;
        CYmEngine engine(&device);
        const auto packed = Packed(BusySong());
        engine.LoadSong(packed.data(), packed.size());
        engine.Play();
        std::string message;
        try {
            engine.Stop();
        } catch (const WaveOutError& e) {
            message = e.what();
        }
        const std::string op_ = op;
        const std::string step = op_ == "Reset" ? "WaveOutReset"
                                 : op_ == "UnprepareHeader#1" ? "WaveOutUnprepareHeader1(Stop)"
                                 : op_ == "UnprepareHeader#2" ? "WaveOutUnprepareHeader2(Stop)"
                                                              : "WaveOutClose(Stop)";
        EXPECT_EQ(message, "[" + step + "]\r\nfake device error 1") << op;
        EXPECT_EQ(device.closes, 1) << op;
        EXPECT_FALSE(engine.Playing());
        engine.Stop();   // nothing left to stop
        EXPECT_EQ(device.closes, 1) << op;
    }
}

TEST(EngineStopErrors, ARefillTheDeviceRefusesRetiresItsBufferAndStopStillCompletes) {
    FakeWaveOut device;
    device.failures["Write#3"] = waveout::kError;   // the first refill
    CYmEngine engine(&device);
    engine.SetLooping(true);
    const auto packed = Packed(BusySong());
    engine.LoadSong(packed.data(), packed.size());
    engine.Play();
    ASSERT_TRUE(device.WaitPlayed(6));
    EXPECT_TRUE(engine.Playing());   // the other buffer keeps circulating
    EXPECT_NO_THROW(engine.Stop());
    EXPECT_FALSE(device.IsOpen());
}

}  // namespace
