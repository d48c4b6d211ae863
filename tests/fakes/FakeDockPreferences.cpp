#include "fakes/FakeDockPreferences.h"

#include <utility>

#include "dock/TileCodec.h"

namespace moorvane::testing {

std::optional<PlistValue> FakeDockPreferences::copyValue(std::string_view key) {
    const auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

void FakeDockPreferences::set(std::string_view key, PlistValue value) {
    setKeys.emplace_back(key);
    if (!replaced_.contains(key)) replaced_.emplace(std::string(key), copyValue(key));
    values.insert_or_assign(std::string(key), std::move(value));
}

Status FakeDockPreferences::synchronize() {
    ++synchronizeCalls;
    if (failSynchronize) return Error{"the domain could not be written"};
    replaced_.clear();
    return done();
}

void FakeDockPreferences::discardPendingChanges() {
    for (auto& [key, old] : replaced_) {
        if (old) {
            values.insert_or_assign(key, std::move(*old));
        } else {
            values.erase(key);
        }
    }
    replaced_.clear();
}

std::optional<std::string> FakeDockPreferences::whyNotShown(const PlistValue& tile) {
    const std::optional<DockAppEntry> entry = entryFromTile(tile);
    if (!entry) return std::nullopt;
    const auto found = notShown.find(entry->label);
    if (found == notShown.end()) return std::nullopt;
    return found->second;
}

}  // namespace moorvane::testing
