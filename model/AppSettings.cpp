#include "model/AppSettings.h"

#include <cstddef>
#include <utility>

#include "base/Log.h"

namespace moorvane {

namespace {

// Stored as a boolean; a value of any other type reads as absent (the port checks the type).
struct BoolSetting {
    const char* key;
    bool fallback;
};

template <class T>
struct Choice {
    T value;
    std::string_view stored;
};

// Stored as text that must equal one of `accepted` exactly, letter case included; other text reads as absent.
template <class T, std::size_t N>
struct ChoiceSetting {
    const char* key;
    T fallback;
    std::array<Choice<T>, N> accepted;
};

// Every user-defaults key the app keeps, each once: name, stored type, default and the values it accepts.
// The key names are the user's existing preferences and must not change.
constexpr struct {
    BoolSetting autoSaveDockChanges{"autoSaveDockChanges", true};
    BoolSetting hasSeenProfileHint{"hasSeenProfileHint", false};
    ChoiceSetting<AppVisibility, 2> appVisibility{
        "appVisibility",
        AppVisibility::menuBarOnly,
        {{{AppVisibility::menuBarOnly, "menuBarOnly"}, {AppVisibility::dockAndMenuBar, "dockAndMenuBar"}}}};
} settingsTable;

bool read(UserDefaults& defaults, const BoolSetting& setting) {
    return defaults.readBool(setting.key).value_or(setting.fallback);
}

template <class T, std::size_t N>
T read(UserDefaults& defaults, const ChoiceSetting<T, N>& setting) {
    if (const auto text = defaults.readString(setting.key)) {
        for (const auto& choice : setting.accepted) {
            if (choice.stored == *text) return choice.value;
        }
    }
    return setting.fallback;
}

void write(UserDefaults& defaults, const BoolSetting& setting, bool value) {
    defaults.writeBool(setting.key, value);
}

template <class T, std::size_t N>
std::string_view storedText(const ChoiceSetting<T, N>& setting, T value) {
    for (const auto& choice : setting.accepted) {
        if (choice.value == value) return choice.stored;
    }
    // Unreachable while every case of the enumeration has a row; the first row keeps the key readable.
    return setting.accepted.front().stored;
}

template <class T, std::size_t N>
void write(UserDefaults& defaults, const ChoiceSetting<T, N>& setting, T value) {
    defaults.writeString(setting.key, std::string(storedText(setting, value)));
}

std::string infoText(const nlohmann::json& info, const char* key, const char* fallback) {
    if (!info.is_object()) return fallback;
    const auto entry = info.find(key);
    if (entry == info.end() || !entry->is_string()) return fallback;
    return entry->get<std::string>();
}

}  // namespace

std::string_view storedValue(AppVisibility visibility) {
    return storedText(settingsTable.appVisibility, visibility);
}

ActivationPolicy activationPolicy(AppVisibility visibility) {
    return visibility == AppVisibility::dockAndMenuBar ? ActivationPolicy::regular
                                                       : ActivationPolicy::accessory;
}

AppSettings::AppSettings(UserDefaults& defaults, LoginItems& loginItems, AppActivation& activation)
    : defaults_(defaults),
      loginItems_(loginItems),
      activation_(activation),
      autoSaveDockChanges_(read(defaults, settingsTable.autoSaveDockChanges)),
      hasSeenProfileHint_(read(defaults, settingsTable.hasSeenProfileHint)),
      appVisibility_(AppVisibility::menuBarOnly),
      launchesAtLogin_(loginItems.status() == LoginItemStatus::enabled),
      launchAtLoginError_(std::nullopt) {
    // Read after the login status is queried, keeping the order in which the system is consulted at launch.
    appVisibility_ = read(defaults, settingsTable.appVisibility);
}

void AppSettings::setAutoSaveDockChanges(bool value) {
    autoSaveDockChanges_ = value;
    write(defaults_, settingsTable.autoSaveDockChanges, value);
}

void AppSettings::setHasSeenProfileHint(bool value) {
    hasSeenProfileHint_ = value;
    write(defaults_, settingsTable.hasSeenProfileHint, value);
}

void AppSettings::setAppVisibility(AppVisibility value) {
    appVisibility_ = value;
    write(defaults_, settingsTable.appVisibility, value);
    activation_.setActivationPolicy(activationPolicy(value));
}

void AppSettings::setLaunchAtLogin(bool wanted) {
    Status changed;
    const char* verb = "register";
    if (wanted) {
        changed = loginItems_.registerMainApp();
    } else if (loginItems_.status() == LoginItemStatus::enabled) {
        // Unregistering an item that is not enabled would only earn a refusal to show the user.
        verb = "unregister";
        changed = loginItems_.unregisterMainApp();
    }

    if (!changed) {
        log(std::string("AppSettings: launch at login ") + verb + " failed: " + changed.error().description);
        launchAtLoginError_ = changed.error().description;
    } else {
        launchAtLoginError_ = std::nullopt;
    }
    // The switch shows what the system did, not what was asked, so a refused change springs back.
    launchesAtLogin_ = loginItems_.status() == LoginItemStatus::enabled;
}

void AppSettings::refreshLaunchAtLogin() {
    launchesAtLogin_ = loginItems_.status() == LoginItemStatus::enabled;
}

std::string versionString(const nlohmann::json& bundleInfo) {
    return "Version " + infoText(bundleInfo, "CFBundleShortVersionString", "1.0") + " (" +
           infoText(bundleInfo, "CFBundleVersion", "1") + ")";
}

}  // namespace moorvane
