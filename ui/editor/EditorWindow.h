#pragma once

#include <functional>

#include "base/Uuid.h"

class QQuickWindow;

namespace moorvane {

class DockManager;
class FocusModeObserver;
class HotkeyManager;
class KeyMonitor;
class ProfileEditorModel;
class ProfileIO;
class ProfileStore;
class Workspace;

// What the editing windows work over; every member must outlive every window opened with it.
struct EditorContext {
    ProfileStore& store;
    DockManager& dock;
    HotkeyManager& hotkeys;
    KeyMonitor& keyMonitor;
    ProfileIO& profileIO;
    FocusModeObserver& focus;
    Workspace& workspace;  // where applications live, for their icons
    // The recorder's answer to an unacceptable key (the session's bell); empty for none.
    std::function<void()> beep;
};

// A new editor window for the profile: "Edit — " + its name, 560 by 560, fixed size, centred, raised and
// activated. Closing it drops its edits and destroys it.
void openEditor(EditorContext& context, const Uuid& profileId);
// The same, handing back the window (for the render tool and the benchmarks).
QQuickWindow* openEditorWindow(EditorContext& context, const Uuid& profileId);
// The "Manage Apps" window over a copy of the editor's tiles; Apply hands them back to that editor.
QQuickWindow* openPickerWindow(EditorContext& context, ProfileEditorModel& editor);

}  // namespace moorvane
