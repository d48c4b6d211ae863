#pragma once

#include <QIcon>

class QSystemTrayIcon;

namespace moorvane {

// The tray's picture of "square.stack.3d.up", drawn from the symbol font at every size and scale the tray may
// ask for, so it stays crisp.
QIcon trayIcon();

// Gives the window the tray draws the icon in the name a screen reader announces; call once it shows.
void nameTrayWindow();

}  // namespace moorvane
