#include "shell/MoorvaneApp.h"

#include <QAccessible>
#include <QCursor>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>

#include "base/Log.h"
#include "platform/desktop/DebianPackage.h"
#include "platform/referencedock/LinuxProcessProbe.h"
#include "platform/referencedock/ReferenceDockPaths.h"
#include "platform/session/AutostartLoginItems.h"
#include "platform/session/FileUserDefaults.h"
#include "platform/session/LinuxKeyMonitor.h"
#include "platform/session/XdgPaths.h"
#include "shell/Arguments.h"
#include "shell/BusServices.h"
#include "shell/DesktopShortcuts.h"
#include "shell/HandOver.h"
#include "shell/PopoverPlacement.h"
#include "shell/SessionDock.h"
#include "shell/TrayIcon.h"
#include "shell/Updates.h"
#include "shell/automationadaptor.h"
#include "shell/instanceadaptor.h"
#include "ui/kit/IconSource.h"
#include "ui/popover/PopoverModel.h"
#include "ui/popover/PopoverWindow.h"

namespace moorvane {

namespace {

constexpr double dockChangeDelaySeconds = 2.0;
constexpr int popoverWidth = 340;
constexpr qint64 keyboardSettleMilliseconds = 600;

// What the settings page shows: the package's version, and the build it came from.
std::string versionText() {
    return versionString(nlohmann::json{{"CFBundleShortVersionString", MOORVANE_VERSION},
                                        {"CFBundleVersion", MOORVANE_BUILD}});
}

// Updates come from the system's package manager; the popover's button says which version that has installed.
// A window of its own that a screen reader reads, one at a time: a second press raises the one showing.
void explainUpdates() {
    static QPointer<QMessageBox> shown;
    if (!shown) {
        const std::string text = updatesExplanation(std::string(desktop::dpkgDatabase),
                                                    QCoreApplication::applicationFilePath().toStdString(),
                                                    MOORVANE_VERSION, MOORVANE_BUILD);
        shown = new QMessageBox(QMessageBox::Information, QStringLiteral("Check for Updates"),
                                QString::fromStdString(text), QMessageBox::Ok);
        // A version is the package database's text, never markup to render.
        shown->setTextFormat(Qt::PlainText);
        // The app's own icon says whose version this is, where the toolkit's would say only "information".
        shown->setIconPixmap(appIcon().pixmap(QSize(48, 48), shown->devicePixelRatioF()));
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->show();
    }
    shown->raise();
    shown->activateWindow();
}

// The `moorvane` command beside this app (bin/moorvane for libexec/moorvane/moorvane): what the login item
// starts, as a user would.
QString commandPath(const QString& app) {
    const QString command =
        QDir::cleanPath(QFileInfo(app).absolutePath() + QStringLiteral("/../../bin/moorvane"));
    return QFileInfo::exists(command) ? command : app;
}

}  // namespace

MoorvaneApp::MoorvaneApp() = default;
MoorvaneApp::~MoorvaneApp() = default;

void MoorvaneApp::setUp() {
    if (setUp_) return;
    setUp_ = true;
    const std::string home = XdgPaths::home();
    probe_ = std::make_unique<LinuxProcessProbe>();
    const desktop::DesktopEnvironment environment = desktop::DesktopEnvironment::current();
    desktopEntries_ = std::make_unique<desktop::DesktopEntryIndex>(environment);
    SessionDock sessionDock = openSessionDock(*desktopEntries_, environment);
    dockBackend_ = std::move(sessionDock.dock);
    workspace_ = std::move(sessionDock.workspace);
    defaults_ = std::make_unique<FileUserDefaults>(XdgPaths::xdgConfigHome() + "/Moorvane/defaults.json");
    loginItems_ = std::make_unique<AutostartLoginItems>(
        commandPath(QCoreApplication::applicationFilePath()).toStdString());
    // On Wayland no app sees another's keys, so X RECORD would hear only the odd X app: not started.
    const bool wayland = isWaylandSession();
    keys_ = std::make_unique<LinuxKeyMonitor>(
        queue_, LinuxKeyMonitor::Options{!wayland, [this] { return shortcuts_ && shortcuts_->running(); }});
    dock_ = std::make_unique<DockManager>(*dockBackend_, *workspace_, *probe_, overlay_, queue_, queue_,
                                          std::move(sessionDock.installedApps));
    launcher_ = std::make_unique<AppLaunchManager>(*workspace_);

    // 1. The dark appearance is the UI kit's palette, set before any window exists (main()).
    // 2. The store, which loads the stored profiles.
    settings_ = std::make_unique<AppSettings>(*defaults_, *loginItems_, activation_);
    store_ = std::make_unique<ProfileStore>(XdgPaths::applicationSupportFolder(), *dock_, *launcher_, queue_,
                                            settings_.get());
    // 3. The settings' activation policy. A desktop's own dock shows the app by a window of its own, whose
    // tile opens the popover.
    if (sessionDock.desktops) activation_.showRunningThroughWindow([this] { showPopover(); });
    activation_.setActivationPolicy(activationPolicy(settings_->appVisibility()));
    // 4. and 5. The status item; its popover is built at the first click.
    createStatusItem();
    // 6. The Focus observer: a poll every 5 s, one now, and one at each change of the desktop's own Focus.
    desktopFocus_ = openDesktopFocus(environment);
    focus_ = std::make_unique<FocusModeObserver>(home, *store_, desktopFocus_.get());
    focusTimer_.setInterval(static_cast<int>(FocusModeObserver::pollIntervalSeconds * 1000));
    connect(&focusTimer_, &QTimer::timeout, this, [this] { focus_->poll(); });
    focusTimer_.start();
    focus_->poll();
    // 7. Each Dock change is checked once, 2 s later; notifications are not merged.
    dockBackend_->observeChanges(
        [this] { queue_.postAfter(dockChangeDelaySeconds, [this] { store_->handleDockChange(); }); });
    // 8. Global shortcuts, and where the desktop has shortcuts of its own (GNOME, on Wayland too) the
    // profiles' mirrored there; a shortcut the desktop runs is left to it, so a press switches once.
    shortcuts_ = DesktopShortcuts::open(
        environment, commandPath(QCoreApplication::applicationFilePath()).toStdString(), *store_);
    if (wayland && !shortcuts_)
        log("KeyMonitor: Wayland session: shortcuts work only while Moorvane has focus; "
            "to switch from any app, bind \u201Cmoorvane 'moorvane://switch?profile=NAME'\u201D "
            "in the desktop\u2019s keyboard settings");
    hotkeys_ = std::make_unique<HotkeyManager>(*keys_, queue_, *store_);
    hotkeys_->setServedByDesktop(
        [this](const DockProfile& profile) { return shortcuts_ && shortcuts_->serves(profile); });
    if (shortcuts_)
        hotkeys_->onSuspendedChanged([this](bool suspended) { shortcuts_->setSuspended(suspended); });
    hotkeys_->start();
    urls_ = std::make_unique<URLCommands>(*store_);
    profileIO_ = std::make_unique<ProfileIO>(*store_, dialogs_);
    editorContext_ = std::make_unique<EditorContext>(EditorContext{
        *store_, *dock_, *hotkeys_, *keys_, *profileIO_, *focus_, *workspace_, [this] { bell_.ring(); }});
}

void MoorvaneApp::exportOnBus(QDBusConnection& bus) {
    auto* automation = new AutomationService(*store_, this);
    new AutomationAdaptor(automation);
    auto* instance = new InstanceService(
        *store_,
        [this](const QStringList& arguments) {
            std::vector<std::string> handed;
            for (const QString& argument : arguments) handed.push_back(argument.toStdString());
            open(handed);
        },
        [this](const Uuid& id) { openEditor(id); }, [this] { showPopover(); }, this);
    new InstanceAdaptor(instance);
    bus.registerObject(QString::fromLatin1(automationPath), automation, QDBusConnection::ExportAdaptors);
    bus.registerObject(QString::fromLatin1(instancePath), instance, QDBusConnection::ExportAdaptors);
}

void MoorvaneApp::openEditor(const Uuid& profileId) {
    moorvane::openEditor(*editorContext_, profileId);
}

void MoorvaneApp::createStatusItem() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        log("Moorvane: no system tray in this session; run \u201Cmoorvane --popover\u201D or start Moorvane "
            "again to show the profiles");
        return;
    }
    statusItem_ = new QSystemTrayIcon(appIcon(), this);
    statusItem_->setToolTip(QStringLiteral("Moorvane"));
    connect(statusItem_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) togglePopover();
    });
    statusItem_->show();
    nameTrayWindow();
}

