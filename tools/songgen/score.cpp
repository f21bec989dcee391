#include "tools/songgen/score.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace marlipan::songgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A note of the score, in steps.
struct Event {
    int start = 0;   // in steps
    int length = 0;  // in steps
    int note = -1;   // -1: rest
    int instrument = 0;
};

struct Token {
    std::string text;
    int line;
};

[[noreturn]] void fail(int line, const std::string& what) {
    throw ScoreError("line " + std::to_string(line) + ": " + what);
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

int toInt(const std::string& s, int line, const std::string& what) {
    try {
        size_t used = 0;
        const int v = std::stoi(s, &used);
        if (used != s.size()) throw std::invalid_argument(s);
        return v;
    } catch (const std::exception&) {
        fail(line, "bad number '" + s + "' for " + what);
    }
}

double toDouble(const std::string& s, int line, const std::string& what) {
    try {
        size_t used = 0;
        const double v = std::stod(s, &used);
        if (used != s.size()) throw std::invalid_argument(s);
        return v;
    } catch (const std::exception&) {
        fail(line, "bad number '" + s + "' for " + what);
    }
}

template <typename T, typename Convert>
std::vector<T> list(const std::string& s, int line, const std::string& what, Convert convert) {
    std::vector<T> out;
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, ',')) out.push_back(convert(trim(item), line, what));
    if (out.empty()) fail(line, "empty list for " + what);
    return out;
}

Instrument parseInstrument(const std::vector<std::string>& args, int line) {
    Instrument inst;
    for (const auto& arg : args) {
        const auto eq = arg.find('=');
        if (eq == std::string::npos) fail(line, "instrument setting '" + arg + "' needs key=value");
        const std::string key = arg.substr(0, eq), value = arg.substr(eq + 1);
        if (key == "env") {
            inst.env = list<int>(value, line, key, toInt);
            for (int v : inst.env)
                if (v < 0 || v > 15) fail(line, "envelope volumes are 0..15");
        } else if (key == "vol") {
            inst.vol = toInt(value, line, key);
            if (inst.vol < 0 || inst.vol > 15) fail(line, "vol is 0..15");
        } else if (key == "arp") {
            inst.arp = list<int>(value, line, key, toInt);
        } else if (key == "arpspeed") {
            inst.arpSpeed = std::max(1, toInt(value, line, key));
        } else if (key == "pitch") {
            inst.pitch = list<double>(value, line, key, toDouble);
        } else if (key == "vib") {
            inst.vibCents = toDouble(value, line, key);
        } else if (key == "vibdelay") {
            inst.vibDelay = toInt(value, line, key);
        } else if (key == "cut") {
            inst.cut = toInt(value, line, key);
        } else if (key == "tone") {
            inst.tone = toInt(value, line, key) != 0;
        } else if (key == "toneframes") {
            inst.toneFrames = toInt(value, line, key);
        } else if (key == "noise") {
            inst.noise = toInt(value, line, key);
            if (inst.noise < 0 || inst.noise > 31) fail(line, "noise period is 0..31");
        } else if (key == "noiseframes") {
            inst.noiseFrames = toInt(value, line, key);
        } else if (key == "buzz") {
            inst.buzz = toInt(value, line, key);
            if (inst.buzz < 8 || inst.buzz > 15) fail(line, "buzz shapes are 8..15");
            inst.tone = false;
        } else if (key == "sid") {
            inst.sid = toDouble(value, line, key);
            if (!(inst.sid > 0 && inst.sid <= 16)) fail(line, "sid is a ratio above 0, at most 16");
        } else if (key == "sinus") {
            inst.sinus = toDouble(value, line, key);
            if (!(inst.sinus > 0 && inst.sinus <= 16)) fail(line, "sinus is a ratio above 0, at most 16");
            inst.tone = false;
        } else if (key == "sync") {
            inst.sync = toInt(value, line, key);
            if (inst.sync < 8 || inst.sync > 15) fail(line, "sync shapes are 8..15");
            inst.tone = false;
        } else if (key == "syncratio") {
            inst.syncRatio = toDouble(value, line, key);
            if (!(inst.syncRatio > 0 && inst.syncRatio <= 16)) fail(line, "syncratio is above 0, at most 16");
        } else if (key == "drum") {
            inst.drum = drumNumber(value);
            if (inst.drum < 0) fail(line, "unknown drum '" + value + "' (kick, snare, hat)");
        } else {
            fail(line, "unknown instrument setting '" + key + "'");
        }
    }
    return inst;
}

