#include "music/ymsong.h"

#include <cstring>

#include "common/bytereader.h"
#include "music/ymglobal.h"
#include "music/ymround.h"

const char* SongKindName(SongKind kind) {
    switch (kind) {
    case SongKind::Ym2or3: return "YM2!/YM3!";
    case SongKind::Ym3b: return "YM3b";
    case SongKind::Ym5: return "YM5!";
    case SongKind::Ym6: return "YM6!";
    default: return "unknown";
    }
}

uint32_t ClaimedUnpackedSize(const uint8_t* packed, size_t size) {
    if (!packed || size < 15) return 0;
    return uint32_t(packed[11]) | uint32_t(packed[12]) << 8 | uint32_t(packed[13]) << 16 |
           uint32_t(packed[14]) << 24;
}

uint8_t DrumLevel(unsigned v) {
    const double t = ym::RoundHalfEven(double(v & 0xFF) / 255.0 * 65535.0);
    unsigned j = 1;
    while (j < 31 && ym::VolumeTable[j] < t) j += 2;
    // Between two levels the nearer wins; on a tie the higher one.
    if (j > 1 && t - ym::VolumeTable[j - 2] < ym::VolumeTable[j] - t) j -= 2;
    return uint8_t(j / 2);
}

namespace {

bool IsBlank(unsigned char c) { return c <= 0x20; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

void ConvertDrums(std::vector<uint8_t>& data, const SongFrames& frames, uint8_t attributes) {
    if (attributes & 4) return;   // already 4-bit
    uint8_t map[256];
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned v = (attributes & 2) ? (b + 128) & 0xFF : b;
        map[b] = DrumLevel(v);
    }
    for (const DrumEntry& d : frames.DrumTable)
        for (uint32_t i = 0; i < d.Size; ++i) data[d.Offset + i] = map[data[d.Offset + i]];
}

void ParseYm56(std::vector<uint8_t>& data, CYmSong& song, SongFrames& frames) {
    ByteReader in(data.data(), data.size());
    in.skip(12);
    const uint32_t frameCount = in.u32be();
    const uint32_t attributes = in.u32be();
    const uint16_t drumCount = in.u16be();
    const uint32_t clock = in.u32be();
    const uint16_t rate = in.u16be();
    const uint32_t loop = in.u32be();
    const uint16_t extra = in.u16be();
    if (!in.ok()) {   // not even a whole header: nothing to play
        frames.FrameCount = 0;
        return;
    }
    song.LoopFrame = int32_t(loop);
    song.ChipClock = int32_t(clock);
    song.FrameRate = int32_t(rate) * 1000;
    frames.Interleaved = attributes & 1;
    in.skip(extra);

    for (unsigned i = 0; i < drumCount && in.ok(); ++i) {
        uint32_t size = in.u32be();
        if (!in.ok()) break;
        DrumEntry d;
        d.Offset = uint32_t(in.pos());
        d.Size = size <= in.remaining() ? size : uint32_t(in.remaining());
        frames.DrumTable.push_back(d);
        in.skip(d.Size);
    }
    ConvertDrums(data, frames, uint8_t(attributes));

    song.SongName = in.cString();
    song.Author = in.cString();
    song.Comment = Trim(in.cString());

    frames.FrameDataOffset = uint32_t(in.pos());
    const uint32_t present = uint32_t(in.remaining() / 16);
    frames.FrameCount = frameCount <= present ? frameCount : present;
}

}  // namespace

void ParseSong(std::vector<uint8_t>& data, CYmSong& song, SongFrames& frames) {
    frames = SongFrames();
    const size_t size = data.size();
    char tag[4] = {};
    if (size >= 4) std::memcpy(tag, data.data(), 4);
    auto is = [&](const char* t) { return size >= 4 && std::memcmp(tag, t, 4) == 0; };

    if (is("YM2!") || is("YM3!")) {
        frames.Kind = SongKind::Ym2or3;
        frames.FrameCount = uint32_t((size - 4) / 14);
        frames.FrameDataOffset = 4;
    } else if (is("YM3b")) {
        frames.Kind = SongKind::Ym3b;
        frames.FrameCount = size >= 8 ? uint32_t((size - 8) / 14) : 0;
        frames.FrameDataOffset = 4;
        if (size >= 8) {
            ByteReader in(data.data(), size);
            in.seek(size - 4);
            song.LoopFrame = in.i32le();
        }
    } else if (is("YM5!") || is("YM6!")) {
        frames.Kind = is("YM5!") ? SongKind::Ym5 : SongKind::Ym6;
        ParseYm56(data, song, frames);
    } else {
        frames.Kind = SongKind::Unknown;
        song.Kind = SongKind::Unknown;
        return;
    }
    song.Kind = frames.Kind;

    if (song.LoopFrame < 0) song.LoopFrame = 0;
    // A loop point past the last frame refers to nothing: loop to the start instead.
    frames.LoopFrame = uint32_t(song.LoopFrame) < frames.FrameCount ? uint32_t(song.LoopFrame) : 0;
    frames.FramesToPlay = frames.FrameCount;
    song.Length = int32_t(frames.FrameCount);
}
