#include "triggers/SwitchDockProfileIntent.h"

#include "store/ProfileStore.h"

namespace moorvane {

std::string SwitchDockProfileError::localizedStringResource() const {
    if (case_ == Case::dockNotChanged)
        return "Moorvane could not write the profile \u201C" + name_ +
               "\u201D into the Dock; the Dock was not changed.";
    return "There is no Moorvane profile named \u201C" + name_ + "\u201D.";
}

std::variant<std::string, SwitchDockProfileError> SwitchDockProfileIntent::perform() const {
    if (store_.switchToProfileNamed(profileName)) return profileName;
    if (store_.profileNamed(profileName)) return SwitchDockProfileError::dockNotChanged(profileName);
    return SwitchDockProfileError::noSuchProfile(profileName);
}

std::vector<std::string> ProfileNameOptionsProvider::results() const {
    std::vector<std::string> names;
    names.reserve(store_.profiles.get().size());
    for (const auto& profile : store_.profiles.get()) names.push_back(profile.name);
    return names;
}

}  // namespace moorvane
