#pragma once
// Where gamepacks are found on this system. A gamepack is named by a bare file name (the
// GamepackName setting, the saved game, the Top 10); it is looked up in order in
//   1. the current directory (a build, a portable copy, a folder of packs),
//   2. the player's own gamepack folder, $XDG_DATA_HOME/marlipan/gamepacks, where new packs go,
//   3. the installed folders: marlipan/gamepacks under each of $XDG_DATA_DIRS, then the one
//      beside the program (<prefix>/share/marlipan/gamepacks), so that an installed tree
//      anywhere finds its own packs.
// The first folder that holds a regular file of that name wins. Names are file-system
// bytes, never decoded, so that they open again as they are.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace platform {

// True for a name that ends in ".spx" in any letter case, as Windows matches "*.spx".
bool IsGamepackName(const std::string& name);

// The player's own folder (it may not exist yet).
QString PlayerGamepackFolder();
// Creates the player's folder if needed; false when it cannot be made.
bool MakePlayerGamepackFolder();

// The folders of the lookup, in order, each once; "" stands for the current directory.
// Installed folders that do not exist are left out.
QStringList GamepackFolders();

// The path to open for a bare name: the first folder's file of that name, or the name
// itself (relative to the current directory) when no folder holds one, so that opening it
// fails as a missing file does. A name with a folder in it is returned unchanged.
std::string FindGamepack(const std::string& name);

// Every "*.spx" entry of the folders, each name once (the first found wins), sorted by
// name without regard to letter case. In the current directory every matching entry
// counts, as a Windows listing gives it; elsewhere only regular files.
std::vector<std::string> ListGamepacks();

// Makes the gamepack file at `path` reachable by a bare name from any current directory,
// as the next start may be made from elsewhere: when the name (or a numbered variant
// "name-2.spx", "name-3.spx" ...) already finds a file with the same bytes in the player's
// folder or an installed one, and no other file in the current directory, that name;
// otherwise a copy in the player's folder under the first free name. Never overwrites a
// file. Throws std::runtime_error when the copy cannot be made.
struct ImportedGamepack {
    std::string name;       // the bare name to open it by
    bool copied = false;    // a copy was written to the player's folder
    std::string nameTaken;  // not empty when another pack answers to the file's own name
                            // (with the extension added), so that `name` is a numbered one
};
ImportedGamepack ImportGamepack(const std::string& path);

}  // namespace platform