// "c5", "f#3", "bb4" -> note number, or -1 if the text is not a note.
int parseNote(const std::string& s) {
    static const int semis[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (s.size() < 2 || s[0] < 'a' || s[0] > 'g') return -1;
    int n = semis[s[0] - 'a'];
    size_t i = 1;
    if (s[i] == '#') { ++n; ++i; }
    else if (s[i] == 'b' && i + 1 < s.size()) { --n; ++i; }
    if (i + 1 != s.size() || s[i] < '0' || s[i] > '8') return -1;
    return 12 * (s[i] - '0' + 1) + n;
}

struct Score {
    int speed = 6;
    int loop = 0;
    std::string name, comment;
    std::vector<Instrument> instruments;
    std::map<std::string, int> instrumentIndex;
    std::map<std::string, std::vector<Token>> seqs;
    struct Pattern {
        std::vector<Token> voice[3];
        int line = 0;
    };
    std::map<std::string, Pattern> patterns;
    std::vector<std::string> order;
    int orderLine = 0;
};

std::vector<Token> tokenize(const std::string& text, int line) {
    std::vector<Token> out;
    for (const auto& w : words(text)) out.push_back({w, line});
    return out;
}

// Expands $seq references and ( ... )*N groups into a flat token list.
void expand(const Score& score, const std::vector<Token>& in, std::vector<Token>& out, int depth) {
    if (depth > 16) fail(in.empty() ? 0 : in.front().line, "seqs nested too deeply");
    for (size_t i = 0; i < in.size(); ++i) {
        const Token& t = in[i];
        if (t.text[0] == '$') {
            const auto it = score.seqs.find(t.text.substr(1));
            if (it == score.seqs.end()) fail(t.line, "unknown seq '" + t.text + "'");
            expand(score, it->second, out, depth + 1);
        } else if (t.text == "(") {
            int level = 1;
            size_t j = i + 1;
            for (; j < in.size(); ++j) {
                if (in[j].text == "(") ++level;
                if (in[j].text.rfind(")", 0) == 0 && --level == 0) break;
            }
            if (j == in.size()) fail(t.line, "'(' without ')'");
            int times = 1;
            const std::string& close = in[j].text;
            if (close.size() > 1) {
                if (close[1] != '*') fail(in[j].line, "expected ')*N' but found '" + close + "'");
                times = toInt(close.substr(2), in[j].line, "repeat count");
            }
            const std::vector<Token> group(in.begin() + i + 1, in.begin() + j);
            for (int k = 0; k < times; ++k) expand(score, group, out, depth + 1);
            i = j;
        } else if (t.text[0] == ')') {
            fail(t.line, "')' without '('");
        } else {
            out.push_back(t);
        }
    }
}

// Turns one voice's tokens into events, starting at step `start`; returns the steps used.
int voiceEvents(const Score& score, const std::vector<Token>& raw, int start, int& instrument,
                std::vector<Event>& events) {
    std::vector<Token> tokens;
    expand(score, raw, tokens, 0);
    int step = start;
    int lastLength = 1;
    for (const auto& t : tokens) {
        if (t.text == "|") continue;
        if (t.text[0] == '@') {
            const auto it = score.instrumentIndex.find(t.text.substr(1));
            if (it == score.instrumentIndex.end()) fail(t.line, "unknown instrument '" + t.text + "'");
            instrument = it->second;
            continue;
        }
        std::string body = t.text;
        const auto colon = body.find(':');
        if (colon != std::string::npos) {
            lastLength = toInt(body.substr(colon + 1), t.line, "note length");
            if (lastLength < 1) fail(t.line, "note lengths are at least 1 step");
            body = body.substr(0, colon);
        }
        if (body == "-") {
            if (events.empty() || events.back().start + events.back().length != step)
                fail(t.line, "'-' without a note before it");
            events.back().length += lastLength;
        } else if (body == "r") {
            events.push_back({step, lastLength, -1, instrument});
        } else {
            const int note = parseNote(body);
            if (note < 0) fail(t.line, "unknown note '" + body + "'");
            events.push_back({step, lastLength, note, instrument});
        }
        step += lastLength;
    }
    return step - start;
}

Score parse(const std::string& text) {
    Score score;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    Score::Pattern* open = nullptr;
    std::string openName;
    while (std::getline(in, raw)) {
        ++line;
        // '#' opens a comment at the start of a line or after a blank; inside a word it is a sharp.
        size_t hash = 0;
        while ((hash = raw.find('#', hash)) != std::string::npos && hash > 0 && raw[hash - 1] != ' ' &&
               raw[hash - 1] != '\t')
            ++hash;
        const std::string s = trim(hash == std::string::npos ? raw : raw.substr(0, hash));
        if (s.empty()) continue;
        if (open) {
            if (s == "end") {
                open = nullptr;
                continue;
            }
            if (s.size() >= 2 && s[1] == ':' && s[0] >= 'A' && s[0] <= 'C') {
                auto toks = tokenize(s.substr(2), line);
                auto& voice = open->voice[s[0] - 'A'];
                voice.insert(voice.end(), toks.begin(), toks.end());
                continue;
            }
            fail(line, "inside pattern '" + openName + "' only 'A:', 'B:', 'C:' lines and 'end'");
        }
        const auto w = words(s);
        if (w[0] == "inst") {
            if (w.size() < 2) fail(line, "inst needs a name");
            if (score.instrumentIndex.count(w[1])) fail(line, "instrument '" + w[1] + "' defined twice");
            score.instrumentIndex[w[1]] = static_cast<int>(score.instruments.size());
            score.instruments.push_back(parseInstrument({w.begin() + 2, w.end()}, line));
        } else if (w[0] == "seq") {
            const auto eq = s.find('=');
            if (w.size() < 3 || eq == std::string::npos) fail(line, "seq NAME = tokens");
            score.seqs[w[1]] = tokenize(s.substr(eq + 1), line);
        } else if (w[0] == "pattern") {
            if (w.size() != 2) fail(line, "pattern needs one name");
            if (score.patterns.count(w[1])) fail(line, "pattern '" + w[1] + "' defined twice");
            openName = w[1];
            open = &score.patterns[w[1]];
            open->line = line;
        } else {
            const auto colon = s.find(':');
            if (colon == std::string::npos) fail(line, "expected 'key: value'");
            const std::string key = trim(s.substr(0, colon)), value = trim(s.substr(colon + 1));
            if (key == "name") score.name = value;
            else if (key == "comment") score.comment = value;
            else if (key == "speed") score.speed = toInt(value, line, key);
            else if (key == "loop") score.loop = toInt(value, line, key);
            else if (key == "order") {
                score.order = words(value);
                score.orderLine = line;
            } else fail(line, "unknown key '" + key + "'");
        }
    }
    if (open) fail(line, "pattern '" + openName + "' has no 'end'");
    if (score.speed < 1 || score.speed > 50) fail(0, "speed is 1..50 frames per step");
    if (score.order.empty()) fail(0, "no order: the song has no patterns to play");
    if (score.loop < 0 || score.loop >= static_cast<int>(score.order.size()))
        fail(score.orderLine, "loop must index the order");
    if (score.instruments.empty()) score.instruments.push_back(Instrument{});
    return score;
}

template <typename T>
T heldAt(const std::vector<T>& v, int k) {
    return v[std::min<size_t>(static_cast<size_t>(k), v.size() - 1)];
}

}  // namespace

double noteFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

int tonePeriod(double frequency) {
    const long p = std::lround(kChipClock / (16.0 * frequency));
    return static_cast<int>(std::clamp(p, 1L, 4095L));
}

int envelopePeriod(double frequency, int shape) {
    // The envelope takes one step every `period` ticks of clock / 8; a saw repeats after
    // 32 steps, a triangle after 64.
    const bool triangle = shape == 10 || shape == 14;
    const double steps = triangle ? 64.0 : 32.0;
    const long p = std::lround(kChipClock / (8.0 * steps * frequency));
    return static_cast<int>(std::clamp(p, 1L, 65535L));
}

EffectTimer effectTimer(double eventsPerSecond) {
    static const int factors[8] = {0, 4, 10, 16, 50, 64, 100, 200};
    EffectTimer best;
    if (!(eventsPerSecond > 0)) return best;
    double bestError = 0;
    for (int i = 1; i < 8; ++i) {
        const long count = std::lround(2500000.0 / (factors[i] * eventsPerSecond));
        if (count < 1 || count > 255) continue;
        const double rate = 2500000.0 / (factors[i] * double(count));
        const double error = std::abs(std::log(rate / eventsPerSecond));
        if (best.prescaler == 0 || error < bestError) {
            best = {uint8_t(i), uint8_t(count)};
            bestError = error;
        }
    }
    return best;
}

