// Synthesis of the game's three sound effects as complete RIFF WAVE images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlipan::sfx {

struct Effect {
    std::string resourceName;  // name under which the game looks the sound up
    std::string fileName;      // file in resources/
    std::vector<uint8_t> wav;  // the whole WAV image, header included
};

// Mono PCM WAV image (44-byte header + data) from samples in -1..1.
// bits is 8 (unsigned) or 16 (signed little-endian).
std::vector<uint8_t> wavImage(int sampleRate, int bits, const std::vector<double>& samples);

// The game plays these images as they are, so their formats and byte sizes are fixed:
// APPL 11 025 Hz 16-bit 77 260 bytes, GOOD 11 025 Hz 8-bit 9 622 bytes,
// SLIDE 22 050 Hz 16-bit 15 258 bytes.
std::vector<uint8_t> makeAppl();   // alarm bell: the clock ran out
std::vector<uint8_t> makeGood();   // rising chime: a level is solved
std::vector<uint8_t> makeSlide();  // soft swoosh: a tile starts to slide

std::vector<Effect> allEffects();

}  // namespace marlipan::sfx
