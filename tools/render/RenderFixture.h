#pragma once

#include <QString>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dock/DockManager.h"
#include "exchange/ProfileIO.h"
#include "model/AppSettings.h"
#include "ports/Dialogs.h"
#include "ports/KeyMonitor.h"
#include "store/AppLaunchManager.h"
#include "store/ProfileStore.h"
#include "triggers/FocusModeObserver.h"
#include "triggers/HotkeyManager.h"
#include "ui/editor/EditorWindow.h"
#include "ui/kit/IconSource.h"
#include "ui/popover/PopoverModel.h"
#include "ui/popover/PopoverWindow.h"

namespace moorvane::render {

// Ports that touch nothing outside the process: the views are drawn over a store in a scratch folder and
// application bundles made up for the occasion.
class QuietPorts final : public DockBackend,
                         public Workspace,
                         public ProcessProbe,
                         public Overlay,
                         public MainQueue,
                         public Clock,
                         public KeyMonitor,
                         public Dialogs,
                         public UserDefaults,
                         public LoginItems,
                         public AppActivation {
  public:
    std::map<std::string, PlistValue, std::less<>> values;
    std::map<std::string, std::string> locations;

    std::optional<PlistValue> copyValue(std::string_view key) override;
    void set(std::string_view key, PlistValue value) override;
    Status synchronize() override { return done(); }
    void discardPendingChanges() override {}
    std::string displayName() const override { return "the reference Dock"; }
    DockApplyMode applyMode() const override { return DockApplyMode::restart; }
    std::optional<std::string> whyNotShown(const PlistValue&) override { return std::nullopt; }
    void notifyWhenShown(std::function<void()>) override {}
    void observeChanges(std::function<void()>) override {}

    std::vector<RunningApplication> runningApplications() override { return {}; }
    void terminate(ProcessId) override {}
    Status kill(ProcessId) override { return done(); }
    ProcessId ownProcessIdentifier() override { return 1; }
    std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) override;
    void openApplication(const std::string&, OpenCompletion) override {}

    bool isRunning(const std::string&) override { return true; }
    OverlayId show(const std::string&) override { return 1; }
    void fadeOut(OverlayId, double) override {}

    void post(Task task) override { task(); }
    void postAfter(double, Task) override {}
    void background(Task) override {}
    double monotonicSeconds() override { return 0; }
    void sleepFor(double) override {}

    std::optional<KeyMonitorToken> addGlobalKeyDownMonitor(GlobalHandler) override { return next_++; }
    std::optional<KeyMonitorToken> addLocalKeyDownMonitor(LocalHandler) override { return next_++; }
    void removeMonitor(KeyMonitorToken) override {}
    bool seesOtherAppsKeys() override { return false; }

    std::optional<std::filesystem::path> runSavePanel(const SavePanelOptions&) override {
        return std::nullopt;
    }
    std::vector<std::filesystem::path> runOpenPanel(const OpenPanelOptions&) override { return {}; }
    void showWarningAlert(const std::string&, const std::string&) override {}
    void activateApp() override {}

    std::map<std::string, std::string> defaults;
    std::optional<bool> readBool(const std::string& key) override;
    std::optional<std::string> readString(const std::string& key) override;
    void writeBool(const std::string& key, bool value) override { defaults[key] = value ? "1" : "0"; }
    void writeString(const std::string& key, const std::string& value) override { defaults[key] = value; }

    // What a refused login-item change says; none lets every change through.
    std::optional<std::string> loginRefusal;
    bool loginEnabled = false;
    LoginItemStatus status() override {
        return loginEnabled ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
    }
    Status registerMainApp() override;
    Status unregisterMainApp() override;
    void setActivationPolicy(ActivationPolicy) override {}

  private:
    KeyMonitorToken next_ = 1;
};

// A store with fixture profiles, and the services the editor windows are built over.
class RenderFixture {
  public:
    // `count` installed apps are written as bundles with icons under `scratch`.
    RenderFixture(const std::filesystem::path& scratch, int installedCount);

    EditorContext& context() { return *context_; }
    ProfileStore& store() { return *store_; }
    AppSettings& settings() { return *settings_; }
    QuietPorts& ports() { return ports_; }
    // What the popover is built over here: the shell's services, without its editor, quit or update check.
    PopoverServices popoverServices();
    // A profile of `tiles` apps (the first ten carry groups, a hidden app and a conflicting shortcut).
    Uuid showcaseProfile() const { return showcase_; }
    Uuid largeProfile(int tiles);

  private:
    DockAppEntry appEntry(int index) const;

    std::filesystem::path scratch_;
    std::vector<std::pair<std::string, std::string>> apps_;  // name, bundle identifier
    QuietPorts ports_;
    std::unique_ptr<DockManager> dock_;
    std::unique_ptr<AppLaunchManager> launcher_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<ProfileStore> store_;
    std::unique_ptr<HotkeyManager> hotkeys_;
    std::unique_ptr<ProfileIO> io_;
    std::unique_ptr<FocusModeObserver> focus_;
    std::unique_ptr<EditorContext> context_;
    Uuid showcase_;
};

}  // namespace moorvane::render
