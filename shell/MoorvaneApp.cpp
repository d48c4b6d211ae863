#include "shell/MoorvaneApp.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QWidget>

#include "base/Log.h"
#include "platform/referencedock/DockChangeObserver.h"
#include "platform/referencedock/LinuxDockPreferences.h"
#include "platform/referencedock/LinuxProcessProbe.h"
#include "platform/referencedock/LinuxWorkspace.h"
#include "platform/referencedock/ReferenceDockPaths.h"
#include "platform/session/AutostartLoginItems.h"
#include "platform/session/FileUserDefaults.h"
#include "platform/session/LinuxKeyMonitor.h"
#include "platform/session/XdgPaths.h"
#include "ui/kit/IconSource.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/popover/PopoverModel.h"
#include "ui/popover/PopoverWindow.h"

namespace moorvane {

namespace {

constexpr double dockChangeDelaySeconds = 2.0;
constexpr int popoverWidth = 340;

// The tray's picture of "square.stack.3d.up", drawn from the symbol font at every size and scale the tray may
// ask for, so it stays crisp.
QIcon statusIcon() {
    Theme& theme = Theme::install();
    const QChar glyph(symbolTable().at("square.stack.3d.up"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 44, 48, 64, 96}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font(theme.symbolFont());
        font.setPixelSize(size * 7 / 8);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QString(glyph));
        icon.addPixmap(pixmap);
    }
    return icon;
}

// What the settings page shows: the package's version, and the build it came from.
std::string versionText() {
    return versionString(nlohmann::json{{"CFBundleShortVersionString", MOORVANE_VERSION},
                                        {"CFBundleVersion", MOORVANE_BUILD}});
}

// A URL rather than a path: "scheme://...", or one of the two schemes that need no slashes. A file name with
// a colon ("Work: Mon.dockprofile") stays a path.
bool isURLArgument(const QString& argument) {
    return argument.contains(QStringLiteral("://")) ||
           argument.startsWith(QStringLiteral("moorvane:"), Qt::CaseInsensitive) ||
           argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive);
}

}  // namespace

void UpdateController::checkForUpdates() {
    QMessageBox::information(nullptr, QStringLiteral("Check for Updates"),
                             QStringLiteral("Moorvane is updated by your system\u2019s package manager."));
}

MoorvaneApp& MoorvaneApp::shared() {
    // Built on first use, after the Qt application; never destroyed before the event loop ends.
    static MoorvaneApp* app = new MoorvaneApp();
    return *app;
}

MoorvaneApp::MoorvaneApp() = default;
MoorvaneApp::~MoorvaneApp() = default;

KeyMonitor& MoorvaneApp::keyMonitor() {
    return *keys_;
}

void MoorvaneApp::setUp() {
    if (setUp_) return;
    setUp_ = true;
    const std::string home = XdgPaths::home();
    preferences_ = std::make_unique<LinuxDockPreferences>(referencedock::dockPreferencesPath());
    workspace_ = std::make_unique<LinuxWorkspace>(referencedock::applicationFolders());
    probe_ = std::make_unique<LinuxProcessProbe>();
    defaults_ = std::make_unique<FileUserDefaults>(XdgPaths::xdgConfigHome() + "/Moorvane/defaults.json");
    loginItems_ =
        std::make_unique<AutostartLoginItems>(QCoreApplication::applicationFilePath().toStdString());
    keys_ = std::make_unique<LinuxKeyMonitor>(queue_);
    dock_ = std::make_unique<DockManager>(*preferences_, *workspace_, *probe_, overlay_, queue_, queue_,
                                          referencedock::applicationFolders());
    launcher_ = std::make_unique<AppLaunchManager>(*workspace_);

    // 1. The dark appearance is the UI kit's palette, set before any window exists (main()).
    // 2. The store, which loads the stored profiles.
    settings_ = std::make_unique<AppSettings>(*defaults_, *loginItems_, activation_);
    store_ = std::make_unique<ProfileStore>(XdgPaths::applicationSupportFolder(), *dock_, *launcher_, queue_,
                                            settings_.get());
    // 3. The settings' activation policy.
    activation_.setActivationPolicy(activationPolicy(settings_->appVisibility()));
    // 4. and 5. The status item and its popover.
    createStatusItem();
    createPopover();
    // 6. The Focus observer: a poll every 5 s, and one now.
    focus_ = std::make_unique<FocusModeObserver>(home, *store_);
    focusTimer_.setInterval(static_cast<int>(FocusModeObserver::pollIntervalSeconds * 1000));
    connect(&focusTimer_, &QTimer::timeout, this, [this] { focus_->poll(); });
    focusTimer_.start();
    focus_->poll();
    // 7. Each Dock change is checked once, 2 s later; notifications are not merged.
    dockChanges_ = new DockChangeObserver(
        [this] { queue_.postAfter(dockChangeDelaySeconds, [this] { store_->handleDockChange(); }); }, this);
    // 8. Global shortcuts.
    hotkeys_ = std::make_unique<HotkeyManager>(*keys_, queue_, *store_);
    hotkeys_->start();
    // 9. The update controller.
    updater_.startUpdater();

    urls_ = std::make_unique<URLCommands>(*store_);
    profileIO_ = std::make_unique<ProfileIO>(*store_, dialogs_);
    editorContext_ = std::make_unique<EditorContext>(
        EditorContext{*store_, *dock_, *hotkeys_, *keys_, *profileIO_, *focus_, *workspace_, {}});
}

