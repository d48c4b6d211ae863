#include "ui/popover/SettingsPageModel.h"

#include "model/AppSettings.h"

namespace moorvane {

SettingsPageModel::SettingsPageModel(AppSettings& settings, QString versionText, QString dockName,
                                     std::function<void()> checkForUpdates, QObject* parent)
    : QObject(parent),
      settings_(settings),
      versionText_(std::move(versionText)),
      dockName_(std::move(dockName)),
      checkForUpdates_(std::move(checkForUpdates)) {
    auto changedAny = [this](const auto&) { emit changed(); };
    subscriptions_.push_back(settings_.observeLaunchesAtLogin(changedAny));
    subscriptions_.push_back(settings_.observeLaunchAtLoginError(changedAny));
    subscriptions_.push_back(settings_.observeAutoSaveDockChanges(changedAny));
    subscriptions_.push_back(settings_.observeAppVisibility(changedAny));
}

bool SettingsPageModel::launchesAtLogin() const {
    return settings_.launchesAtLogin();
}

QString SettingsPageModel::launchAtLoginError() const {
    const auto& error = settings_.launchAtLoginError();
    return error ? QString::fromStdString(*error) : QString();
}

bool SettingsPageModel::autoSaveDockChanges() const {
    return settings_.autoSaveDockChanges();
}

void SettingsPageModel::setAutoSaveDockChanges(bool on) {
    settings_.setAutoSaveDockChanges(on);
}

int SettingsPageModel::appVisibility() const {
    const auto found =
        std::find(allAppVisibilities.begin(), allAppVisibilities.end(), settings_.appVisibility());
    return static_cast<int>(found - allAppVisibilities.begin());
}

void SettingsPageModel::setAppVisibility(int index) {
    if (index < 0 || index >= static_cast<int>(allAppVisibilities.size())) return;
    settings_.setAppVisibility(allAppVisibilities[static_cast<std::size_t>(index)]);
}

QStringList SettingsPageModel::visibilityTitles() const {
    return {QStringLiteral("Menu Bar Only"), QStringLiteral("Dock & Menu Bar")};
}

void SettingsPageModel::refresh() {
    settings_.refreshLaunchAtLogin();
}

void SettingsPageModel::setLaunchAtLogin(bool on) {
    settings_.setLaunchAtLogin(on);
}

void SettingsPageModel::checkForUpdates() {
    if (checkForUpdates_) checkForUpdates_();
}

}  // namespace moorvane
