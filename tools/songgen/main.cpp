// marlipan-songgen SCORE.txt OUT.ym: composes a song from a score and writes it as a YM5 or YM6 file.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/songgen/score.h"

namespace {

const char kUsage[] = "usage: marlipan-songgen SCORE.txt OUT.ym\n"
                      "       marlipan-songgen --help | --version\n";

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-h")) {
        std::printf("%s\nComposes a song for the sound chip from a score (docs/gamepacks.md,\n"
                    "\"Where a song comes from\") and writes it as a YM file.\n", kUsage);
        return 0;
    }
    if (argc == 2 && first == "--version") {
        std::printf("marlipan-songgen %s\n", MARLIPAN_VERSION);
        return 0;
    }
    if (argc != 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "marlipan-songgen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        const auto song = marlipan::songgen::compose(text.str());
        const auto bytes = marlipan::songgen::writeYm(song);
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "marlipan-songgen: cannot write %s\n", argv[2]);
            return 1;
        }
        std::printf("%s: \"%s\", %zu frames (%.1f s), loop at frame %d\n", argv[2], song.name.c_str(),
                    song.frames.size(), song.frames.size() / 50.0, song.loopFrame);
    } catch (const marlipan::songgen::ScoreError& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
