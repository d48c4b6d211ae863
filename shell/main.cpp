#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QStyleFactory>

#include <cstdio>

#include "shell/AutomationService.h"
#include "shell/MoorvaneApp.h"
#include "ui/kit/Theme.h"

namespace {

// The dark appearance, whatever the desktop's: Fusion for the widgets (the tray menu, dialogs) and the UI
// kit's palette and style for everything else.
void useDarkAppearance(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    moorvane::Theme::install();
}

}  // namespace

int main(int argc, char** argv) {
    // A popover and two small windows need no GPU; the software renderer spares loading the OpenGL driver
    // (with Mesa's software rasteriser that is LLVM, tens of megabytes) into a process that stays resident.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Moorvane"));
    app.setApplicationVersion(QStringLiteral(MOORVANE_VERSION));
    app.setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Keeps layouts of the Dock and switches between them."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("urls"),
                                 QStringLiteral("moorvane:// URLs and .dockprofile files to open."),
                                 QStringLiteral("[URL|FILE...]"));
    parser.process(app);
    // Made absolute here: the running instance that may receive them has a working folder of its own.
    const QStringList arguments = moorvane::MoorvaneApp::withAbsolutePaths(parser.positionalArguments());

    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool onBus = bus.isConnected();
    if (onBus && !bus.registerService(QString::fromLatin1(moorvane::busName))) {
        // Another instance runs: it gets the arguments, and this one is done.
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(moorvane::busName), QString::fromLatin1(moorvane::instancePath),
            QStringLiteral("com.moorvane.app.Instance"), QStringLiteral("Open"));
        call << arguments;
        const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            std::fprintf(stderr, "moorvane: the running instance did not answer: %s\n",
                         qPrintable(reply.errorMessage()));
            return 1;
        }
        return 0;
    }

    useDarkAppearance(app);
    auto& moorvane = moorvane::MoorvaneApp::shared();
    moorvane.setUp();
    if (onBus) {
        auto* automation = new moorvane::AutomationService(moorvane.store(), &moorvane);
        auto* instance = new moorvane::InstanceService(
            [&moorvane](const QStringList& handed) { moorvane.open(handed); }, &moorvane);
        bus.registerObject(QString::fromLatin1(moorvane::automationPath), automation,
                           QDBusConnection::ExportAllSlots);
        bus.registerObject(QString::fromLatin1(moorvane::instancePath), instance,
                           QDBusConnection::ExportAllSlots);
    } else {
        std::fprintf(stderr, "moorvane: no session bus; D-Bus automation and forwarding are off\n");
    }
    moorvane.open(arguments);
    return app.exec();
}
