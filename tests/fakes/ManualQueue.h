#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "ports/MainQueue.h"

namespace moorvane::testing {

// A main queue and clock on virtual time. Nothing runs until the test drains or advances; background tasks
// run inline when drained, on the test's thread, so a background sleep advances the same virtual clock.
class ManualQueue final : public MainQueue, public Clock {
  public:
    void post(Task task) override { postAfter(0, std::move(task)); }
    void postAfter(double seconds, Task task) override {
        std::lock_guard lock(mutex_);
        timed_.emplace(Key{now_ + seconds, sequence_++}, std::move(task));
    }
    void background(Task task) override {
        std::lock_guard lock(mutex_);
        backgroundTasks_.push_back(std::move(task));
    }

    double monotonicSeconds() override { return now_; }
    void sleepFor(double seconds) override { now_ += seconds; }

    double now() const { return now_; }

    // Runs everything due now, including work that due work posts for now, and background tasks.
    void drain() { advance(0); }

    // Moves virtual time forward, running each task at its due time in order.
    void advance(double seconds) {
        const double end = now_ + seconds;
        for (;;) {
            Task task;
            {
                std::lock_guard lock(mutex_);
                if (!backgroundTasks_.empty()) {
                    task = std::move(backgroundTasks_.front());
                    backgroundTasks_.erase(backgroundTasks_.begin());
                } else if (!timed_.empty() && timed_.begin()->first.due <= end + 1e-9) {
                    auto node = timed_.extract(timed_.begin());
                    if (node.key().due > now_) now_ = node.key().due;
                    task = std::move(node.mapped());
                } else {
                    break;
                }
            }
            task();
        }
        if (end > now_) now_ = end;
    }

  private:
    struct Key {
        double due;
        std::size_t sequence;
        bool operator<(const Key& other) const {
            return due != other.due ? due < other.due : sequence < other.sequence;
        }
    };
    std::mutex mutex_;
    std::multimap<Key, Task> timed_;
    std::vector<Task> backgroundTasks_;
    double now_ = 0;
    std::size_t sequence_ = 0;
};

}  // namespace moorvane::testing
