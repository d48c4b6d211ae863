#pragma once

#include <string>

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

}  // namespace moorvane::testing
