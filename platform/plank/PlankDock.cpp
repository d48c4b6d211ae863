#include "platform/plank/PlankDock.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/BoundedRead.h"
#include "base/Log.h"
#include "dock/TileCodec.h"
#include "platform/desktop/SessionProcesses.h"
#include "platform/plank/DockItems.h"

namespace moorvane::plank {

namespace {

constexpr const char* settingsSchema = "net.launchpad.plank.dock.settings";
constexpr const char* orderKey = "dock-items";
constexpr const char* busName = "net.launchpad.plank";
constexpr const char* itemsInterface = "net.launchpad.plank.Items";
constexpr std::string_view fileScheme = "file://";
constexpr std::string_view dockletScheme = "docklet://";
constexpr std::string_view desktopSuffix = ".desktop";
// Plank answers in milliseconds; a hung Plank must not hold the switch for long.
constexpr int callTimeoutMs = 3000;
constexpr std::size_t maxDesktopFileBytes = 1024 * 1024;

constexpr std::string_view notFound = "not found";
constexpr std::string_view notAnInstalledApp = "not an installed app";

struct VariantUnref {
    void operator()(GVariant* value) const noexcept { g_variant_unref(value); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;
struct ErrorFree {
    void operator()(GError* error) const noexcept { g_error_free(error); }
};
struct TextFree {
    void operator()(gchar* text) const noexcept { g_free(text); }
};
using TextPtr = std::unique_ptr<gchar, TextFree>;

// Dock names become a settings path and a D-Bus object path; both take these characters.
bool isValidDockName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

bool isValidDockletName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '-';
    });
}

// The names Plank 0.11 gives its docklets in its own settings.
std::string dockletLabel(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> known[] = {
        {"applications", "Applications"}, {"clippy", "Clippy"},   {"clock", "Clock"},
        {"cpumonitor", "CPU Monitor"},    {"desktop", "Desktop"}, {"trash", "Trash"}};
    for (const auto& [id, label] : known) {
        if (id == name) return std::string(label);
    }
    return std::string(name);
}

// The local path of a "file://" URI, or of an absolute path as some documents carry it; nothing otherwise.
std::optional<std::string> localPath(std::string_view location) {
    if (location.starts_with("/")) return std::string(location);
    if (!location.starts_with(fileScheme)) return std::nullopt;
    const std::string uri(location);
    const TextPtr path(g_filename_from_uri(uri.c_str(), nullptr, nullptr));
    if (!path) return std::nullopt;
    return std::string(path.get());
}

// The URI Plank itself writes for a path: GLib's escaping, no trailing '/' for a folder.
std::string launcherOfPath(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const TextPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    return uri ? std::string(uri.get()) : std::string();
}

// A path's last segment as UTF-8 text, whatever the file name's encoding.
std::string fileDisplayName(const std::string& path) {
    const TextPtr name(g_filename_display_basename(path.c_str()));
    return name ? std::string(name.get()) : path;
}

// The tile of a folder, a file or a docklet: its URL and its name, no bundle identifier.
PlistValue locationTile(std::string_view type, std::string url, std::string label) {
    PlistDictionary fileData;
    fileData.set("_CFURLString", std::move(url));
    fileData.set("_CFURLStringType", 15);
    PlistDictionary tileData;
    tileData.set("file-data", std::move(fileData));
    tileData.set("file-label", std::move(label));
    PlistDictionary tile;
    tile.set("tile-type", std::string(type));
    tile.set("tile-data", std::move(tileData));
    return tile;
}

}  // namespace

// The session bus and Plank's object on it.
struct PlankDock::Bus {
    desktop::GObjectPtr<GDBusConnection> connection;
    std::string objectPath;
    guint subscription = 0;

    ~Bus() {
        if (subscription) g_dbus_connection_signal_unsubscribe(connection.get(), subscription);
    }

