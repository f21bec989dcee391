// A small text notation for three-voice chip songs, and its translation into the register
// frames of a YM5 song (one frame of 16 register bytes per 1/50 second).
//
// Score format (one statement per line; '#' at the start of a line or after a blank starts a
// comment, while in a note such as "f#4" it is a sharp):
//   name: Harbour Waltz            song name written into the YM file
//   comment: A calm waltz          its comment (the author is always "Marlipan")
//   speed: 12                      frames (1/50 s) per step; a step is the shortest note
//   inst NAME key=value ...        an instrument (keys below)
//   seq NAME = tokens...           a named run of tokens, used in voice lines as $NAME
//   pattern NAME                   starts a pattern; inside it:
//     A: tokens...                 voice A's part (B:, C: likewise; lines add up)
//   end                            ends the pattern
//   order: intro verse verse       the patterns in playing order
//   loop: 1                        index into the order where playback continues at the end
//
// Voice tokens: a note "c5", "f#3", "bb4" (octave 0..8, A4 = 440 Hz), optionally with a length
// in steps "c5:4" (a note without length takes the previous one); "r" or "r:N" a rest;
// "-" or "-:N" holds the previous note longer; "@NAME" switches to an instrument;
// "$NAME" inserts a seq; "( ... )*N" repeats a group; "|" is ignored (bar lines).
//
// Instrument keys: env=15,14,12 (volume per frame, 0..15, the last one held); vol=N (scales
// the envelope, 15 = as written); arp=0,4,7 (semitone offsets cycled through) with
// arpspeed=F (frames per arpeggio step); pitch=0,-5,-9 (semitone offsets per frame, the
// last held: drum sweeps); vib=CENTS and vibdelay=F (vibrato at about 5.5 Hz); cut=F (the
// last F frames of every note are silent); tone=0 (no square wave); toneframes=F (square
// wave only for the first F frames); noise=P (noise of period 1..31 mixed in) with
// noiseframes=F; buzz=SHAPE (the chip's envelope generator, shape 8/12 saw or 10/14
// triangle, runs at the note's pitch and sets the volume).
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlipan::songgen {

constexpr int kChipClock = 2000000;  // the player always runs the chip at this clock
constexpr int kFrameRate = 50;
constexpr int kRegisters = 16;

class ScoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Note number: 12 x (octave + 1) + semitone, so A4 = 69 and C4 = 60.
double noteFrequency(double note);
// Tone period register value for a frequency: clock / (16 x f), rounded, 1..4095.
int tonePeriod(double frequency);
// Envelope period for the hardware envelope to repeat at a frequency with the given shape.
int envelopePeriod(double frequency, int shape);

struct Song {
    std::string name;
    std::string author = "Marlipan";
    std::string comment;
    int loopFrame = 0;
    std::vector<std::array<uint8_t, kRegisters>> frames;
};

// Parses a score and renders its frames. Errors name the line: "line 12: unknown note 'h4'".
Song compose(const std::string& scoreText);

// A YM5 file: header, texts, then the frames interleaved by register.
std::vector<uint8_t> writeYm5(const Song& song);

}  // namespace marlipan::songgen
