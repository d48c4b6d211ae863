#include "platform/gnome/GnomeDoNotDisturb.h"

#include <utility>

namespace moorvane {

std::unique_ptr<GnomeDoNotDisturb> GnomeDoNotDisturb::open(GSettingsBackend* backend) {
    std::optional<desktop::Settings> settings = desktop::Settings::open(std::string(schemaId), {}, backend);
    // A key of another type, as a changed or foreign schema could have, is no switch to follow.
    if (!settings || !settings->boolean(showBannersKey)) return nullptr;
    return std::unique_ptr<GnomeDoNotDisturb>(new GnomeDoNotDisturb(std::move(*settings)));
}

GnomeDoNotDisturb::GnomeDoNotDisturb(desktop::Settings settings) : settings_(std::move(settings)) {}

std::optional<std::string> GnomeDoNotDisturb::activeMode() {
    if (settings_.boolean(showBannersKey).value_or(true)) return std::nullopt;
    return std::string(modeName);
}

std::vector<std::string> GnomeDoNotDisturb::modeNames() {
    return {std::string(modeName)};
}

void GnomeDoNotDisturb::observeChanges(std::function<void()> changed) {
    settings_.onChanged(showBannersKey, std::move(changed));
}

}  // namespace moorvane
