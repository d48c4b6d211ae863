#include "ui/PopoverModel.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <set>

#include "dock/TileCodec.h"
#include "exchange/ProfileIO.h"
#include "model/AppSettings.h"
#include "model/ShortcutText.h"
#include "ports/MainQueue.h"
#include "store/ProfileStore.h"
#include "triggers/FocusModeObserver.h"

namespace moorvane {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QStringList namesOf(const auto& names) {
    QStringList out;
    for (const auto name : names) out << QString::fromUtf8(name.data(), qsizetype(name.size()));
    return out;
}

}  // namespace

namespace popover {

const DockProfile* activeProfile(const std::vector<DockProfile>& profiles,
                                 const std::optional<Uuid>& activeId) {
    if (!activeId) return nullptr;
    const auto found = std::find_if(profiles.begin(), profiles.end(),
                                    [&](const DockProfile& p) { return p.id == *activeId; });
    return found == profiles.end() ? nullptr : &*found;
}

RowSummary summarize(const DockProfile& profile) {
    RowSummary summary;
    std::vector<DockAppEntry> apps = appEntries(profile);
    std::erase_if(apps, [](const DockAppEntry& e) { return e.isSpacer; });
    summary.appCount = apps.size();
    summary.countText = std::to_string(apps.size()) + (apps.size() == 1 ? " app" : " apps");
    if (profile.hiddenApps && !profile.hiddenApps->empty()) {
        const std::set<std::string, std::less<>> hidden(profile.hiddenApps->begin(),
                                                        profile.hiddenApps->end());
        summary.hasHidden = std::any_of(apps.begin(), apps.end(), [&](const DockAppEntry& e) {
            return hidden.count(e.bundleIdentifier);
        });
    }
    summary.overflow = apps.size() > stripIconCount ? apps.size() - stripIconCount : 0;
    apps.resize(std::min(apps.size(), stripIconCount));
    summary.stripEntries = std::move(apps);
    summary.focusName = profile.focusFilter;
    if (const auto shortcut = parseShortcut(profile.keyboardShortcut)) {
        summary.shortcutBadge = displayShortcut(shortcut->modifiers, shortcut->keyCode);
    }
    return summary;
}

std::string detailsText(const RowSummary& summary) {
    std::string out = summary.countText;
    if (summary.focusName) out += ", Focus " + *summary.focusName;
    if (summary.hasHidden) out += ", some apps hidden";
    if (summary.shortcutBadge) out += ", shortcut " + *summary.shortcutBadge;
    return out;
}

std::string suggestedProfileName(Date now, const char* localeName) {
    const icu::Locale locale = localeName ? icu::Locale(localeName) : icu::Locale::getDefault();
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kShort, icu::DateFormat::kShort, locale));
    if (!format) return "Dock";
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    icu::UnicodeString formatted;
    format->format(static_cast<UDate>(millis), formatted);
    std::string out;
    formatted.toUTF8String(out);
    return "Dock " + out;
}

}  // namespace popover

ProfileListModel::ProfileListModel(IconSource iconSource, QObject* parent)
    : QAbstractListModel(parent), iconSource_(std::move(iconSource)) {}

void ProfileListModel::update(const std::vector<DockProfile>& profiles, const std::optional<Uuid>& activeId) {
    std::vector<Row> rows;
    rows.reserve(profiles.size());
    for (const DockProfile& profile : profiles) {
        Row row{profile, popover::summarize(profile), activeId && profile.id == *activeId, {}};
        for (const DockAppEntry& entry : row.summary.stripEntries) {
            row.icons << (iconSource_ ? iconSource_(entry) : QString());
        }
        rows.push_back(std::move(row));
    }
    const bool sameProfiles =
        std::equal(rows.begin(), rows.end(), rows_.begin(), rows_.end(),
                   [](const Row& a, const Row& b) { return a.profile.id == b.profile.id; });
    if (sameProfiles) {
        rows_ = std::move(rows);
        if (!rows_.empty()) emit dataChanged(index(0), index(count() - 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    emit countChanged();
}

const DockProfile* ProfileListModel::profileAt(int row) const {
    return row >= 0 && row < count() ? &rows_[static_cast<std::size_t>(row)].profile : nullptr;
}

int ProfileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ProfileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const popover::RowSummary& summary = row.summary;
    switch (role) {
        case ProfileIdRole:
            return text(row.profile.id.text());
        case NameRole:
            return text(row.profile.name);
        case ColorNameRole:
            return text(row.profile.colorName);
        case IsActiveRole:
            return row.isActive;
        case CountTextRole:
            return text(summary.countText);
        case FocusNameRole:
            return summary.focusName ? text(*summary.focusName) : QString();
        case HasHiddenRole:
            return summary.hasHidden;
        case ShortcutRole:
            return summary.shortcutBadge ? text(*summary.shortcutBadge) : QString();
        case IconsRole:
            return row.icons;
        case OverflowTextRole:
            return summary.overflow ? QStringLiteral("+%1").arg(summary.overflow) : QString();
        case DetailsRole:
            return text(popover::detailsText(summary));
        default:
            return {};
    }
}

QHash<int, QByteArray> ProfileListModel::roleNames() const {
    return {{ProfileIdRole, "profileId"},       {NameRole, "name"},           {ColorNameRole, "colorName"},
            {IsActiveRole, "isActive"},         {CountTextRole, "countText"}, {FocusNameRole, "focusName"},
            {HasHiddenRole, "hasHidden"},       {ShortcutRole, "shortcut"},   {IconsRole, "icons"},
            {OverflowTextRole, "overflowText"}, {DetailsRole, "details"}};
}

SettingsPageModel::SettingsPageModel(AppSettings& settings, QString versionText,
                                     std::function<void()> checkForUpdates, QObject* parent)
    : QObject(parent),
      settings_(settings),
      versionText_(std::move(versionText)),
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
    return error ? text(*error) : QString();
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

PopoverModel::PopoverModel(PopoverServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      rows_(new ProfileListModel(services_.iconSource, this)),
      settingsPage_(new SettingsPageModel(
          services_.settings, text(services_.versionText), [this] { checkForUpdates(); }, this)) {
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
    return namesOf(profileColorNames);
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
