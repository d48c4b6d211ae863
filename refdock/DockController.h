#pragma once

#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#include "base/Plist.h"
#include "refdock/TileModel.h"

namespace moorvane::refdock {

// Owns the domain as read at start, the two models the strip shows, and every write and signal.
class DockController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(moorvane::refdock::TileModel* apps READ apps CONSTANT)
    Q_PROPERTY(moorvane::refdock::TileModel* others READ others CONSTANT)
    Q_PROPERTY(moorvane::refdock::TileModel* running READ running CONSTANT)
  public:
    explicit DockController(std::filesystem::path file, QObject* parent = nullptr);

    // Reads the domain once, gives tiles their GUIDs, writes it back and signals the change.
    void start();

    TileModel* apps() { return &apps_; }
    TileModel* others() { return &others_; }
    TileModel* running() { return &running_; }

    // Empty text on success, else why nothing moved.
    QString move(const QString& list, int from, int to);
    // "persistent-apps", "persistent-others" or "running".
    std::optional<QStringList> labels(const QString& list) const;

    // The tiles of running regular apps, which the domain never holds: each belongs to the bus client that
    // showed it, shows once per owner and label, and keeps the order in which it first appeared.
    void setRunning(const QString& owner, const QString& label, bool shown);
    void ownerLeft(const QString& owner);

    // The strip's drag and drop; failures are only logged, as the strip has nowhere to show them.
    Q_INVOKABLE void moveTile(const QString& list, int from, int to);

  private:
    bool persist();
    static void announce();
    void showRunning();

    struct RunningTile {
        QString owner;
        QString label;
        bool operator==(const RunningTile&) const = default;
    };

    std::filesystem::path file_;
    PlistDictionary domain_;
    // False when the file on disk could not be read: writing then would replace the user's layout with an
    // empty one.
    bool writable_ = false;
    std::mt19937_64 random_{std::random_device{}()};
    TileModel apps_;
    TileModel others_;
    std::vector<RunningTile> runningTiles_;
    TileModel running_;
};

// The test and automation door: com.apple.dock.Control on /com/apple/dock.
class DockControlAdaptor final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.apple.dock.Control")
  public:
    explicit DockControlAdaptor(DockController& controller, QObject* parent = nullptr);

  public slots:
    void MoveTile(const QString& list, int from, int to);
    QStringList Tiles(const QString& list);
    // Shows or hides the tile `label` of the calling client; its tiles go when it leaves the bus.
    void SetRunningApp(const QString& label, bool shown);

  private:
    void watch(const QString& owner);
    void ownerLeft(const QString& owner);

    DockController& controller_;
    QDBusServiceWatcher owners_;
};

// Ends the process when the session bus it was started on goes away, so that a supervisor outliving the
// session does not keep a Dock of a dead session alive.
class SessionWatch final : public QObject {
    Q_OBJECT
  public:
    explicit SessionWatch(QObject* parent = nullptr);

  private:
    QTimer timer_;
};

}  // namespace moorvane::refdock
