// marlipan-ym: the music engine on the command line.
//
//   marlipan-ym info SONG
//   marlipan-ym loudness SONG...
//   marlipan-ym render SONG OUT.wav [--seconds S] [--volume V] [--voices A,B,C]
//   marlipan-ym pack IN OUT
//   marlipan-ym unpack IN OUT
//   marlipan-ym import SONG.mid OUT.ym [--voices 1,3,10] [--transpose N] [--loop-bar N]
//                      [--title T] [--author A] [--effects]
//
//   marlipan-ym --help | --version
//
// SONG may be packed (an -lh5- archive, as gamepacks carry it) or a plain YM file; a
// plain one is packed in memory first, so the engine's own LoadSong always runs. Every
// failure is one line on stderr and a non-zero exit status.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "music/ymdecruncher.h"
#include "music/ymsequencer.h"
#include "music/ymplayer.h"
#include "tools/lh5/lh5pack.h"
#include "tools/songgen/score.h"
#include "tools/ym/midiimport.h"
#include "tools/ym/songmeter.h"

namespace {

const char* const kUsage =
    "usage: marlipan-ym info SONG | loudness SONG... | "
    "render SONG OUT.wav [--seconds S] [--volume V] [--voices A,B,C] | "
    "pack IN OUT | unpack IN OUT | import SONG.mid OUT.ym [--voices 1,3,10] [--transpose N] "
    "[--loop-bar N] [--title T] [--author A] [--effects] | --help | --version";

constexpr uintmax_t kMaxInput = 256u << 20;
constexpr double kMaxSeconds = 24000.0;   // keeps the WAV below 4 GiB

// A failure the user can act on: printed as one line.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) throw Failure(path + ": no such file");
    if (!std::filesystem::is_regular_file(status)) throw Failure(path + ": not a regular file");
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) throw Failure(path + ": cannot read: " + ec.message());
    if (size > kMaxInput) throw Failure(path + ": too large (more than 256 MiB)");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure(path + ": cannot open: " + std::strerror(errno));
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (size && !in.read(reinterpret_cast<char*>(data.data()), std::streamsize(size)))
        throw Failure(path + ": cannot read");
    return data;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw Failure(path + ": cannot create: " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    out.close();
    if (!out) throw Failure(path + ": cannot write");
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    WriteFile(path, data.data(), data.size());
}

bool IsPacked(const std::vector<uint8_t>& data) {
    return data.size() >= 7 && std::memcmp(data.data() + 2, "-lh5-", 5) == 0;
}

// An LHA archive of another method ("-lh0-", stored, is what archivers make of a tiny or
// incompressible file): the game unpacks -lh5- only, and says so by name.
void RefuseOtherMethods(const std::vector<uint8_t>& data, const std::string& path) {
    if (data.size() < 7 || IsPacked(data) || data[2] != '-' || data[3] != 'l' || data[6] != '-') return;
    std::string method(data.begin() + 2, data.begin() + 7);
    for (char& c : method)
        if (c < 0x20 || c > 0x7E) c = '?';
    throw Failure(path + ": packed with " + method + "; only -lh5- is played");
}

std::string MemberName(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    if (name.empty()) name = "song.ym";
    if (name.size() > 200) name.resize(200);
    return name;
}

