#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ports/DockBackend.h"

namespace moorvane::testing {

// The dock's lists as a map in memory. Writes are recorded in order, so tests can tell what was set before a
// sync. A restarting dock that shows every tile unless told otherwise.
class FakeDockPreferences final : public DockBackend {
  public:
    DockApplyMode mode = DockApplyMode::restart;
    std::string name = "the reference Dock";
    // Tiles by label that this dock cannot show, with the reason.
    std::map<std::string, std::string, std::less<>> notShown;
    // What the dock was last asked to call: when it reports the new lists, and at every change.
    std::function<void()> shown;
    std::function<void()> changed;

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
    std::string displayName() const override { return name; }
    DockApplyMode applyMode() const override { return mode; }
    std::optional<std::string> whyNotShown(const PlistValue& tile) override;
    void notifyWhenShown(std::function<void()> handler) override { shown = std::move(handler); }
    void observeChanges(std::function<void()> handler) override { changed = std::move(handler); }

  private:
    // What each key set since the last successful synchronize() held before (none: it was absent).
    std::map<std::string, std::optional<PlistValue>, std::less<>> replaced_;
};

}  // namespace moorvane::testing
