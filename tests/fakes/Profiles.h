#pragma once

#include <optional>
#include <string>
#include <utility>

#include "dock/TileCodec.h"

namespace moorvane::testing {

// A Dock tile for an app known by its identifier, labelled with it.
inline PlistValue appTile(const std::string& bundleIdentifier) {
    return PlistDictionary{{"tile-data", PlistDictionary{{"bundle-identifier", bundleIdentifier},
                                                         {"file-label", bundleIdentifier}}},
                           {"tile-type", "file-tile"}};
}

// A profile whose Dock holds `apps` on the left and nothing on the right.
inline DockProfile profileWithTiles(const std::string& name, const PlistArray& apps = {}) {
    DockProfile p;
    p.name = name;
    p.persistentApps = *encodeTiles(apps);
    p.persistentOthers = *encodeTiles({});
    return p;
}

// A profile known by its name and keyboard shortcut alone.
inline DockProfile profileWithShortcut(const std::string& name, std::optional<std::string> shortcut) {
    DockProfile p;
    p.name = name;
    p.keyboardShortcut = std::move(shortcut);
    return p;
}

}  // namespace moorvane::testing
