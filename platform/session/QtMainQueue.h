#pragma once

#include <QObject>

#include "ports/MainQueue.h"

namespace moorvane {

// The Qt event loop as the main queue. `post` may be called from any thread; `postAfter` from the main thread
// (a call from elsewhere is first bounced onto it, so its timer belongs to the main thread).
class QtMainQueue final : public MainQueue, public Clock {
  public:
    explicit QtMainQueue(QObject* context);

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;
    void background(Task task) override;

    double monotonicSeconds() override;
    void sleepFor(double seconds) override;

  private:
    QObject* context_;
};

}  // namespace moorvane
