#include "ui/popover/PopoverModel.h"

#include <algorithm>
#include <memory>

#include "dock/TileCodec.h"
#include "exchange/ProfileIO.h"
#include "model/AppSettings.h"
#include "model/ShortcutText.h"
#include "ports/MainQueue.h"
#include "store/ProfileStore.h"
#include "triggers/FocusModeObserver.h"
#include "ui/kit/StringLists.h"

namespace moorvane {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

PopoverModel::PopoverModel(PopoverServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      rows_(new ProfileListModel(services_.iconSource, this)),
      settingsPage_(new SettingsPageModel(
          services_.settings, text(services_.versionText), text(services_.dockName),
          [this] { checkForUpdates(); }, this)) {
    refreshRows();
    subscriptions_.push_back(services_.store.profiles.subscribe([this](const auto&) { refreshRows(); }));
    subscriptions_.push_back(
        services_.store.activeProfileId.subscribe([this](const auto&) { refreshRows(); }));
    subscriptions_.push_back(
        services_.focus.currentFocusMode.subscribe([this](const auto&) { emit contentChanged(); }));
    subscriptions_.push_back(
        services_.settings.observeHasSeenProfileHint([this](const auto&) { emit contentChanged(); }));
}

PopoverModel::~PopoverModel() = default;

void PopoverModel::refreshRows() {
    rows_->update(services_.store.profiles.get(), services_.store.activeProfileId.get());
    emit contentChanged();
}

QString PopoverModel::currentPage() const {
    return page_ == Page::profiles ? QStringLiteral("profiles") : QStringLiteral("settings");
}

void PopoverModel::setNewProfileName(const QString& name) {
    if (name == newProfileName_) return;
    newProfileName_ = name;
    emit formChanged();
}

QStringList PopoverModel::colorNames() const {
    return toStringList(profileColorNames);
}

bool PopoverModel::hasProfiles() const {
    return !services_.store.profiles.get().empty();
}

const DockProfile* PopoverModel::active() const {
    return popover::activeProfile(services_.store.profiles.get(), services_.store.activeProfileId.get());
}

bool PopoverModel::hasActiveProfile() const {
    return active() != nullptr;
}

QString PopoverModel::headerName() const {
    const DockProfile* profile = active();
    return profile ? text(profile->name) : QStringLiteral("Moorvane");
}

QString PopoverModel::headerColorName() const {
    const DockProfile* profile = active();
    return profile ? text(profile->colorName) : QString();
}

QString PopoverModel::focusModeName() const {
    const auto& mode = services_.focus.currentFocusMode.get();
    return mode ? text(*mode) : QString();
}

bool PopoverModel::showsHint() const {
    return hasProfiles() && !services_.settings.hasSeenProfileHint();
}

std::optional<DockProfile> PopoverModel::stored(const QString& profileId) const {
    const auto id = Uuid::parse(profileId.toStdString());
    if (!id) return std::nullopt;
    const auto& profiles = services_.store.profiles.get();
    const auto found =
        std::find_if(profiles.begin(), profiles.end(), [&](const DockProfile& p) { return p.id == *id; });
    if (found == profiles.end()) return std::nullopt;
    return *found;
}

void PopoverModel::activate(const QString& profileId) {
    const auto profile = stored(profileId);
    const DockProfile* current = active();
    if (!profile || (current && current->id == profile->id)) return;
    services_.store.switchTo(*profile, true);
}

void PopoverModel::edit(const QString& profileId) {
    const auto profile = stored(profileId);
    if (!profile || !services_.openEditor) return;
    emit closeRequested();
    services_.openEditor(profile->id);
}

void PopoverModel::duplicate(const QString& profileId) {
    if (const auto profile = stored(profileId)) services_.store.duplicateProfile(*profile);
}

void PopoverModel::remove(const QString& profileId) {
    if (const auto profile = stored(profileId)) services_.store.deleteProfile(profile->id);
}

void PopoverModel::openAddForm() {
    newProfileName_ = text(popover::suggestedProfileName(services_.now()));
    isAddingProfile_ = true;
    emit formChanged();
    emit formOpened();
}

void PopoverModel::save() {
    if (newProfileName_.isEmpty()) return;
    services_.store.captureCurrentDock(newProfileName_.toStdString(), selectedColor_.toStdString());
    // Reset whether or not the Dock could be read: a failed capture has been logged by the store.
    newProfileName_.clear();
    selectedColor_ = QStringLiteral("blue");
    isAddingProfile_ = false;
    emit formChanged();
}

void PopoverModel::cancel() {
    newProfileName_.clear();
    isAddingProfile_ = false;
    emit formChanged();
}

void PopoverModel::selectColor(const QString& colorName) {
    if (colorName == selectedColor_) return;
    selectedColor_ = colorName;
    emit formChanged();
}

void PopoverModel::closeThen(std::function<void()> task) {
    // After this click has been handled, and with the popover gone: a window that runs an event loop of its
    // own (an open panel, an alert) must neither be left behind the popover nor tear down the pages under the
    // click that asked for it.
    emit closeRequested();
    services_.queue.post(std::move(task));
}

void PopoverModel::importProfiles() {
    ProfileIO& io = services_.profileIO;
    closeThen([&io] { io.showImportPanel(); });
}

void PopoverModel::checkForUpdates() {
    if (services_.checkForUpdates) closeThen(services_.checkForUpdates);
}

void PopoverModel::showSettings() {
    settingsPage_->refresh();
    page_ = Page::settings;
    emit pageChanged();
}

void PopoverModel::showProfiles() {
    page_ = Page::profiles;
    emit pageChanged();
}

void PopoverModel::quit() {
    if (services_.quit) services_.quit();
}

void PopoverModel::dismissHint() {
    services_.settings.setHasSeenProfileHint(true);
}

}  // namespace moorvane