    Result<VariantPtr> call(const char* destination, const char* path, const char* interface,
                            const char* method, GVariant* parameters, const GVariantType* reply) const {
        GError* raw = nullptr;
        GVariant* result =
            g_dbus_connection_call_sync(connection.get(), destination, path, interface, method, parameters,
                                        reply, G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMs, nullptr, &raw);
        if (!result) {
            const std::unique_ptr<GError, ErrorFree> error(raw);
            return Error{error ? error->message : "no reply"};
        }
        return VariantPtr(result);
    }

    bool plankOwnsName() const {
        Result<VariantPtr> reply =
            call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                 g_variant_new("(s)", busName), G_VARIANT_TYPE("(b)"));
        if (!reply) return false;
        gboolean owned = FALSE;
        g_variant_get(reply->get(), "(b)", &owned);
        return owned;
    }

    // Add or Remove of one launcher: whether Plank did it, or an Error when it did not answer.
    Result<bool> change(const char* method, const std::string& launcher) const {
        Result<VariantPtr> reply = call(busName, objectPath.c_str(), itemsInterface, method,
                                        g_variant_new("(s)", launcher.c_str()), G_VARIANT_TYPE("(b)"));
        if (!reply) return reply.error();
        gboolean doneIt = FALSE;
        g_variant_get(reply->get(), "(b)", &doneIt);
        return doneIt != FALSE;
    }

    Result<std::vector<std::string>> persistentApplications() const {
        Result<VariantPtr> reply = call(busName, objectPath.c_str(), itemsInterface,
                                        "GetPersistentApplications", nullptr, G_VARIANT_TYPE("(as)"));
        if (!reply) return reply.error();
        std::vector<std::string> out;
        GVariantIter* iter = nullptr;
        g_variant_get(reply->get(), "(as)", &iter);
        const gchar* uri = nullptr;
        while (g_variant_iter_next(iter, "&s", &uri)) out.emplace_back(uri);
        g_variant_iter_free(iter);
        return out;
    }
};

PlankDock::PlankDock(desktop::DesktopEntryIndex& index, Options options)
    : index_(index),
      environment_(desktop::DesktopEnvironment::current()),
      dockName_(std::move(options.dockName)) {
    const std::string configHome = options.configHome.empty() ? g_get_user_config_dir() : options.configHome;
    launchersFolder_ = configHome + "/plank/" + dockName_ + "/launchers";
    if (!isValidDockName(dockName_)) {
        log("PlankDock: not driving the dock \u201C" + dockName_ +
            "\u201D, its name is not one Plank can use");
        return;
    }
    settings_ = desktop::Settings::open(settingsSchema, "/net/launchpad/plank/docks/" + dockName_ + "/");
    if (settings_) {
        settings_->onChanged(orderKey, [this] {
            if (changed_) changed_();
            dockReported();
        });
    }
    if (!options.useSessionBus) return;
    GError* raw = nullptr;
    GDBusConnection* connection =
        options.busAddress.empty()
            ? g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw)
            : g_dbus_connection_new_for_address_sync(
                  options.busAddress.c_str(),
                  static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                  nullptr, nullptr, &raw);
    if (!connection) {
        const std::unique_ptr<GError, ErrorFree> error(raw);
        log(std::string("PlankDock: no session bus, writing Plank's files only: ") +
            (error ? error->message : "unknown error"));
        return;
    }
    bus_ = std::make_unique<Bus>();
    bus_->connection.reset(connection);
    bus_->objectPath = "/net/launchpad/plank/" + dockName_;
    bus_->subscription = g_dbus_connection_signal_subscribe(
        connection, busName, itemsInterface, "Changed", bus_->objectPath.c_str(), nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
           gpointer self) { static_cast<PlankDock*>(self)->dockReported(); },
        this, nullptr);
}

PlankDock::~PlankDock() {
    if (idle_) g_source_remove(idle_);
}

