#include "ui/picker/PickerWindow.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include "ui/kit/IconSource.h"
#include "ui/kit/QmlWindow.h"
#include "ui/picker/AppPickerModel.h"

namespace moorvane {

QQuickWindow* openPickerWindow(const QString& profileName, const std::vector<DockAppEntry>& entries,
                               const std::vector<InstalledApp>& installed,
                               std::function<void(const std::vector<DockAppEntry>&)> apply) {
    auto* engine = new QQmlApplicationEngine;
    auto* picker = new AppPickerModel(
        profileName, entries, installed, std::move(apply),
        [](const std::string& path) { return iconSourceForPath(path); }, engine);
    QQuickWindow* window = showInOwnEngine(engine, qmlView("picker", "AppPickerWindow"),
                                           {{"picker", QVariant::fromValue<QObject*>(picker)}});
    if (!window) return nullptr;
    QObject::connect(picker, &AppPickerModel::closeRequested, window, &QWindow::close, Qt::QueuedConnection);
    window->resize(600, 480);
    window->setMinimumSize(QSize(500, 400));
    centre(window);
    window->show();
    window->raise();
    // Opened from the editor's menu by keys as often as by the pointer; without this they stay with the
    // editor.
    window->requestActivate();
    return window;
}

}  // namespace moorvane
