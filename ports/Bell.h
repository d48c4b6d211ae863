#pragma once

namespace moorvane {

// The system's short warning sound, for a key or action the app refuses.
class Bell {
  public:
    virtual ~Bell() = default;
    virtual void ring() = 0;
};

}  // namespace moorvane
