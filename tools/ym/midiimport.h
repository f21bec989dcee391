// Standard MIDI Files (format 0 and 1) to chip songs: the notes are read with libsmf,
// the tempo map turned into 1/50 s frames, and at most three parts chosen and reduced to
// one note at a time each, for the chip's three voices.
//
// The default choice of parts, by MIDI channel:
//   - the parts that matter are those playing at least a fifth as long as the busiest one;
//   - voice B, the melody: of those, the one highest on average (weighted by duration); the
//     chip puts B in the middle of the stereo picture, A to the left and C to the right;
//   - voice C, the bass: of the rest of those, the one lowest on average;
//   - voice A, the third part: the drums (channel 10) when the song has any, since chip
//     music keeps its beat; otherwise the busiest part not chosen yet.
// A chosen part with chords keeps its top note (the bass keeps its bottom note); a new note
// ends the one before it. The drums become the chip's digital drums (kick and snare,
// synthesised samples) and noise (hi-hats, cymbals), toms a short falling tone.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/songgen/score.h"

namespace marlipan::midi {

class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ImportOptions {
    std::vector<int> channels;  // MIDI channels 1..16 for voices A, B, C; empty: chosen as above
                                // (of these, the first that is neither drums nor bass leads)
    int transpose = 0;          // semitones, drums excepted
    int loopBar = 0;            // 1-based bar where playback continues; 0: the start
    std::string title;          // empty: the file's first track name, else `fallbackTitle`
    std::string fallbackTitle;
    std::string author;
    bool effects = false;       // SID voice on the melody, sync buzzer on the bass
};

struct Part {
    char voice = 'A';           // the chip's voice, 'A' to 'C'
    int channel = 0;            // 1..16
    std::string role;           // "melody", "middle", "bass", "drums"
    int notes = 0;              // notes it plays after the reduction
};

struct Import {
    songgen::Song song;
    std::vector<Part> parts;    // the voices that play, A to C
    int bars = 0;
    double seconds = 0;
};

// Reads a MIDI file's bytes and arranges it. Throws ImportError with a one-line message.
Import importMidi(const std::vector<uint8_t>& data, const ImportOptions& options);

// "1,3,10" -> {1, 3, 10}; throws ImportError for anything but one to three channels 1..16.
std::vector<int> parseChannels(const std::string& text);

}  // namespace marlipan::midi
