#include "platform/gnome/GnomeDash.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/Log.h"
#include "dock/TileCodec.h"
#include "model/DockProfile.h"
#include "platform/gnome/DashOrder.h"

namespace moorvane {

namespace {

constexpr std::string_view desktopSuffix = ".desktop";

// What the dash keeps of an id it cannot resolve: the tile the codec writes for an app with no location, so
// the id survives a capture and is written again once its app is installed.
PlistValue unresolvedTile(const std::string& id) {
    DockAppEntry entry;
    entry.label = id.ends_with(desktopSuffix) ? id.substr(0, id.size() - desktopSuffix.size()) : id;
    entry.bundleIdentifier = id;
    return tileDictionary(entry);
}

}  // namespace

bool GnomeDash::isSessionDock(const desktop::DesktopEnvironment& environment) {
    // Derivatives of the shell name themselves first and GNOME after ("ubuntu:GNOME", "GNOME-Classic:GNOME").
    // Flashback and Budgie name GNOME too but draw their own panels, which never read the shell's favourites.
    if (!environment.names("gnome") || environment.names("gnome-flashback") || environment.names("budgie"))
        return false;
    return desktop::Settings::installed(std::string(schemaId));
}

std::unique_ptr<GnomeDash> GnomeDash::open(desktop::DesktopEntryIndex& entries) {
    std::optional<desktop::Settings> settings = desktop::Settings::open(std::string(schemaId));
    if (!settings) return nullptr;
    return std::make_unique<GnomeDash>(std::move(*settings), entries);
}

GnomeDash::GnomeDash(desktop::Settings settings, desktop::DesktopEntryIndex& entries,
                     std::chrono::milliseconds settle)
    : settings_(std::move(settings)), entries_(entries), settle_(settle) {}

GnomeDash::~GnomeDash() {
    cancelSecondStep();
}

void GnomeDash::cancelSecondStep() {
    if (secondStep_) g_source_remove(secondStep_);
    secondStep_ = 0;
}

gboolean GnomeDash::writeSecondStep(gpointer self) {
    auto* dash = static_cast<GnomeDash*>(self);
    dash->secondStep_ = 0;
    if (Status written = dash->settings_.setStrings(favoritesKey, dash->secondIds_); !written) {
        log("DockManager: GNOME Shell\u2019s dash kept only the apps that stay: " +
            written.error().description);
    }
    return G_SOURCE_REMOVE;
}

PlistArray GnomeDash::capturedApps() {
    PlistArray tiles;
    std::set<std::string, std::less<>> seen;
    for (const std::string& id : secondStep_ ? secondIds_ : settings_.strings(favoritesKey)) {
        // The shell shows a repeated id once; a capture that kept both would not survive a switch unchanged.
        if (!seen.insert(id).second) continue;
        if (std::optional<desktop::DesktopEntry> entry = entries_.find(id)) {
            tiles.push_back(desktop::applicationTile(*entry));
        } else {
            tiles.push_back(unresolvedTile(id));
        }
    }
    return tiles;
}

std::optional<PlistValue> GnomeDash::copyValue(std::string_view key) {
    if (key == persistentAppsKey) return pendingApps_ ? *pendingApps_ : PlistValue(capturedApps());
    if (key == persistentOthersKey) return pendingOthers_ ? *pendingOthers_ : PlistValue(PlistArray{});
    return std::nullopt;
}

void GnomeDash::set(std::string_view key, PlistValue value) {
    if (key == persistentAppsKey) pendingApps_ = std::move(value);
    if (key == persistentOthersKey) pendingOthers_ = std::move(value);
}

void GnomeDash::discardPendingChanges() {
    pendingApps_.reset();
    pendingOthers_.reset();
}

Result<std::string> GnomeDash::shownId(const PlistValue& tile) {
    const PlistDictionary* dictionary = tile.dictionary();
    if (!dictionary) return Error{"not a tile"};
    const std::string* typeText = dictionary->findString("tile-type");
    const std::string_view type = typeText ? std::string_view(*typeText) : std::string_view();
    if (type.find("spacer") != std::string_view::npos) return Error{"a spacer"};
    if (type == "directory-tile") return Error{"a folder"};

    std::string id = tileBundleIdentifier(tile);
    if (id.empty()) {
        // A tile without an app's id names a file; a launcher file in an applications folder is an app.
        const std::optional<DockAppEntry> item = entryFromTile(tile);
        const std::string location = item ? item->path : std::string();
        const std::string path = filePathFromLocation(location);
        if (!path.ends_with(desktopSuffix))
            return Error{!location.empty() && location.back() == '/' ? "a folder" : "a file"};
        std::optional<std::string> fileId = entries_.idOfFile(path);
        if (!fileId) return Error{"not an installed app"};
        id = std::move(*fileId);
    }
    // A macOS bundle identifier ("com.apple.Safari") is never a desktop-file id.
    if (!id.ends_with(desktopSuffix)) return Error{"not an installed app"};
    const std::optional<desktop::DesktopEntry> entry = entries_.find(id);
    if (!entry) return Error{"not an installed app"};
    if (!entry->shown) return Error{"not shown on this desktop"};
    return id;
}

std::optional<std::string> GnomeDash::whyNotShown(const PlistValue& tile) {
    Result<std::string> id = shownId(tile);
    if (id) return std::nullopt;
    return id.error().description;
}

std::vector<std::string> GnomeDash::idsToWrite() {
    std::vector<std::string> ids;
    std::set<std::string, std::less<>> seen;
    const auto add = [&](std::string id) {
        if (seen.insert(id).second) ids.push_back(std::move(id));
    };
    const auto addTiles = [&](const PlistValue& list) {
        const PlistArray* tiles = list.array();
        if (!tiles) return;
        for (const PlistValue& tile : *tiles) {
            if (Result<std::string> id = shownId(tile)) add(std::move(*id));
        }
    };
    addTiles(pendingApps_ ? *pendingApps_ : PlistValue(capturedApps()));
    if (pendingOthers_) addTiles(*pendingOthers_);
    return ids;
}

std::vector<std::string> GnomeDash::shownIds() {
    std::vector<std::string> ids;
    for (std::string& id : settings_.strings(favoritesKey)) {
        if (std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
        const std::optional<desktop::DesktopEntry> entry = entries_.find(id);
        if (entry && entry->shown) ids.push_back(std::move(id));
    }
    return ids;
}

Status GnomeDash::synchronize() {
    if (!pendingApps_ && !pendingOthers_) return done();
    // A switch that follows at once replaces the one still waiting to add its apps.
    cancelSecondStep();
    const std::vector<std::string> ids = idsToWrite();
    const std::vector<std::string> before = settings_.strings(favoritesKey);
    const std::vector<std::string> shown = shownIds();
    if (gnome::dashAfter(shown, ids) != ids) {
        // Removing first and adding after are each shown right, once the removed icons have left: the dash
        // still counts an icon that is animating out.
        // The main thread does not wait for the animation: the adding is queued on its loop.
        if (Status removed = settings_.setStrings(favoritesKey, gnome::keptInOrder(shown, ids)); !removed)
            return removed;
        secondIds_ = ids;
        secondStep_ = g_timeout_add(static_cast<guint>(settle_.count()), &GnomeDash::writeSecondStep, this);
        discardPendingChanges();
        return done();
    }
    if (Status written = settings_.setStrings(favoritesKey, ids); !written) {
        (void)settings_.setStrings(favoritesKey, before);  // undoes the removal, if there was one
        return written;
    }
    discardPendingChanges();
    return done();
}

std::string GnomeDash::displayName() const {
    return "GNOME Shell\u2019s dash";
}

void GnomeDash::notifyWhenShown(std::function<void()>) {}

void GnomeDash::observeChanges(std::function<void()> changed) {
    settings_.onChanged(favoritesKey, std::move(changed));
}

}  // namespace moorvane