double EffectTimer::rate() const {
    static const int factors[8] = {0, 4, 10, 16, 50, 64, 100, 200};
    return prescaler && count ? 2500000.0 / (factors[prescaler & 7] * double(count)) : 0.0;
}

Song compose(const std::string& scoreText) {
    const Score score = parse(scoreText);
    Arrangement arr;
    arr.name = score.name;
    arr.comment = score.comment;
    arr.instruments = score.instruments;

    std::vector<Event> events[3];
    int instrument[3] = {0, 0, 0};
    int step = 0, loopStep = 0;
    for (size_t i = 0; i < score.order.size(); ++i) {
        const auto it = score.patterns.find(score.order[i]);
        if (it == score.patterns.end()) fail(score.orderLine, "unknown pattern '" + score.order[i] + "'");
        if (static_cast<int>(i) == score.loop) loopStep = step;
        int length = -1;
        for (int v = 0; v < 3; ++v) {
            const int used = voiceEvents(score, it->second.voice[v], step, instrument[v], events[v]);
            if (used == 0) continue;  // a silent voice
            if (length >= 0 && used != length)
                fail(it->second.line, "pattern '" + it->first + "': voice " + char('A' + v) + " has " +
                                          std::to_string(used) + " steps, another voice " +
                                          std::to_string(length));
            length = used;
        }
        if (length <= 0) fail(it->second.line, "pattern '" + it->first + "' is empty");
        step += length;
    }
    arr.totalFrames = step * score.speed;
    arr.loopFrame = loopStep * score.speed;
    for (int v = 0; v < 3; ++v)
        for (const Event& e : events[v])
            if (e.note >= 0)
                arr.voices[v].push_back({e.start * score.speed, e.length * score.speed, e.note, e.instrument, 15});
    return render(arr);
}

namespace {

// What one voice asks of an effect slot in one frame.
struct EffectRequest {
    bool wanted = false;
    FrameEffect effect;
    int noteStart = -1;  // drums: the note that started it, to keep its slot while it plays
};

int drumFrames(int drum) {
    const auto& kit = drumKit();
    if (drum < 0 || drum >= static_cast<int>(kit.size())) return 0;
    return static_cast<int>(std::ceil(kit[drum].size() / kDrumRate * kFrameRate));
}

}  // namespace

