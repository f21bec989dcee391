#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "solver/ida.h"
#include "solver/layout.h"
#include "solver/shorten.h"
#include "solver/solve.h"
#include "solver/tablefile.h"
#include "solver/tables.h"
#include "tests/solver/testboards.h"

namespace {

namespace fs = std::filesystem;
using solver::PatternDb;

std::vector<char> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}
void Write(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

TEST(TableFile, RefusesEveryDamagedOrForeignFile) {
    testboards::TemporaryFolder folder;
    PatternDb db(4, {0, 1, 2, 3});
    ASSERT_TRUE(db.Build());
    const std::string path = folder.Path() + "/" + solver::tablefile::FileName(db);
    std::string why;
    ASSERT_TRUE(solver::tablefile::Save(path, db, why)) << why;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);

    PatternDb loaded(4, {0, 1, 2, 3});
    ASSERT_TRUE(solver::tablefile::Load(path, loaded, why)) << why;
    EXPECT_EQ(loaded.Packed(), db.Packed());

    const std::vector<char> good = Read(path);
    const auto refused = [&](std::vector<char> bytes, PatternDb& into, const std::string& reason) {
        Write(path, bytes);
        std::string why;
        EXPECT_FALSE(solver::tablefile::Load(path, into, why));
        EXPECT_EQ(why, reason);
    };
    std::vector<char> flipped = good;
    flipped[good.size() - 1000] ^= 0x10;
    refused(flipped, loaded, "checksum mismatch");
    refused(std::vector<char>(good.begin(), good.end() - 1), loaded, "truncated");
    refused(std::vector<char>(good.begin(), good.begin() + 20), loaded, "truncated header");
    std::vector<char> longer = good;
    longer.push_back(0);
    refused(longer, loaded, "longer than its header says");
    PatternDb other(4, {0, 1, 2, 4});
    refused(good, other, "another format version or pattern");
    std::vector<char> version = good;
    version[8] = char(solver::tablefile::kFormatVersion + 1);
    refused(version, loaded, "another format version or pattern");
    refused(std::vector<char>(good.size(), 'x'), loaded, "not a table file");
    fs::remove(path);
    EXPECT_FALSE(solver::tablefile::Load(path, loaded, why));
    EXPECT_EQ(why, "missing");
}

// A table file whose entries are all at the largest excess (an overestimate that would
// make the search miss shorter solutions) or cut short is refused by the store, built
// again, and the answers stay optimal.
TEST(TableStore, DamagedCacheIsBuiltAgainAndAnswersStayOptimal) {
    testboards::TemporaryFolder folder;
    std::vector<std::string> files;
    {
        solver::TableStore store(folder.Path(), testboards::SmallPlan());
        store.Wait(4, solver::TableStore::Strength::Strong, nullptr);
        for (const auto& entry : fs::directory_iterator(folder.Path())) files.push_back(entry.path().string());
    }
    ASSERT_EQ(files.size(), 4u);
    std::vector<char> bytes = Read(files[0]);
    std::fill(bytes.begin() + 64, bytes.end(), char(0xff));
    Write(files[0], bytes);
    bytes = Read(files[1]);
    Write(files[1], std::vector<char>(bytes.begin(), bytes.end() - 1));

    solver::TableStore store(folder.Path(), testboards::SmallPlan());
    solver::TableStore::Strength strength;
    const solver::Heuristic h = store.Wait(4, solver::TableStore::Strength::Strong, nullptr, &strength);
    EXPECT_EQ(strength, solver::TableStore::Strength::Strong);
    std::string notes;
    for (const std::string& note : store.TakeNotes()) notes += note + "\n";
    EXPECT_NE(notes.find("(checksum mismatch): building it again"), std::string::npos) << notes;
    EXPECT_NE(notes.find("(truncated): building it again"), std::string::npos) << notes;
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        const solver::Layout l = solver::Layout::From(testboards::Walk(4, 30, seed));
        solver::Stopper stopper(nullptr, 10);  // a wrong bound may never reach the goal
        std::string plain;
        ASSERT_TRUE(solver::ShortestBetween(l, solver::Layout::From(solver::Solved(4)), 80, plain, stopper));
        const solver::SearchResult found = solver::IdaSearch(4, l.tile, h, solver::kOptimalWeight, stopper);
        ASSERT_TRUE(found.found) << seed;
        EXPECT_EQ(found.moves.size(), plain.size()) << seed;
    }
    for (const std::string& file : files) {
        std::string why;
        // Each file was written whole again: it loads as the pattern its name says.
        const std::string name = fs::path(file).filename().string();
        for (const auto& tiles : testboards::SmallPlan().strong[0]) {
            PatternDb candidate(4, tiles);
            if (solver::tablefile::FileName(candidate) == name) {
                EXPECT_TRUE(solver::tablefile::Load(file, candidate, why)) << name << ": " << why;
            }
        }
    }
}

TEST(TableStore, UnwritableFolderKeepsTheTablesInMemory) {
    testboards::TemporaryFolder folder;
    const std::string blocked = folder.Path() + "/file";
    std::ofstream(blocked) << "not a folder";
    solver::TableStore store(blocked + "/cache", testboards::SmallPlan());
    solver::TableStore::Strength strength;
    store.Wait(4, solver::TableStore::Strength::Strong, nullptr, &strength);
    EXPECT_EQ(strength, solver::TableStore::Strength::Strong);
    const std::vector<std::string> notes = store.TakeNotes();
    ASSERT_FALSE(notes.empty());
    EXPECT_NE(notes.back().find("kept in memory only"), std::string::npos) << notes.back();
}

}  // namespace
