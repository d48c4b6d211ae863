#include "ui/popover/PopoverWindow.h"

#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

#include "base/Log.h"
#include "ui/kit/QmlWindow.h"
#include "ui/popover/PopoverModel.h"

namespace moorvane {

QQmlEngine* createPopoverEngine() {
    auto* engine = new QQmlEngine;
    prepareViewEngine(*engine);
    return engine;
}

QQuickWindow* createPopoverWindow(QQmlEngine& engine, PopoverModel* model) {
    QQmlComponent component(&engine, QUrl(qmlView("popover", "PopoverWindow")));
    // Qt 6.4 crashes creating from a component that failed to compile (a QML module the system lacks).
    if (!component.isReady()) {
        log("UI: the popover could not be built: " + component.errorString().toStdString());
        return nullptr;
    }
    QObject* made =
        component.createWithInitialProperties({{"popover", QVariant::fromValue<QObject*>(model)}});
    auto* window = qobject_cast<QQuickWindow*>(made);
    if (!window) {
        log("UI: the popover could not be built: " + component.errorString().toStdString());
        delete made;
        return nullptr;
    }
    return window;
}

void logFirstFrame(QQuickWindow* window, const QElapsedTimer& asked) {
    if (!qEnvironmentVariableIsSet("MOORVANE_TIMINGS")) return;
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [asked] {
            log("UI: the popover drew its first frame " + std::to_string(asked.elapsed()) +
                " ms after it was asked for");
        },
        Qt::SingleShotConnection);
}

}  // namespace moorvane