Song render(const Arrangement& arr) {
    Song song;
    song.name = arr.name;
    song.author = arr.author;
    song.comment = arr.comment;
    song.loopFrame = arr.loopFrame;
    song.frames.resize(std::max(arr.totalFrames, 0));
    std::vector<std::array<FrameEffect, 2>> effects(song.frames.size());
    bool anyEffect = false, anyDrum = false;

    size_t cursor[3] = {0, 0, 0};
    int noisePeriod = 0, envLow = 0, envHigh = 0;
    int slotVoice[2] = {-1, -1};         // which voice holds each effect slot
    int slotKind[2] = {0, 0};            // the effect it runs
    int slotNote[2] = {-1, -1};          // drums: the start of the note that holds it
    for (int f = 0; f < arr.totalFrames; ++f) {
        auto& r = song.frames[f];
        r.fill(0);
        int mixer = 0x3F;  // everything off until a voice turns it on
        int shapeWrite = 0xFF;
        EffectRequest request[3];
        double voiceFreq[3] = {0, 0, 0};
        const Instrument* voiceInst[3] = {nullptr, nullptr, nullptr};
        for (int v = 0; v < 3; ++v) {
            const auto& notes = arr.voices[v];
            while (cursor[v] < notes.size() && notes[cursor[v]].start + notes[cursor[v]].length <= f) ++cursor[v];
            if (cursor[v] >= notes.size()) continue;
            const Note& e = notes[cursor[v]];
            const int k = f - e.start;
            if (e.note < 0 || k < 0 || k >= e.length) continue;
            if (e.instrument < 0 || e.instrument >= static_cast<int>(arr.instruments.size())) continue;
            const Instrument& inst = arr.instruments[e.instrument];
            if (inst.drum >= 0) {
                // The drum plays its samples by itself; its channel stays out of the mixer.
                if (k < drumFrames(inst.drum)) {
                    request[v].wanted = true;
                    request[v].noteStart = e.start;
                    request[v].effect = {uint8_t(v + 1), kDrum, drumTimer(), uint8_t(inst.drum), k == 0};
                }
                continue;
            }
            int volume = (heldAt(inst.env, k) * inst.vol * std::clamp(e.velocity, 0, 15) + 105) / 225;
            if (inst.cut > 0 && k >= e.length - inst.cut) volume = 0;
            if (volume == 0) continue;
            double semis = e.note + heldAt(inst.pitch, k) +
                           inst.arp[(k / inst.arpSpeed) % inst.arp.size()];
            if (inst.vibCents != 0 && k >= inst.vibDelay)
                semis += inst.vibCents / 100.0 * std::sin(2 * kPi * 5.5 * (k - inst.vibDelay) / kFrameRate);
            const double freq = noteFrequency(semis);
            const int period = tonePeriod(freq);
            r[2 * v] = period & 0xFF;
            r[2 * v + 1] = (period >> 8) & 0x0F;
            const bool toneOn = inst.tone && (inst.toneFrames == 0 || k < inst.toneFrames);
            const bool noiseOn = inst.noise > 0 && (inst.noiseFrames == 0 || k < inst.noiseFrames);
            if (toneOn) mixer &= ~(1 << v);
            if (noiseOn) {
                mixer &= ~(8 << v);
                noisePeriod = inst.noise;
            }
            voiceFreq[v] = freq;
            voiceInst[v] = &inst;
            if (inst.buzz >= 0) {
                const int ep = envelopePeriod(freq, inst.buzz);
                envLow = ep & 0xFF;
                envHigh = ep >> 8;
                if (k == 0) shapeWrite = inst.buzz;
                r[8 + v] = 0x10;
            } else {
                r[8 + v] = static_cast<uint8_t>(volume);
            }
            FrameEffect fx;
            fx.channel = uint8_t(v + 1);
            fx.restart = k == 0;
            if (inst.sid > 0) {
                fx.kind = kSid;
                fx.timer = effectTimer(2.0 * freq * inst.sid);  // two flips per period
                fx.level = uint8_t(volume);
            } else if (inst.sinus > 0) {
                fx.kind = kSinus;
                fx.timer = effectTimer(8.0 * freq * inst.sinus);  // eight steps per period
                fx.level = uint8_t(volume);
            } else if (inst.sync >= 0) {
                fx.kind = kSync;
                // Below about 49 Hz the timer cannot run slowly enough: the restarts go an
                // octave up, keeping the note's name.
                double restart = freq;
                while (restart < 49.0) restart *= 2;
                fx.timer = effectTimer(restart);
                fx.level = uint8_t(inst.sync);
            } else {
                continue;
            }
            if (fx.timer.prescaler == 0) continue;  // out of the timers' reach: played plainly
            request[v].wanted = true;
            request[v].effect = fx;
        }

        // Effect slots: a voice keeps its slot while it asks for the same effect (a drum
        // while it plays), so its timer runs on without a jump.
        for (int s = 0; s < 2; ++s) {
            const int v = slotVoice[s];
            if (v < 0) continue;
            const EffectRequest& q = request[v];
            if (!q.wanted || q.effect.kind != slotKind[s] || (q.effect.kind == kDrum && q.noteStart != slotNote[s]))
                slotVoice[s] = -1;
        }
        auto holds = [&](int v) { return slotVoice[0] == v ? 0 : slotVoice[1] == v ? 1 : -1; };
        // A drum that starts takes a timer even from another effect: a lost beat is heard
        // more than a lead or bass that plays plainly for a moment. Drums run on the second
        // timer and SID voices on the first, as YM5 has them; the other effects take
        // whichever is free, the second first.
        for (int v = 0; v < 3; ++v) {
            const EffectRequest& q = request[v];
            if (!q.wanted || q.effect.kind != kDrum || !q.effect.restart || holds(v) >= 0) continue;
            for (int slot : {1, 0}) {
                if (slotVoice[slot] >= 0 && slotKind[slot] == kDrum) continue;
                slotVoice[slot] = v, slotKind[slot] = kDrum, slotNote[slot] = q.noteStart;
                break;
            }
        }
        for (int v = 0; v < 3; ++v) {
            const EffectRequest& q = request[v];
            if (!q.wanted || q.effect.kind == kDrum || holds(v) >= 0) continue;
            const int first = q.effect.kind == kSid ? 0 : 1;
            for (int slot : {first, 1 - first}) {
                if (slotVoice[slot] >= 0) continue;
                slotVoice[slot] = v, slotKind[slot] = q.effect.kind, slotNote[slot] = q.noteStart;
                break;
            }
        }
        for (int v = 0; v < 3; ++v) {
            if (!request[v].wanted) continue;
            const int slot = holds(v);
            if (slot < 0) {
                // No free timer: a drum is lost, the other effects play plainly.
                const Instrument* inst = voiceInst[v];
                if (inst && inst->sync >= 0 && inst->buzz < 0) {
                    const int ep = envelopePeriod(voiceFreq[v], inst->sync);
                    envLow = ep & 0xFF;
                    envHigh = ep >> 8;
                    if (request[v].effect.restart || f == 0 || effects[f - 1][0].channel - 1 == v ||
                        effects[f - 1][1].channel - 1 == v)
                        shapeWrite = inst->sync;
                    r[8 + v] = 0x10;
                } else if (inst && inst->sinus > 0) {
                    mixer &= ~(1 << v);
                }
                continue;
            }
            FrameEffect fx = request[v].effect;
            if (fx.kind == kDrum) {
                anyDrum = true;
                if (!fx.restart) fx.channel = 0;  // started already: the player lets it run
            } else if (fx.kind == kSync) {
                const int ep = envelopePeriod(voiceFreq[v] * voiceInst[v]->syncRatio, fx.level);
                envLow = ep & 0xFF;
                envHigh = ep >> 8;
            }
            effects[f][slot] = fx;
            anyEffect = true;
        }
        r[6] = static_cast<uint8_t>(noisePeriod);
        r[7] = static_cast<uint8_t>(mixer);
        r[11] = static_cast<uint8_t>(envLow);
        r[12] = static_cast<uint8_t>(envHigh);
        r[13] = static_cast<uint8_t>(shapeWrite);
    }
    if (anyEffect) song.effects = std::move(effects);
    if (anyDrum) song.drums = drumKit();
    return song;
}