Result<std::string> PlankDock::launcherOfTile(const PlistValue& tile) {
    // The codec's reading of a tile: its kind, its app's identifier and its location.
    const std::optional<DockAppEntry> item = entryFromTile(tile);
    if (!item) return Error{std::string(notFound)};
    if (item->isSpacer) return Error{"a spacer"};
    const std::string& url = item->path;
    const std::optional<std::string> path = localPath(url);
    std::error_code error;
    if (!item->bundleIdentifier.empty()) {
        if (const std::optional<desktop::DesktopEntry> entry = index_.find(item->bundleIdentifier)) {
            if (!entry->shown) return Error{"not shown on this desktop"};
            return launcherOfPath(entry->path);
        }
        // An app Plank knows by its file rather than by an installed id, as one kept on the desktop.
        if (path && path->ends_with(desktopSuffix) && std::filesystem::is_regular_file(*path, error))
            return launcherOfPath(*path);
        return Error{std::string(notAnInstalledApp)};
    }
    if (url.starts_with(dockletScheme)) {
        if (isValidDockletName(std::string_view(url).substr(dockletScheme.size()))) return url;
        return Error{std::string(notFound)};
    }
    if (!path || !std::filesystem::exists(*path, error)) return Error{std::string(notFound)};
    return launcherOfPath(*path);
}

std::optional<PlistValue> PlankDock::tileOfLauncher(const std::string& launcher) {
    if (launcher.starts_with(dockletScheme)) {
        const std::string_view name = std::string_view(launcher).substr(dockletScheme.size());
        if (!isValidDockletName(name)) return std::nullopt;
        return locationTile("file-tile", launcher, dockletLabel(name));
    }
    const std::optional<std::string> path = localPath(launcher);
    std::error_code error;
    // Plank drops a tile whose target is gone when it next loads; so does a capture.
    if (!path || !std::filesystem::exists(*path, error)) return std::nullopt;
    if (path->ends_with(desktopSuffix) && std::filesystem::is_regular_file(*path, error)) {
        if (const std::optional<std::string> id = index_.idOfFile(*path)) {
            if (const std::optional<desktop::DesktopEntry> entry = index_.find(*id))
                return desktop::applicationTile(*entry);
        }
        // A .desktop file outside the applications folders: Plank shows it as an app, named by its entry.
        std::string label = fileDisplayName(*path);
        if (const Result<std::string> bytes = readBoundedFile(*path, maxDesktopFileBytes)) {
            const Result<desktop::DesktopEntry> entry =
                desktop::parseDesktopEntry(*bytes, label, *path, environment_);
            if (entry && !entry->name.empty()) label = entry->name;
        }
        return locationTile("file-tile", tileLocation(*path), std::move(label));
    }
    const bool folder = std::filesystem::is_directory(*path, error);
    return locationTile(folder ? "directory-tile" : "file-tile", tileLocation(*path), fileDisplayName(*path));
}

std::vector<std::string> PlankDock::currentLaunchers() {
    const std::vector<std::string> order = settings_->strings(orderKey);
    if (written_ && order == orderAtWrite_) return *written_;
    written_.reset();
    const bool running = bus_ && bus_->plankOwnsName();
    std::vector<std::string> launchers;
    for (DockItem& item : orderedItems(readLaunchersFolder(launchersFolder_), order,
                                       running ? UnnamedItems::leaveOut : UnnamedItems::append))
        launchers.push_back(std::move(item.launcher));
    return launchers;
}

PlistArray PlankDock::currentTiles() {
    PlistArray tiles;
    for (const std::string& launcher : currentLaunchers()) {
        if (std::optional<PlistValue> tile = tileOfLauncher(launcher)) tiles.push_back(std::move(*tile));
    }
    return tiles;
}

std::optional<PlistValue> PlankDock::copyValue(std::string_view key) {
    if (const PlistValue* waiting = pending_.find(key)) return *waiting;
    if (!settings_) return std::nullopt;
    if (key == persistentAppsKey) return PlistValue(currentTiles());
    if (key == persistentOthersKey) return PlistValue(PlistArray{});
    return std::nullopt;
}

void PlankDock::set(std::string_view key, PlistValue value) {
    pending_.set(std::string(key), std::move(value));
}

std::optional<std::string> PlankDock::whyNotShown(const PlistValue& tile) {
    Result<std::string> launcher = launcherOfTile(tile);
    if (launcher) return std::nullopt;
    return launcher.error().description;
}

