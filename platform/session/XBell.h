#pragma once

#include "ports/Bell.h"

namespace moorvane {

// The X server's bell, through the toolkit's own display connection; silent where the session is not X11.
class XBell final : public Bell {
  public:
    void ring() override;
};

}  // namespace moorvane
