#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTimer>

#include <memory>

#include "dock/DockManager.h"
#include "exchange/ProfileIO.h"
#include "model/AppSettings.h"
#include "platform/session/QtAppActivation.h"
#include "platform/session/QtDialogs.h"
#include "platform/session/QtMainQueue.h"
#include "platform/session/QtOverlay.h"
#include "store/AppLaunchManager.h"
#include "store/ProfileStore.h"
#include "triggers/FocusModeObserver.h"
#include "triggers/HotkeyManager.h"
#include "triggers/URLCommands.h"
#include "ui/editor/EditorWindow.h"

class QSystemTrayIcon;
class QQmlEngine;
class QQuickWindow;

namespace moorvane {

class DockChangeObserver;
class LinuxDockPreferences;
class LinuxWorkspace;
class LinuxProcessProbe;
class FileUserDefaults;
class AutostartLoginItems;
class LinuxKeyMonitor;
class PopoverModel;

// The update check of a distribution package: updates come from the system's package manager.
class UpdateController {
  public:
    void startUpdater() { started_ = true; }
    bool isStarted() const { return started_; }
    void checkForUpdates();

  private:
    bool started_ = false;
};

// The composition root: builds each service once, in start-up order, and wires the triggers that run without
// the user. Lives for the whole process.
class MoorvaneApp final : public QObject {
    Q_OBJECT
  public:
    static MoorvaneApp& shared();
    ~MoorvaneApp() override;

    // The start-up sequence; run once, after the Qt application exists.
    void setUp();
    void togglePopover();
    // URLs and paths handed over on the command line or by a second instance, in order. A path not absolute
    // is read against this process's working folder.
    void open(const QStringList& arguments);
    // The arguments as another process can read them: each path made absolute against this process's working
    // folder, URLs as given. Applied before the arguments are handed over.
    static QStringList withAbsolutePaths(const QStringList& arguments);
    // A new editor window for the profile; what the popover's edit action and the tests call.
    void openEditor(const Uuid& profileId);

    ProfileStore& store() { return *store_; }
    AppSettings& settings() { return *settings_; }
    DockManager& dockManager() { return *dock_; }
    FocusModeObserver& focusModeObserver() { return *focus_; }
    HotkeyManager& hotkeyManager() { return *hotkeys_; }
    ProfileIO& profileIO() { return *profileIO_; }
    UpdateController& updaterController() { return updater_; }
    Dialogs& dialogs() { return dialogs_; }
    KeyMonitor& keyMonitor();
    MainQueue& queue() { return queue_; }

  private:
    MoorvaneApp();
    void createStatusItem();
    void createPopover();
    void placePopover();
    void closePopover();

    QtMainQueue queue_{this};
    QtOverlay overlay_;
    QtDialogs dialogs_;
    QtAppActivation activation_;
    std::unique_ptr<LinuxDockPreferences> preferences_;
    std::unique_ptr<LinuxWorkspace> workspace_;
    std::unique_ptr<LinuxProcessProbe> probe_;
    std::unique_ptr<FileUserDefaults> defaults_;
    std::unique_ptr<AutostartLoginItems> loginItems_;
    std::unique_ptr<LinuxKeyMonitor> keys_;

    std::unique_ptr<DockManager> dock_;
    std::unique_ptr<AppLaunchManager> launcher_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<ProfileStore> store_;
    std::unique_ptr<FocusModeObserver> focus_;
    std::unique_ptr<HotkeyManager> hotkeys_;
    std::unique_ptr<URLCommands> urls_;
    std::unique_ptr<ProfileIO> profileIO_;
    UpdateController updater_;
    std::unique_ptr<EditorContext> editorContext_;

    QSystemTrayIcon* statusItem_ = nullptr;
    QQmlEngine* popoverEngine_ = nullptr;
    QQuickWindow* popover_ = nullptr;  // while it shows
    QElapsedTimer popoverClosed_;
    QPoint popoverAnchor_;
    QTimer focusTimer_;
    DockChangeObserver* dockChanges_ = nullptr;
    bool setUp_ = false;
};

}  // namespace moorvane
