#pragma once

#include <QFont>
#include <QPointer>
#include <QRasterWindow>
#include <QVariantAnimation>

#include <memory>
#include <vector>

#include "ports/Overlay.h"

namespace moorvane {

// One borderless, click-through, always-on-top window per screen: a dark translucent cover with the label and
// the stack symbol in its centre.
class OverlayWindow final : public QRasterWindow {
  public:
    OverlayWindow(QScreen* screen, QString label);
    void setLabel(const QString& label);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString label_;
};

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
