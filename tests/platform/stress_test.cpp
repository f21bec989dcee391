// A thousand rounds of Play, SetVolume, Stop and LoadSong against a running device whose
// buffers come back as fast as the disk driver can write them (to /dev/null), with an
// effect now and then: no lost buffer, no deadlock, and under ThreadSanitizer no report.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

#include "platform/sdlaudio.h"
#include "tests/platform/audiotest.h"

namespace {

using namespace audiotest;

// A 22 050 Hz 8-bit mono WAV image of a short click.
std::vector<uint8_t> ClickWav() {
    std::vector<uint8_t> pcm(2205);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = uint8_t(128 + (i % 50 < 25 ? 60 : -60));
    std::vector<uint8_t> w = {'R', 'I', 'F', 'F'};
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) w.push_back(uint8_t(v >> (8 * i)));
    };
    le(uint32_t(36 + pcm.size()), 4);
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(16, 4);
    le(1, 2);
    le(1, 2);
    le(22050, 4);
    le(22050, 4);
    le(1, 2);
    le(8, 2);
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    le(uint32_t(pcm.size()), 4);
    w.insert(w.end(), pcm.begin(), pcm.end());
    return w;
}

// Ends the process if the rounds stop making progress: a deadlock must not pass for a
// slow machine, nor hang the test run.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { Run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void Progress(int round) {
        std::lock_guard<std::mutex> lock(m_);
        round_ = round;
        cv_.notify_all();
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(m_);
        for (;;) {
            const int seen = round_;
            if (!cv_.wait_for(lock, limit_, [&] { return done_ || round_ != seen; })) {
                std::fprintf(stderr, "no progress after round %d: deadlock\n", seen);
                std::abort();
            }
            if (done_) return;
        }
    }
    std::chrono::seconds limit_;
    std::mutex m_;
    std::condition_variable cv_;
    int round_ = -1;
    bool done_ = false;
    std::thread thread_;
};

TEST(AudioStress, AThousandRoundsOfPlayVolumeStopAndLoadSongLoseNoBuffer) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);   // a 23 ms period every millisecond
    platform::SdlAudio audio;
    ASSERT_TRUE(audio.HasDevice()) << audio.DeviceError();
    const std::vector<uint8_t> click = ClickWav();
    const int effect = audio.LoadEffect(click.data(), click.size());
    ASSERT_GE(effect, 0);
    const std::vector<uint8_t> songs[2] = {Packed(Tune(90)), Packed(Tune(7, 3))};
    const std::vector<uint8_t> junk(200, 0xA5);

    CYmEngine engine(&audio.WaveOut());
    engine.SetLooping(true);
    ASSERT_TRUE(engine.LoadSong(songs[0].data(), songs[0].size()));
    std::mt19937 random(20261207);
    Watchdog watchdog(std::chrono::seconds(120));
    int refilledRounds = 0;
    for (int round = 0; round < 1000; ++round) {
        watchdog.Progress(round);
        engine.Play();
        engine.SetVolume(int(random() % 256));
        if (round % 5 == 0) audio.PlayEffect(effect);
        if (round % 4 == 0) {
            // Let the device's thread refill while this one changes the volume.
            const uint64_t before = audio.Music().Stats().writes;
            for (int i = 0; i < 200 && audio.Music().Stats().writes < before + 2; ++i) {
                engine.SetVolume(int(random() % 256));
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
            if (audio.Music().Stats().writes >= before + 2) ++refilledRounds;
        }
        if (round % 7 == 3) {
            // LoadSong while playing stops first.
            ASSERT_TRUE(engine.LoadSong(songs[round & 1].data(), songs[round & 1].size()));
            ASSERT_FALSE(audio.Music().IsOpen()) << "round " << round;
        } else {
            ASSERT_NO_THROW(engine.Stop()) << "round " << round;
        }
        ASSERT_FALSE(engine.Playing()) << "round " << round;
        ASSERT_FALSE(audio.Music().IsOpen()) << "round " << round;
        const platform::MusicStats s = audio.Music().Stats();
        ASSERT_EQ(s.writes, s.buffersPlayed + s.buffersReset) << "a buffer was lost in round " << round;
        if (round % 97 == 50) {
            // A failed load leaves no song: Play must not open the device.
            EXPECT_FALSE(engine.LoadSong(junk.data(), junk.size()));
            engine.Play();
            ASSERT_FALSE(audio.Music().IsOpen());
            ASSERT_TRUE(engine.LoadSong(songs[0].data(), songs[0].size()));
        } else if (round % 2) {
            ASSERT_TRUE(engine.LoadSong(songs[round % 4 / 2].data(), songs[round % 4 / 2].size()));
        }
    }
    const platform::MusicStats s = audio.Music().Stats();
    std::printf("writes %llu, played %llu, reset %llu, rounds with refills %d\n",
                (unsigned long long)s.writes, (unsigned long long)s.buffersPlayed,
                (unsigned long long)s.buffersReset, refilledRounds);
    // The refills did race the user thread, not just the first two fills.
    EXPECT_GT(s.buffersPlayed, 100u);
    EXPECT_GT(refilledRounds, 0);
}

}  // namespace
