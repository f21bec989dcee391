// How loud a song plays in the game: the engine renders it as the game does and
// libebur128 measures it as broadcast meters do (integrated loudness after ITU BS.1770,
// gated as EBU R128 gates it), for both channels together and for each alone; and a song
// can be cut down to some of its voices, to hear how loud each part is by itself.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace marlipan::songmeter {

struct Loudness {
    double integrated = 0;    // LUFS, both channels; -inf for silence
    double left = 0;          // LUFS of the left channel alone
    double right = 0;         // and of the right one
    double Balance() const { return left - right; }   // dB; above 0 leans left
};

// Silences every voice not in `keep` (bit 0 voice A, bit 1 B, bit 2 C) of an unpacked
// song in every frame: its volume, and the special effects that play on it.
// False, with the song untouched, when the engine does not know the song's format.
bool KeepVoices(std::vector<uint8_t>& song, unsigned keep);

// Plays one pass of an unpacked song (all its frames, the intro included) through the
// game's engine at full volume (255) and measures it. Throws std::invalid_argument for a
// song the engine cannot play.
Loudness Measure(const std::vector<uint8_t>& song);

// The same for both channels together only, in a third of the time: `integrated`.
double Integrated(const std::vector<uint8_t>& song);

// The integrated loudness of each voice alone (A, B, C), measured as above.
std::array<double, 3> MeasureVoices(const std::vector<uint8_t>& song);

}  // namespace marlipan::songmeter
