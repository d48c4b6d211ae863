#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace moorvane {

// Where the popover's top-left corner goes: centred under a tray at the top of its screen's free area, over
// one at the bottom, kept inside that area. `tray` is the icon's geometry, invalid where the tray does not
// tell it; then `pointer` (where the click was) stands for it.
QPoint popoverPosition(const QRect& tray, const QPoint& pointer, const QRect& area, const QSize& popover);

// With no tray to hang from: centred in the screen's free area, its top inside it when taller.
QPoint centredIn(const QRect& area, const QSize& popover);
// `at`, moved only as far as keeps the popover inside `area` (its top first when it is taller).
QPoint keptInside(const QPoint& at, const QRect& area, const QSize& popover);

}  // namespace moorvane
