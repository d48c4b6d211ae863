#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/DockPreferences.h"

namespace moorvane::testing {

// The domain as a map in memory. Writes are recorded in order, so tests can tell what was set before a sync.
class FakeDockPreferences final : public DockPreferences {
  public:
    std::map<std::string, PlistValue, std::less<>> values;
    // Keys passed to set(), in call order.
    std::vector<std::string> setKeys;
    int synchronizeCalls = 0;
    // When set, synchronize() reports failure (the values set stay in memory, as with the real domain,
    // until discardPendingChanges() puts back what they replaced).
    bool failSynchronize = false;

    std::optional<PlistValue> copyValue(std::string_view key) override;
    void set(std::string_view key, PlistValue value) override;
    Status synchronize() override;
    void discardPendingChanges() override;

  private:
    // What each key set since the last successful synchronize() held before (none: it was absent).
    std::map<std::string, std::optional<PlistValue>, std::less<>> replaced_;
};

}  // namespace moorvane::testing
