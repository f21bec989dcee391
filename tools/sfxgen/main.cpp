// marlipan-sfxgen OUTDIR: writes appl.wav, good.wav and slide.wav into OUTDIR.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/sfxgen/sfx.h"

int main(int argc, char** argv) {
    const char usage[] = "usage: marlipan-sfxgen OUTDIR\n       marlipan-sfxgen --help | --version\n";
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::printf("%s\nSynthesises the game's sound effects as appl.wav, good.wav and slide.wav.\n", usage);
        return 0;
    }
    if (first == "--version") {
        std::printf("marlipan-sfxgen %s\n", MARLIPAN_VERSION);
        return 0;
    }
    if (argc != 2) {
        std::fputs(usage, stderr);
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
