#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QStyleFactory>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/HandOver.h"
#include "shell/MoorvaneApp.h"
#include "shell/TrayIcon.h"
#include "ui/kit/Theme.h"

int main(int argc, char** argv) {
    // A popover and two small windows need no GPU; the software renderer spares loading the OpenGL driver
    // (with Mesa's software rasteriser that is LLVM, tens of megabytes) into a process that stays resident.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QCoreApplication::setApplicationName(QStringLiteral("Moorvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MOORVANE_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Keeps layouts of the Dock and switches between them."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption popover(
        QStringLiteral("popover"),
        QStringLiteral("Shows the profiles' popover: the way in on a desktop without a system tray."));
    parser.addOption(popover);
    parser.addPositionalArgument(QStringLiteral("urls"),
                                 QStringLiteral("moorvane:// URLs and .dockprofile files to open."),
                                 QStringLiteral("[URL|FILE...]"));
    // --help, --version and a mistaken option answer without a display (over ssh, in a package's smoke test),
    // where QApplication would abort. With a display, options are read once the toolkit has taken its own
    // (-platform, -display) out.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
    const bool parsed = parser.parse(rawArguments);
    const bool display =
        qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
        qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || rawArguments.contains(QStringLiteral("-platform"));
    if ((parsed &&
         (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")) || parser.isSet(version))) ||
        (!parsed && !display)) {
        QCoreApplication information(argc, argv);
        parser.process(information);
        return 0;
    }
    if (!display) {
        std::fprintf(stderr,
                     "moorvane: no display to show Moorvane on: DISPLAY and WAYLAND_DISPLAY are unset\n");
        return 1;
    }

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    // Every window names the app to the desktop, so a window of Moorvane's in a dock or a window switcher
    // reads as Moorvane: on Wayland by the entry's name as the app id; on X11, where Qt sets nothing from it,
    // GNOME Shell and Plank match the window's class ("moorvane", "Moorvane") to the entry's StartupWMClass.
    // The icon serves where no entry is installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.moorvane.app"));

    parser.process(app);
    std::vector<std::string> arguments;
    for (const QString& argument : parser.positionalArguments()) arguments.push_back(argument.toStdString());

    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool onBus = bus.isConnected();
    // Another instance runs: started since the `moorvane` command looked, or options kept that from looking.
    if (onBus && !bus.registerService(QString::fromLatin1(moorvane::busName))) {
        if (const auto handed = moorvane::handOverToRunningInstance(arguments, parser.isSet(popover)))
            return *handed;
        std::fprintf(stderr, "moorvane: another instance holds the bus name but does not answer\n");
        return 1;
    }

    // The dark appearance, whatever the desktop's: Fusion for the widgets (the tray menu, dialogs) and the UI
    // kit's palette and style for everything else.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    moorvane::Theme::install();
    QGuiApplication::setWindowIcon(moorvane::appIcon());
    moorvane::MoorvaneApp moorvane;
    moorvane.setUp();
    if (onBus)
        moorvane.exportOnBus(bus);
    else
        std::fprintf(stderr, "moorvane: no session bus; D-Bus automation and forwarding are off\n");
    moorvane.open(arguments);
    if (parser.isSet(popover)) moorvane.showPopover();
    return app.exec();
}
