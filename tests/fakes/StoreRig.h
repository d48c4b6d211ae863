#pragma once

#include "dock/DockManager.h"
#include "fakes/FakeDockPreferences.h"
#include "fakes/FakeOverlay.h"
#include "fakes/FakeProcessProbe.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/Fixtures.h"
#include "fakes/LogCapture.h"
#include "fakes/ManualQueue.h"
#include "triggers/AppLaunchManager.h"

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
    DockManager dock{preferences, workspace, probe, overlay, queue, queue, {}};
    AppLaunchManager launcher{workspace};
};

}  // namespace moorvane::testing
