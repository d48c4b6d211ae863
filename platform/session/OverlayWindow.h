#pragma once

#include <QRasterWindow>
#include <QString>

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

}  // namespace moorvane
