#pragma once

#include <optional>
#include <string_view>

#include "base/Plist.h"
#include "base/Result.h"

namespace moorvane {

// The Dock's preferences domain "com.apple.dock" for the current user, as the Dock itself sees it.
class DockPreferences {
  public:
    virtual ~DockPreferences() = default;
    // The current value of `key`, or nothing when the domain has none.
    virtual std::optional<PlistValue> copyValue(std::string_view key) = 0;
    // Takes effect in memory; synchronize() makes it durable.
    virtual void set(std::string_view key, PlistValue value) = 0;
    // Writes pending changes, or says why they could not be written.
    virtual Status synchronize() = 0;
    // Forgets the changes set since the last successful synchronize(), so reads see the stored domain again.
    virtual void discardPendingChanges() = 0;
};

}  // namespace moorvane
