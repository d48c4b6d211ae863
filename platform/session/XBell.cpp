#include "platform/session/XBell.h"

#include <QGuiApplication>

// Last: Xlib defines macros (None, Bool, Status) that would clash with the names above.
#include <X11/Xlib.h>

namespace moorvane {

void XBell::ring() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->display()) {
        ::XBell(x11->display(), 0);
        ::XFlush(x11->display());
    }
}

}  // namespace moorvane
