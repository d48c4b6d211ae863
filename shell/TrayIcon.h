#pragma once

#include <QIcon>

class QSystemTrayIcon;

namespace moorvane {

// The app's icon, "com.moorvane.app": the icon theme's when installed, so a tray that takes icon names (a
// StatusNotifierItem host) gets the name and a theme that draws its own wins; else the sizes built into the
// app, so a run from the build tree, or a tray that takes pixels only, shows it too.
QIcon appIcon();

// Gives the window the tray draws the icon in the name a screen reader announces; call once it shows.
void nameTrayWindow();

}  // namespace moorvane
