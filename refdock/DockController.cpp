#include "refdock/DockController.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdio>
#include <utility>

#include "dock/TileCodec.h"
#include "refdock/DockDomain.h"

namespace moorvane::refdock {

namespace {

const QString dockPath = QStringLiteral("/com/apple/dock");

void say(const QString& message) {
    std::fprintf(stderr, "Dock: %s\n", message.toLocal8Bit().constData());
}

std::optional<std::string_view> keyOf(const QString& list) {
    if (list == QLatin1String(persistentAppsKey.data())) return persistentAppsKey;
    if (list == QLatin1String(persistentOthersKey.data())) return persistentOthersKey;
    return std::nullopt;
}

}  // namespace

DockController::DockController(std::filesystem::path file, QObject* parent)
    : QObject(parent), file_(std::move(file)) {}

void DockController::start() {
    Result<PlistDictionary> read = readDomain(file_);
    if (!read) {
        say(QStringLiteral("cannot read the preferences, showing an empty Dock and writing nothing: ") +
            QString::fromStdString(read.error().description));
        return;
    }
    domain_ = std::move(*read);
    writable_ = true;
    assignMissingGuids(domain_, random_);
    apps_.reset(tileList(domain_, persistentAppsKey));
    others_.reset(tileList(domain_, persistentOthersKey));
    if (persist()) announce();
}

QString DockController::move(const QString& list, int from, int to) {
    const std::optional<std::string_view> key = keyOf(list);
    if (!key) return QStringLiteral("unknown tile list \"%1\"").arg(list);
    PlistArray& tiles = tileList(domain_, *key);
    if (!refdock::moveTile(tiles, from, to)) {
        return QStringLiteral("cannot move tile %1 to %2 in a list of %3")
            .arg(from)
            .arg(to)
            .arg(tiles.size());
    }
    if (!writable_ || !persist()) {
        refdock::moveTile(tiles, to, from);
        return QStringLiteral("the preferences could not be written; nothing moved");
    }
    (*key == persistentAppsKey ? apps_ : others_).move(from, to);
    announce();
    return {};
}

std::optional<QStringList> DockController::labels(const QString& list) const {
    const std::optional<std::string_view> key = keyOf(list);
    if (!key) return std::nullopt;
    return (*key == persistentAppsKey ? apps_ : others_).labels();
}

void DockController::moveTile(const QString& list, int from, int to) {
    if (from == to) return;
    const QString failure = move(list, from, to);
    if (!failure.isEmpty()) say(failure);
}

bool DockController::persist() {
    Result<std::monostate> written = writeDomain(file_, domain_);
    if (!written)
        say(QStringLiteral("cannot write the preferences: ") +
            QString::fromStdString(written.error().description));
    return written.ok();
}

void DockController::announce() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.send(QDBusMessage::createSignal(dockPath, QStringLiteral("com.apple.dock"),
                                        QStringLiteral("prefchanged")));
}

DockControlAdaptor::DockControlAdaptor(DockController& controller, QObject* parent)
    : QObject(parent), controller_(controller) {}

void DockControlAdaptor::MoveTile(const QString& list, int from, int to) {
    const QString failure = controller_.move(list, from, to);
    if (!failure.isEmpty()) sendErrorReply(QDBusError::InvalidArgs, failure);
}

QStringList DockControlAdaptor::Tiles(const QString& list) {
    std::optional<QStringList> labels = controller_.labels(list);
    if (!labels) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("unknown tile list \"%1\"").arg(list));
        return {};
    }
    return *labels;
}

SessionWatch::SessionWatch(QObject* parent) : QObject(parent) {
    if (!QDBusConnection::sessionBus().isConnected()) return;
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [] {
        if (QDBusConnection::sessionBus().isConnected()) return;
        say(QStringLiteral("the session bus went away; quitting"));
        QCoreApplication::quit();
    });
    timer_.start();
}

}  // namespace moorvane::refdock
