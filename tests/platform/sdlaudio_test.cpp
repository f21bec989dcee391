// The sound card: the wave-out device on SDL's mixer, driven by hand so every sample is in
// hand, and the engine playing on it (dummy driver and no device at all).
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/resources.h"
#include "platform/sdlaudio.h"
#include "tests/platform/audiotest.h"

namespace {

using namespace audiotest;
using platform::SdlAudio;
using platform::SdlWaveOut;

// Runs the mixer's output as SDL's callback would, one period at a time, but first lets
// the reporting thread requeue every finished buffer: the output never runs ahead of the
// refills, so what comes out is exactly what the engine queued.
std::vector<int16_t> Pump(SdlAudio& audio, size_t values, size_t period = 2048) {
    std::vector<int16_t> out(values);
    auto settled = [&] { return audio.Music().Stats().pendingReports == 0; };
    for (size_t at = 0; at < values; at += period) {
        EXPECT_TRUE(WaitUntil(settled));
        audio.MixOutput(out.data() + at, uint32_t(std::min(period, values - at)));
    }
    EXPECT_TRUE(WaitUntil(settled));
    return out;
}

// A raw client of the device: records the reports it gets and on which thread.
struct Recorder {
    struct Report {
        uint32_t message;
        waveout::Header* header;
        std::thread::id thread;
    };
    std::mutex m;
    std::vector<Report> reports;