bool fitsYm5(const Song& song) {
    for (const auto& slots : song.effects) {
        if (slots[0].channel && slots[0].kind != kSid) return false;
        if (slots[1].channel && slots[1].kind != kDrum) return false;
    }
    return true;
}

std::vector<uint8_t> writeYm(const Song& song) {
    std::vector<uint8_t> out;
    auto be = [&](uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) out.push_back((v >> (8 * i)) & 0xFF);
    };
    auto text = [&](const std::string& s) {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    };
    const bool ym5 = fitsYm5(song);
    const uint32_t n = static_cast<uint32_t>(song.frames.size());
    const std::string tag = ym5 ? "YM5!" : "YM6!";
    out.insert(out.end(), tag.begin(), tag.end());
    const char check[] = "Marlipan";  // 8 bytes the player does not examine
    out.insert(out.end(), check, check + 8);
    be(n, 4);
    be(1, 4);  // attributes: frames interleaved, drum samples unsigned 8-bit
    be(static_cast<uint32_t>(song.drums.size()), 2);
    be(kChipClock, 4);
    be(kFrameRate, 2);
    be(static_cast<uint32_t>(song.loopFrame), 4);
    be(0, 2);  // no additional data
    for (const auto& drum : song.drums) {
        be(static_cast<uint32_t>(drum.size()), 4);
        out.insert(out.end(), drum.begin(), drum.end());
    }
    text(song.name);
    text(song.author);
    text(song.comment);

    std::vector<std::array<uint8_t, kRegisters>> frames = song.frames;
    for (size_t f = 0; f < frames.size() && f < song.effects.size(); ++f) {
        auto& b = frames[f];
        for (int s = 0; s < 2; ++s) {
            const FrameEffect& e = song.effects[f][s];
            if (e.channel < 1 || e.channel > 3) continue;
            // The effect's parameter rides in its channel's volume byte.
            const uint8_t param = e.kind == kSync ? uint8_t(0x10 | (e.level & 0x0F))
                                  : e.kind == kDrum ? uint8_t(e.level & 0x1F)
                                                    : uint8_t(e.level & 0x0F);
            b[7 + e.channel] = uint8_t((b[7 + e.channel] & 0xE0) | param);
            const uint8_t mode = ym5 ? uint8_t(s == 0 && e.restart ? 0x40 : 0) : uint8_t(e.kind << 6);
            const int hi = s == 0 ? 1 : 3, pre = s == 0 ? 6 : 8;
            b[hi] = uint8_t((b[hi] & 0x0F) | e.channel << 4 | mode);
            b[pre] = uint8_t((b[pre] & 0x1F) | (e.timer.prescaler & 7) << 5);
            b[14 + s] = e.timer.count;
        }
    }
    for (int reg = 0; reg < kRegisters; ++reg)
        for (uint32_t f = 0; f < n; ++f) out.push_back(frames[f][reg]);
    return out;
}

}  // namespace marlipan::songgen
