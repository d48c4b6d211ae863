#include "fakes/FakeSettingsPorts.h"

namespace moorvane::testing {

namespace {

template <class T>
std::optional<T> held(const std::map<std::string, FakeUserDefaults::Value>& values, const std::string& key) {
    const auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    if (const T* value = std::get_if<T>(&found->second)) return *value;
    return std::nullopt;
}

}  // namespace

std::optional<bool> FakeUserDefaults::readBool(const std::string& key) {
    return held<bool>(values, key);
}

std::optional<std::string> FakeUserDefaults::readString(const std::string& key) {
    return held<std::string>(values, key);
}

Status FakeLoginItems::registerMainApp() {
    requests.emplace_back("register");
    if (registerRefusal) return Error{*registerRefusal};
    current = LoginItemStatus::enabled;
    return done();
}

Status FakeLoginItems::unregisterMainApp() {
    requests.emplace_back("unregister");
    if (unregisterRefusal) return Error{*unregisterRefusal};
    current = LoginItemStatus::notRegistered;
    return done();
}

}  // namespace moorvane::testing
