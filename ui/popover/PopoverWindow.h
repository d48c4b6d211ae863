#pragma once

class QQmlEngine;
class QQuickWindow;

namespace moorvane {

class PopoverModel;

// The engine every popover window is built in: one for the process, so what it compiles once is kept.
QQmlEngine* createPopoverEngine();
// A new, hidden popover window over `model`, which must outlive it; the caller places, shows and deletes it.
QQuickWindow* createPopoverWindow(QQmlEngine& engine, PopoverModel* model);

}  // namespace moorvane
