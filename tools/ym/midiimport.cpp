#include "tools/ym/midiimport.h"

#include <smf.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <map>
#include <memory>
#include <sstream>

namespace marlipan::midi {
namespace {

constexpr int kDrumChannel = 10;
constexpr double kMaxSeconds = 30 * 60.0;  // longer songs would not fit a gamepack anyway

// libsmf reports its reasons through GLib's log; the last one becomes our message.
std::string g_lastLibraryMessage;
void KeepMessage(const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
    g_lastLibraryMessage = message ? message : "";
}

struct SmfDeleter {
    void operator()(smf_t* smf) const { smf_delete(smf); }
};
using SmfPtr = std::unique_ptr<smf_t, SmfDeleter>;

struct MidiNote {
    double start = 0, end = 0;  // seconds
    int startPulse = 0, endPulse = 0;
    int channel = 0;            // 1..16
    int key = 0;
    int level = 15;             // 1..15 from velocity, channel volume and expression
};

// Velocity and channel volume as loudness (40 log10 of each ratio, the usual curve of
// General MIDI players) on the chip's levels, about 3 dB apart.
int ChipLevel(int velocity, int volume, int expression) {
    const auto db = [](int v) { return 40.0 * std::log10(std::max(v, 1) / 127.0); };
    const double level = 15.0 + (db(velocity) + db(volume) + db(expression)) / 3.0;
    return std::clamp(int(std::lround(level)), 1, 15);
}

struct Reading {
    std::vector<MidiNote> notes;
    std::string trackName;
    std::vector<int> barStarts;  // in frames, the last one at or past the end of the last note
    int ppqn = 0;
};

// libsmf reads a track until its end-of-track event and aborts the whole program when the
// track's bytes run out first. So before handing a track over, its events are only measured
// here, not interpreted: each must fit, and the end-of-track event must be the last bytes.
// Running status is not carried over a meta or system-exclusive event, as the file format
// says; a file that relies on it is refused rather than read differently from libsmf.
bool EndsWithEndOfTrack(const uint8_t* p, size_t n) {
    size_t at = 0;
    const auto quantity = [&](uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (at >= n) return false;
            const uint8_t b = p[at++];
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;  // longer than four bytes
    };
    uint8_t running = 0;
    while (at < n) {
        uint32_t delta, length;
        if (!quantity(delta) || at >= n) return false;
        uint8_t status = p[at];
        if (status & 0x80) ++at;
        else if (running) status = running;
        else return false;  // a data byte where an event should start
        if (status == 0xFF) {
            if (at >= n) return false;
            const uint8_t type = p[at++];
            if (!quantity(length) || length > n - at) return false;
            at += length;
            running = 0;
            if (type == 0x2F) return at == n;
        } else if (status == 0xF0 || status == 0xF7) {
            if (!quantity(length) || length > n - at) return false;
            at += length;
            running = 0;
        } else if (status >= 0xF0) {
            return false;  // no system common or real-time messages in a file
        } else {
            const size_t bytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
            if (bytes > n - at) return false;
            for (size_t i = 0; i < bytes; ++i)
                if (p[at + i] & 0x80) return false;
            at += bytes;
            running = status;
        }
    }
    return false;
}

double SecondsAt(const smf_t* smf, int64_t pulses) {
    const smf_tempo_t* t = smf_get_tempo_by_pulses(smf, int(std::min<int64_t>(pulses, INT32_MAX)));
    if (!t || smf->ppqn <= 0) return 0;
    return t->time_seconds + (pulses - t->time_pulses) * (t->microseconds_per_quarter_note / 1e6) / smf->ppqn;
}

Reading Read(const std::vector<uint8_t>& data) {
    if (data.size() < 14 || std::string(data.begin(), data.begin() + 4) != "MThd")
        throw ImportError("not a Standard MIDI File (no MThd header)");
    // libsmf reads what it can of a cut-off track; a file shorter than its chunks say is
    // refused here instead, so a truncated song is reported rather than imported half.
    size_t at = 0;
    for (int chunk = 0; at < data.size(); ++chunk) {
        if (data.size() - at < 8)
            throw ImportError("truncated: the file ends inside a chunk header");
        const uint32_t length = uint32_t(data[at + 4]) << 24 | uint32_t(data[at + 5]) << 16 |
                                uint32_t(data[at + 6]) << 8 | data[at + 7];
        if (length > data.size() - at - 8)
            throw ImportError(chunk == 0 ? std::string("truncated: the file ends inside its header")
                                         : "truncated: track " + std::to_string(chunk) + " ends " +
                                               std::to_string(length - (data.size() - at - 8)) +
                                               " bytes early");
        if (chunk > 0 && std::string(data.begin() + at, data.begin() + at + 4) == "MTrk" &&
            !EndsWithEndOfTrack(data.data() + at + 8, length))
            throw ImportError("truncated: track " + std::to_string(chunk) +
                              " runs out before its end-of-track event");
        at += 8 + size_t(length);
    }
    g_lastLibraryMessage.clear();
    const GLogFunc previous = g_log_set_default_handler(KeepMessage, nullptr);
    SmfPtr smf(smf_load_from_memory(data.data(), int(std::min<size_t>(data.size(), 1u << 30))));
    g_log_set_default_handler(previous, nullptr);
    if (!smf) {
        std::string why = g_lastLibraryMessage;
        std::replace(why.begin(), why.end(), '\n', ' ');
        throw ImportError("cannot read the MIDI file" + (why.empty() ? std::string() : ": " + why));
    }
    if (smf->format > 1) throw ImportError("format 2 MIDI files (separate patterns) are not supported");
    if (smf->ppqn <= 0) throw ImportError("SMPTE-timed MIDI files are not supported");

    Reading r;
    r.ppqn = smf->ppqn;
    struct Open {
        double start;
        int startPulse, level;
    };
    std::map<std::pair<int, int>, std::vector<Open>> open;  // (channel, key) -> held notes
    int volume[17], expression[17];
    std::fill(volume, volume + 17, 100);  // the General MIDI default
    std::fill(expression, expression + 17, 127);
    int lastPulse = 0;
    double lastSeconds = 0;
    smf_rewind(smf.get());
    while (smf_event_t* e = smf_get_next_event(smf.get())) {
        lastPulse = std::max(lastPulse, e->time_pulses);
        lastSeconds = std::max(lastSeconds, e->time_seconds);
        const unsigned char* m = e->midi_buffer;
        const int n = e->midi_buffer_length;
        if (n < 1) continue;
        if (m[0] == 0xFF) {
            if (n >= 3 && m[1] == 0x03 && r.trackName.empty()) {
                // Track name: a variable-length count, then the text.
                int at = 2, len = 0;
                while (at < n && (m[at] & 0x80)) len = (len << 7) | (m[at++] & 0x7F);
                if (at < n) len = (len << 7) | m[at++];
                len = std::min(len, n - at);
                for (int i = 0; i < len; ++i)
                    if (m[at + i] >= 0x20) r.trackName += char(m[at + i]);
            }
            continue;
        }
        if (smf_event_is_metadata(e) || m[0] < 0x80 || m[0] >= 0xF0) continue;
        const int status = m[0] & 0xF0, channel = (m[0] & 0x0F) + 1;
        if (status == 0xB0 && n >= 3) {
            if (m[1] == 7) volume[channel] = m[2];
            if (m[1] == 11) expression[channel] = m[2];
            if (m[1] == 121) expression[channel] = 127;  // reset all controllers
            continue;
        }
        if ((status != 0x90 && status != 0x80) || n < 3) continue;
        auto& held = open[{channel, m[1]}];
        if (status == 0x90 && m[2] > 0) {
            held.push_back({e->time_seconds, e->time_pulses, ChipLevel(m[2], volume[channel], expression[channel])});
        } else if (!held.empty()) {
            const Open o = held.front();
            held.erase(held.begin());
            r.notes.push_back({o.start, e->time_seconds, o.startPulse, e->time_pulses, channel, m[1], o.level});
        }
    }
    // Notes never released end with the song.
    for (auto& [key, held] : open)
        for (const Open& o : held)
            r.notes.push_back({o.start, lastSeconds, o.startPulse, lastPulse, key.first, key.second, o.level});
    r.notes.erase(std::remove_if(r.notes.begin(), r.notes.end(),
                                 [](const MidiNote& n) { return !(n.end >= n.start); }),
                  r.notes.end());
    if (r.notes.empty()) throw ImportError("the song has no notes");
    std::sort(r.notes.begin(), r.notes.end(), [](const MidiNote& a, const MidiNote& b) {
        return a.startPulse != b.startPulse ? a.startPulse < b.startPulse : a.key > b.key;
    });

    // Bars from the time signatures (4/4 until the first one); a change starts a new bar.
    int endPulse = 0;
    for (const MidiNote& n : r.notes) endPulse = std::max(endPulse, std::max(n.endPulse, n.startPulse + 1));
    std::vector<const smf_tempo_t*> signatures;
    for (int i = 0; const smf_tempo_t* t = smf_get_tempo_by_number(smf.get(), i); ++i) signatures.push_back(t);
    // libsmf lists tempo and signature changes together: keep the signature changes.
    const auto barPulses = [&](const smf_tempo_t* t) {
        return t->numerator > 0 && t->denominator > 0 ? std::max(1, 4 * r.ppqn * t->numerator / t->denominator)
                                                      : 4 * r.ppqn;
    };
    std::vector<std::pair<int, int>> changes;  // pulse, bar length from there on
    for (const smf_tempo_t* t : signatures)
        if (changes.empty() || barPulses(t) != changes.back().second) changes.push_back({t->time_pulses, barPulses(t)});
    // The length is checked first, so a hostile file cannot make the bars below endless.
    if (SecondsAt(smf.get(), endPulse) > kMaxSeconds) throw ImportError("the song is longer than 30 minutes");
    constexpr size_t kMaxBars = 20000;  // thirty minutes of bars a tenth of a second long
    int64_t pulse = 0;
    int barLength = 4 * r.ppqn;
    size_t next = 0;
    while (true) {
        while (next < changes.size() && changes[next].first <= pulse) barLength = changes[next++].second;
        if (r.barStarts.size() >= kMaxBars) throw ImportError("the song has more than 20000 bars");
        r.barStarts.push_back(int(std::lround(SecondsAt(smf.get(), pulse) * songgen::kFrameRate)));
        if (pulse >= endPulse) break;
        int64_t step = barLength;
        if (next < changes.size() && changes[next].first < pulse + step)
            step = changes[next].first - pulse;  // a signature change mid-bar starts a new bar
        pulse += step;
    }
    if (r.barStarts.back() > kMaxSeconds * songgen::kFrameRate)
        throw ImportError("the song is longer than 30 minutes");
    return r;
}

struct ChannelStats {
    double seconds = 0, pitch = 0;
    int notes = 0;
};

enum Line { kTop, kBottom, kDrums };

// The instruments of an imported song, by index.
enum InstrumentIndex { kLead, kMiddle, kBass, kKickDrum, kSnareDrum, kHatNoise, kCymbalNoise, kTom, kCount };

std::vector<songgen::Instrument> Instruments(bool effects) {
    std::vector<songgen::Instrument> inst(kCount);
    inst[kLead].env = {15, 14, 14, 13, 13, 12};
    inst[kLead].vibCents = 12;
    inst[kLead].vibDelay = 15;
    inst[kMiddle].env = {14, 13, 12, 12, 11, 11, 10};
    inst[kMiddle].vol = 13;
    inst[kBass].env = {15, 15, 14, 14, 13};
    inst[kKickDrum].drum = songgen::kKick;
    inst[kSnareDrum].drum = songgen::kSnare;
    inst[kHatNoise].tone = false;
    inst[kHatNoise].noise = 1;
    inst[kHatNoise].env = {11, 8, 5, 2, 0};
    inst[kCymbalNoise].tone = false;
    inst[kCymbalNoise].noise = 3;
    inst[kCymbalNoise].env = {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    inst[kTom].env = {15, 13, 11, 9, 7, 5, 3, 1, 0};
    inst[kTom].pitch = {0, -1, -2, -3, -4, -5, -6};
    inst[kTom].noise = 8;
    inst[kTom].noiseFrames = 1;
    if (effects) {
        inst[kLead].sid = 2;  // a quarter of each period sounds, however tone and timer drift
        // The envelope alone sounds, as the score's sync= has it: with the square wave on
        // as well, each note's level would depend on where the two happen to meet.
        inst[kBass].sync = 12;
        inst[kBass].syncRatio = 1.5;
        inst[kBass].tone = false;
    }
    return inst;
}

// The instrument and pitch that play a General MIDI percussion key; -1: not played.
int DrumInstrument(int key) {
    switch (key) {
    case 35: case 36: return kKickDrum;
    case 37: case 38: case 39: case 40: return kSnareDrum;
    case 42: case 44: case 46: case 54: case 69: case 70: return kHatNoise;
    case 49: case 51: case 52: case 53: case 55: case 57: case 59: return kCymbalNoise;
    case 41: case 43: case 45: case 47: case 48: case 50: return kTom;
    default: return -1;
    }
}

// Drum instruments that matter more win a shared start: kick, snare, tom, then the rest.
int DrumRank(int instrument) {
    switch (instrument) {
    case kKickDrum: return 0;
    case kSnareDrum: return 1;
    case kTom: return 2;
    default: return 3;
    }
}

// Notes that start within this time of each other are played as one chord (abc2midi and
// players' recordings spread a chord's notes by a few milliseconds).
constexpr double kChordSpread = 0.03;

// One note at a time: of the notes of a chord the top (or bottom) one sounds, and a new
// note ends the one before it.
std::vector<songgen::Note> Reduce(const std::vector<MidiNote>& all, int channel, Line line, int instrument,
                                  int transpose) {
    struct Candidate {
        double start;
        int end, key, level, instrument, rank;
    };
    std::vector<Candidate> c;
    for (const MidiNote& n : all) {
        if (n.channel != channel) continue;
        const int end = int(std::lround(n.end * songgen::kFrameRate));
        if (line == kDrums) {
            const int inst = DrumInstrument(n.key);
            if (inst < 0) continue;
            c.push_back({n.start, end, n.key, n.level, inst, DrumRank(inst)});
        } else {
            int key = n.key + transpose;
            while (key < 23) key += 12;   // B0, the lowest the chip's 12-bit period reaches
            while (key > 120) key -= 12;
            c.push_back({n.start, end, key, n.level, instrument, line == kTop ? -key : key});
        }
    }
    std::stable_sort(c.begin(), c.end(), [](const Candidate& a, const Candidate& b) { return a.start < b.start; });
    std::vector<songgen::Note> out;
    for (size_t i = 0; i < c.size();) {
        size_t best = i, j = i + 1;
        for (; j < c.size() && c[j].start - c[i].start < kChordSpread; ++j)
            if (c[j].rank < c[best].rank) best = j;
        const Candidate& n = c[best];
        const int start = int(std::lround(c[i].start * songgen::kFrameRate));
        i = j;
        if (!out.empty() && out.back().start >= start) continue;  // two chords in one frame
        if (!out.empty() && out.back().start + out.back().length > start)
            out.back().length = start - out.back().start;
        int length = std::max(1, n.end - start);
        if (line == kDrums) length = std::max(length, 25);  // a drum rings until the next hit
        // Toms sound at their key: General MIDI's 41..50 run from a low floor tom to a high tom.
        const int key = line != kDrums || n.instrument == kTom ? n.key : 60;
        out.push_back({start, length, key, n.instrument, n.level});
    }
    for (size_t i = 0; i + 1 < out.size(); ++i)
        out[i].length = std::min(out[i].length, out[i + 1].start - out[i].start);
    // A note of the chip's voice that runs straight into the next one sounds tied; a frame
    // of silence before the next note keeps repeated notes apart.
    if (line != kDrums)
        for (size_t i = 0; i + 1 < out.size(); ++i)
            if (out[i].start + out[i].length == out[i + 1].start && out[i].length > 2) --out[i].length;
    return out;
}

}  // namespace

std::vector<int> parseChannels(const std::string& text) {
    std::vector<int> out;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        char* end = nullptr;
        const long v = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || v < 1 || v > 16)
            throw ImportError("--voices: '" + item + "' is not a MIDI channel 1..16");
        if (std::find(out.begin(), out.end(), int(v)) != out.end())
            throw ImportError("--voices: channel " + item + " is given twice");
        out.push_back(int(v));
    }
    if (out.empty() || out.size() > 3 || (!text.empty() && text.back() == ','))
        throw ImportError("--voices: one to three MIDI channels, such as 1,3,10");
    return out;
}

