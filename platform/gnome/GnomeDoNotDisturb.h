#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/Settings.h"
#include "ports/FocusModes.h"

namespace moorvane {

// GNOME's Do Not Disturb switch (the top bar's calendar menu, Settings' notifications panel) as the Focus
// mode "Do Not Disturb": the key "show-banners" of "org.gnome.desktop.notifications" is false while it is on.
// GNOME has no other Focus modes. Main thread only.
class GnomeDoNotDisturb final : public DesktopFocus {
  public:
    static constexpr std::string_view schemaId = "org.gnome.desktop.notifications";
    static constexpr std::string_view showBannersKey = "show-banners";
    static constexpr std::string_view modeName = "Do Not Disturb";

    // Nothing when the schema is not installed or its key is not a boolean. `backend` as in Settings::open.
    static std::unique_ptr<GnomeDoNotDisturb> open(GSettingsBackend* backend = nullptr);

    std::optional<std::string> activeMode() override;
    std::vector<std::string> modeNames() override;
    void observeChanges(std::function<void()> changed) override;

  private:
    explicit GnomeDoNotDisturb(desktop::Settings settings);
    desktop::Settings settings_;
};

}  // namespace moorvane
