// Stop waits for the device to hand back its buffers, but not for ever: a device that
// keeps them is still closed, and the failure is reported.
#include <gtest/gtest.h>

#include "music/ymplayer.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"

namespace {

// Takes every buffer and never reports one done, not even on Reset.
class KeepingDevice : public waveout::Device {
public:
    int writes = 0, resets = 0, closes = 0;
    waveout::Result Open(const waveout::Format&, waveout::Callback, void*) override { return waveout::kOk; }
    waveout::Result PrepareHeader(waveout::Header*) override { return waveout::kOk; }
    waveout::Result Write(waveout::Header*) override {
        ++writes;
        return waveout::kOk;
    }
    waveout::Result Reset() override {
        ++resets;
        return waveout::kOk;
    }
    waveout::Result UnprepareHeader(waveout::Header*) override { return waveout::kStillPlaying; }
    waveout::Result Close() override {
        ++closes;
        return waveout::kOk;
    }
    std::string ErrorText(waveout::Result code) const override { return "error " + std::to_string(code); }
};

TEST(StopWait, ADeviceThatKeepsItsBuffersIsClosedAnywayAndTheResetReported) {
    std::vector<songwriter::Frame14> frames(20, songwriter::Silent14());
    const auto packed = lh5::PackArchive(songwriter::Ym14("YM3!", frames), "song.ym");
    KeepingDevice device;
    CYmEngine engine(&device);
    ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    engine.Play();
    EXPECT_EQ(device.writes, 2);
    std::string message;
    try {
        engine.Stop();
    } catch (const WaveOutError& e) {
        message = e.what();
    }
    EXPECT_EQ(message.rfind("[WaveOutReset]\r\n", 0), 0u) << message;
    EXPECT_EQ(device.resets, 1);
    EXPECT_EQ(device.closes, 1);
    EXPECT_FALSE(engine.Playing());
    EXPECT_NO_THROW(engine.Stop());   // closed: nothing left to stop
    EXPECT_EQ(device.closes, 1);
}

}  // namespace
