#include "solver/tables.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <exception>

#include "solver/tablefile.h"

namespace solver {

TablePlan TablePlan::Standard() {
    TablePlan plan;
    // 4 x 4, tiles by home cell:   0  1  2  3
    //                              4  5  6  7
    //                              8  9 10 11
    //                             12 13 14  .
    // Strong: the bottom two rows, the top two rows but the corner tile (which counts its
    // Manhattan distance).
    plan.strong[0] = {{8, 9, 10, 11, 12, 13, 14}, {1, 2, 3, 4, 5, 6, 7}};
    plan.quick[0] = {{0, 1, 2, 4, 5}, {3, 6, 7, 10, 11}, {8, 9, 12, 13, 14}};
    // 5 x 5: blocks of five (four around the gap's corner).
    plan.strong[1] = {{0, 1, 2, 5, 6}, {3, 4, 7, 8, 9}, {10, 11, 15, 16, 20}, {12, 13, 14, 17, 18}, {19, 21, 22, 23}};
    return plan;
}

TableStore::TableStore(std::string cacheFolder, TablePlan plan) : folder_(std::move(cacheFolder)), plan_(std::move(plan)) {
    for (int s = 0; s < 2; ++s) {
        sets_[s][0].size = sets_[s][1].size = s + 4;
        sets_[s][0].strength = Strength::Quick;
        sets_[s][0].partition = plan_.quick[s];
        sets_[s][1].strength = Strength::Strong;
        sets_[s][1].partition = plan_.strong[s];
    }
}

TableStore::~TableStore() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::string TableStore::DefaultCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/marlipan";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/marlipan";
    return "";
}

TableStore::Set& TableStore::SetFor(int size, Strength strength) {
    return sets_[size == 5 ? 1 : 0][strength == Strength::Strong ? 1 : 0];
}

void TableStore::Request(Set& set) {
    if (set.state != State::Idle || stop_) return;
    set.state = State::Queued;
    queue_.push_back(&set);
    if (!worker_.joinable()) worker_ = std::thread(&TableStore::Work, this);
    changed_.notify_all();
}

Heuristic TableStore::ReadyLocked(int size, Strength* strength) {
    for (Strength s : {Strength::Strong, Strength::Quick}) {
        const Set& set = SetFor(size, s);
        if (set.state == State::Ready && !set.partition.empty()) {
            if (strength) *strength = s;
            return set.heuristic;
        }
    }
    if (strength) *strength = Strength::Manhattan;
    Heuristic manhattan;
    manhattan.size = size;
    return manhattan;
}

Heuristic TableStore::Ready(int size, Strength* strength, bool request) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (request) {
        Request(SetFor(size, Strength::Quick));
        Request(SetFor(size, Strength::Strong));
    }
    return ReadyLocked(size, strength);
}

Heuristic TableStore::Wait(int size, Strength wanted, const std::atomic<bool>* cancel, Strength* strength) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wanted != Strength::Manhattan) {
        Set& set = SetFor(size, wanted);
        Request(set);
        while (set.state == State::Queued && !stop_ && !(cancel && cancel->load())) 
            changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
    return ReadyLocked(size, strength);
}

std::vector<std::string> TableStore::TakeNotes() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> notes;
    notes.swap(notes_);
    return notes;
}

void TableStore::OnNote(std::function<void(const std::string&)> handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    noteHandler_ = std::move(handler);
}

void TableStore::Note(const std::string& note) {
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!noteHandler_) {
            notes_.push_back(note);
            return;
        }
        handler = noteHandler_;
    }
    handler(note);
}

void TableStore::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        Set& set = *queue_.front();
        lock.unlock();
        const bool made = Make(set);
        lock.lock();
        queue_.pop_front();
        set.state = made ? State::Ready : stop_ ? State::Idle : State::Failed;
        changed_.notify_all();
    }
}

bool TableStore::Make(Set& set) {
    Heuristic heuristic;
    heuristic.size = set.size;
    const size_t count = set.partition.size();
    std::vector<std::shared_ptr<PatternDb>> tables(count);
    const size_t threads = size_t(std::max(1, plan_.buildThreads));
    for (size_t first = 0; first < count; first += threads) {
        const size_t last = std::min(count, first + threads);
        std::vector<std::thread> builders;
        for (size_t i = first + 1; i < last; ++i)
            builders.emplace_back([&, i] { tables[i] = MakeTable(set.size, set.partition[i]); });
        tables[first] = MakeTable(set.size, set.partition[first]);
        for (auto& b : builders) b.join();
    }
    for (const auto& table : tables) {
        if (!table) return false;
        heuristic.patterns.push_back(table);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    set.heuristic = heuristic;
    return true;
}

std::shared_ptr<PatternDb> TableStore::MakeTable(int size, const std::vector<uint8_t>& tiles) {
    try {
        auto db = std::make_shared<PatternDb>(size, tiles);
        std::string path, why;
        if (!folder_.empty()) {
            path = folder_ + "/" + tablefile::FileName(*db);
            if (tablefile::Load(path, *db, why)) return db;
            if (why == "missing")
                Note("building the table " + path + " (once)");
            else
                Note("the table " + path + " cannot be used (" + why + "): building it again");
        }
        if (!db->Build(&stop_)) return nullptr;
        if (!folder_.empty()) {
            std::error_code ec;
            std::filesystem::create_directories(folder_, ec);
            if (!tablefile::Save(path, *db, why)) Note(why + "; the table is kept in memory only");
        }
        return db;
    } catch (const std::exception& e) {  // out of memory, or a plan that does not fit
        Note(std::string("cannot make a table of ") + std::to_string(tiles.size()) + " tiles: " + e.what());
        return nullptr;
    }
}

}  // namespace solver
