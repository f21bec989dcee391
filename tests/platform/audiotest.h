#pragma once
// Helpers of the sound-card tests: songs, the engine's own rendering as the reference,
// and reading what SDL's disk driver wrote.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "music/ymplayer.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"

namespace audiotest {

constexpr size_t kBufferValues = CYmEngine::kBufferValues;

inline std::vector<uint8_t> Packed(const std::vector<uint8_t>& song) {
    return lh5::PackArchive(song, "song.ym");
}

// A YM6 song whose every frame differs: a rising tune on A, an envelope on B, noise on C.
// It loops after `frames` frames (50 a second).
inline std::vector<uint8_t> Tune(int frames = 90, uint8_t seed = 0) {
    songwriter::Ym56 s;
    s.name = "Tune";
    s.author = "Tests";
    for (int i = 0; i < frames; ++i) {
        songwriter::Frame16 f = songwriter::Silent16();
        f[0] = uint8_t(40 + 5 * i + seed);
        f[1] = uint8_t(i % 3);
        f[2] = uint8_t(200 - i);
        f[3] = 1;
        f[6] = uint8_t(i % 32);
        f[7] = 0x1C;   // tone A and B, noise C
        f[8] = uint8_t(8 + i % 8);
        f[9] = 0x10;   // B follows the envelope
        f[10] = 9;
        f[11] = uint8_t(20 + i);
        f[13] = i % 10 == 0 ? 0x0E : 0xFF;
        s.frames.push_back(f);
    }
    return s.Build();
}

// What the engine renders for a song from its first frame: n buffers through FillBuffer,
// the code that the done-callback runs, as marlipan-ym render uses it.
inline std::vector<int16_t> Reference(const std::vector<uint8_t>& packed, size_t buffers,
                                      int volume = 255, bool looping = true) {
    CYmEngine engine;
    engine.SetLooping(looping);
    engine.SetVolume(volume);
    EXPECT_TRUE(engine.LoadSong(packed.data(), packed.size()));
    engine.ResetForPass();
    std::vector<int16_t> out;
    for (size_t i = 0; i < buffers; ++i) {
        const uint32_t n = engine.FillBuffer(int(i & 1));
        out.insert(out.end(), engine.BufferSamples(int(i & 1)), engine.BufferSamples(int(i & 1)) + n);
    }
    return out;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes, size_t from = 0) {
    std::vector<int16_t> out;
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        out.push_back(int16_t(uint16_t(bytes[i] | bytes[i + 1] << 8)));
    return out;
}

// The samples of a 16-bit PCM WAV file (the data chunk).
inline std::vector<int16_t> WavSamples(const std::vector<uint8_t>& wav) {
    for (size_t at = 12; at + 8 <= wav.size();) {
        const uint32_t size = uint32_t(wav[at + 4] | wav[at + 5] << 8 | wav[at + 6] << 16 | uint32_t(wav[at + 7]) << 24);
        if (std::string(wav.begin() + long(at), wav.begin() + long(at) + 4) == "data") {
            std::vector<uint8_t> data(wav.begin() + long(at) + 8,
                                      wav.begin() + long(std::min(wav.size(), at + 8 + size)));
            return Samples(data);
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

inline size_t FirstNonZero(const std::vector<int16_t>& v) {
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] != 0) return i;
    return v.size();
}

// Index of the first value that differs, or -1 when the first n values agree.
inline long FirstDifference(const std::vector<int16_t>& a, size_t aFrom, const std::vector<int16_t>& b,
                            size_t bFrom, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (aFrom + i >= a.size() || bFrom + i >= b.size()) return long(i);
        if (a[aFrom + i] != b[bFrom + i]) return long(i);
    }
    return -1;
}

// Waits for a condition that another thread makes true; false only if it never does
// within the (generous) limit, which means a hang.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/marlipan-" + std::to_string(::getpid()) + "-" + name;
}

}  // namespace audiotest
