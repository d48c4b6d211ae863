#pragma once

#include "dock/DockManager.h"
#include "fakes/FakeDockPreferences.h"
#include "fakes/FakeOverlay.h"
#include "fakes/FakeProcessProbe.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/Fixtures.h"
#include "fakes/LogCapture.h"
#include "fakes/ManualQueue.h"
#include "fakes/Profiles.h"
#include "store/AppLaunchManager.h"
#include "store/ProfileStore.h"

namespace moorvane::testing {

// Everything a profile store is built over, in memory and on virtual time. The Dock comes back at once, so
// the background wait for it moves virtual time by the settle delay only.
struct StoreRig {
    StoreRig() { probe.otherwise = true; }

    TempDir dir;
    LogCapture logged;
    FakeDockPreferences preferences;
    FakeWorkspace workspace;
    FakeProcessProbe probe;
    FakeOverlay overlay;
    ManualQueue queue;
    DockManager dock{preferences, workspace, probe, overlay, queue, queue, std::vector<std::string>{}};
    AppLaunchManager launcher{workspace};
};

// A real store over the rig, holding profiles of these names, in this order, with empty Docks.
struct StoreWithProfiles : StoreRig {
    explicit StoreWithProfiles(const std::vector<std::string>& names = {}) {
        std::vector<DockProfile> profiles;
        for (const auto& name : names) profiles.push_back(profileWithTiles(name));
        if (!profiles.empty()) store.profiles = profiles;
    }

    ProfileStore store{dir.path() / "Moorvane", dock, launcher, queue};
};

}  // namespace moorvane::testing
