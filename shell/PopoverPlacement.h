#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace moorvane {

// Where the popover's top-left corner goes: centred under a tray at the top of its screen's free area, over
// one at the bottom, kept inside that area. `tray` is the icon's geometry, invalid where the tray does not
// tell it; then `pointer` (where the click was) stands for it.
QPoint popoverPosition(const QRect& tray, const QPoint& pointer, const QRect& area, const QSize& popover);

}  // namespace moorvane
