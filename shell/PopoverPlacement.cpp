#include "shell/PopoverPlacement.h"

#include <algorithm>

namespace moorvane {

namespace {
constexpr int gap = 4;
}

QPoint popoverPosition(const QRect& tray, const QPoint& pointer, const QRect& area, const QSize& popover) {
    const QPoint anchor = tray.isValid() ? tray.center() : pointer;
    const bool below = anchor.y() < area.center().y();
    const int x = std::clamp(anchor.x() - popover.width() / 2, area.left(),
                             std::max(area.left(), area.right() + 1 - popover.width()));
    const int y = below ? (tray.isValid() ? tray.bottom() + 1 : anchor.y()) + gap
                        : (tray.isValid() ? tray.top() : anchor.y()) - popover.height() - gap;
    return {x, std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - popover.height()))};
}

QPoint keptInside(const QPoint& at, const QRect& area, const QSize& popover) {
    return {std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - popover.width())),
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - popover.height()))};
}

QPoint centredIn(const QRect& area, const QSize& popover) {
    return keptInside(area.center() + QPoint(1, 1) - QPoint(popover.width() / 2, popover.height() / 2), area,
                      popover);
}

}  // namespace moorvane
