#pragma once
// Song formats: the five YM tags, their headers, digital drums and texts, and where the
// register frames lie in the unpacked song.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The most an unpacked song may hold. The formats themselves set no limit (a YM5/YM6
// frame count is 32 bits), so this is a generous bound rather than a derived one: 8 MiB
// holds 524,288 frames of 16 registers, close to three hours at 50 frames a second,
// where real songs are 10 to 300 KiB. It keeps a tiny hostile archive (LH5 can expand a
// few dozen bytes to megabytes) from making every level load allocate and decode that
// much on the user-interface thread.
constexpr uint32_t kMaxSongBytes = 8u << 20;

// The unpacked size a packed song's LHA header claims (bytes 11..14), or 0 when the
// header is too short to say.
uint32_t ClaimedUnpackedSize(const uint8_t* packed, size_t size);

enum class SongKind : uint8_t { Ym2or3 = 0, Ym3b = 1, Ym5 = 2, Ym6 = 3, Unknown = 4 };

const char* SongKindName(SongKind kind);

// What a song says about itself; for information only, playback does not read it.
class CYmSong {
public:
    void Clear() { *this = CYmSong(); }

    std::string SongName;
    std::string Author;
    std::string Comment;
    SongKind Kind = SongKind::Ym2or3;
    int32_t LoopFrame = -1;
    int32_t Length = 0;
    int32_t ChipClock = -2;
    int32_t FrameRate = -2;   // thousandths of Hz
};

struct DrumEntry {
    uint32_t Size = 0;     // samples, cut to what the song holds
    uint32_t Offset = 0;   // first sample in the unpacked song
};

// The per-song values the frame sequencer works from.
struct SongFrames {
    SongKind Kind = SongKind::Unknown;
    uint32_t FrameCount = 0;
    uint32_t FrameDataOffset = 0;
    uint32_t LoopFrame = 0;
    uint32_t FramesToPlay = 0;
    bool Interleaved = true;   // 14-register songs always are
    std::vector<DrumEntry> DrumTable;

    // A song plays only when its kind is known and it holds at least one frame.
    bool Playable() const { return Kind != SongKind::Unknown && FrameCount > 0; }
};

// Parses an unpacked song. Drum samples are converted to 4-bit levels in place, which
// is why the data is writable. Every count and size is cut to what the data holds: a
// frame count beyond the frame bytes present is reduced to the whole frames there, a drum
// that runs past the end is shortened, texts end at the end of the data.
void ParseSong(std::vector<uint8_t>& data, CYmSong& song, SongFrames& frames);

// The 4-bit level nearest to an 8-bit drum sample value 0..255 (exposed for tests).
uint8_t DrumLevel(unsigned v);
