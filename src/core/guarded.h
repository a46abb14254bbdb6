// A value that several threads share. Every read, replacement and with() holds the lock, so
// no thread ever sees the value half-changed.
#pragma once

#include <mutex>
#include <utility>

namespace pel {

template <class T>
class Guarded {
  public:
    Guarded() = default;
    explicit Guarded(T value) : value_(std::move(value)) {}

    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }
    void set(T value) {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }
    // Runs f(T&) under the lock and returns its result: read-modify-write in one piece.
    template <class F>
    auto with(F&& f) {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(value_);
    }
    template <class F>
    auto with(F&& f) const {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(value_);
    }

  private:
    mutable std::mutex mutex_;
    T value_{};
};

}  // namespace pel
