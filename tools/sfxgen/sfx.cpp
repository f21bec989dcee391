#include "tools/sfxgen/sfx.h"

#include <algorithm>
#include <cmath>

namespace marlipan::sfx {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kHeaderSize = 44;

// Small fixed-seed generator: the effects must come out byte for byte the same on every run.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double next() {  // -1..1
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_;
};

// Two-pole resonator: an impulse into it rings at freq and dies away with time constant tau.
class Resonator {
public:
    Resonator(double freq, double tau, double rate) {
        const double r = std::exp(-1.0 / (tau * rate));
        a1_ = 2.0 * r * std::cos(2.0 * kPi * freq / rate);
        a2_ = -r * r;
        gain_ = std::sin(2.0 * kPi * freq / rate);
    }
    double step(double in) {
        const double y = a1_ * y1_ + a2_ * y2_ + gain_ * in;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double a1_ = 0, a2_ = 0, gain_ = 0, y1_ = 0, y2_ = 0;
};

// Raised-cosine fades at both ends so the sound neither starts nor stops with a click.
void fadeEnds(std::vector<double>& s, int fadeIn, int fadeOut) {
    const int n = static_cast<int>(s.size());
    for (int i = 0; i < fadeIn && i < n; ++i)
        s[i] *= 0.5 - 0.5 * std::cos(kPi * i / fadeIn);
    for (int i = 0; i < fadeOut && i < n; ++i)
        s[n - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * i / fadeOut);
}

void normalise(std::vector<double>& s, double peak) {
    double m = 0;
    for (double v : s) m = std::max(m, std::fabs(v));
    if (m > 0)
        for (double& v : s) v *= peak / m;
}

int samplesFor(int fileSize, int bits) { return (fileSize - kHeaderSize) / (bits / 8); }

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

std::vector<uint8_t> wavImage(int sampleRate, int bits, const std::vector<double>& samples) {
    const uint32_t bytesPerSample = bits / 8;
    const uint32_t dataSize = static_cast<uint32_t>(samples.size()) * bytesPerSample;
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + dataSize);
    putTag(out, "RIFF");
    put32(out, 36 + dataSize);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, sampleRate);
    put32(out, sampleRate * bytesPerSample);
    put16(out, bytesPerSample);
    put16(out, bits);
    putTag(out, "data");
    put32(out, dataSize);
    for (double v : samples) {
        const double c = std::clamp(v, -1.0, 1.0);
        if (bits == 8) {
            out.push_back(static_cast<uint8_t>(std::lround(c * 127.0) + 128));
        } else {
            const long q = std::lround(c * 32767.0);
            put16(out, static_cast<uint16_t>(static_cast<int16_t>(q)));
        }
    }
    return out;
}

std::vector<uint8_t> makeAppl() {
    constexpr int rate = 11025;
    const int n = samplesFor(77260, 16);
    std::vector<double> s(n, 0.0);
    // An alarm-clock bell: a hammer strikes 18 times a second in two bursts; the bell is a
    // few damped, slightly inharmonic partials, and two of them beat against each other.
    Resonator p1(830.0, 0.35, rate), p1b(836.0, 0.35, rate), p2(2270.0, 0.18, rate),
        p3(3650.0, 0.08, rate);
    Noise noise(0x5EEDu);
    const double strikeEvery = rate / 18.0;
    const auto ringing = [&](double t) {
        return (t < 1.30) || (t >= 1.65 && t < 2.95);
    };
    double nextStrike = 0;
    double click = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        double impulse = 0;
        if (i >= nextStrike) {
            nextStrike += strikeEvery;
            if (ringing(t)) {
                impulse = 1.0;
                click = 1.0;
            }
        }
        const double c = click * noise.next();
        click *= 0.90;  // the hammer's tick lasts a few milliseconds
        s[i] = p1.step(impulse) + 0.8 * p1b.step(impulse) + 0.55 * p2.step(impulse) +
               0.25 * p3.step(impulse) + 0.15 * c;
    }
    normalise(s, 0.55);  // it rings for 3.5 s over the music: not too loud
    fadeEnds(s, 40, 1100);
    return wavImage(rate, 16, s);
}

std::vector<uint8_t> makeGood() {
    constexpr int rate = 11025;
    const int n = samplesFor(9622, 8);
    std::vector<double> s(n, 0.0);
    // C major arpeggio, C6 E6 G6 C7, each note a struck chime with a soft octave overtone.
    const double notes[] = {1046.50, 1318.51, 1567.98, 2093.00};
    for (int k = 0; k < 4; ++k) {
        const int start = static_cast<int>(k * 0.085 * rate);
        const double f = notes[k];
        const double tau = 0.30 - 0.04 * k;
        for (int i = start; i < n; ++i) {
            const double t = static_cast<double>(i - start) / rate;
            const double attack = std::min(1.0, t / 0.004);
            const double env = attack * std::exp(-t / tau);
            s[i] += env * (std::sin(2 * kPi * f * t) + 0.25 * std::exp(-t / 0.08) *
                                                           std::sin(2 * kPi * 2 * f * t));
        }
    }
    normalise(s, 0.72);
    fadeEnds(s, 20, 1200);
    return wavImage(rate, 8, s);
}

std::vector<uint8_t> makeSlide() {
    constexpr int rate = 22050;
    const int n = samplesFor(15258, 16);
    std::vector<double> s(n, 0.0);
    // Band-passed noise whose centre glides upwards, with a smooth rise and a longer fall:
    // the air a tile pushes along.
    // Two band-pass stages in a row keep the hiss above the band down.
    Noise noise(0xC0FFEEu);
    double low1 = 0, band1 = 0, low2 = 0, band2 = 0;
    for (int i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) / n;
        const double centre = 350.0 + 1300.0 * x * x;
        const double f = 2.0 * std::sin(kPi * centre / rate);
        const double q = 0.8;  // damping of the state-variable filters: a fairly wide band
        const double in = noise.next();
        const double high1 = in - low1 - q * band1;
        band1 += f * high1;
        low1 += f * band1;
        const double high2 = band1 - low2 - q * band2;
        band2 += f * high2;
        low2 += f * band2;
        const double band = band2;
        const double env = x < 0.3 ? std::sin(0.5 * kPi * x / 0.3)
                                   : 0.5 + 0.5 * std::cos(kPi * (x - 0.3) / 0.7);
        s[i] = band * env * env;
    }
    normalise(s, 0.35);
    fadeEnds(s, 60, 200);
    return wavImage(rate, 16, s);
}

std::vector<Effect> allEffects() {
    return {{"APPL", "appl.wav", makeAppl()},
            {"GOOD", "good.wav", makeGood()},
            {"SLIDE", "slide.wav", makeSlide()}};
}

}  // namespace marlipan::sfx
