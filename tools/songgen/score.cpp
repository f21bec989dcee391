#include "tools/songgen/score.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace marlipan::songgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

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
};

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

Song compose(const std::string& scoreText) {
    const Score score = parse(scoreText);
    Song song;
    song.name = score.name;
    song.comment = score.comment;

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
        for (int v = 0; v < 3; ++v) {
            const int end = events[v].empty() ? 0 : events[v].back().start + events[v].back().length;
            if (end < step + length) events[v].push_back({std::max(end, step), step + length - std::max(end, step), -1, 0});
        }
        step += length;
    }
    const int totalFrames = step * score.speed;
    song.loopFrame = loopStep * score.speed;
    song.frames.resize(totalFrames);

    size_t cursor[3] = {0, 0, 0};
    int noisePeriod = 0, envLow = 0, envHigh = 0;
    for (int f = 0; f < totalFrames; ++f) {
        auto& r = song.frames[f];
        r.fill(0);
        int mixer = 0x3F;  // everything off until a voice turns it on
        int shapeWrite = 0xFF;
        for (int v = 0; v < 3; ++v) {
            while (cursor[v] + 1 < events[v].size() &&
                   (events[v][cursor[v]].start + events[v][cursor[v]].length) * score.speed <= f)
                ++cursor[v];
            const Event& e = events[v][cursor[v]];
            const int begin = e.start * score.speed, frames = e.length * score.speed;
            const int k = f - begin;
            if (e.note < 0 || k < 0 || k >= frames) continue;
            const Instrument& inst = score.instruments[e.instrument];
            int volume = (heldAt(inst.env, k) * inst.vol + 7) / 15;
            if (inst.cut > 0 && k >= frames - inst.cut) volume = 0;
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
            if (inst.buzz >= 0) {
                const int ep = envelopePeriod(freq, inst.buzz);
                envLow = ep & 0xFF;
                envHigh = ep >> 8;
                if (k == 0) shapeWrite = inst.buzz;
                r[8 + v] = 0x10;
            } else {
                r[8 + v] = static_cast<uint8_t>(volume);
            }
        }
        r[6] = static_cast<uint8_t>(noisePeriod);
        r[7] = static_cast<uint8_t>(mixer);
        r[11] = static_cast<uint8_t>(envLow);
        r[12] = static_cast<uint8_t>(envHigh);
        r[13] = static_cast<uint8_t>(shapeWrite);
    }
    return song;
}

std::vector<uint8_t> writeYm5(const Song& song) {
    std::vector<uint8_t> out;
    auto be = [&](uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) out.push_back((v >> (8 * i)) & 0xFF);
    };
    auto text = [&](const std::string& s) {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    };
    const uint32_t n = static_cast<uint32_t>(song.frames.size());
    text("YM5!");
    out.pop_back();  // the tag has no terminator
    const char check[] = "Marlipan";  // 8 bytes the player does not examine
    out.insert(out.end(), check, check + 8);
    be(n, 4);
    be(1, 4);  // attributes: frames interleaved, no digital drums
    be(0, 2);  // no digital drums
    be(kChipClock, 4);
    be(kFrameRate, 2);
    be(static_cast<uint32_t>(song.loopFrame), 4);
    be(0, 2);  // no additional data
    text(song.name);
    text(song.author);
    text(song.comment);
    for (int reg = 0; reg < kRegisters; ++reg)
        for (uint32_t f = 0; f < n; ++f) out.push_back(song.frames[f][reg]);
    return out;
}

}  // namespace marlipan::songgen
