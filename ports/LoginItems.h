#pragma once

#include <optional>

#include "base/Result.h"

namespace moorvane {

// What the system reports for the app's login item. Only `enabled` means the app opens at login; an item
// awaiting the user's approval in the system's settings does not.
enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

// The system's login-item service for the main app. Main thread only.
class LoginItems {
  public:
    virtual ~LoginItems() = default;
    virtual LoginItemStatus status() = 0;
    // Each is done, or gives the system's refusal described for the user.
    virtual Status registerMainApp() = 0;
    virtual Status unregisterMainApp() = 0;
};

}  // namespace moorvane
