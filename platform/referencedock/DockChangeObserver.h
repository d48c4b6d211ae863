#pragma once

#include <QObject>

#include <functional>

namespace moorvane {

// The Dock's "prefchanged" signal on the session bus, from any sender.
class DockChangeObserver final : public QObject {
    Q_OBJECT
  public:
    explicit DockChangeObserver(std::function<void()> onChange, QObject* parent = nullptr);
    bool isObserving() const { return observing_; }

  private slots:
    void prefChanged();

  private:
    std::function<void()> onChange_;
    bool observing_ = false;
};

}  // namespace moorvane
