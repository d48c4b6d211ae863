#include "dock/InstalledAppCache.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "base/InfoPlist.h"
#include "dock/DockManager.h"

namespace moorvane {

InstalledAppCache::InstalledAppCache(std::vector<std::string> folders) : folders_(std::move(folders)) {}

const std::vector<InstalledApp>& InstalledAppCache::apps() {
    if (!apps_) apps_ = scanInstalledApps(folders_);
    return *apps_;
}

std::optional<std::string> InstalledAppCache::location(const std::string& bundleIdentifier) {
    const auto find = [&]() -> std::optional<std::string> {
        for (const InstalledApp& app : *apps_) {
            if (app.bundleIdentifier == bundleIdentifier) return app.path;
        }
        return std::nullopt;
    };
    if (apps_) {
        std::error_code error;
        const auto kept = find();
        // A dangling link still counts as something there.
        if (kept && std::filesystem::symlink_status(infoPlistPath(*kept), error).type() !=
                        std::filesystem::file_type::not_found)
            return kept;
    }
    apps_ = scanInstalledApps(folders_);
    return find();
}

}  // namespace moorvane
