#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace moorvane {

// Names one showing; a later showing replaces it.
using OverlayId = std::uint64_t;

// The window over every screen that names the profile being switched to. Called on the main thread only.
class Overlay {
  public:
    virtual ~Overlay() = default;
    // One window per screen, in the order the system lists them, brought to the front even when the app is
    // not active; `label` is the whole text shown. There is one showing at a time: while one is on screen
    // (fading included) its windows take the new label at full opacity, so quick switches never pile
    // windows up.
    virtual OverlayId show(const std::string& label) = 0;
    // Animates the showing's windows to transparent over `seconds`, then orders them out on the main thread
    // when the animation completes and lets them go. An unknown or replaced showing is ignored.
    virtual void fadeOut(OverlayId showing, double seconds) = 0;
};

}  // namespace moorvane
