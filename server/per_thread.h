// One connection for each thread that uses a store: SQLite's and libpq's connections are each
// for one thread at a time, and a thread pool's requests then never wait for one another here.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace board {

template <typename Connection>
class PerThread {
public:
    // This thread's connection, made by open() on first use; nullptr when it fails to open (the
    // next call tries again). A connection that breaks mends itself.
    template <typename Open>
    Connection* Get(Open open) {
        thread_local std::unordered_map<std::uint64_t, Connection*> mine;
        auto found = mine.find(serial_);
        if (found != mine.end()) return found->second;
        std::unique_ptr<Connection> made = open();
        if (!made) return nullptr;
        Connection* connection = made.get();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            all_.push_back(std::move(made));
        }
        mine[serial_] = connection;
        return connection;
    }
private:
    static inline std::atomic<std::uint64_t> next_{1};
    const std::uint64_t serial_ = next_++;  // a store's number, never reused in the process
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> all_;
};

}  // namespace board
