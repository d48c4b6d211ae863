#pragma once

// The policy values are shared with the running-application records, which report them for other apps.
#include "ports/Workspace.h"

namespace moorvane {

// Where the app itself shows: `regular` gives it a Dock icon and an app menu, `accessory` leaves only its
// menu-bar item. Main thread only; takes effect at once.
class AppActivation {
  public:
    virtual ~AppActivation() = default;
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
};

}  // namespace moorvane