bool PlankDock::isRunning(const std::string& procRoot) {
    return desktop::runsInThisSession("plank", procRoot);
}

Status PlankDock::synchronize() {
    if (pending_.empty()) return done();
    if (!settings_) return Error{"Plank\u2019s settings are not installed"};
    std::vector<std::string> launchers;
    for (const std::string_view key : {persistentAppsKey, persistentOthersKey}) {
        std::optional<PlistValue> value = copyValue(key);
        const PlistArray* tiles = value ? value->array() : nullptr;
        if (!tiles) continue;
        for (const PlistValue& tile : *tiles) {
            Result<std::string> launcher = launcherOfTile(tile);
            // Plank holds a launcher once: a second Add of it is refused.
            if (launcher && std::find(launchers.begin(), launchers.end(), *launcher) == launchers.end())
                launchers.push_back(std::move(*launcher));
        }
    }
    const bool live = bus_ && bus_->plankOwnsName();
    if (Status written = live ? writeLive(launchers) : writeFiles(launchers); !written) return written;
    pending_ = {};
    return done();
}

Status PlankDock::writeLive(const std::vector<std::string>& launchers) {
    // What Plank shows now, in its order: what a switch that cannot finish puts back.
    const std::vector<std::string> before = currentLaunchers();
    LiveWrite write;
    Status replaced = replaceLive(launchers, write);
    if (!replaced) {
        log("PlankDock: " + replaced.error().description);
        if (write.began) putBack(before);
        return replaced;
    }
    orderAtWrite_ = settings_->strings(orderKey);
    // Plank signals only what it changed; a write that changed nothing is shown already.
    awaitingReport_ = write.changedAny;
    if (!awaitingReport_) checkSoon();
    return done();
}

Status PlankDock::replaceLive(const std::vector<std::string>& launchers, LiveWrite& write) {
    Result<std::vector<std::string>> applications = bus_->persistentApplications();
    if (!applications) return Error{"Plank did not answer: " + applications.error().description};
    // Folders, files and docklets are not among Plank's "applications": its files name them.
    std::vector<std::string> current;
    for (const DockItem& item : readLaunchersFolder(launchersFolder_)) current.push_back(item.launcher);
    for (std::string& uri : *applications) current.push_back(std::move(uri));
    std::sort(current.begin(), current.end());
    current.erase(std::unique(current.begin(), current.end()), current.end());

    const auto stopped = [](const std::string& what, const Error& error) {
        return Error{"Plank stopped answering at " + what + ": " + error.description};
    };
    write.began = true;
    for (const std::string& launcher : current) {
        Result<bool> removed = bus_->change("Remove", launcher);
        if (!removed) return stopped("Remove " + launcher, removed.error());
        write.changedAny = write.changedAny || *removed;
    }
    // Plank deletes the file of a removed app but keeps those of folders, files and docklets, and would bring
    // them back at its next start.
    for (const DockItem& item : readLaunchersFolder(launchersFolder_)) {
        if (!std::binary_search(current.begin(), current.end(), item.launcher)) continue;
        std::error_code error;
        if (!std::filesystem::remove(launchersFolder_ + "/" + item.fileName, error) && error)
            log("PlankDock: could not delete " + item.fileName + ": " + error.message());
    }
    std::vector<std::string> added;
    for (const std::string& launcher : launchers) {
        Result<bool> taken = bus_->change("Add", launcher);
        if (!taken) return stopped("Add " + launcher, taken.error());
        if (*taken) {
            added.push_back(launcher);
            write.changedAny = true;
        } else {
            log("PlankDock: Plank did not add " + launcher);
        }
    }
    written_ = std::move(added);
    return done();
}

