import QtQuick
import Moorvane

// The popover's window: frameless, on top and unmanaged like a menu, as tall as what it shows. Not a Qt.Popup,
// which the accessibility tree leaves out.
MvWindow {
    id: window
    required property PopoverModel popover

    title: "Moorvane"
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint | Qt.X11BypassWindowManagerHint
    width: view.width
    height: view.height

    PopoverView {
        id: view
        popover: window.popover
    }
}