// Song texts are Windows-1252; the terminal wants UTF-8.
std::string ToUtf8(const std::string& s) {
    static const uint16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    for (unsigned char c : s) {
        unsigned cp = c < 0x20 || c == 0x7F ? '?' : c < 0x80 ? c : c < 0xA0 ? high[c - 0x80] : c;
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | cp >> 6);
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xE0 | cp >> 12);
            out += char(0x80 | (cp >> 6 & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// Loads SONG into the engine through its own LoadSong.
void LoadSong(CYmEngine& engine, const std::string& path) {
    std::vector<uint8_t> data = ReadFile(path);
    RefuseOtherMethods(data, path);
    if (!IsPacked(data)) data = lh5::PackArchive(data, MemberName(path));
    if (!engine.LoadSong(data.data(), data.size()))
        throw Failure(path + ": cannot unpack the song (corrupt -lh5- data)");
    if (engine.Song().Kind == SongKind::Unknown)
        throw Failure(path + ": not a YM song (unknown format tag)");
}

// The unpacked bytes of SONG, once LoadSong has taken it: for what changes or measures them.
std::vector<uint8_t> UnpackedSong(const std::string& path) {
    std::vector<uint8_t> data = ReadFile(path);
    if (!IsPacked(data)) return data;
    auto decruncher = std::make_unique<CYmDecruncher>();
    if (!decruncher->Decrunch(data.data(), data.size()))
        throw Failure(path + ": cannot unpack the song (corrupt -lh5- data)");
    return std::vector<uint8_t>(decruncher->Output(), decruncher->Output() + decruncher->OutputSize());
}

std::string Fixed(double v, int decimals, bool sign = false) {
    if (!std::isfinite(v)) return "silent";
    char text[32];
    std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, v);
    return text;
}

// "-17.02 LUFS, left minus right +0.40 dB; voices alone A -25.10, B -19.02, C -23.50 LUFS":
// one pass at volume 255, both channels, then each voice by itself.
std::string LoudnessText(const std::vector<uint8_t>& song) {
    namespace meter = marlipan::songmeter;
    const meter::Loudness all = meter::Measure(song);
    const auto voices = meter::MeasureVoices(song);
    std::string text = Fixed(all.integrated, 2) + " LUFS, left minus right " +
                       (std::isfinite(all.left) && std::isfinite(all.right) ? Fixed(all.Balance(), 2, true) + " dB"
                                                                            : std::string("-"));
    for (int v = 0; v < 3; ++v)
        text += std::string(v ? ", " : "; voices alone ") + char('A' + v) + " " + Fixed(voices[v], 2);
    return text + " LUFS";
}

int Info(const std::string& path) {
    CYmEngine engine;
    LoadSong(engine, path);
    const CYmSong& song = engine.Song();
    const SongFrames& frames = engine.Frames();
    std::cout << "kind: " << SongKindName(song.Kind) << "\n";
    std::cout << "frames: " << frames.FrameCount << "\n";
    std::cout << "loop frame: " << frames.LoopFrame;
    if (song.LoopFrame != int32_t(frames.LoopFrame))
        std::cout << " (the song says " << uint32_t(song.LoopFrame) << ", past its end)";
    std::cout << "\n";
    std::cout << "drums: " << frames.DrumTable.size();
    for (size_t i = 0; i < frames.DrumTable.size(); ++i)
        std::cout << (i ? ", " : " (sizes ") << frames.DrumTable[i].Size;
    std::cout << (frames.DrumTable.empty() ? "" : ")") << "\n";
    std::cout << "name: " << ToUtf8(song.SongName) << "\n";
    std::cout << "author: " << ToUtf8(song.Author) << "\n";
    std::cout << "comment: " << ToUtf8(song.Comment) << "\n";
    if (engine.Playable() && (song.Kind == SongKind::Ym5 || song.Kind == SongKind::Ym6)) {
        // One pass without looping, counting what the effect timers fire.
        engine.SetLooping(false);
        engine.ResetForPass();
        for (int which = 0; !engine.EndOfSong(); which ^= 1) engine.FillBuffer(which);
        const uint64_t* n = engine.Sequencer().EffectEvents;
        std::cout << "effect events in one pass: SID voice " << n[kSidVoice] << ", digital drum "
                  << n[kDigiDrum] << ", sinus SID " << n[kSinusSid] << ", sync buzzer " << n[kSyncBuzzer]
                  << "\n";
    }
    if (engine.Playable())
        std::cout << "loudness (one pass at volume 255): " << LoudnessText(UnpackedSong(path)) << "\n";
    if (song.ChipClock != -2)
        std::cout << "header clock: " << song.ChipClock << " Hz, frame rate: "
                  << song.FrameRate / 1000 << " Hz (played at 2000000 Hz, 50 Hz)\n";
    std::cout.flush();
    if (!std::cout) throw Failure("cannot write to standard output");
    return 0;
}

int LoudnessCommand(const std::vector<std::string>& paths) {
    if (paths.empty()) throw Failure(kUsage);
    for (const std::string& path : paths) {
        CYmEngine engine;
        LoadSong(engine, path);
        if (!engine.Playable()) throw Failure(path + ": the song holds no frames");
        std::cout << path << ": " << LoudnessText(UnpackedSong(path)) << std::endl;
    }
    if (!std::cout) throw Failure("cannot write to standard output");
    return 0;
}

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

double ParseNumber(const std::string& option, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        throw Failure(option + ": not a number: '" + text + "'");
    return v;
}

// "A,C" -> voices A and C as bits 0 and 2.
unsigned ParseVoiceLetters(const std::string& text) {
    unsigned mask = 0;
    size_t at = 0;
    for (; at < text.size(); at += 2) {
        const char c = text[at];
        if (c < 'A' || c > 'C' || (mask & 1u << (c - 'A')) || (at + 1 < text.size() && text[at + 1] != ','))
            break;
        mask |= 1u << (c - 'A');
    }
    if (mask == 0 || at < text.size() || text.back() == ',')
        throw Failure("--voices: the voices to keep, such as B or A,C, not '" + text + "'");
    return mask;
}

int Render(const std::vector<std::string>& args) {
    if (args.size() < 2) throw Failure(kUsage);
    const std::string& songPath = args[0];
    const std::string& outPath = args[1];
    double seconds = -1;
    int volume = 255;
    unsigned voices = 7;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--voices" && i + 1 < args.size()) {
            voices = ParseVoiceLetters(args[++i]);
        } else if ((args[i] == "--seconds" || args[i] == "--volume") && i + 1 < args.size()) {
            const double v = ParseNumber(args[i], args[i + 1]);
            if (args[i] == "--seconds") {
                if (v <= 0 || v > kMaxSeconds)
                    throw Failure("--seconds: must be above 0 and at most 24000");
                seconds = v;
            } else {
                if (v < 0 || v > 255 || v != std::floor(v))
                    throw Failure("--volume: must be a whole number from 0 to 255");
                volume = int(v);
            }
            ++i;
        } else {
            throw Failure("unexpected argument '" + args[i] + "' (" + kUsage + ")");
        }
    }

    CYmEngine engine;
    LoadSong(engine, songPath);
    if (voices != 7) {
        // The other voices silenced in the song's frames: the engine plays as ever.
        std::vector<uint8_t> song = UnpackedSong(songPath);
        marlipan::songmeter::KeepVoices(song, voices);
        engine.LoadPlainSong(song.data(), song.size());
    }
    if (!engine.Playable()) throw Failure(songPath + ": the song holds no frames");
    if (seconds < 0) seconds = std::min(kMaxSeconds, engine.Frames().FrameCount / 50.0);
    engine.SetVolume(volume);
    engine.SetLooping(true);   // as the game plays it
    engine.ResetForPass();

    const uint64_t samples = uint64_t(std::llround(seconds * ym::kSampleRate));
    const uint64_t dataBytes = samples * 4;
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    PutLe(header, uint32_t(36 + dataBytes), 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(header, 16, 4);
    PutLe(header, 1, 2);                     // PCM
    PutLe(header, 2, 2);                     // stereo
    PutLe(header, ym::kSampleRate, 4);
    PutLe(header, ym::kSampleRate * 4, 4);   // bytes per second
    PutLe(header, 4, 2);                     // block alignment
    PutLe(header, 16, 2);                    // bits per sample
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    PutLe(header, uint32_t(dataBytes), 4);

    // Streamed buffer by buffer: a long render never sits in memory whole.
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    if (!out) throw Failure(outPath + ": cannot create: " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    std::vector<uint8_t> chunk;
    chunk.reserve(ym::kBufferBytes);
    uint64_t written = 0;
    for (int which = 0; written < samples && out; which ^= 1) {
        const uint32_t values = engine.FillBuffer(which);
        if (values == 0) break;   // cannot happen while looping; guards the loop
        const uint64_t take = std::min<uint64_t>(values / 2, samples - written);
        const int16_t* v = engine.BufferSamples(which);
        chunk.clear();
        for (uint64_t i = 0; i < take * 2; ++i) PutLe(chunk, uint16_t(v[i]), 2);
        out.write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
        written += take;
    }
    out.close();
    if (!out || written < samples) {
        // No half-written WAV left behind; never remove anything but a plain file.
        std::error_code ec;
        if (std::filesystem::is_regular_file(outPath, ec)) std::filesystem::remove(outPath, ec);
        throw Failure(outPath + ": cannot write");
    }
    return 0;
}

int Pack(const std::string& in, const std::string& out) {
    const std::vector<uint8_t> data = ReadFile(in);
    WriteFile(out, lh5::PackArchive(data, MemberName(in)));
    return 0;
}

int Unpack(const std::string& in, const std::string& out) {
    const std::vector<uint8_t> data = ReadFile(in);
    auto decruncher = std::make_unique<CYmDecruncher>();
    RefuseOtherMethods(data, in);
    if (!IsPacked(data)) throw Failure(in + ": not an -lh5- archive");
    if (!decruncher->Decrunch(data.data(), data.size()))
        throw Failure(in + ": cannot unpack (corrupt -lh5- data)");
    // Written from the decoder's own buffer: a copy would touch every page twice more.
    WriteFile(out, decruncher->Output(), decruncher->OutputSize());
    return 0;
}

int ParseWhole(const std::string& option, const std::string& text, int low, int high) {
    const double v = ParseNumber(option, text);
    if (v != std::floor(v) || v < low || v > high)
        throw Failure(option + ": must be a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high));
    return int(v);
}

int Import(const std::vector<std::string>& args) {
    if (args.size() < 2) throw Failure(kUsage);
    const std::string& midiPath = args[0];
    const std::string& outPath = args[1];
    marlipan::midi::ImportOptions options;
    options.fallbackTitle = std::filesystem::path(midiPath).stem().string();
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--effects") {
            options.effects = true;
            continue;
        }
        if (i + 1 >= args.size()) throw Failure("unexpected argument '" + a + "' (" + kUsage + ")");
        const std::string& value = args[++i];
        try {
            if (a == "--voices") options.channels = marlipan::midi::parseChannels(value);
            else if (a == "--transpose") options.transpose = ParseWhole(a, value, -48, 48);
            else if (a == "--loop-bar") options.loopBar = ParseWhole(a, value, 1, 100000);
            else if (a == "--title") options.title = value;
            else if (a == "--author") options.author = value;
            else throw Failure("unexpected argument '" + a + "' (" + kUsage + ")");
        } catch (const marlipan::midi::ImportError& e) {
            throw Failure(e.what());
        }
    }
    for (const std::string* text : {&options.title, &options.author})
        if (text->size() > 200) throw Failure("--title and --author: at most 200 characters");
    marlipan::midi::Import imported;
    try {
        imported = marlipan::midi::importMidi(ReadFile(midiPath), options);
    } catch (const marlipan::midi::ImportError& e) {
        throw Failure(midiPath + ": " + e.what());
    }
    const std::vector<uint8_t> ym = marlipan::songgen::writeYm(imported.song);
    WriteFile(outPath, ym);
    std::cout << outPath << ": \"" << imported.song.name << "\", " << imported.song.frames.size() << " frames ("
              << imported.seconds << " s, " << imported.bars << " bars), loop at frame " << imported.song.loopFrame
              << ", " << std::string(ym.begin(), ym.begin() + 4) << "\n";
    for (const auto& p : imported.parts) {
        std::cout << "voice " << p.voice << ": channel " << p.channel << " (" << p.role << ", "
                  << p.notes << " notes)\n";
    }
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) throw Failure(kUsage);
    const std::string& cmd = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if ((cmd == "--help" || cmd == "-h") && rest.empty()) {
        std::cout << kUsage << std::endl;
        return std::cout ? 0 : 1;
    }
    if (cmd == "--version" && rest.empty()) {
        std::cout << "marlipan-ym " MARLIPAN_VERSION << std::endl;
        return std::cout ? 0 : 1;
    }
    if (cmd == "info" && rest.size() == 1) return Info(rest[0]);
    if (cmd == "loudness") return LoudnessCommand(rest);
    if (cmd == "render") return Render(rest);
    if (cmd == "pack" && rest.size() == 2) return Pack(rest[0], rest[1]);
    if (cmd == "unpack" && rest.size() == 2) return Unpack(rest[0], rest[1]);
    if (cmd == "import") return Import(rest);
    throw Failure(kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const Failure& e) {
        std::cerr << "marlipan-ym: " << e.what() << "\n";
    } catch (const std::bad_alloc&) {
        std::cerr << "marlipan-ym: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "marlipan-ym: " << e.what() << "\n";
    }
    return 1;
}
