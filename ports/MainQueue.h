#pragma once

#include <chrono>
#include <functional>

namespace moorvane {

using Task = std::function<void()>;

// Where work runs. Everything in the core runs on the main queue; only the wait for the Dock's return and
// app-launch completions use the background queue.
class MainQueue {
  public:
    virtual ~MainQueue() = default;
    virtual void post(Task task) = 0;
    virtual void postAfter(double seconds, Task task) = 0;
    virtual void background(Task task) = 0;
};

// Time as the core sees it, so tests can drive every timing on a virtual clock.
class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic seconds since an arbitrary origin.
    virtual double monotonicSeconds() = 0;
    // Blocks the calling (background) thread; a virtual clock advances instead.
    virtual void sleepFor(double seconds) = 0;
};

}  // namespace moorvane
