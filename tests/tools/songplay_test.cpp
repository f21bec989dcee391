// The generated songs through the game's own music engine: they load, play in tune and are
// neither silent nor at full scale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "music/ymplayer.h"
#include "tools/lh5/lh5pack.h"
#include "tools/songgen/score.h"

using namespace marlipan::songgen;

namespace {

// Renders `buffers` engine buffers of a song; returns interleaved stereo samples.
std::vector<int16_t> play(const std::vector<uint8_t>& ym, int buffers) {
    const auto packed = lh5::PackArchive(ym, "song.ym");
    CYmEngine engine(nullptr);
    EXPECT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    EXPECT_TRUE(engine.Playable());
    engine.SetLooping(true);
    engine.ResetForPass();
    std::vector<int16_t> out;
    for (int i = 0; i < buffers; ++i) {
        const uint32_t n = engine.FillBuffer(i & 1);
        EXPECT_EQ(n, CYmEngine::kBufferValues);
        out.insert(out.end(), engine.BufferSamples(i & 1), engine.BufferSamples(i & 1) + n);
    }
    return out;
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(SongsInTheEngine, AnAFourPlaysAtFourHundredAndFortyHertz) {
    const auto samples = play(writeYm(compose("speed: 50\npattern p\nA: a4:2\nend\norder: p\n")), 4);
    // Left channel, offset removed; count rising zero crossings over one second.
    const size_t n = 44100;
    ASSERT_GE(samples.size(), 2 * n);
    double mean = 0;
    for (size_t i = 0; i < n; ++i) mean += samples[2 * i];
    mean /= n;
    int rising = 0;
    for (size_t i = 1; i < n; ++i) rising += samples[2 * i - 2] < mean && samples[2 * i] >= mean;
    EXPECT_NEAR(rising, 440, 2);  // the period 284 gives 440.14 Hz
}

TEST(SongsInTheEngine, BundledSongsAreAudibleAndNeverAtFullScale) {
    const char* src = std::getenv("MARLIPAN_SOURCE_DIR");
    const std::string dir = std::string(src && *src ? src : MARLIPAN_TOOLS_TEST_SOURCE_DIR) + "/assets/songs";
    int songs = 0;
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr);
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() < 5 || name.substr(name.size() - 4) != ".txt") continue;
        SCOPED_TRACE(name);
        ++songs;
        const auto samples = play(writeYm(compose(readText(dir + "/" + name))), 12);  // about 4.4 s
        double mean = 0;
        int peak = 0;
        for (int16_t s : samples) {
            mean += s;
            peak = std::max(peak, std::abs(int(s)));
        }
        mean /= samples.size();
        double ac = 0;
        for (int16_t s : samples) ac += (s - mean) * (s - mean);
        const double rms = std::sqrt(ac / samples.size());
        EXPECT_GT(rms, 1000.0) << "audible";
        EXPECT_LT(peak, 32767) << "below full scale";
    }
    closedir(d);
    EXPECT_GE(songs, 4);
}
