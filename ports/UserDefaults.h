#pragma once

#include <optional>
#include <string>

namespace moorvane {

// The app's own preferences domain. Reading never fails: a key that is absent, or holds a value of another
// type than the one asked for, reads as none, so the caller's default applies. Writes are not reported back;
// an adapter that stores to a file logs its own failures.
class UserDefaults {
  public:
    virtual ~UserDefaults() = default;
    virtual std::optional<bool> readBool(const std::string& key) = 0;
    virtual std::optional<std::string> readString(const std::string& key) = 0;
    virtual void writeBool(const std::string& key, bool value) = 0;
    virtual void writeString(const std::string& key, const std::string& value) = 0;
};

}  // namespace moorvane
