#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ports/Overlay.h"

namespace moorvane::testing {

// Records showings and fades; a showing stays "visible" until faded or replaced by the next.
class FakeOverlay final : public Overlay {
  public:
    struct Showing {
        OverlayId id;
        std::string label;
        std::optional<double> fadeSeconds;  // set once faded
        bool replaced = false;
    };

    OverlayId show(const std::string& label) override {
        for (auto& s : showings) s.replaced = s.replaced || !s.fadeSeconds;
        showings.push_back({nextId_, label, std::nullopt});
        return nextId_++;
    }
    void fadeOut(OverlayId showing, double seconds) override {
        for (auto& s : showings) {
            if (s.id == showing && !s.replaced) s.fadeSeconds = seconds;
        }
        fadeOrder.push_back(showing);
    }

    std::size_t visibleCount() const {
        std::size_t count = 0;
        for (const auto& s : showings) count += s.fadeSeconds || s.replaced ? 0 : 1;
        return count;
    }

    std::vector<Showing> showings;
    std::vector<OverlayId> fadeOrder;

  private:
    OverlayId nextId_ = 1;
};

}  // namespace moorvane::testing