void MoorvaneApp::closePopover() {
    if (popover_) popover_->close();
}

void MoorvaneApp::placePopover() {
    const QRect tray = statusItem_ ? statusItem_->geometry() : QRect();
    const QSize size(popoverWidth, popover_->height());
    if (popoverCentred_ && !tray.isValid()) {
        // Centred once; as the content grows or shrinks the top stays where the person's eyes are.
        QScreen* screen = QGuiApplication::screenAt(popoverAnchor_);
        if (!screen) screen = QGuiApplication::primaryScreen();
        const QRect area = screen->availableGeometry();
        popover_->setPosition(popover_->isVisible() ? keptInside(popover_->position(), area, size)
                                                    : centredIn(area, size));
        return;
    }
    QScreen* screen = QGuiApplication::screenAt(tray.isValid() ? tray.center() : popoverAnchor_);
    if (!screen) screen = QGuiApplication::primaryScreen();
    popover_->setPosition(popoverPosition(tray, popoverAnchor_, screen->availableGeometry(), size));
}

void MoorvaneApp::togglePopover() {
    if (popover_) {
        closePopover();
        return;
    }
    // The click that closed the popover from outside may reach the tray too; it closed it, it does not
    // reopen.
    if (popoverClosed_.isValid() && popoverClosed_.elapsed() < 300) return;
    openPopover(false);
}