    static void Callback(uint32_t message, waveout::Header* h, void* self) {
        auto* r = static_cast<Recorder*>(self);
        std::lock_guard<std::mutex> lock(r->m);
        r->reports.push_back({message, h, std::this_thread::get_id()});
    }
    std::vector<waveout::Header*> Done() {
        std::lock_guard<std::mutex> lock(m);
        std::vector<waveout::Header*> out;
        for (const auto& r : reports)
            if (r.message == waveout::kWomDone) out.push_back(r.header);
        return out;
    }
};

struct Buffer {
    std::vector<int16_t> samples;
    waveout::Header header;
    Buffer(size_t values, int16_t first) : samples(values) {
        for (size_t i = 0; i < values; ++i) samples[i] = int16_t(first + int16_t(i));
        header.Data = reinterpret_cast<uint8_t*>(samples.data());
        header.BufferLength = uint32_t(values * 2);
    }
};

TEST(SdlWaveOutDevice, BuffersPlayInOrderAndComeBackOneAtATimeOnTheDevicesThread) {
    SdlAudio audio(false);
    SdlWaveOut& out = audio.Music();
    Recorder rec;
    ASSERT_EQ(out.Open(waveout::Format(), &Recorder::Callback, &rec), waveout::kOk);
    Buffer a(3000, 100), b(1000, -5000);
    ASSERT_EQ(out.PrepareHeader(&a.header), waveout::kOk);
    ASSERT_EQ(out.PrepareHeader(&b.header), waveout::kOk);
    ASSERT_EQ(out.Write(&a.header), waveout::kOk);
    ASSERT_EQ(out.Write(&b.header), waveout::kOk);
    EXPECT_EQ(out.Write(&a.header), waveout::kStillPlaying);   // queued already

    std::vector<int16_t> mixed(2048);
    audio.MixOutput(mixed.data(), 2048);
    EXPECT_TRUE(rec.Done().empty());   // a is not finished yet
    std::vector<int16_t> rest(4000);
    audio.MixOutput(rest.data(), 4000);
    mixed.insert(mixed.end(), rest.begin(), rest.end());

    ASSERT_TRUE(WaitUntil([&] { return rec.Done().size() == 2; }));
    EXPECT_EQ(rec.Done(), (std::vector<waveout::Header*>{&a.header, &b.header}));
    EXPECT_NE(a.header.Flags & SdlWaveOut::kDone, 0u);
    for (size_t i = 0; i < 3000; ++i) ASSERT_EQ(mixed[i], a.samples[i]) << i;
    for (size_t i = 0; i < 1000; ++i) ASSERT_EQ(mixed[3000 + i], b.samples[i]) << i;
    for (size_t i = 4000; i < mixed.size(); ++i) ASSERT_EQ(mixed[i], 0) << i;   // dry: silence

    EXPECT_EQ(out.UnprepareHeader(&a.header), waveout::kOk);
    EXPECT_EQ(out.UnprepareHeader(&b.header), waveout::kOk);
    EXPECT_EQ(out.Close(), waveout::kOk);
    std::lock_guard<std::mutex> lock(rec.m);
    ASSERT_FALSE(rec.reports.empty());
    EXPECT_EQ(rec.reports.front().message, waveout::kWomOpen);
    EXPECT_EQ(rec.reports.back().message, waveout::kWomClose);
    for (const auto& r : rec.reports) EXPECT_NE(r.thread, std::this_thread::get_id());
}

TEST(SdlWaveOutDevice, ResetHandsBackEveryQueuedBufferUnplayedAndInOrder) {
    SdlAudio audio(false);
    SdlWaveOut& out = audio.Music();
    Recorder rec;
    ASSERT_EQ(out.Open(waveout::Format(), &Recorder::Callback, &rec), waveout::kOk);
    Buffer a(4000, 1), b(4000, 2);
    out.PrepareHeader(&a.header);
    out.PrepareHeader(&b.header);
    out.Write(&a.header);
    out.Write(&b.header);
    std::vector<int16_t> part(1000);
    audio.MixOutput(part.data(), 1000);
    EXPECT_EQ(out.Close(), waveout::kStillPlaying);
    EXPECT_EQ(out.UnprepareHeader(&a.header), waveout::kStillPlaying);
    EXPECT_EQ(out.Reset(), waveout::kOk);
    ASSERT_TRUE(WaitUntil([&] { return rec.Done().size() == 2; }));
    EXPECT_EQ(rec.Done(), (std::vector<waveout::Header*>{&a.header, &b.header}));
    audio.MixOutput(part.data(), 1000);
    EXPECT_EQ(part, std::vector<int16_t>(1000, 0));   // nothing left to play
    const platform::MusicStats s = out.Stats();
    EXPECT_EQ(s.buffersPlayed, 0u);
    EXPECT_EQ(s.buffersReset, 2u);
    EXPECT_EQ(s.lateRefills, 0u);   // handed back, not waiting for a refill
    EXPECT_EQ(out.UnprepareHeader(&a.header), waveout::kOk);
    EXPECT_EQ(out.Close(), waveout::kOk);
}

TEST(SdlWaveOutDevice, RefusesWhatAWaveOutDeviceRefuses) {
    SdlAudio audio(false);
    SdlWaveOut& out = audio.Music();
    Recorder rec;
    Buffer a(100, 0);
    EXPECT_EQ(out.Write(&a.header), waveout::kInvalidHandle);   // not open
    EXPECT_EQ(out.Reset(), waveout::kInvalidHandle);
    EXPECT_EQ(out.Close(), waveout::kInvalidHandle);
    waveout::Format mono;
    mono.Channels = 1;
    mono.BlockAlign = 2;
    mono.AvgBytesPerSec = 88200;
    EXPECT_EQ(out.Open(mono, &Recorder::Callback, &rec), SdlWaveOut::kBadFormat);
    waveout::Format slow;
    slow.SamplesPerSec = 22050;
    slow.AvgBytesPerSec = 88200;
    EXPECT_EQ(out.Open(slow, &Recorder::Callback, &rec), SdlWaveOut::kBadFormat);
    ASSERT_EQ(out.Open(waveout::Format(), &Recorder::Callback, &rec), waveout::kOk);
    EXPECT_EQ(out.Open(waveout::Format(), &Recorder::Callback, &rec), waveout::kAllocated);
    EXPECT_EQ(out.Write(&a.header), waveout::kUnprepared);
    out.PrepareHeader(&a.header);
    a.header.BufferLength = 6;   // one and a half stereo samples
    EXPECT_EQ(out.Write(&a.header), SdlWaveOut::kInvalidParam);
    EXPECT_FALSE(out.ErrorText(SdlWaveOut::kInvalidParam).empty());
    EXPECT_EQ(out.Close(), waveout::kOk);
    EXPECT_FALSE(out.IsOpen());
}

// The engine's refill asks the device to close from inside its own report: refused, and
// the report still comes back, so the device never waits for itself.
TEST(SdlWaveOutDevice, CloseFromInsideTheReportIsRefusedInsteadOfDeadlocking) {
    SdlAudio audio(false);
    struct Client {
        SdlWaveOut* out;
        std::atomic<waveout::Result> closeResult{waveout::kOk};
        std::atomic<bool> called{false};
        static void Callback(uint32_t message, waveout::Header*, void* self) {
            auto* c = static_cast<Client*>(self);
            if (message != waveout::kWomDone) return;
            c->closeResult = c->out->Close();
            c->called = true;
        }
    } client{&audio.Music()};
    ASSERT_EQ(audio.Music().Open(waveout::Format(), &Client::Callback, &client), waveout::kOk);
    Buffer a(64, 1);
    audio.Music().PrepareHeader(&a.header);
    audio.Music().Write(&a.header);
    std::vector<int16_t> out(64);
    audio.MixOutput(out.data(), 64);
    ASSERT_TRUE(WaitUntil([&] { return client.called.load(); }));
    EXPECT_EQ(client.closeResult.load(), waveout::kError);
    EXPECT_EQ(audio.Music().Close(), waveout::kOk);
}

TEST(SdlWaveOutDevice, ARefillThatIsLateCountsAsAnUnderrun) {
    SdlAudio audio(false);
    struct Slow {
        std::mutex gate;
        static void Callback(uint32_t message, waveout::Header*, void* self) {
            if (message != waveout::kWomDone) return;
            std::lock_guard<std::mutex> wait(static_cast<Slow*>(self)->gate);   // a refill that takes its time
        }
    } slow;
    SdlWaveOut& out = audio.Music();
    ASSERT_EQ(out.Open(waveout::Format(), &Slow::Callback, &slow), waveout::kOk);
    Buffer a(2048, 1);
    out.PrepareHeader(&a.header);
    std::vector<int16_t> period(2048);
    {
        std::lock_guard<std::mutex> hold(slow.gate);
        out.Write(&a.header);
        audio.MixOutput(period.data(), 2048);   // a finishes exactly at the period's end
        audio.MixOutput(period.data(), 2048);   // its refill has not come: dry
        audio.MixOutput(period.data(), 2048);
        EXPECT_EQ(out.Stats().lateRefills, 2u);
        EXPECT_EQ(out.Stats().pendingReports, 1);
    }
    ASSERT_TRUE(WaitUntil([&] { return out.Stats().pendingReports == 0; }));
    audio.MixOutput(period.data(), 2048);   // the client chose not to requeue: not late
    EXPECT_EQ(out.Stats().lateRefills, 2u);
    EXPECT_EQ(out.Close(), waveout::kOk);
}

// ------------------------------------------------------------ the engine on the device

class EngineOnMixer : public testing::Test {
protected:
    SdlAudio audio{false};
    CYmEngine engine{&audio.WaveOut()};
    std::vector<uint8_t> song = Packed(Tune());

