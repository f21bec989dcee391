// marlipan-sfxgen OUTDIR: writes appl.wav, good.wav and slide.wav into OUTDIR.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/sfxgen/sfx.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: marlipan-sfxgen OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (const auto& e : marlipan::sfx::allEffects()) {
        const std::string path = dir + "/" + e.fileName;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(e.wav.data()),
                  static_cast<std::streamsize>(e.wav.size()));
        if (!out) {
            std::fprintf(stderr, "marlipan-sfxgen: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s: %zu bytes\n", path.c_str(), e.wav.size());
    }
    return 0;
}
