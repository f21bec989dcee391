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
//
// The player's special effects are instrument keys too; they run on the player's two effect
// timers, so at most two voices use one at a time (a third plays plainly meanwhile):
//   sid=R          SID voice: the volume flips between 0 and the envelope's volume R x twice
//                  per period of the note. sid=2 is the lead sound: a quarter of every period
//                  sounds, its shape sweeping as the timer drifts against the tone; at sid=1
//                  the two can cancel for a moment (with tone=0 it is a plain square)
//   sinus=R        sinus SID: the volume follows a sine at R x the note's frequency; no square
//                  wave unless tone=1 follows (a soft pad)
//   sync=SHAPE     sync buzzer: the envelope (shape 8..15) runs at syncratio=R x the note's
//                  frequency and is restarted at the note's frequency (default R = 1.5)
//   drum=NAME      a digital drum: kick, snare or hat, samples synthesised by the generator;
//                  the note's pitch is ignored and its channel is the drum's until it ends
// A song that uses only a SID voice and drums is written as YM5, any other effect makes YM6.
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

// The player's effect types, as the YM6 format numbers them.
enum EffectKind : uint8_t { kSid = 0, kDrum = 1, kSinus = 2, kSync = 3 };

// An effect timer: prescaler index 1..7 and count 1..255; it fires
// 2 500 000 / (factor x count) times a second (factors 4, 10, 16, 50, 64, 100, 200).
struct EffectTimer {
    uint8_t prescaler = 0;
    uint8_t count = 0;
    double rate() const;
};
// The timer closest to `eventsPerSecond`, or a stopped one (prescaler 0) when the rate is
// out of the timers' reach.
EffectTimer effectTimer(double eventsPerSecond);

// One effect slot of a frame.
struct FrameEffect {
    uint8_t channel = 0;  // 1 A, 2 B, 3 C; 0: none this frame
    uint8_t kind = kSid;
    EffectTimer timer;
    uint8_t level = 0;    // SID and sinus: volume; drum: drum number; sync: envelope shape
    bool restart = false; // a new note: the timer starts over (YM5 SID only)
};

// The synthesised drum kit: kick, snare, hat, in this order, as unsigned 8-bit samples
// played at kDrumRate samples a second.
enum DrumName { kKick = 0, kSnare = 1, kHat = 2 };
extern const double kDrumRate;
const std::vector<std::vector<uint8_t>>& drumKit();
EffectTimer drumTimer();
// Drum number by name ("kick", "snare", "hat"), -1 if there is none.
int drumNumber(const std::string& name);

struct Song {
    std::string name;
    std::string author = "Marlipan";
    std::string comment;
    int loopFrame = 0;
    std::vector<std::array<uint8_t, kRegisters>> frames;
    // Per frame, the two effect slots; empty when the song uses no effects.
    std::vector<std::array<FrameEffect, 2>> effects;
    std::vector<std::vector<uint8_t>> drums;  // unsigned 8-bit samples
};

// How a voice sounds: the instrument keys of the score.
struct Instrument {
    std::vector<int> env{15};
    int vol = 15;
    std::vector<int> arp{0};
    int arpSpeed = 1;
    std::vector<double> pitch{0};
    double vibCents = 0;
    int vibDelay = 0;
    int cut = 0;
    bool tone = true;
    int toneFrames = 0;
    int noise = 0;
    int noiseFrames = 0;
    int buzz = -1;
    double sid = 0;         // > 0: SID voice at this multiple of the note's frequency
    double sinus = 0;       // > 0: sinus SID at this multiple
    int sync = -1;          // >= 0: sync buzzer with this envelope shape
    double syncRatio = 1.5;
    int drum = -1;          // >= 0: this drum of the kit
};

// A note in frames; note -1 is a rest. velocity scales the instrument's volume (15 = as is).
struct Note {
    int start = 0;
    int length = 0;
    int note = -1;
    int instrument = 0;
    int velocity = 15;
};

// Three voices of notes, each sorted by start and not overlapping, ready to be rendered.
struct Arrangement {
    std::string name, author = "Marlipan", comment;
    std::vector<Instrument> instruments;
    std::vector<Note> voices[3];
    int totalFrames = 0;
    int loopFrame = 0;
};

// Renders an arrangement into register frames and effect slots.
Song render(const Arrangement& arrangement);

// Parses a score and renders its frames. Errors name the line: "line 12: unknown note 'h4'".
Song compose(const std::string& scoreText);

// True when the song's effects fit the YM5 format: a SID voice in the first slot and
// digital drums in the second, nothing else.
bool fitsYm5(const Song& song);
// The song as a YM file: YM5 when it fits, else YM6; header, drums, texts, then the
// frames interleaved by register.
std::vector<uint8_t> writeYm(const Song& song);

}  // namespace marlipan::songgen