    void SetUp() override {
        engine.SetLooping(true);
        ASSERT_TRUE(engine.LoadSong(song.data(), song.size()));
    }
};

TEST_F(EngineOnMixer, BuffersAreRefilledFromWhereTheLastOneStoppedSampleForSample) {
    engine.Play();
    ASSERT_TRUE(engine.Playing());
    const size_t n = 7;
    const std::vector<int16_t> played = Pump(audio, n * kBufferValues, 1500);
    engine.Stop();
    const std::vector<int16_t> expected = Reference(song, n);
    ASSERT_EQ(expected.size(), played.size());
    EXPECT_EQ(FirstDifference(played, 0, expected, 0, played.size()), -1);
    // The song loops after 1.8 s, inside buffer 5: the comparison crossed a loop point.
    EXPECT_NE(FirstNonZero(expected), expected.size());
    const platform::MusicStats s = audio.Music().Stats();
    EXPECT_EQ(s.buffersPlayed, n);
    EXPECT_EQ(s.writes, s.buffersPlayed + s.buffersReset);
    EXPECT_EQ(s.lateRefills, 0u);
}

TEST_F(EngineOnMixer, PlayTwiceAndStopTwiceOpenAndCloseTheDeviceOnce) {
    engine.Play();
    engine.Play();
    EXPECT_EQ(audio.Music().Stats().writes, 2u);
    EXPECT_TRUE(audio.Music().IsOpen());
    engine.Stop();
    EXPECT_FALSE(engine.Playing());
    EXPECT_FALSE(audio.Music().IsOpen());
    EXPECT_NO_THROW(engine.Stop());
    const platform::MusicStats s = audio.Music().Stats();
    EXPECT_EQ(s.writes, 2u);
    EXPECT_EQ(s.buffersReset, 2u);
}

TEST_F(EngineOnMixer, LoadSongWhilePlayingStopsAndTheNextPlayStartsTheNewSongAtItsStart) {
    engine.Play();
    Pump(audio, 3 * kBufferValues);
    const std::vector<uint8_t> other = Packed(Tune(60, 17));
    ASSERT_TRUE(engine.LoadSong(other.data(), other.size()));
    EXPECT_FALSE(engine.Playing());
    EXPECT_FALSE(audio.Music().IsOpen());
    std::vector<int16_t> quiet(4096);
    audio.MixOutput(quiet.data(), 4096);
    EXPECT_EQ(quiet, std::vector<int16_t>(4096, 0));
    engine.Play();
    const std::vector<int16_t> played = Pump(audio, 2 * kBufferValues);
    engine.Stop();
    EXPECT_EQ(FirstDifference(played, 0, Reference(other, 2), 0, played.size()), -1);
}

TEST_F(EngineOnMixer, VolumeZeroSilencesTheBuffersRenderedAfterItWhileTheSongAdvances) {
    engine.Play();
    std::vector<int16_t> played = Pump(audio, 3 * kBufferValues);
    // Buffers 4 and 5 are queued at full volume; 6 on are rendered after the change.
    engine.SetVolume(0);
    auto more = Pump(audio, 4 * kBufferValues);
    played.insert(played.end(), more.begin(), more.end());
    engine.SetVolume(255);   // 8 and 9 are already rendered silent; 10 is loud again
    more = Pump(audio, 3 * kBufferValues);
    played.insert(played.end(), more.begin(), more.end());
    engine.Stop();

    const std::vector<int16_t> expected = Reference(song, 10);
    const size_t b = kBufferValues;
    EXPECT_EQ(FirstDifference(played, 0, expected, 0, 5 * b), -1);
    for (size_t i = 5 * b; i < 9 * b; ++i) ASSERT_EQ(played[i], 0) << "value " << i;
    // The tenth buffer is the song's tenth, not a restart, and it differs from the first.
    EXPECT_EQ(FirstDifference(played, 9 * b, expected, 9 * b, b), -1);
    EXPECT_NE(FirstDifference(expected, 0, expected, 9 * b, b), -1);
}

TEST_F(EngineOnMixer, DestroyingAPlayingEngineStopsItBeforeItGoes) {
    {
        CYmEngine other(&audio.WaveOut());
        engine.Stop();
        ASSERT_TRUE(other.LoadSong(song.data(), song.size()));
        other.Play();
        Pump(audio, kBufferValues + 100);
        EXPECT_TRUE(audio.Music().IsOpen());
    }
    EXPECT_FALSE(audio.Music().IsOpen());
    const platform::MusicStats s = audio.Music().Stats();
    EXPECT_EQ(s.writes, s.buffersPlayed + s.buffersReset);
    EXPECT_EQ(s.writes, 3u);
}

TEST_F(EngineOnMixer, PlayAfterAFailedLoadSongDoesNothing) {
    const std::vector<uint8_t> junk(300, 0x55);
    EXPECT_FALSE(engine.LoadSong(junk.data(), junk.size()));
    engine.Play();
    EXPECT_FALSE(engine.Playing());
    EXPECT_FALSE(audio.Music().IsOpen());
    EXPECT_EQ(audio.Music().Stats().writes, 0u);
}

TEST_F(EngineOnMixer, ASongThatDoesNotLoopEndsAndLeavesTheDeviceForTheUserThreadToClose) {
    engine.SetLooping(false);
    const std::vector<uint8_t> shortSong = Packed(Tune(40));   // 0.8 s: three buffers
    ASSERT_TRUE(engine.LoadSong(shortSong.data(), shortSong.size()));
    engine.Play();
    const std::vector<int16_t> played = Pump(audio, 4 * kBufferValues);
    EXPECT_FALSE(engine.Playing());
    EXPECT_TRUE(audio.Music().IsOpen());
    const platform::MusicStats s = audio.Music().Stats();
    EXPECT_EQ(s.buffersPlayed, 3u);
    EXPECT_EQ(s.lateRefills, 0u);   // the end of a song is not an underrun
    engine.Stop();
    EXPECT_FALSE(audio.Music().IsOpen());
    // All of the song, then silence.
    const std::vector<int16_t> expected = Reference(shortSong, 4, 255, false);
    ASSERT_GT(expected.size(), 2 * kBufferValues);
    ASSERT_LT(expected.size(), 3 * kBufferValues);
    EXPECT_EQ(FirstDifference(played, 0, expected, 0, expected.size()), -1);
    for (size_t i = expected.size(); i < played.size(); ++i) ASSERT_EQ(played[i], 0) << i;
}

// ------------------------------------------------------------------------- effects

class Effects : public testing::Test {
protected:
    SdlAudio audio{false};
    int Load(const char* name) {
        const QByteArray wav = platform::FindResource(name, "WAV");
        EXPECT_FALSE(wav.isNull()) << name;
        return audio.LoadEffect(reinterpret_cast<const uint8_t*>(wav.constData()), size_t(wav.size()));
    }
};

TEST_F(Effects, TheThreeEffectsDecodeToTheirLengthsAt44100HzStereo) {
    const struct { const char* name; double seconds; } effects[] = {
        {"appl", 38608 / 11025.0}, {"good", 9578 / 11025.0}, {"slide", 7607 / 22050.0}};
    for (const auto& e : effects) {
        const int id = Load(e.name);
        ASSERT_GE(id, 0) << e.name;
        const std::vector<int16_t>* pcm = audio.EffectSamples(id);
        const double frames = double(pcm->size()) / 2;
        EXPECT_NEAR(frames, e.seconds * 44100, 8) << e.name;
        EXPECT_NE(FirstNonZero(*pcm), pcm->size()) << e.name;
        // Mono made stereo: both sides alike.
        for (size_t i = 0; i < pcm->size(); i += 2) ASSERT_EQ((*pcm)[i], (*pcm)[i + 1]) << e.name;
    }
}

TEST_F(Effects, AnImageThatIsNotAWaveFilePlaysNothing) {
    const std::vector<uint8_t> junk(500, 7);
    EXPECT_EQ(audio.LoadEffect(junk.data(), junk.size()), -1);
    QByteArray wav = platform::FindResource("good", "wav");
    EXPECT_EQ(audio.LoadEffect(reinterpret_cast<const uint8_t*>(wav.constData()), 30), -1);   // cut short
    EXPECT_EQ(audio.LoadEffect(nullptr, 0), -1);
    audio.PlayEffect(-1);
    audio.PlayEffect(5);
    std::vector<int16_t> out(1000, 1);
    audio.MixOutput(out.data(), 1000);
    EXPECT_EQ(out, std::vector<int16_t>(1000, 0));
}

TEST_F(Effects, AnEffectPlaysFromMemoryAndANewOneCutsItOff) {
    const int appl = Load("appl"), slide = Load("slide");
    const std::vector<int16_t>& a = *audio.EffectSamples(appl);
    const std::vector<int16_t>& s = *audio.EffectSamples(slide);
    audio.PlayEffect(appl);
    std::vector<int16_t> out(4096);
    audio.MixOutput(out.data(), 4096);
    EXPECT_EQ(FirstDifference(out, 0, a, 0, 4096), -1);
    audio.PlayEffect(slide);   // appl is far from done
    std::vector<int16_t> rest(s.size() + 2048);
    audio.MixOutput(rest.data(), uint32_t(rest.size()));
    EXPECT_EQ(FirstDifference(rest, 0, s, 0, s.size()), -1);
    for (size_t i = s.size(); i < rest.size(); ++i) ASSERT_EQ(rest[i], 0) << i;   // appl does not resume
}

TEST_F(Effects, AnEffectIsAddedToTheMusicAndTheSumIsClipped) {
    const int good = Load("good");
    const std::vector<int16_t>& g = *audio.EffectSamples(good);
    Recorder rec;
    ASSERT_EQ(audio.Music().Open(waveout::Format(), &Recorder::Callback, &rec), waveout::kOk);
    Buffer loud(4000, 0);
    for (size_t i = 0; i < 4000; ++i) loud.samples[i] = int16_t(i % 2 ? 32000 : -32000);
    audio.Music().PrepareHeader(&loud.header);
    audio.Music().Write(&loud.header);
    audio.PlayEffect(good);
    std::vector<int16_t> out(4000);
    audio.MixOutput(out.data(), 4000);
    for (size_t i = 0; i < 4000; ++i) {
        const int32_t sum = int32_t(loud.samples[i]) + g[i];
        ASSERT_EQ(out[i], int16_t(std::clamp(sum, -32768, 32767))) << i;
    }
    ASSERT_TRUE(WaitUntil([&] { return rec.Done().size() == 1; }));
    audio.Music().Close();
}

// -------------------------------------------------------------------- the resources

TEST(ProgramResources, AreFoundByTypeAndNameWithoutRegardToCase) {
    const QByteArray upper = platform::FindResource("APPL", "WAV");
    EXPECT_EQ(upper.size(), 77260);
    EXPECT_EQ(platform::FindResource("appl", "wav"), upper);
    EXPECT_EQ(platform::FindResource("Slide", "Wav").size(), 15258);
    EXPECT_EQ(platform::FindResource("good", "wav").size(), 9622);
    EXPECT_TRUE(platform::FindResource("boom", "wav").isNull());
    EXPECT_TRUE(platform::FindResource("appl", "png").isNull());
    EXPECT_TRUE(platform::FindResource("", "wav").isNull());
}

TEST(ProgramResources, TheEffectsAreMonoPcmInTheirFormats) {
    const struct { const char* name; uint32_t rate; uint16_t bits; } effects[] = {
        {"appl", 11025, 16}, {"good", 11025, 8}, {"slide", 22050, 16}};
    for (const auto& e : effects) {
        const QByteArray w = platform::FindResource(e.name, "wav");
        ASSERT_GE(w.size(), 44) << e.name;
        auto le16 = [&](int at) { return uint16_t(uint8_t(w[at]) | uint8_t(w[at + 1]) << 8); };
        auto le32 = [&](int at) { return uint32_t(le16(at)) | uint32_t(le16(at + 2)) << 16; };
        EXPECT_EQ(w.left(4), "RIFF");
        EXPECT_EQ(w.mid(8, 4), "WAVE");
        EXPECT_EQ(le16(20), 1) << e.name;   // PCM
        EXPECT_EQ(le16(22), 1) << e.name;   // mono
        EXPECT_EQ(le32(24), e.rate) << e.name;
        EXPECT_EQ(le16(34), e.bits) << e.name;
        EXPECT_EQ(le32(4), uint32_t(w.size()) - 8) << e.name;
    }
}

// ------------------------------------------------------------ SDL's drivers

// Each test process starts SDL afresh, so a test may choose its driver.
void UseDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }

