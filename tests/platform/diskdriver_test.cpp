// The real path to the sound card: SDL's disk driver writes what the mixer hands the
// device to a file, in real time, and that file must hold the music exactly as
// marlipan-ym renders it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/resources.h"
#include "platform/sdlaudio.h"
#include "tests/platform/audiotest.h"

namespace {

using namespace audiotest;
namespace fs = std::filesystem;

class DiskDriver : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", out_.c_str(), 1);
        unsetenv("SDL_DISKAUDIODELAY");   // real time, as a sound card plays
    }
    void TearDown() override {
        std::remove(out_.c_str());
        std::remove(song_.c_str());
        std::remove(wav_.c_str());
    }
    // What the device wrote, once the audio object is gone and the file closed.
    std::vector<int16_t> Output() const { return Samples(ReadFile(out_)); }

    // marlipan-ym render of the song; empty when the tool is not at hand.
    std::vector<int16_t> Rendered(const std::vector<uint8_t>& plainSong, double seconds) {
        const char* bin = std::getenv("MARLIPAN_BINARY_DIR");
        if (!bin) return {};
        const fs::path tool = fs::path(bin) / "tools" / "ym" / "marlipan-ym";
        if (!fs::exists(tool)) return {};
        WriteFile(song_, plainSong);
        const std::string command = "'" + tool.string() + "' render '" + song_ + "' '" + wav_ +
                                    "' --seconds " + std::to_string(seconds);
        if (std::system(command.c_str()) != 0) return {};
        return WavSamples(ReadFile(wav_));
    }

    const std::string out_ = TempPath("disk.raw");
    const std::string song_ = TempPath("song.ym");
    const std::string wav_ = TempPath("render.wav");
};

TEST_F(DiskDriver, TheMusicReachesTheCardAsMarlipanYmRendersItSampleForSample) {
    const std::vector<uint8_t> plain = Tune();
    const std::vector<uint8_t> packed = Packed(plain);
    const size_t buffers = 5;   // 1.85 s, across the song's loop at 1.8 s
    platform::MusicStats stats;
    {
        platform::SdlAudio audio;
        ASSERT_TRUE(audio.HasDevice()) << audio.DeviceError();
        CYmEngine engine(&audio.WaveOut());
        engine.SetLooping(true);
        ASSERT_TRUE(engine.LoadSong(packed.data(), packed.size()));
        engine.Play();
        ASSERT_TRUE(WaitUntil([&] { return audio.Music().Stats().buffersPlayed >= buffers; }));
        engine.Stop();
        stats = audio.Music().Stats();
    }
    const std::vector<int16_t> out = Output();
    const std::vector<int16_t> expected = Reference(packed, buffers);
    // Silence until the first buffer was queued, then the music without a gap.
    const size_t start = FirstNonZero(out);
    const size_t lead = FirstNonZero(expected);
    ASSERT_LT(start, out.size());
    ASSERT_GE(start, lead);
    const size_t at = start - lead;
    EXPECT_EQ(at % 2, 0u);   // whole stereo samples
    EXPECT_EQ(FirstDifference(out, at, expected, 0, expected.size()), -1);
    EXPECT_EQ(stats.lateRefills, 0u);

    const std::vector<int16_t> rendered = Rendered(plain, 2.0);
    if (rendered.empty()) GTEST_SKIP() << "marlipan-ym is not built: compared with the engine only";
    ASSERT_GE(rendered.size(), expected.size());
    EXPECT_EQ(FirstDifference(out, at, rendered, 0, expected.size()), -1);
}

TEST_F(DiskDriver, AnEffectReachesTheCardWholeAsItWasDecoded) {
    std::vector<int16_t> effect;
    {
        platform::SdlAudio audio;
        ASSERT_TRUE(audio.HasDevice()) << audio.DeviceError();
        const QByteArray wav = platform::FindResource("good", "wav");
        const int good = audio.LoadEffect(reinterpret_cast<const uint8_t*>(wav.constData()), size_t(wav.size()));
        ASSERT_GE(good, 0);
        effect = *audio.EffectSamples(good);
        audio.PlayEffect(good);   // returns at once; the card plays it meanwhile
        // Until the file holds the effect and a little more.
        const uintmax_t enough = effect.size() * 2 + 65536;
        ASSERT_TRUE(WaitUntil([&] {
            std::error_code e;
            const uintmax_t size = fs::file_size(out_, e);
            return !e && size >= enough;
        }));
    }
    const std::vector<int16_t> out = Output();
    const size_t start = FirstNonZero(out);
    ASSERT_LT(start, out.size());
    const size_t at = start - FirstNonZero(effect);
    EXPECT_EQ(FirstDifference(out, at, effect, 0, effect.size()), -1);
    for (size_t i = at + effect.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
}

}  // namespace
