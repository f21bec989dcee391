// A whole gamepack file, loaded as the game loads a level: the header, the chunks of the
// level the first input byte selects, the picture through libjpeg into tiles for the
// normal or the zoomed window, and the song into the music engine. The rest of the input
// is the file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "gamepack/gamepackfile.h"
#include "gamepack/picture.h"
#include "music/ymplayer.h"
#include "render/layout.h"

namespace {

// The file lives in memory; the loader opens it by name like any gamepack.
int fileDescriptor = -1;
std::string filePath;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (fileDescriptor < 0) {
        fileDescriptor = memfd_create("gamepack.spx", 0);
        if (fileDescriptor < 0) return 0;
        filePath = "/proc/self/fd/" + std::to_string(fileDescriptor);
    }
    const int level = data[0] % 10;
    const bool zoomed = (data[0] / 10) & 1;
    if (ftruncate(fileDescriptor, 0) != 0) return 0;
    if (size > 1 && pwrite(fileDescriptor, data + 1, size - 1, 0) != ssize_t(size - 1)) return 0;

    static CYmEngine engine(nullptr);
    static TileBitmapPool tiles;
    try {
        GamepackLevel loaded = ReadGamepackLevel(filePath, level);
        const WindowSizes sizes = zoomed ? ZoomOn(DesignSizes) : DesignSizes;
        const Layout layout = ComputeLayout(sizes.panelWidth, sizes.panelHeight);
        LevelPicture picture =
            PreparePicture(loaded.picture.data(), loaded.picture.size, layout.BoardSize);
        engine.LoadSong(loaded.song.data(), loaded.song.size);
        BoardLayout board{layout.BoardLeft, layout.BoardTop, layout.BoardSize, 0};
        CutTiles(picture.Colour, loaded.header.CellsPerSide(), board, tiles);
    } catch (const GamepackError&) {
    } catch (const PictureError&) {
    }
    return 0;
}
