#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ports/ActivationPolicy.h"
#include "ports/LoginItems.h"
#include "ports/UserDefaults.h"

namespace moorvane::testing {

// An in-memory domain. Values of any of the stored types can be planted under any key, so a test can leave
// a value of the wrong type where a setting expects another.
class FakeUserDefaults final : public UserDefaults {
  public:
    using Value = std::variant<bool, std::int64_t, std::string>;
    std::map<std::string, Value> values;

    std::optional<bool> readBool(const std::string& key) override;
    std::optional<std::string> readString(const std::string& key) override;
    void writeBool(const std::string& key, bool value) override { values[key] = value; }
    void writeString(const std::string& key, const std::string& value) override { values[key] = value; }
};

// A login item whose changes succeed, moving `current` as the system would, unless a refusal is set.
class FakeLoginItems final : public LoginItems {
  public:
    LoginItemStatus current = LoginItemStatus::notRegistered;
    std::optional<std::string> registerRefusal;
    std::optional<std::string> unregisterRefusal;
    std::vector<std::string> requests;  // "register" / "unregister", in the order asked

    LoginItemStatus status() override { return current; }
    Status registerMainApp() override;
    Status unregisterMainApp() override;
};

class FakeAppActivation final : public AppActivation {
  public:
    std::vector<ActivationPolicy> applied;
    void setActivationPolicy(ActivationPolicy policy) override { applied.push_back(policy); }
};

}  // namespace moorvane::testing
