#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "platform/desktop/DesktopEntries.h"
#include "platform/desktop/Settings.h"
#include "ports/DockBackend.h"

namespace moorvane {

// GNOME Shell's dash, and every dock that shows the shell's favourite apps (Dash-to-Dock, Ubuntu's dock,
// Dash-to-Panel): one ordered list of desktop-file ids in the key "favorite-apps" of "org.gnome.shell". The
// shell redraws from a new value within a few tenths of a second, so a layout is applied live.
//
// Its apps are captured as the tiles of "persistent-apps" and "persistent-others" is always empty. An id no
// installed desktop entry answers to is captured as a tile of its own, so a profile keeps it. Writing takes
// the desktop ids of both lists in order, each once: the dash holds apps only, and an id only once. Main
// thread only.
class GnomeDash final : public DockBackend {
  public:
    static constexpr std::string_view schemaId = "org.gnome.shell";
    static constexpr std::string_view favoritesKey = "favorite-apps";

    // Whether this session runs GNOME Shell: $XDG_CURRENT_DESKTOP names GNOME ("GNOME", "ubuntu:GNOME",
    // "GNOME-Classic:GNOME", not "GNOME-Flashback:GNOME" or "Budgie:GNOME") and the shell's settings are
    // installed.
    static bool isSessionDock(const desktop::DesktopEnvironment& environment);
    // The dash of this user's shell, or nothing when the shell's settings are not installed.
    static std::unique_ptr<GnomeDash> open(desktop::DesktopEntryIndex& entries);

    // `settings` are those of "org.gnome.shell"; `entries` resolve the ids and must outlive the dash.
    // `settle`: how long the dash's icons take to leave (200 ms in GNOME Shell 43; see synchronize()).
    GnomeDash(desktop::Settings settings, desktop::DesktopEntryIndex& entries,
              std::chrono::milliseconds settle = std::chrono::milliseconds(300));
    ~GnomeDash() override;
    GnomeDash(const GnomeDash&) = delete;
    GnomeDash& operator=(const GnomeDash&) = delete;

    std::optional<PlistValue> copyValue(std::string_view key) override;
    void set(std::string_view key, PlistValue value) override;
    // Writes the pending lists' apps. When the dash would show that list out of order, it first removes the
    // apps that move and, `settle` later (once its removal animations have ended), from the main loop, adds
    // them at their places; until then a read sees the whole list.
    Status synchronize() override;
    void discardPendingChanges() override;

    std::string displayName() const override;
    DockApplyMode applyMode() const override { return DockApplyMode::live; }
    std::optional<std::string> whyNotShown(const PlistValue& tile) override;
    // The shell does not say when it has redrawn: `shown` is never called.
    void notifyWhenShown(std::function<void()> shown) override;
    void observeChanges(std::function<void()> changed) override;

  private:
    // The desktop id the dash would show for `tile`, or why it cannot show it.
    Result<std::string> shownId(const PlistValue& tile);
    PlistArray capturedApps();
    // The ids synchronize() writes: the shown ids of the pending tiles (of the stored ones for a list that is
    // not pending), each once.
    std::vector<std::string> idsToWrite();
    // The stored ids in the order the dash shows them: each once, only apps it can show.
    std::vector<std::string> shownIds();

    desktop::Settings settings_;
    desktop::DesktopEntryIndex& entries_;
    std::optional<PlistValue> pendingApps_;
    std::optional<PlistValue> pendingOthers_;
    std::chrono::milliseconds settle_;
    // The second step of a two-step write, while it waits in the main loop.
    guint secondStep_ = 0;
    std::vector<std::string> secondIds_;
    void cancelSecondStep();
    static gboolean writeSecondStep(gpointer self);
};

}  // namespace moorvane
