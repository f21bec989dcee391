#pragma once
// A wave-out device for tests: it "plays" queued buffers on a thread of its own, records
// their bytes, reports each one done through the callback, and can be told to fail any
// operation or to hold buffers (a device still playing them).

#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "music/waveout.h"

class FakeWaveOut : public waveout::Device {
public:
    ~FakeWaveOut() override { Join(); }

    // Operation name ("Open", "PrepareHeader", "Write", "Reset", "UnprepareHeader",
    // "Close") -> error code it returns. "Write#3" fails only the third write.
    std::map<std::string, waveout::Result> failures;
    // Buffers played before the device holds the rest (as if still playing them).
    size_t playLimit = SIZE_MAX;

    waveout::Result Open(const waveout::Format& format, waveout::Callback callback,
                         void* instance) override {
        if (auto r = Fails("Open")) return r;
        std::lock_guard<std::mutex> lock(m_);
        if (open_) return waveout::kAllocated;
        format_ = format;
        callback_ = callback;
        instance_ = instance;
        open_ = true;
        stop_ = false;
        ++opens;
        thread_ = std::thread([this] { Run(); });
        return waveout::kOk;
    }
    waveout::Result PrepareHeader(waveout::Header* h) override {
        if (auto r = Fails("PrepareHeader")) return r;
        h->Flags |= kPrepared;
        return waveout::kOk;
    }
    waveout::Result Write(waveout::Header* h) override {
        if (auto r = Fails("Write")) return r;
        std::lock_guard<std::mutex> lock(m_);
        if (!open_) return waveout::kInvalidHandle;
        if (!(h->Flags & kPrepared)) return waveout::kUnprepared;
        ++writes;
        queue_.push_back({h, false});
        cv_.notify_all();
        return waveout::kOk;
    }
    waveout::Result Reset() override {
        std::lock_guard<std::mutex> lock(m_);
        ++resets;
        for (auto& q : queue_) q.reset = true;
        cv_.notify_all();
        if (auto r = FailsLocked("Reset")) return r;
        return waveout::kOk;
    }
    waveout::Result UnprepareHeader(waveout::Header* h) override {
        std::lock_guard<std::mutex> lock(m_);
        for (auto& q : queue_)
            if (q.h == h) return waveout::kStillPlaying;
        ++unprepares;
        h->Flags &= ~kPrepared;
        if (auto r = FailsLocked("UnprepareHeader")) return r;
        return waveout::kOk;
    }
    waveout::Result Close() override {
        {
            std::lock_guard<std::mutex> lock(m_);
            if (!queue_.empty()) return waveout::kStillPlaying;
            ++closes;
            stop_ = true;
            cv_.notify_all();
        }
        Join();
        std::lock_guard<std::mutex> lock(m_);
        open_ = false;
        if (auto r = FailsLocked("Close")) return r;
        return waveout::kOk;
    }
    std::string ErrorText(waveout::Result code) const override {
        return "fake device error " + std::to_string(code);
    }

    // Waits until n buffers have been played (or a second has passed).
    bool WaitPlayed(size_t n) {
        std::unique_lock<std::mutex> lock(m_);
        return cv_.wait_for(lock, std::chrono::seconds(5), [&] { return played_.size() >= n; });
    }
    std::vector<std::vector<uint8_t>> Played() {
        std::lock_guard<std::mutex> lock(m_);
        return played_;
    }
    bool IsOpen() {
        std::lock_guard<std::mutex> lock(m_);
        return open_;
    }
    waveout::Format format_;
    int opens = 0, closes = 0, writes = 0, resets = 0, unprepares = 0;

private:
    static constexpr uint32_t kPrepared = 2;
    struct Queued {
        waveout::Header* h;
        bool reset;
    };

    waveout::Result Fails(const std::string& op) {
        std::lock_guard<std::mutex> lock(m_);
        return FailsLocked(op);
    }
    waveout::Result FailsLocked(const std::string& op) {
        const int n = ++calls_[op];
        auto once = failures.find(op + "#" + std::to_string(n));
        if (once != failures.end()) return once->second;
        auto always = failures.find(op);
        return always != failures.end() ? always->second : waveout::kOk;
    }
    void Join() {
        if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
    }
    void Run() {
        std::unique_lock<std::mutex> lock(m_);
        for (;;) {
            cv_.wait(lock, [&] {
                return stop_ || (!queue_.empty() && (queue_.front().reset || played_.size() < playLimit));
            });
            if (stop_ && queue_.empty()) return;
            if (queue_.empty()) continue;
            Queued q = queue_.front();
            if (!q.reset) {
                played_.emplace_back(q.h->Data, q.h->Data + q.h->BufferLength);
            }
            queue_.pop_front();
            cv_.notify_all();
            lock.unlock();
            callback_(waveout::kWomDone, q.h, instance_);
            lock.lock();
        }
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Queued> queue_;
    std::vector<std::vector<uint8_t>> played_;
    std::map<std::string, int> calls_;
    waveout::Callback callback_ = nullptr;
    void* instance_ = nullptr;
    std::thread thread_;
    bool open_ = false;
    bool stop_ = false;
};
