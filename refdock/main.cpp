// The reference Dock: shows the tile lists of $HOME's "com.apple.dock" domain, lets the user reorder them and
// announces each rewrite on the session bus, as the macOS Dock does for Moorvane.
#include <QDBusConnection>
#include <QDBusError>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

#include <cstdio>

#include "refdock/DockController.h"
#include "refdock/DockDomain.h"

using moorvane::refdock::DockControlAdaptor;
using moorvane::refdock::DockController;
using moorvane::refdock::SessionWatch;

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Dock"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.apple.dock"));
    // The strip must stay up while its own windows come and go, and only a kill or a lost session ends it.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        std::fprintf(stderr, "Dock: HOME is not set\n");
        return 1;
    }

    DockController controller(moorvane::refdock::domainFile(home.toStdString()));
    controller.start();

    DockControlAdaptor control(controller);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() && qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) {
        // The session this Dock was started for has ended; a supervisor checks that and stops.
        std::fprintf(stderr, "Dock: the session bus is gone (%s)\n",
                     bus.lastError().message().toLocal8Bit().constData());
        return 1;
    }
    if (!bus.isConnected()) {
        std::fprintf(stderr, "Dock: no session bus; running without it\n");
    } else {
        if (!bus.registerObject(QStringLiteral("/com/apple/dock"), &control,
                                QDBusConnection::ExportAllSlots)) {
            std::fprintf(stderr, "Dock: cannot register /com/apple/dock on the session bus\n");
        }
        if (!bus.registerService(QStringLiteral("com.apple.dock"))) {
            std::fprintf(stderr, "Dock: the name com.apple.dock is taken (%s); running without it\n",
                         bus.lastError().message().toLocal8Bit().constData());
        }
    }
    SessionWatch watch;

    QQmlApplicationEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("dock"), &controller);
    engine.load(QUrl(QStringLiteral("qrc:/refdock/Dock.qml")));
    if (engine.rootObjects().isEmpty()) return 1;
    return QGuiApplication::exec();
}
