#include "refdock/DockController.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "dock/TileCodec.h"
#include "refdock/DockDomain.h"

namespace moorvane::refdock {

namespace {

const QString dockPath = QStringLiteral("/com/apple/dock");
const QString runningList = QStringLiteral("running");
constexpr qsizetype maxRunningLabel = 256;

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
    const PlistDictionary asRead = domain_;
    const bool assigned = assignMissingGuids(domain_, random_) > 0;
    apps_.reset(tileList(domain_, persistentAppsKey));
    others_.reset(tileList(domain_, persistentOthersKey));
    // Only new identifiers need writing, and only over what was read: a switch may have written its lists
    // since, and writing ours back would undo it (its kill restarts this Dock onto them anyway).
    if (!assigned) return;
    const Result<PlistDictionary> now = readDomain(file_);
    if (now && *now == asRead && persist()) announce();
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
    if (list == runningList) return running_.labels();
    const std::optional<std::string_view> key = keyOf(list);
    if (!key) return std::nullopt;
    return (*key == persistentAppsKey ? apps_ : others_).labels();
}

void DockController::moveTile(const QString& list, int from, int to) {
    if (from == to) return;
    const QString failure = move(list, from, to);
    if (!failure.isEmpty()) say(failure);
}

void DockController::setRunning(const QString& owner, const QString& label, bool shown) {
    const RunningTile tile{owner, label};
    const auto found = std::find(runningTiles_.begin(), runningTiles_.end(), tile);
    if (shown == (found != runningTiles_.end())) return;
    if (shown) {
        runningTiles_.push_back(tile);
    } else {
        runningTiles_.erase(found);
    }
    showRunning();
}

void DockController::ownerLeft(const QString& owner) {
    if (std::erase_if(runningTiles_, [&](const RunningTile& tile) { return tile.owner == owner; }) > 0)
        showRunning();
}

void DockController::showRunning() {
    QStringList labels;
    for (const RunningTile& tile : runningTiles_) labels << tile.label;
    running_.resetLabels(labels);
}

bool DockController::persist() {
    Status written = writeDomain(file_, domain_);
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
    : QObject(parent), controller_(controller) {
    owners_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&owners_, &QDBusServiceWatcher::serviceUnregistered, this, &DockControlAdaptor::ownerLeft);
}

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

void DockControlAdaptor::SetRunningApp(const QString& label, bool shown) {
    // Any client on the bus may call this; a label the strip cannot show sensibly is refused.
    if (label.trimmed().isEmpty() || label.size() > maxRunningLabel) {
        sendErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("a running app needs a label of 1 to %1 characters").arg(maxRunningLabel));
        return;
    }
    const QString owner = message().service();
    if (shown) watch(owner);
    controller_.setRunning(owner, label, shown);
}

void DockControlAdaptor::watch(const QString& owner) {
    if (owners_.watchedServices().contains(owner)) return;
    owners_.setConnection(connection());
    owners_.addWatchedService(owner);
    // The caller may have left between its call and the watch. The bus answers in order, so a name without an
    // owner now is gone for good, and any later departure reaches the watch.
    auto* check = new QDBusPendingCallWatcher(
        connection().interface()->asyncCall(QStringLiteral("GetNameOwner"), owner), this);
    connect(check, &QDBusPendingCallWatcher::finished, this, [this, owner](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (call->isError()) ownerLeft(owner);
    });
}

void DockControlAdaptor::ownerLeft(const QString& owner) {
    owners_.removeWatchedService(owner);
    controller_.ownerLeft(owner);
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