Import importMidi(const std::vector<uint8_t>& data, const ImportOptions& options) {
    const Reading r = Read(data);

    std::map<int, ChannelStats> stats;
    for (const MidiNote& n : r.notes) {
        ChannelStats& s = stats[n.channel];
        const double d = std::max(n.end - n.start, 0.01);
        s.seconds += d;
        s.pitch += d * n.key;
        ++s.notes;
    }
    for (auto& [channel, s] : stats) s.pitch /= s.seconds;
    const bool hasDrums = stats.count(kDrumChannel) > 0;

    // Channel and line of voices A, B and C; channel 0: the voice stays silent.
    std::pair<int, Line> chosen[3] = {{0, kTop}, {0, kTop}, {0, kTop}};
    int melody = -1;  // the channel that gets the lead instrument
    if (!options.channels.empty()) {
        int lowest = -1;
        for (int ch : options.channels) {
            if (!stats.count(ch)) throw ImportError("--voices: channel " + std::to_string(ch) + " plays no notes");
            if (ch != kDrumChannel && (lowest < 0 || stats[ch].pitch < stats[lowest].pitch)) lowest = ch;
        }
        int pitched = 0;
        for (int ch : options.channels) pitched += ch != kDrumChannel;
        for (size_t v = 0; v < options.channels.size(); ++v) {
            const int ch = options.channels[v];
            chosen[v] = {ch, ch == kDrumChannel ? kDrums : (pitched > 1 && ch == lowest) ? kBottom : kTop};
            if (chosen[v].second == kTop && melody < 0) melody = ch;
        }
    } else {
        double busiest = 0;
        for (const auto& [ch, s] : stats)
            if (ch != kDrumChannel) busiest = std::max(busiest, s.seconds);
        std::vector<int> pool;
        for (const auto& [ch, s] : stats)
            if (ch != kDrumChannel && s.seconds >= busiest / 5) pool.push_back(ch);
        int bass = -1, middle = -1;
        for (int ch : pool)
            if (melody < 0 || stats[ch].pitch > stats[melody].pitch) melody = ch;
        for (int ch : pool)
            if (ch != melody && (bass < 0 || stats[ch].pitch < stats[bass].pitch)) bass = ch;
        if (hasDrums) {
            middle = kDrumChannel;
        } else {
            for (const auto& [ch, s] : stats)
                if (ch != melody && ch != bass && (middle < 0 || s.seconds > stats[middle].seconds)) middle = ch;
        }
        // The tune in the middle of the stereo picture, the parts under it to the sides.
        if (middle >= 0) chosen[0] = {middle, middle == kDrumChannel ? kDrums : kTop};
        if (melody >= 0) chosen[1] = {melody, kTop};
        if (bass >= 0) chosen[2] = {bass, kBottom};
    }

    Import result;
    songgen::Arrangement arr;
    arr.instruments = Instruments(options.effects);
    arr.name = !options.title.empty() ? options.title : !r.trackName.empty() ? r.trackName : options.fallbackTitle;
    arr.author = options.author;
    arr.totalFrames = r.barStarts.back();
    for (int v = 0; v < 3; ++v) {
        const auto [channel, line] = chosen[v];
        if (channel == 0) continue;
        const int instrument = line == kDrums ? 0 : line == kBottom ? kBass : channel == melody ? kLead : kMiddle;
        arr.voices[v] = Reduce(r.notes, channel, line, instrument, options.transpose);
        const char* role = line == kDrums ? "drums" : line == kBottom ? "bass" : instrument == kLead ? "melody" : "middle";
        result.parts.push_back({char('A' + v), channel, role, int(arr.voices[v].size())});
    }
    result.bars = int(r.barStarts.size()) - 1;
    if (options.loopBar > 0) {
        if (options.loopBar > result.bars)
            throw ImportError("--loop-bar " + std::to_string(options.loopBar) + ": the song has only " +
                              std::to_string(result.bars) + " bars");
        arr.loopFrame = r.barStarts[options.loopBar - 1];
    }
    std::ostringstream comment;
    comment << "Imported from MIDI";
    arr.comment = comment.str();
    result.song = songgen::render(arr);
    result.seconds = arr.totalFrames / double(songgen::kFrameRate);
    return result;
}

}  // namespace marlipan::midi
