// The bundled gamepacks' manifests: enough levels, distinct pictures, songs that the build can
// compose, and texts the gamepack header can hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::string sourceDir() {
    const char* src = std::getenv("MARLIPAN_SOURCE_DIR");
    return src && *src ? src : MARLIPAN_TOOLS_TEST_SOURCE_DIR;
}

struct Level {
    std::string name, picture, song, title;
};

struct Pack {
    std::string file;
    std::string difficulty, timer;
    int size = 0;
    std::vector<Level> levels;
};

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

Pack readManifest(const std::string& path) {
    Pack pack;
    pack.file = path;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = trim(line.substr(0, colon)), value = trim(line.substr(colon + 1));
        if (key == "difficulty") pack.difficulty = value;
        else if (key == "size") pack.size = std::atoi(value.c_str());
        else if (key == "timer") pack.timer = value;
        else if (key == "level") pack.levels.push_back({value, "", "", ""});
        else if (!pack.levels.empty() && key == "picture") pack.levels.back().picture = value;
        else if (!pack.levels.empty() && key == "song") pack.levels.back().song = value;
        else if (!pack.levels.empty() && key == "title") pack.levels.back().title = value;
    }
    return pack;
}

std::vector<Pack> bundledPacks() {
    std::vector<Pack> packs;
    const std::string dir = sourceDir() + "/assets";
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n.size() > 9 && n.substr(n.size() - 9) == ".manifest") packs.push_back(readManifest(dir + "/" + n));
        }
        closedir(d);
    }
    return packs;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(BundledPacks, ThereIsAnEasyDefaultATimedPackAndAPackForEveryBoardSize) {
    const auto packs = bundledPacks();
    ASSERT_GE(packs.size(), 3u);
    bool hasDefault = false, hasTimed = false;
    std::set<int> sizes;
    for (const auto& p : packs) {
        hasDefault = hasDefault || (p.file.size() >= 16 && p.file.substr(p.file.size() - 16) == "default.manifest");
        hasTimed = hasTimed || (!p.timer.empty() && p.timer != "none");
        sizes.insert(p.size);
    }
    EXPECT_TRUE(hasDefault) << "the game falls back to default.spx";
    EXPECT_TRUE(hasTimed);
    EXPECT_EQ(sizes, (std::set<int>{3, 4, 5, 6, 7})) << "every board size the game has";
}

TEST(BundledPacks, HaveFiveToTenLevelsWithDistinctPicturesAndComposableSongs) {
    std::set<std::string> allPictures;
    size_t allLevels = 0;
    const std::set<std::string> timers = {"none", "30", "60", "90", "120", "150", "180", "210",
                                          "240", "270", "300", "600", "1200"};
    const std::set<std::string> difficulties = {"Very Easy", "Easy", "Medium", "Hard", "Impossible"};
    for (const auto& p : bundledPacks()) {
        SCOPED_TRACE(p.file);
        EXPECT_GE(p.levels.size(), 5u);
        EXPECT_LE(p.levels.size(), 10u);
        EXPECT_GE(p.size, 3);
        EXPECT_LE(p.size, 7);
        EXPECT_TRUE(timers.count(p.timer.empty() ? "none" : p.timer)) << p.timer;
        EXPECT_TRUE(difficulties.count(p.difficulty)) << p.difficulty;
        std::set<std::string> pictures;
        int withSong = 0;
        for (const auto& l : p.levels) {
            SCOPED_TRACE(l.name);
            EXPECT_FALSE(l.name.empty());
            EXPECT_LE(l.name.size(), 50u);
            EXPECT_LE(l.title.size(), 50u);
            EXPECT_TRUE(pictures.insert(l.picture).second) << "picture used twice in the pack";
            EXPECT_TRUE(allPictures.insert(l.picture).second) << "picture used by another pack too";
            ++allLevels;
            if (l.song.empty()) continue;
            ++withSong;
            EXPECT_FALSE(l.title.empty()) << "a song shows its title in the status line";
            const std::string stem = l.song.substr(0, l.song.rfind('.'));
            EXPECT_TRUE(exists(sourceDir() + "/assets/songs/" + stem + ".txt")) << "no score for " << l.song;
        }
        EXPECT_GE(withSong * 2, static_cast<int>(p.levels.size())) << "music on most levels";
    }
    EXPECT_GE(allLevels, 28u);
}
