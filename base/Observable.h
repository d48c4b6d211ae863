#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace moorvane {

// Keeps a subscriber registered for as long as it lives; dropping it unsubscribes.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset() {
        if (cancel_) std::exchange(cancel_, nullptr)();
    }

  private:
    std::function<void()> cancel_;
};

// A field whose changes reach its subscribers, which run on the main queue like everything that sets it.
template <class T>
class Observable {
  public:
    using Handler = std::function<void(const T&)>;

    Observable() = default;
    explicit Observable(T value) : value_(std::move(value)) {}
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    // Every assignment notifies, as views redraw from whatever was set.
    void set(T value) {
        value_ = std::move(value);
        notify();
    }
    Observable& operator=(T value) {
        set(std::move(value));
        return *this;
    }

    // Changes the value in place and notifies once.
    template <class F>
    void modify(F&& change) {
        change(value_);
        notify();
    }

    [[nodiscard]] Subscription subscribe(Handler handler) {
        auto key = next_++;
        (*handlers_)[key] = std::move(handler);
        std::weak_ptr<std::map<int, Handler>> weak = handlers_;
        return Subscription([weak, key] {
            if (auto handlers = weak.lock()) handlers->erase(key);
        });
    }

  private:
    void notify() {
        // A copy, so a handler may unsubscribe itself or others while we walk the list.
        auto handlers = *handlers_;
        for (auto& [key, handler] : handlers) {
            if (handlers_->count(key)) handler(value_);
        }
    }

    T value_{};
    std::shared_ptr<std::map<int, Handler>> handlers_ = std::make_shared<std::map<int, Handler>>();
    int next_ = 0;
};

}  // namespace moorvane