void PlankDock::putBack(const std::vector<std::string>& before) {
    // Half a switch would leave the user's dock without the tiles already removed, and auto-save would then
    // copy that into the profile still active. Plank still running takes the old tiles back live; Plank gone
    // finds them in its files at its next start.
    LiveWrite write;
    const bool running = bus_->plankOwnsName();
    Status restored = running ? replaceLive(before, write) : writeFiles(before);
    written_.reset();
    awaitingReport_ = false;
    if (restored) {
        log(running ? "PlankDock: put Plank\u2019s tiles back as they were"
                    : "PlankDock: Plank has gone; its files hold its tiles as they were for its next start");
    } else {
        log("PlankDock: could not put Plank\u2019s tiles back: " + restored.error().description);
    }
}

Status PlankDock::writeFiles(const std::vector<std::string>& launchers) {
    std::error_code error;
    // Plank fills a missing folder with its own defaults at start, so it must exist even when empty.
    std::filesystem::create_directories(launchersFolder_, error);
    if (error) return Error{"could not make " + launchersFolder_ + ": " + error.message()};
    const std::vector<DockItem> existing = readLaunchersFolder(launchersFolder_);
    std::vector<std::string> taken;
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator(launchersFolder_, error))
        taken.push_back(entry.path().filename().string());
    if (error) return Error{"could not read " + launchersFolder_ + ": " + error.message()};

    std::vector<std::string> order;
    std::vector<std::string> created;
    const auto undo = [&] {
        for (const std::string& name : created) std::filesystem::remove(launchersFolder_ + "/" + name, error);
    };
    for (const std::string& launcher : launchers) {
        // A file that already names the launcher is kept as it is.
        const auto same = std::find_if(existing.begin(), existing.end(), [&](const DockItem& item) {
            return item.launcher == launcher &&
                   std::find(order.begin(), order.end(), item.fileName) == order.end();
        });
        if (same != existing.end()) {
            order.push_back(same->fileName);
            continue;
        }
        std::string name = dockItemFileName(launcher, taken);
        if (Status written = writeFileAtomically(launchersFolder_ + "/" + name, dockItemText(launcher), 0644);
            !written) {
            undo();
            return Error{"could not write " + name + ": " + written.error().description};
        }
        taken.push_back(name);
        created.push_back(name);
        order.push_back(std::move(name));
    }
    if (Status stored = settings_->setStrings(orderKey, order); !stored) {
        undo();
        return Error{"could not store Plank\u2019s order: " + stored.error().description};
    }
    // Files the new order does not name would be appended by Plank at its next start.
    for (const DockItem& item : existing) {
        if (std::find(order.begin(), order.end(), item.fileName) != order.end()) continue;
        if (!std::filesystem::remove(launchersFolder_ + "/" + item.fileName, error) && error)
            log("PlankDock: could not delete " + item.fileName + ": " + error.message());
    }
    written_.reset();
    awaitingReport_ = false;
    return done();
}

bool PlankDock::showsWritten() {
    if (!written_ || !bus_) return false;
    Result<std::vector<std::string>> applications = bus_->persistentApplications();
    if (!applications) return false;
    std::vector<std::string> expected;
    for (const std::string& launcher : *written_) {
        if (launcher.ends_with(desktopSuffix)) expected.push_back(launcher);
    }
    return *applications == expected;
}

void PlankDock::dockReported() {
    if (!written_ || !showsWritten()) return;
    awaitingReport_ = false;
    if (!shown_) return;
    std::function<void()> shown = std::move(shown_);
    shown_ = nullptr;
    shown();
}

void PlankDock::notifyWhenShown(std::function<void()> shown) {
    shown_ = std::move(shown);
    if (!awaitingReport_) checkSoon();
}

void PlankDock::checkSoon() {
    // Nothing more will come from Plank about a write it is already showing: look on the next turn of the
    // loop, so `shown` runs after its caller has returned, as a signal would.
    if (!written_ || !shown_ || idle_) return;
    idle_ = g_idle_add(
        [](gpointer self) -> gboolean {
            auto* dock = static_cast<PlankDock*>(self);
            dock->idle_ = 0;
            dock->dockReported();
            return G_SOURCE_REMOVE;
        },
        this);
}

void PlankDock::observeChanges(std::function<void()> changed) {
    changed_ = std::move(changed);
}

}  // namespace moorvane::plank
