#pragma once

class QElapsedTimer;
class QQmlEngine;
class QQuickWindow;

namespace moorvane {

class PopoverModel;

// The engine every popover window is built in: one for the process, so what it compiles once is kept.
QQmlEngine* createPopoverEngine();
// A new, hidden popover window over `model`, which must outlive it; the caller places, shows and deletes it.
QQuickWindow* createPopoverWindow(QQmlEngine& engine, PopoverModel* model);
// With MOORVANE_TIMINGS set, the log tells how long after `asked` started the window drew its first frame
// (for bench/app_timings.py).
void logFirstFrame(QQuickWindow* window, const QElapsedTimer& asked);

}  // namespace moorvane
