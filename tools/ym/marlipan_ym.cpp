// marlipan-ym: the music engine on the command line.
//
//   marlipan-ym info SONG
//   marlipan-ym render SONG OUT.wav [--seconds S] [--volume V]
//   marlipan-ym pack IN OUT
//   marlipan-ym unpack IN OUT
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
#include "music/ymplayer.h"
#include "tools/lh5/lh5pack.h"

namespace {

const char* const kUsage =
    "usage: marlipan-ym info SONG | render SONG OUT.wav [--seconds S] [--volume V] | "
    "pack IN OUT | unpack IN OUT";

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
    if (!IsPacked(data)) data = lh5::PackArchive(data, MemberName(path));
    if (!engine.LoadSong(data.data(), data.size()))
        throw Failure(path + ": cannot unpack the song (corrupt -lh5- data)");
    if (engine.Song().Kind == SongKind::Unknown)
        throw Failure(path + ": not a YM song (unknown format tag)");
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
    if (song.ChipClock != -2)
        std::cout << "header clock: " << song.ChipClock << " Hz, frame rate: "
                  << song.FrameRate / 1000 << " Hz (played at 2000000 Hz, 50 Hz)\n";
    std::cout.flush();
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

int Render(const std::vector<std::string>& args) {
    if (args.size() < 2) throw Failure(kUsage);
    const std::string& songPath = args[0];
    const std::string& outPath = args[1];
    double seconds = -1;
    int volume = 255;
    for (size_t i = 2; i < args.size(); ++i) {
        if ((args[i] == "--seconds" || args[i] == "--volume") && i + 1 < args.size()) {
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
    if (!IsPacked(data)) throw Failure(in + ": not an -lh5- archive");
    if (!decruncher->Decrunch(data.data(), data.size()))
        throw Failure(in + ": cannot unpack (corrupt -lh5- data)");
    // Written from the decoder's own buffer: a copy would touch every page twice more.
    WriteFile(out, decruncher->Output(), decruncher->OutputSize());
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) throw Failure(kUsage);
    const std::string& cmd = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (cmd == "info" && rest.size() == 1) return Info(rest[0]);
    if (cmd == "render") return Render(rest);
    if (cmd == "pack" && rest.size() == 2) return Pack(rest[0], rest[1]);
    if (cmd == "unpack" && rest.size() == 2) return Unpack(rest[0], rest[1]);
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