void MoorvaneApp::openEditor(const Uuid& profileId) {
    moorvane::openEditor(*editorContext_, profileId);
}

void MoorvaneApp::createStatusItem() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        log("Moorvane: no system tray in this session; the status item is not shown");
        return;
    }
    statusItem_ = new QSystemTrayIcon(statusIcon(), this);
    statusItem_->setToolTip(QStringLiteral("Moorvane"));
    connect(statusItem_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) togglePopover();
    });
    statusItem_->show();
    // The tray draws the icon in a window of its own; give it the name a screen reader announces.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0) {
            widget->setAccessibleName(QStringLiteral("Moorvane"));
            widget->setWindowTitle(QStringLiteral("Moorvane"));
        }
    }
}

void MoorvaneApp::createPopover() {
    popoverEngine_ = createPopoverEngine();
    popoverEngine_->setParent(this);
}

void MoorvaneApp::closePopover() {
    if (popover_) popover_->close();
}

void MoorvaneApp::placePopover() {
    const QRect tray = statusItem_ ? statusItem_->geometry() : QRect();
    const QPoint anchor = tray.isValid() ? tray.center() : popoverAnchor_;
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    const int height = popover_->height();
    // Below a tray at the top of its screen, above one at the bottom.
    const bool below = anchor.y() < area.center().y();
    const int x = std::clamp(anchor.x() - popoverWidth / 2, area.left(),
                             std::max(area.left(), area.right() + 1 - popoverWidth));
    const int y = below ? (tray.isValid() ? tray.bottom() + 1 : anchor.y()) + 4
                        : (tray.isValid() ? tray.top() : anchor.y()) - height - 4;
    popover_->setPosition(x, std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - height)));
}

void MoorvaneApp::togglePopover() {
    if (popover_) {
        closePopover();
        return;
    }
    // The click that closed the popover from outside may reach the tray too; it closed it, it does not
    // reopen.
    if (popoverClosed_.isValid() && popoverClosed_.elapsed() < 300) return;
    auto* model = new PopoverModel(
        PopoverServices{*store_, *settings_, *focus_, queue_, *profileIO_,
                        [this](const Uuid& id) { openEditor(id); }, [] { QCoreApplication::quit(); },
                        [this] { updater_.checkForUpdates(); }, versionText(), entryIconSource(*workspace_)},
        this);
    popover_ = createPopoverWindow(*popoverEngine_, model);
    if (!popover_) {
        delete model;
        return;
    }
    connect(model, &PopoverModel::closeRequested, this, &MoorvaneApp::closePopover, Qt::QueuedConnection);
    connect(popover_, &QWindow::activeChanged, this, [this] {
        if (popover_ && !popover_->isActive() && popover_->isVisible()) closePopover();
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
    popoverAnchor_ = QCursor::pos();
    placePopover();
    popover_->show();
    popover_->raise();
    popover_->requestActivate();
}

QStringList MoorvaneApp::withAbsolutePaths(const QStringList& arguments) {
    QStringList absolute;
    for (const QString& argument : arguments)
        absolute << (isURLArgument(argument) ? argument : QFileInfo(argument).absoluteFilePath());
    return absolute;
}

void MoorvaneApp::open(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (!isURLArgument(argument)) {
            // A missing file or a folder gets the import's alert, which names it, and its log line.
            profileIO_->importProfile(QFileInfo(argument).absoluteFilePath().toStdString());
            continue;
        }
        const QUrl url(argument);
        if (url.isLocalFile()) {
            profileIO_->importProfile(url.toLocalFile().toStdString());
        } else if (url.scheme().compare(QLatin1String(URLCommands::scheme.data()), Qt::CaseInsensitive) ==
                   0) {
            urls_->handleURL(argument.toStdString());
        } else {
            log("Moorvane: ignored \u201C" + loggable(argument.toStdString()) +
                "\u201D: neither a file nor a moorvane: URL");
        }
    }
}

}  // namespace moorvane
