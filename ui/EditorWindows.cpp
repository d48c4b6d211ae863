#include "ui/EditorWindows.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>

#include "base/Log.h"
#include "dock/DockManager.h"
#include "ports/Workspace.h"
#include "triggers/FocusModeObserver.h"
#include "ui/AppIconProvider.h"
#include "ui/AppPickerModel.h"
#include "ui/IconSource.h"
#include "ui/PopoverModel.h"
#include "ui/ProfileEditorModel.h"
#include "ui/Theme.h"

namespace moorvane {

namespace {

// One engine per window, so closing a window frees everything it made; the models are the engine's children
// and go with it.
QQuickWindow* showQml(QQmlApplicationEngine* engine, const char* file, const QVariantMap& properties) {
    engine->addImageProvider(QString::fromLatin1(appIconProviderId), new AppIconProvider);
    engine->setInitialProperties(properties);
    engine->load(QUrl(QStringLiteral("qrc:/moorvane/qml/") + QLatin1String(file)));
    auto* window = engine->rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QQuickWindow*>(engine->rootObjects().front());
    if (!window) {
        log(std::string("UI: the window ") + file + " could not be built");
        engine->deleteLater();
        return nullptr;
    }
    QObject::connect(window, &QWindow::visibleChanged, engine, [engine](bool visible) {
        if (!visible) engine->deleteLater();
    });
    return window;
}

void centre(QQuickWindow* window) {
    if (QScreen* screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        window->setPosition(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

}  // namespace

QQmlEngine* createPopoverEngine() {
    Theme::install();
    auto* engine = new QQmlEngine;
    engine->addImageProvider(QString::fromLatin1(appIconProviderId), new AppIconProvider);
    return engine;
}

QQuickWindow* createPopoverWindow(QQmlEngine& engine, PopoverModel* model) {
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/moorvane/qml/PopoverWindow.qml")));
    QObject* made =
        component.createWithInitialProperties({{"popover", QVariant::fromValue<QObject*>(model)}});
    auto* window = qobject_cast<QQuickWindow*>(made);
    if (!window) {
        log("UI: the popover could not be built: " + component.errorString().toStdString());
        delete made;
    }
    return window;
}

std::function<QString(const DockAppEntry&)> entryIconSource(Workspace& workspace) {
    Workspace* where = &workspace;
    return [where](const DockAppEntry& entry) {
        const auto path =
            iconPath(entry, [where](const std::string& b) { return where->applicationLocation(b); });
        return path ? iconSourceForPath(*path) : QString();
    };
}

QQuickWindow* openEditorWindow(EditorContext& context, const Uuid& profileId) {
    Theme::install();
    auto* engine = new QQmlApplicationEngine;
    EditorServices services{context.store,
                            context.dock,
                            context.hotkeys,
                            context.keyMonitor,
                            context.profileIO,
                            context.focus.availableFocusModeNames(),
                            entryIconSource(context.workspace),
                            context.beep};
    auto* editor = new ProfileEditorModel(std::move(services), profileId, engine);
    editor->load();
    QObject::connect(editor, &ProfileEditorModel::manageAppsRequested, editor,
                     [&context, editor] { openPickerWindow(context, *editor); });
    QQuickWindow* window =
        showQml(engine, "EditorWindow.qml", {{"editor", QVariant::fromValue<QObject*>(editor)}});
    if (!window) return nullptr;
    QObject::connect(editor, &ProfileEditorModel::closeRequested, window, &QWindow::close,
                     Qt::QueuedConnection);
    const QSize size(560, 560);
    window->resize(size);
    window->setMinimumSize(size);
    window->setMaximumSize(size);
    centre(window);
    window->show();
    window->raise();
    window->requestActivate();
    return window;
}

void openEditor(EditorContext& context, const Uuid& profileId) {
    openEditorWindow(context, profileId);
}

QQuickWindow* openPickerWindow(EditorContext& context, ProfileEditorModel& editor) {
    auto* engine = new QQmlApplicationEngine;
    QPointer<ProfileEditorModel> target(&editor);
    auto* picker = new AppPickerModel(
        editor.name(), editor.state().appEntries, context.dock.installedApps(),
        [target](const std::vector<DockAppEntry>& entries) {
            // The editor may have closed while this window stayed open; its edits are gone with it.
            if (target) target->replaceEntries(entries);
        },
        [](const std::string& path) { return iconSourceForPath(path); }, engine);
    QQuickWindow* window =
        showQml(engine, "AppPickerWindow.qml", {{"picker", QVariant::fromValue<QObject*>(picker)}});
    if (!window) return nullptr;
    QObject::connect(picker, &AppPickerModel::closeRequested, window, &QWindow::close, Qt::QueuedConnection);
    window->resize(600, 480);
    window->setMinimumSize(QSize(500, 400));
    centre(window);
    window->show();
    window->raise();
    return window;
}

}  // namespace moorvane
