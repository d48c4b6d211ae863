#pragma once

#include <QPointer>
#include <QVariantAnimation>

#include <memory>
#include <vector>

#include "platform/session/OverlayWindow.h"
#include "ports/Overlay.h"

namespace moorvane {

class QtOverlay final : public Overlay {
  public:
    QtOverlay();
    ~QtOverlay() override;

    OverlayId show(const std::string& label) override;
    void fadeOut(OverlayId showing, double seconds) override;

  private:
    // The current showing's windows, one per screen; empty once it has faded.
    std::vector<std::unique_ptr<OverlayWindow>> windows_;
    OverlayId current_ = 0;
    QPointer<QVariantAnimation> fading_;
};

}  // namespace moorvane