TEST(NoSoundDevice, TheMusicRaisesWaveOutOpenWithSdlsReasonAndEffectsStaySilent) {
    UseDriver("no-such-driver");
    SdlAudio audio;
    EXPECT_FALSE(audio.HasDevice());
    EXPECT_FALSE(audio.DeviceError().empty());
    const int id = [&] {
        const QByteArray wav = platform::FindResource("slide", "wav");
        return audio.LoadEffect(reinterpret_cast<const uint8_t*>(wav.constData()), size_t(wav.size()));
    }();
    audio.PlayEffect(id);   // nothing to play on, nothing happens
    CYmEngine engine(&audio.WaveOut());
    const std::vector<uint8_t> song = Packed(Tune());
    ASSERT_TRUE(engine.LoadSong(song.data(), song.size()));
    try {
        engine.Play();
        FAIL() << "Play did not raise";
    } catch (const WaveOutError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("[WaveOutOpen]\r\n", 0), 0u) << message;
        EXPECT_NE(message.find(audio.DeviceError()), std::string::npos) << message;
    }
    EXPECT_FALSE(engine.Playing());
    EXPECT_NO_THROW(engine.Stop());
}

TEST(DummyDriver, TheEngineStreamsInRealTimeWithoutLosingABuffer) {
    UseDriver("dummy");
    SdlAudio audio;
    ASSERT_TRUE(audio.HasDevice()) << audio.DeviceError();
    CYmEngine engine(&audio.WaveOut());
    engine.SetLooping(true);
    const std::vector<uint8_t> song = Packed(Tune());
    ASSERT_TRUE(engine.LoadSong(song.data(), song.size()));
    engine.Play();
    engine.Play();
    ASSERT_TRUE(WaitUntil([&] {
        const platform::MusicStats s = audio.Music().Stats();
        return s.buffersPlayed >= 3 && s.pendingReports == 0;
    }));
    EXPECT_TRUE(engine.Playing());
    engine.Stop();
    engine.Stop();
    EXPECT_FALSE(audio.Music().IsOpen());
    const platform::MusicStats s = audio.Music().Stats();
    EXPECT_EQ(s.writes, s.buffersPlayed + s.buffersReset);
    EXPECT_GE(s.writes, 5u);
    EXPECT_EQ(s.lateRefills, 0u);
    // Each refill came while the other buffer still had most of its 0.37 s to play.
    EXPECT_GT(s.minLeadValues, kBufferValues / 2);
}

}  // namespace

