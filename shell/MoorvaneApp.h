#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "dock/DockManager.h"
#include "exchange/ProfileIO.h"
#include "model/AppSettings.h"
#include "platform/desktop/DesktopEntries.h"
#include "platform/session/QtAppActivation.h"
#include "platform/session/QtDialogs.h"
#include "platform/session/QtMainQueue.h"
#include "platform/session/QtOverlay.h"
#include "platform/session/XBell.h"
#include "store/AppLaunchManager.h"
#include "store/ProfileStore.h"
#include "triggers/FocusModeObserver.h"
#include "triggers/HotkeyManager.h"
#include "triggers/URLCommands.h"
#include "ui/editor/EditorWindow.h"

class QDBusConnection;
class QSystemTrayIcon;
class QQmlEngine;
class QQuickWindow;

namespace moorvane {

class LinuxProcessProbe;
class FileUserDefaults;
class AutostartLoginItems;
class LinuxKeyMonitor;
class DesktopShortcuts;

// The composition root: builds each service once, in start-up order, and wires the triggers that run without
// the user, the tray and the bus to them. One for the process, made by main() after the Qt application.
class MoorvaneApp final : public QObject {
    Q_OBJECT
  public:
    MoorvaneApp();
    ~MoorvaneApp() override;

    // The start-up sequence; run once.
    void setUp();
    // The automation action and the instance's door, on `bus` (whose name this process owns).
    void exportOnBus(QDBusConnection& bus);
    // URLs and paths handed over on the command line or by a second instance, in order. A path not absolute
    // is read against this process's working folder.
    void open(const std::vector<std::string>& arguments);
    // Shows the popover, or raises the one showing and gives it the keyboard: the door for a session without
    // a tray (`moorvane --popover`, the app started again).
    void showPopover();

  private:
    void createStatusItem();
    void togglePopover();
    void openPopover(bool centred);
    void placePopover();
    void closePopover();
    void openEditor(const Uuid& profileId);

    QtMainQueue queue_{this};
    QtOverlay overlay_;
    QtDialogs dialogs_;
    QtAppActivation activation_;
    XBell bell_;
    std::unique_ptr<desktop::DesktopEntryIndex> desktopEntries_;
    std::unique_ptr<DockBackend> dockBackend_;
    std::unique_ptr<Workspace> workspace_;  // the apps of the dock's kind of session
    std::unique_ptr<LinuxProcessProbe> probe_;
    std::unique_ptr<FileUserDefaults> defaults_;
    std::unique_ptr<AutostartLoginItems> loginItems_;
    std::unique_ptr<LinuxKeyMonitor> keys_;

    std::unique_ptr<DockManager> dock_;
    std::unique_ptr<AppLaunchManager> launcher_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<ProfileStore> store_;
    std::unique_ptr<DesktopFocus> desktopFocus_;  // outlives the observer that follows it
    std::unique_ptr<FocusModeObserver> focus_;
    std::unique_ptr<DesktopShortcuts> shortcuts_;
    std::unique_ptr<HotkeyManager> hotkeys_;
    std::unique_ptr<URLCommands> urls_;
    std::unique_ptr<ProfileIO> profileIO_;
    std::unique_ptr<EditorContext> editorContext_;

    QSystemTrayIcon* statusItem_ = nullptr;
    QQmlEngine* popoverEngine_ = nullptr;  // made at the first opening
    QQuickWindow* popover_ = nullptr;      // while it shows
    QElapsedTimer popoverClosed_;
    QElapsedTimer popoverOpened_;
    QPoint popoverAnchor_;
    bool popoverCentred_ = false;
    QTimer focusTimer_;
    bool setUp_ = false;
};

}  // namespace moorvane
