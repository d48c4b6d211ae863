#include "fakes/FakeDockPreferences.h"

#include <utility>

namespace moorvane::testing {

std::optional<PlistValue> FakeDockPreferences::copyValue(std::string_view key) {
    const auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

void FakeDockPreferences::set(std::string_view key, PlistValue value) {
    setKeys.emplace_back(key);
    values.insert_or_assign(std::string(key), std::move(value));
}

bool FakeDockPreferences::synchronize() {
    ++synchronizeCalls;
    return !failSynchronize;
}

}  // namespace moorvane::testing
