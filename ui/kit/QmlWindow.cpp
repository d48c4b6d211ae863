#include "ui/kit/QmlWindow.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QScreen>

#include "base/Log.h"
#include "ui/kit/AppIconProvider.h"
#include "ui/kit/IconSource.h"
#include "ui/kit/Theme.h"

namespace moorvane {

QString qmlView(const char* folder, const char* name) {
    return QStringLiteral("qrc:/Moorvane/") + QLatin1String(folder) + QStringLiteral("/qml/") +
           QLatin1String(name) + QStringLiteral(".qml");
}

void prepareViewEngine(QQmlEngine& engine) {
    Theme::install();
    // The module lies at the root of the resources, outside the engine's default import path.
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(QString::fromLatin1(appIconProviderId), new AppIconProvider);
}

QQuickWindow* showInOwnEngine(QQmlApplicationEngine* engine, const QString& view,
                              const QVariantMap& properties) {
    prepareViewEngine(*engine);
    engine->setInitialProperties(properties);
    engine->load(QUrl(view));
    auto* window = engine->rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QQuickWindow*>(engine->rootObjects().front());
    if (!window) {
        log("UI: the window " + view.toStdString() + " could not be built");
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

}  // namespace moorvane
