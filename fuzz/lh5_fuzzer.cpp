// LH5 unpacking of a packed song, as the music engine does it: the engine's size bound
// first, then CYmDecruncher.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "music/ymdecruncher.h"
#include "music/ymsong.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CYmDecruncher decruncher;   // one for the whole run, as the engine keeps one
    if (ClaimedUnpackedSize(data, size) > kMaxSongBytes) return 0;
    if (!decruncher.Decrunch(data, size)) {
        if (decruncher.Output() && decruncher.OutputSize() != 0 &&
            ClaimedUnpackedSize(data, size) != 0 && std::memcmp(data + 2, "-lh5-", 5) == 0)
            std::abort();   // a failed unpacking of an -lh5- member leaves no output
        return 0;
    }
    // Success promises exactly the claimed size; read all of it so that ASan sees any
    // output shorter than promised.
    if (!decruncher.Output() || decruncher.OutputSize() != ClaimedUnpackedSize(data, size))
        std::abort();
    volatile uint8_t sum = 0;
    const uint8_t* out = decruncher.Output();
    for (size_t i = 0; i < decruncher.OutputSize(); ++i) sum = uint8_t(sum + out[i]);
    return 0;
}
