// An unpacked song of any format, loaded by the music engine and played through the
// frame sequencer and the chip for two buffers (about 0.74 s of music), looping on.
#include <cstdint>
#include <cstdlib>

#include "music/ymplayer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CYmEngine engine(nullptr);   // no device: the buffers are filled directly
    if (!engine.LoadPlainSong(data, size)) return 0;
    engine.SetLooping(true);
    engine.ResetForPass();
    for (int i = 0; i < 2; ++i) {
        const uint32_t values = engine.FillBuffer(i & 1);
        if (values > CYmEngine::kBufferValues) std::abort();
    }
    return 0;
}