void MoorvaneApp::showPopover() {
    if (popover_) {
        // It has the keyboard, or is about to: one that lost it has closed. Asking again makes the window
        // lose it for a moment, which would close it.
        return;
    }
    openPopover(true);
}

void MoorvaneApp::openPopover(bool centred) {
    QElapsedTimer clicked;
    clicked.start();
    auto* model =
        new PopoverModel(PopoverServices{*store_, *settings_, *focus_, queue_, *profileIO_,
                                         [this](const Uuid& id) { openEditor(id); },
                                         [] { QCoreApplication::quit(); }, explainUpdates, versionText(),
                                         entryIconSource(*workspace_), currentDate, dock_->dockName()},
                         this);
    // The engine, and the QML it compiles, only once the popover is wanted: an app that mostly switches
    // by shortcut, Focus or URL need not keep them resident.
    if (!popoverEngine_) {
        popoverEngine_ = createPopoverEngine();
        popoverEngine_->setParent(this);
    }
    popover_ = createPopoverWindow(*popoverEngine_, model);
    if (!popover_) {
        delete model;
        return;
    }
    logFirstFrame(popover_, clicked);
    connect(model, &PopoverModel::closeRequested, this, &MoorvaneApp::closePopover, Qt::QueuedConnection);
    connect(popover_, &QWindow::activeChanged, this, [this] {
        if (!popover_ || !popover_->isVisible()) return;
        if (!popover_->isActive()) {
            // GNOME Shell's window manager hands the keyboard on, late, when a window that held it goes
            // (the last popover, just closed); a popover opened in that moment would lose it to that. A
            // person's click elsewhere comes later than that.
            if (popoverOpened_.elapsed() < keyboardSettleMilliseconds) {
                popover_->requestActivate();
                return;
            }
            closePopover();
        }
    });
    // Nothing of an opening outlives it: the next one builds its pages and state afresh.
    connect(popover_, &QWindow::visibleChanged, this, [this, model](bool visible) {
        if (visible || !popover_) return;
        popoverClosed_.start();
        popover_->deleteLater();
        model->deleteLater();
        popover_ = nullptr;
    });
    // The height follows the content; keep the window against the tray as it grows or shrinks.
    connect(popover_, &QWindow::heightChanged, this, [this] {
        if (popover_ && popover_->isVisible()) placePopover();
    });
    popoverOpened_.start();
    popoverAnchor_ = QCursor::pos();
    // Asked for from outside (a command, the desktop's menu), the pointer is anywhere: it only picks the
    // screen, and the popover hangs from the tray where the tray tells where it is, else sits centred.
    popoverCentred_ = centred || !statusItem_;
    placePopover();
    popover_->show();
    popover_->raise();
    popover_->requestActivate();
}

void MoorvaneApp::open(const std::vector<std::string>& arguments) {
    for (const std::string& argument : withAbsolutePaths(arguments)) {
        if (!isURLArgument(argument)) {
            // A missing file or a folder gets the import's alert, which names it, and its log line.
            profileIO_->importProfile(argument);
            continue;
        }
        const QUrl url(QString::fromStdString(argument));
        if (url.isLocalFile()) {
            profileIO_->importProfile(url.toLocalFile().toStdString());
        } else if (url.scheme().compare(QLatin1String(URLCommands::scheme.data()), Qt::CaseInsensitive) ==
                   0) {
            urls_->handleURL(argument);
        } else {
            log("Moorvane: ignored \u201C" + loggable(argument) +
                "\u201D: neither a file nor a moorvane: URL");
        }
    }
}

}  // namespace moorvane