// A laptop keeps its sound card's thread asleep when nothing plays: the device is paused,
// and the mixer is not called, until an effect or the music comes.
TEST(DummyDriver, TheDeviceIsPausedWhileNothingPlaysAndResumesAtOnce) {
    UseDriver("dummy");
    SdlAudio audio;
    ASSERT_TRUE(audio.HasDevice()) << audio.DeviceError();
    const QByteArray wav = platform::FindResource("slide", "wav");
    const int slide = audio.LoadEffect(reinterpret_cast<const uint8_t*>(wav.constData()), size_t(wav.size()));
    ASSERT_GE(slide, 0);
    const auto stillPaused = [&](const char* when) {
        const uint64_t calls = audio.OutputCallbacks();
        std::this_thread::sleep_for(std::chrono::milliseconds(120));   // five periods
        EXPECT_TRUE(audio.Paused()) << when;
        EXPECT_EQ(audio.OutputCallbacks(), calls) << when;
    };
    stillPaused("before anything played");
    EXPECT_EQ(audio.OutputCallbacks(), 0u);

    audio.PlayEffect(slide);
    EXPECT_FALSE(audio.Paused()) << "an effect resumes the device at once";
    ASSERT_TRUE(WaitUntil([&] { return audio.Paused(); })) << "and it pauses again once the effect is over";
    // 0.34 s of sound in periods of 1024 samples.
    EXPECT_GE(audio.OutputCallbacks(), audio.EffectSamples(slide)->size() / 2 / 1024);
    stillPaused("after the effect");

    CYmEngine engine(&audio.WaveOut());
    engine.SetLooping(true);
    const std::vector<uint8_t> song = Packed(Tune());
    ASSERT_TRUE(engine.LoadSong(song.data(), song.size()));
    engine.Play();
    EXPECT_FALSE(audio.Paused()) << "the music resumes it at once";
    ASSERT_TRUE(WaitUntil([&] { return audio.Music().Stats().buffersPlayed >= 2; }));
    EXPECT_FALSE(audio.Paused()) << "nor does it pause between two buffers";
    engine.Stop();
    ASSERT_TRUE(WaitUntil([&] { return audio.Paused(); }));
    stillPaused("after the music");
    const platform::MusicStats s = audio.Music().Stats();
    EXPECT_EQ(s.lateRefills, 0u);

    // Even paused, SDL's thread wakes for every period: at rest the device is closed, and
    // the next effect or song opens it again.
    audio.Rest();
    EXPECT_FALSE(audio.DeviceOpen());
    EXPECT_TRUE(audio.HasDevice());
    audio.PlayEffect(slide);
    ASSERT_TRUE(audio.DeviceOpen()) << audio.DeviceError();
    const uint64_t calls = audio.OutputCallbacks();
    ASSERT_TRUE(WaitUntil([&] { return audio.OutputCallbacks() > calls + 2; })) << "the effect plays";
    audio.Rest();
    EXPECT_TRUE(audio.DeviceOpen()) << "not while an effect plays";
    ASSERT_TRUE(WaitUntil([&] { return audio.Paused(); }));
    audio.Rest();
    ASSERT_FALSE(audio.DeviceOpen());
    engine.Play();
    ASSERT_TRUE(WaitUntil([&] { return audio.Music().Stats().buffersPlayed >= s.buffersPlayed + 1; }))
        << "the music opens it again";
    audio.Rest();
    EXPECT_TRUE(audio.DeviceOpen()) << "not while the music's device is open";
    engine.Stop();
}
