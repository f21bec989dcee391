// The digital drum kit: three short sounds synthesised here, so every song that plays
// drums carries the same samples and no recording is needed.
#include <algorithm>
#include <cmath>

#include "tools/songgen/score.h"

namespace marlipan::songgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The drum timer: prescaler 4, count 78: 2 500 000 / 312 = 8012.8 samples a second.
constexpr EffectTimer kDrumTimer{1, 78};

// Deterministic white noise in -1..1, the same on every platform.
class Noise {
public:
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / double(1u << 23) - 1.0;
    }

private:
    uint32_t state_ = 0x4D61726Cu;
};

// The chip plays a drum by setting its channel's volume, which cannot go below 0: a sound
// x in -1..1 under an envelope a is stored as a x (1 + x) / 2, so the drum starts and
// ends at silence instead of jumping to a middle level.
uint8_t sample(double amplitude, double x) {
    const double v = amplitude * (1.0 + std::clamp(x, -1.0, 1.0)) / 2.0;
    return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

std::vector<uint8_t> kick() {
    const int n = int(0.22 * kDrumRate);
    std::vector<uint8_t> out(n);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i / kDrumRate;
        const double freq = 48.0 + 110.0 * std::exp(-t * 28.0);  // the thump falls in pitch
        phase += 2 * kPi * freq / kDrumRate;
        out[i] = sample(std::exp(-t * 14.0), std::sin(phase));
    }
    return out;
}

std::vector<uint8_t> snare() {
    const int n = int(0.16 * kDrumRate);
    std::vector<uint8_t> out(n);
    Noise noise;
    for (int i = 0; i < n; ++i) {
        const double t = i / kDrumRate;
        const double body = std::sin(2 * kPi * 185.0 * t) * std::exp(-t * 35.0);
        const double rattle = noise.next() * std::exp(-t * 20.0);
        out[i] = sample(std::min(1.0, std::exp(-t * 16.0) * 1.1), 0.45 * body + 0.75 * rattle);
    }
    return out;
}

std::vector<uint8_t> hat() {
    const int n = int(0.05 * kDrumRate);
    std::vector<uint8_t> out(n);
    Noise noise;
    double last = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i / kDrumRate;
        const double white = noise.next();
        const double hiss = white - last;  // the difference keeps only the highs
        last = white;
        out[i] = sample(0.7 * std::exp(-t * 70.0), hiss);
    }
    return out;
}

}  // namespace

const double kDrumRate = 2500000.0 / (4.0 * 78.0);

EffectTimer drumTimer() { return kDrumTimer; }

const std::vector<std::vector<uint8_t>>& drumKit() {
    static const std::vector<std::vector<uint8_t>> kit = {kick(), snare(), hat()};
    return kit;
}

int drumNumber(const std::string& name) {
    if (name == "kick") return kKick;
    if (name == "snare") return kSnare;
    if (name == "hat") return kHat;
    return -1;
}

}  // namespace marlipan::songgen
