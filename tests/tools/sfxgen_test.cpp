// The committed sound effects are what the generator makes, in the formats the game expects.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/sfxgen/sfx.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string resourcePath(const std::string& name) {
    const char* src = std::getenv("MARLIPAN_SOURCE_DIR");
    return std::string(src && *src ? src : MARLIPAN_TOOLS_TEST_SOURCE_DIR) + "/resources/" + name;
}

struct Expected {
    const char* file;
    uint32_t size;
    uint32_t rate;
    uint16_t bits;
};

const Expected kExpected[] = {
    {"appl.wav", 77260, 11025, 16},
    {"good.wav", 9622, 11025, 8},
    {"slide.wav", 15258, 22050, 16},
};

void expectMonoPcmHeader(const std::vector<uint8_t>& w, const Expected& e) {
    ASSERT_EQ(w.size(), e.size) << e.file;
    EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
    EXPECT_EQ(le32(w, 4), e.size - 8);
    EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(w, 16), 16u);
    EXPECT_EQ(le16(w, 20), 1) << "PCM";
    EXPECT_EQ(le16(w, 22), 1) << "mono";
    EXPECT_EQ(le32(w, 24), e.rate);
    EXPECT_EQ(le32(w, 28), e.rate * (e.bits / 8));
    EXPECT_EQ(le16(w, 32), e.bits / 8);
    EXPECT_EQ(le16(w, 34), e.bits);
    EXPECT_EQ(std::string(w.begin() + 36, w.begin() + 40), "data");
    EXPECT_EQ(le32(w, 40), e.size - 44);
}

// Sample i as -1..1.
double sampleAt(const std::vector<uint8_t>& w, uint16_t bits, size_t i) {
    if (bits == 8) return (static_cast<int>(w[44 + i]) - 128) / 128.0;
    return static_cast<int16_t>(le16(w, 44 + 2 * i)) / 32768.0;
}

}  // namespace

TEST(SoundEffects, CommittedFilesHaveTheFormatsAndSizesTheGameExpects) {
    for (const auto& e : kExpected) {
        SCOPED_TRACE(e.file);
        expectMonoPcmHeader(readFile(resourcePath(e.file)), e);
    }
}

TEST(SoundEffects, CommittedFilesEqualWhatTheGeneratorMakesNow) {
    const auto effects = marlipan::sfx::allEffects();
    ASSERT_EQ(effects.size(), 3u);
    for (const auto& fx : effects) {
        SCOPED_TRACE(fx.fileName);
        EXPECT_EQ(readFile(resourcePath(fx.fileName)), fx.wav)
            << "regenerate with: marlipan-sfxgen resources";
    }
}

TEST(SoundEffects, StartAndEndInSilenceAndStayBelowFullScale) {
    for (const auto& e : kExpected) {
        SCOPED_TRACE(e.file);
        const auto w = readFile(resourcePath(e.file));
        ASSERT_EQ(w.size(), e.size);
        const size_t n = (w.size() - 44) / (e.bits / 8);
        const double quantum = e.bits == 8 ? 1.5 / 128 : 4.0 / 32768;
        EXPECT_LE(std::abs(sampleAt(w, e.bits, 0)), quantum);
        EXPECT_LE(std::abs(sampleAt(w, e.bits, n - 1)), quantum);
        double peak = 0, energy = 0;
        for (size_t i = 0; i < n; ++i) {
            const double v = sampleAt(w, e.bits, i);
            peak = std::max(peak, std::abs(v));
            energy += v * v;
        }
        EXPECT_LT(peak, 0.95) << "no clipping";
        EXPECT_GT(peak, 0.2) << "audible";
        EXPECT_GT(energy / n, 0.001) << "not mostly silence";
    }
}

TEST(SoundEffects, WavImageQuantisesToTheRequestedWidth) {
    const auto w8 = marlipan::sfx::wavImage(8000, 8, {0.0, 1.0, -1.0, 2.0});
    ASSERT_EQ(w8.size(), 48u);
    EXPECT_EQ(w8[44], 128);
    EXPECT_EQ(w8[45], 255);
    EXPECT_EQ(w8[46], 1);
    EXPECT_EQ(w8[47], 255) << "out-of-range input is clamped";
    const auto w16 = marlipan::sfx::wavImage(8000, 16, {-1.0, 0.5});
    ASSERT_EQ(w16.size(), 48u);
    EXPECT_EQ(static_cast<int16_t>(le16(w16, 44)), -32767);
    EXPECT_EQ(static_cast<int16_t>(le16(w16, 46)), 16384);
}
