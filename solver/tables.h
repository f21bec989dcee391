#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "solver/ida.h"

namespace solver {

// Which pattern databases the 4 x 4 and 5 x 5 searches use. Tiles are named by their home
// cell in reading order, from 0 (the tile numbered t on the board is t - 1 here).
struct TablePlan {
    using Partition = std::vector<std::vector<uint8_t>>;
    // Indexed by size - 4. The strong tables are the best bound; they take a minute or so
    // to build, so they are kept in the cache folder. The quick ones build in about a
    // second and serve until the strong ones are ready (none: Manhattan distance alone).
    Partition strong[2];
    Partition quick[2];
    // Tables of one set built at the same time (each on a thread of its own).
    int buildThreads = 1;

    // 4 x 4: 7-7-1 (two tables of 57.7 million entries, 27.5 MiB each), quick 5-5-5;
    // 5 x 5: 5-5-5-5-4 (3 MiB each), no quick set.
    static TablePlan Standard();
};

// The pattern databases of a process, loaded from the cache folder or built there on first
// use, on a thread of the store's own. Shared by every search; safe to use from any thread.
class TableStore {
public:
    enum class Strength { Manhattan, Quick, Strong };

    // `cacheFolder` empty: nothing is read or written, every table is built in memory.
    explicit TableStore(std::string cacheFolder, TablePlan plan = TablePlan::Standard());
    // Stops a build under way (within milliseconds) and waits for the store's thread.
    ~TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;

    // The strongest bound ready now for a 4 x 4 or 5 x 5 board, without waiting; unless
    // `request` is false, asks for the stronger tables to be loaded or built in the background.
    Heuristic Ready(int size, Strength* strength = nullptr, bool request = true);
    // Waits until the tables of `wanted` strength are ready (loading or building them) and
    // returns them; returns what is ready when `cancel` is set or they cannot be had.
    Heuristic Wait(int size, Strength wanted, const std::atomic<bool>* cancel, Strength* strength = nullptr);

    // What the store did that a user may want to know ("building ...", "damaged ...: built
    // again", "cannot write ..."), each once, oldest first.
    std::vector<std::string> TakeNotes();
    // From now on each note goes to `handler` as it is made, on the store's thread, instead
    // of waiting for TakeNotes.
    void OnNote(std::function<void(const std::string&)> handler);

    const std::string& CacheFolder() const { return folder_; }
    // $XDG_CACHE_HOME/marlipan, or ~/.cache/marlipan; "" when neither can be found.
    static std::string DefaultCacheFolder();

private:
    enum class State { Idle, Queued, Ready, Failed };
    struct Set {
        int size = 0;
        Strength strength = Strength::Manhattan;
        TablePlan::Partition partition;
        State state = State::Idle;
        Heuristic heuristic;
    };

    Set& SetFor(int size, Strength strength);
    void Request(Set& set);  // with mutex_ held
    void Work();
    bool Make(Set& set);  // without mutex_ held; false when stopped or failed
    std::shared_ptr<PatternDb> MakeTable(int size, const std::vector<uint8_t>& tiles);
    void Note(const std::string& note);
    Heuristic ReadyLocked(int size, Strength* strength);

    std::string folder_;
    TablePlan plan_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Set sets_[2][2];  // [size - 4][quick, strong]
    std::deque<Set*> queue_;
    std::vector<std::string> notes_;
    std::function<void(const std::string&)> noteHandler_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace solver
