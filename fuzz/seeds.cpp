// Writes the seed corpora of the fuzz targets, each made by the project's own writers:
//   marlipan-fuzz-seeds FOLDER      (writes FOLDER/<target>/<name>)
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/recordsinput.h"
#include "game/hiscoretable.h"
#include "game/savegame.h"
#include "gamepack/gamepackfile.h"
#include "gamepack/picture.h"
#include "tests/music/songwriter.h"
#include "tools/lh5/lh5pack.h"

namespace fs = std::filesystem;
using songwriter::Frame14;
using songwriter::Frame16;
using Bytes = std::vector<uint8_t>;

namespace {

fs::path root;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(root / target);
    std::ofstream out(root / target / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A few frames of a tune: tones on A and B, a little noise, an envelope now and then.
std::vector<Frame16> Tune16(int count) {
    std::vector<Frame16> frames;
    for (int i = 0; i < count; ++i) {
        Frame16 f = songwriter::Silent16();
        f[0] = uint8_t(100 + i * 7);
        f[1] = uint8_t(i & 3);
        f[2] = uint8_t(200 - i * 3);
        f[6] = uint8_t(i & 31);
        f[7] = 0x38 ^ uint8_t(i & 8);
        f[8] = 15;
        f[9] = uint8_t(i % 3 == 0 ? 16 : 12);
        f[11] = uint8_t(i * 13);
        f[13] = uint8_t(i % 5 == 0 ? 10 : 0xFF);
        frames.push_back(f);
    }
    return frames;
}

std::vector<Frame14> Tune14(int count) {
    std::vector<Frame14> frames;
    for (const Frame16& f : Tune16(count)) {
        Frame14 g;
        std::copy(f.begin(), f.begin() + 14, g.begin());
        frames.push_back(g);
    }
    return frames;
}

// Songs of every format, with every effect of YM5 and YM6 at slow and fast timers.
std::vector<std::pair<std::string, Bytes>> Songs() {
    std::vector<std::pair<std::string, Bytes>> songs;
    songs.push_back({"ym2", songwriter::Ym14("YM2!", Tune14(12))});
    songs.push_back({"ym3", songwriter::Ym14("YM3!", Tune14(20))});
    songs.push_back({"ym3b", songwriter::Ym14("YM3b", Tune14(20), 5)});

    songwriter::Ym56 ym5;
    ym5.tag = "YM5!";
    ym5.drums = {Bytes{0, 64, 128, 255, 128, 64}, Bytes(40, 200)};
    ym5.frames = Tune16(16);
    songwriter::SetEffect1(ym5.frames[2], 1, 0, 1, 50);              // SID on A
    songwriter::SetEffect2(ym5.frames[4], 2, 0, 1, 20);              // drum on B
    ym5.frames[4][9] = 1;                                             // drum number 1
    ym5.loopFrame = 3;
    songs.push_back({"ym5", ym5.Build()});

    songwriter::Ym56 ym6;
    ym6.drums = {Bytes{1, 5, 9, 15, 9, 5, 1}};
    ym6.attributes = 1 | 4;
    ym6.frames = Tune16(24);
    for (int i = 0; i < 24; i += 4) {
        songwriter::SetEffect1(ym6.frames[size_t(i)], 1 + i / 4 % 3, unsigned(i / 4) % 4, 1 + i % 7, uint8_t(10 + i));
        songwriter::SetEffect2(ym6.frames[size_t(i + 1)], 1 + (i / 4 + 1) % 3, unsigned(i / 4 + 1) % 4, 2, uint8_t(30 - i));
    }
    songs.push_back({"ym6", ym6.Build()});

    songwriter::Ym56 fast = ym6;   // both effects at their fastest timers
    fast.attributes = 0;
    for (Frame16& f : fast.frames) {
        songwriter::SetEffect1(f, 1, 2, 1, 1);
        songwriter::SetEffect2(f, 2, 3, 1, 1);
    }
    songs.push_back({"ym6-fast", fast.Build()});
    return songs;
}

QImage Picture(int w, int h, bool grey) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x ^ y) * 8));
    return grey ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: marlipan-fuzz-seeds FOLDER\n");
        return 2;
    }
    root = argv[1];

    const auto songs = Songs();
    for (const auto& [name, song] : songs) {
        Write("song_fuzzer", name, song);
        Write("lh5_fuzzer", name + ".lzh", lh5::PackArchive(song, name + ".ym"));
    }
    Write("lh5_fuzzer", "empty.lzh", lh5::PackArchive({}, "empty.ym"));
    Bytes noise;
    for (int i = 0; i < 3000; ++i) noise.push_back(uint8_t(i * 2654435761u >> 13));
    Write("lh5_fuzzer", "noise.lzh", lh5::PackArchive(noise, "noise.bin"));

    // Gamepacks: the first byte selects the level (and the zoom), the rest is the file.
    GamepackSource one;
    one.Description = "One level";
    one.Levels.push_back({"Solo", EncodeJpeg(Picture(16, 16, false), 75), {}, ""});
    GamepackSource three;
    three.Description = "Three levels with music and a clock";
    three.Difficulty = 2;
    three.SizeIndex = 2;
    three.TimerIndex = 5;
    three.Levels.push_back({"First", EncodeJpeg(Picture(24, 16, false), 60),
                            lh5::PackArchive(songs[1].second, "a.ym"), "Tune A"});
    three.Levels.push_back({"Second", EncodeJpeg(Picture(16, 24, true), 50), {}, ""});
    three.Levels.push_back({"Third", EncodeJpeg(Picture(32, 32, false), 40),
                            lh5::PackArchive(songs[4].second, "b.ym"), "Tune B"});
    GamepackSource big;
    big.SizeIndex = 4;
    big.Levels.push_back({"Seven", EncodeJpeg(Picture(64, 48, false), 30), {}, ""});
    int n = 0;
    for (const GamepackSource* pack : {&one, &three, &big}) {
        const Bytes file = BuildGamepack(*pack);
        for (uint8_t level = 0; level < pack->Levels.size(); ++level) {
            Bytes input{uint8_t(level + (n == 1 && level == 2 ? 10 : 0))};
            input.insert(input.end(), file.begin(), file.end());
            Write("gamepack_fuzzer", "pack" + std::to_string(n) + "-level" + std::to_string(level), input);
        }
        ++n;
    }

    // Store contents: the seven settings, a Top 10 table with entries and a saved game.
    using recordsinput::Append;
    Bytes records;
    const char* settings[7] = {"1", "0", "0", "1", "200", "harbour.spx", "12"};
    for (int i = 0; i < 7; ++i) Append(records, i, StoreValueType::String, Text(settings[i]));
    HiScoreTable table;
    table.RecordResult(120, 30, "default.spx");
    table.RecordResult(80, -1, "harbour.spx");
    Append(records, 7, StoreValueType::Binary, table.Serialise());
    int32_t grid[8][8] = {};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) grid[c][r] = (c * 4 + r + 5) % 16 == 15 ? 16 : (c * 4 + r + 5) % 16;
    Append(records, 8, StoreValueType::Binary,
           EncodeSaveGame(MakeSaveGame("harbour.spx", 2, 95, 41, grid, 4)));
    Write("records_fuzzer", "full", records);
    Bytes odd;
    Append(odd, 4, StoreValueType::Binary, Text("128"));
    Append(odd, 7, StoreValueType::String, Text("scores"));
    Append(odd, 8, StoreValueType::Other, {});
    Write("records_fuzzer", "wrong-types", odd);

    Write("manifest_fuzzer", "pack",
          Text("# A pack\ndescription: Two levels\ndifficulty: Easy\nsize: 4\ntimer: 120\n\n"
               "level: First \\# one\npicture: a.png\nsong: a.ym\ntitle: Tune\n\n"
               "level: Caf\xc3\xa9\npicture: sub/b.jpg\n"));
    Write("manifest_fuzzer", "bare", Text("difficulty: Hard\nsize: 7\nlevel: x\npicture: p.png\n"));
    return 0;
}
