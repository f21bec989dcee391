#pragma once
// A small writer of YM song files (YM2!, YM3!, YM3b, YM5!, YM6!) for tests, tools and
// benchmarks: songs are made frame by frame, so expected registers and samples follow
// from the frames written.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace songwriter {

using Frame14 = std::array<uint8_t, 14>;
using Frame16 = std::array<uint8_t, 16>;

// Mixer byte that turns everything off, so a frame starts silent.
constexpr uint8_t kAllOff = 0x3F;

// A frame with tones and noise off, volumes 0 and no envelope write.
inline Frame14 Silent14() {
    Frame14 f{};
    f[7] = kAllOff;
    f[13] = 0xFF;
    return f;
}
inline Frame16 Silent16() {
    Frame16 f{};
    f[7] = kAllOff;
    f[13] = 0xFF;
    return f;
}

inline void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
inline void PutBe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 0; s <= 24; s += 8) out.push_back(uint8_t(v >> s));
}

// "YM2!", "YM3!" or "YM3b": register-interleaved frames; YM3b gets its loop frame.
inline std::vector<uint8_t> Ym14(const std::string& tag, const std::vector<Frame14>& frames,
                                 uint32_t loopFrame = 0) {
    std::vector<uint8_t> out(tag.begin(), tag.end());
    out.resize(4, ' ');
    for (int r = 0; r < 14; ++r)
        for (const Frame14& f : frames) out.push_back(f[r]);
    if (tag == "YM3b") PutLe32(out, loopFrame);
    return out;
}

struct Ym56 {
    std::string tag = "YM6!";
    uint32_t attributes = 1;          // bit 0 interleaved, bit 1 signed drums, bit 2 4-bit drums
    std::vector<std::vector<uint8_t>> drums;
    uint32_t clock = 2000000;
    uint16_t rate = 50;
    uint32_t loopFrame = 0;
    std::vector<uint8_t> extra;       // additional data, skipped by players
    std::string name = "Test song";
    std::string author = "Marlipan tests";
    std::string comment = "made by songwriter";
    std::vector<Frame16> frames;
    int64_t frameCountField = -1;     // >= 0: header count written instead of frames.size()
    int64_t drumCountField = -1;      // >= 0: header drum count instead of drums.size()

    bool interleaved() const { return attributes & 1; }

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> out(tag.begin(), tag.end());
        out.resize(4, ' ');
        const char check[] = "LeOnArD!";
        out.insert(out.end(), check, check + 8);
        PutBe32(out, frameCountField >= 0 ? uint32_t(frameCountField) : uint32_t(frames.size()));
        PutBe32(out, attributes);
        PutBe16(out, drumCountField >= 0 ? uint16_t(drumCountField) : uint16_t(drums.size()));
        PutBe32(out, clock);
        PutBe16(out, rate);
        PutBe32(out, loopFrame);
        PutBe16(out, uint16_t(extra.size()));
        out.insert(out.end(), extra.begin(), extra.end());
        for (const auto& d : drums) {
            PutBe32(out, uint32_t(d.size()));
            out.insert(out.end(), d.begin(), d.end());
        }
        for (const std::string* s : {&name, &author, &comment}) {
            out.insert(out.end(), s->begin(), s->end());
            out.push_back(0);
        }
        if (interleaved()) {
            for (int r = 0; r < 16; ++r)
                for (const Frame16& f : frames) out.push_back(f[r]);
        } else {
            for (const Frame16& f : frames) out.insert(out.end(), f.begin(), f.end());
        }
        return out;
    }
};

// Effect encodings of YM6 frames: effect 1 in bytes 1, 6, 14; effect 2 in bytes 3, 8, 15.
// channel 1..3 = A..C; type 0 SID, 1 drum, 2 sinus SID, 3 sync buzzer.
inline void SetEffect1(Frame16& f, unsigned channel, unsigned type, unsigned prescaler,
                       uint8_t count) {
    f[1] = uint8_t((f[1] & 0x0F) | (channel & 3) << 4 | (type & 3) << 6);
    f[6] = uint8_t((f[6] & 0x1F) | (prescaler & 7) << 5);
    f[14] = count;
}
inline void SetEffect2(Frame16& f, unsigned channel, unsigned type, unsigned prescaler,
                       uint8_t count) {
    f[3] = uint8_t((f[3] & 0x0F) | (channel & 3) << 4 | (type & 3) << 6);
    f[8] = uint8_t((f[8] & 0x1F) | (prescaler & 7) << 5);
    f[15] = count;
}

}  // namespace songwriter
