#include "platform/session/QtMainQueue.h"

#include <QMetaObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <thread>

namespace moorvane {

QtMainQueue::QtMainQueue(QObject* context) : context_(context) {}

void QtMainQueue::post(Task task) {
    QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}

void QtMainQueue::postAfter(double seconds, Task task) {
    if (QThread::currentThread() != context_->thread()) {
        post([this, seconds, task = std::move(task)]() mutable { postAfter(seconds, std::move(task)); });
        return;
    }
    const auto milliseconds = static_cast<int>(std::lround(std::max(0.0, seconds) * 1000.0));
    // A precise timer: the 2-, 3- and 8-second delays are observable and should not drift by 5 %.
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, context_, std::move(task));
}

void QtMainQueue::background(Task task) {
    QThreadPool::globalInstance()->start(std::move(task));
}

double QtMainQueue::monotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void QtMainQueue::sleepFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace moorvane
