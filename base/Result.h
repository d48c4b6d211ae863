#pragma once

#include <string>
#include <utility>
#include <variant>

namespace moorvane {

struct Error {
    std::string description;
    // The errno of the system call that failed, or one of a helper's own codes (see BoundedRead.h); 0 where
    // neither applies. Lets a caller word its own log line without parsing the description.
    int code = 0;
};

// A value or the error that kept it from being made; nothing here throws across components.
template <class T>
class Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<T>(state_); }
    const T& value() const { return std::get<T>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<Error>(state_); }

  private:
    std::variant<T, Error> state_;
};

// Done, or the error that kept it from being done: the answer of every operation that yields nothing else.
template <>
class Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return error_; }

  private:
    Error error_;
    bool failed_ = false;
};

using Status = Result<void>;

inline Status done() {
    return {};
}

}  // namespace moorvane
