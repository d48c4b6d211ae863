#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace moorvane {

class ProfileStore;

// The failures the automation action reports to its caller: no such profile, or a Dock that could not be
// written (a script must not go on as if the Dock had changed).
class SwitchDockProfileError {
  public:
    enum class Case { noSuchProfile, dockNotChanged };

    static SwitchDockProfileError noSuchProfile(std::string name) {
        return SwitchDockProfileError(Case::noSuchProfile, std::move(name));
    }
    static SwitchDockProfileError dockNotChanged(std::string name) {
        return SwitchDockProfileError(Case::dockNotChanged, std::move(name));
    }

    Case kind() const { return case_; }
    // The name as the parameter held it, untrimmed.
    const std::string& name() const { return name_; }
    // The text the automation host shows.
    std::string localizedStringResource() const;

  private:
    SwitchDockProfileError(Case kind, std::string name) : case_(kind), name_(std::move(name)) {}
    Case case_;
    std::string name_;
};

// The action "Switch Dock Profile". The constants are what a platform layer publishes to the system's
// automation host; perform() is what it runs.
class SwitchDockProfileIntent {
  public:
    static constexpr std::string_view title = "Switch Dock Profile";
    static constexpr std::string_view parameterTitle = "Profile";
    // The summary is this text followed by the parameter, with nothing after it.
    static constexpr std::string_view parameterSummaryPrefix = "Switch Dock to ";
    static constexpr bool openAppWhenRun = false;

    SwitchDockProfileIntent(ProfileStore& store, std::string requestedName)
        : profileName(std::move(requestedName)), store_(store) {}

    static std::string parameterSummary(std::string_view name) {
        return std::string(parameterSummaryPrefix) + std::string(name);
    }

    std::string profileName;

    // The unchanged profileName once a profile was found and its tile lists written to the Dock, else why
    // not. Main thread only.
    std::variant<std::string, SwitchDockProfileError> perform() const;

  private:
    ProfileStore& store_;
};

// Offers the stored profiles' names, in the store's order, duplicates included.
class ProfileNameOptionsProvider {
  public:
    explicit ProfileNameOptionsProvider(const ProfileStore& store) : store_(store) {}
    std::vector<std::string> results() const;

  private:
    const ProfileStore& store_;
};

}  // namespace moorvane
