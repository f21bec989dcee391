// SetVolume rebuilds the mixing tables while the device's thread refills buffers: every
// buffer must be rendered with one whole set of tables, the old or the new.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "music/ymplayer.h"
#include "tests/music/fakewaveout.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"

namespace {

// All three voices at their loudest fixed level, tones and noise off: the output is one
// constant value per side for a given volume.
std::vector<uint8_t> SteadySong() {
    std::vector<songwriter::Frame14> frames(50, songwriter::Silent14());
    for (auto& f : frames) f[8] = f[9] = f[10] = 15;
    return lh5::PackArchive(songwriter::Ym14("YM3!", frames), "song.ym");
}

// The steady value of each side at a volume, as the engine renders it.
std::pair<int16_t, int16_t> SteadyLevel(const std::vector<uint8_t>& packed, int volume) {
    CYmEngine engine;
    engine.SetLooping(true);
    engine.SetVolume(volume);
    engine.LoadSong(packed.data(), packed.size());
    engine.ResetForPass();
    engine.FillBuffer(0);
    const int16_t* s = engine.BufferSamples(0);
    return {s[CYmEngine::kBufferValues - 2], s[CYmEngine::kBufferValues - 1]};
}

TEST(VolumeHandover, EveryBufferIsRenderedWithTheTablesOfOneVolume) {
    const auto packed = SteadySong();
    const auto quiet = SteadyLevel(packed, 60), loud = SteadyLevel(packed, 255);
    ASSERT_NE(quiet, loud);

    FakeWaveOut device;
    device.playLimit = 800;
    CYmEngine engine(&device);
    engine.SetLooping(true);
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    std::atomic<bool> done{false};
    std::thread slider([&] {
        // Rebuilds one after another, as a dragged volume slider does, but far faster.
        for (int i = 0; !done; ++i) {
            engine.SetVolume(i % 2 ? 255 : 60);
            std::this_thread::sleep_for(std::chrono::microseconds(5));
        }
    });
    engine.Play();
    const bool played = device.WaitPlayed(800);
    done = true;
    slider.join();
    engine.Stop();
    ASSERT_TRUE(played);

    int mixed = 0;
    const auto buffers = device.Played();
    for (size_t b = 2; b < buffers.size(); ++b) {
        const auto& bytes = buffers[b];
        // The first stereo sample may straddle the previous buffer's tables.
        for (size_t i = 4; i + 3 < bytes.size(); i += 4) {
            const int16_t l = int16_t(bytes[i] | bytes[i + 1] << 8);
            const int16_t r = int16_t(bytes[i + 2] | bytes[i + 3] << 8);
            const std::pair<int16_t, int16_t> v{l, r};
            if (v != quiet && v != loud) {
                ++mixed;
                break;
            }
        }
    }
    EXPECT_EQ(mixed, 0) << "buffers rendered with a half-built set of tables";
}

}  // namespace
