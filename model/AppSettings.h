#pragma once

#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/Observable.h"
#include "ports/ActivationPolicy.h"
#include "ports/LoginItems.h"
#include "ports/UserDefaults.h"

namespace moorvane {

enum class AppVisibility { menuBarOnly, dockAndMenuBar };

// The order a picker lists them in.
inline constexpr std::array<AppVisibility, 2> allAppVisibilities{AppVisibility::menuBarOnly,
                                                                 AppVisibility::dockAndMenuBar};

// The text kept under "appVisibility".
std::string_view storedValue(AppVisibility visibility);
ActivationPolicy activationPolicy(AppVisibility visibility);

// The user's preferences that belong to no profile, each an observable field announced on every change and
// changed only through the setters, which persist it; the login state is never stored but re-read from the
// system. Main thread only.
class AppSettings {
  public:
    // Reads the stored values and the login-item status; does not touch the activation policy, which the
    // application shell applies at start-up.
    AppSettings(UserDefaults& defaults, LoginItems& loginItems, AppActivation& activation);
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    bool autoSaveDockChanges() const { return autoSaveDockChanges_; }
    bool hasSeenProfileHint() const { return hasSeenProfileHint_; }
    AppVisibility appVisibility() const { return appVisibility_; }
    bool launchesAtLogin() const { return launchesAtLogin_; }
    // The system's last refusal of a login-item change, kept until the next `setLaunchAtLogin`.
    const std::optional<std::string>& launchAtLoginError() const { return launchAtLoginError_; }

    // Views subscribe here rather than to the fields themselves, whose `set` would skip persistence.
    [[nodiscard]] Subscription observeAutoSaveDockChanges(Observable<bool>::Handler handler) {
        return autoSaveDockChanges_.subscribe(std::move(handler));
    }
    [[nodiscard]] Subscription observeHasSeenProfileHint(Observable<bool>::Handler handler) {
        return hasSeenProfileHint_.subscribe(std::move(handler));
    }
    [[nodiscard]] Subscription observeAppVisibility(Observable<AppVisibility>::Handler handler) {
        return appVisibility_.subscribe(std::move(handler));
    }
    [[nodiscard]] Subscription observeLaunchesAtLogin(Observable<bool>::Handler handler) {
        return launchesAtLogin_.subscribe(std::move(handler));
    }
    [[nodiscard]] Subscription observeLaunchAtLoginError(
        Observable<std::optional<std::string>>::Handler handler) {
        return launchAtLoginError_.subscribe(std::move(handler));
    }

    void setAutoSaveDockChanges(bool value);
    void setHasSeenProfileHint(bool value);
    // Also switches the activation policy at once.
    void setAppVisibility(AppVisibility value);
    // Registers or unregisters the login item, then shows what the system reports, refused or not.
    void setLaunchAtLogin(bool wanted);
    // Re-reads the login-item status, for a change made elsewhere in the system; a held refusal stays.
    void refreshLaunchAtLogin();

  private:
    UserDefaults& defaults_;
    LoginItems& loginItems_;
    AppActivation& activation_;

    Observable<bool> autoSaveDockChanges_;
    Observable<bool> hasSeenProfileHint_;
    Observable<AppVisibility> appVisibility_;
    Observable<bool> launchesAtLogin_;
    Observable<std::optional<std::string>> launchAtLoginError_;
};

// "Version <short version> (<build>)" from the bundle's information entries (a JSON object standing for the
// bundle's dictionary); an entry that is absent or not text reads as "1.0" and "1".
std::string versionString(const nlohmann::json& bundleInfo);

}  // namespace moorvane
