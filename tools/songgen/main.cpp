// marlipan-songgen SCORE.txt OUT.ym: composes a song from a score and writes it as a YM5 or YM6 file.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/songgen/score.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: marlipan-songgen SCORE.txt OUT.ym\n");
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
