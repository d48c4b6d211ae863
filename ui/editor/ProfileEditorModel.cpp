#include "ui/editor/ProfileEditorModel.h"

#include <QVariantMap>

#include "base/Text.h"
#include "dock/DockManager.h"
#include "dock/TileCodec.h"
#include "exchange/ProfileIO.h"
#include "ports/KeyMonitor.h"
#include "store/ProfileStore.h"
#include "triggers/HotkeyManager.h"
#include "ui/kit/StringLists.h"
#include "ui/picker/PickerRules.h"

namespace moorvane {

namespace {
QString text(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

ProfileEditorModel::ProfileEditorModel(EditorServices services, Uuid profileId, QObject* parent)
    : QObject(parent), services_(std::move(services)), profileId_(profileId) {
    // A spacer on Plank, a folder on GNOME Shell's dash, an app not installed here: kept in the profile but
    // left out of the dock, which the strip says rather than leaving the person to wonder where the tile
    // went.
    DockManager* dock = &services_.dock;
    strip_ = new DockStripModel(
        state_, services_.iconSource,
        [dock](const DockAppEntry& entry) {
            const std::optional<std::string> why = dock->whyNotShown(tileDictionary(entry));
            return why ? QStringLiteral("Not shown in %1: %2").arg(text(dock->dockName()), text(*why))
                       : QString();
        },
        this);
    recorder_ = new HotkeyRecorderModel(state_.keyboardShortcut, services_.keyMonitor, services_.hotkeys,
                                        services_.beep, this);
    seesOtherAppsKeys_ = services_.keyMonitor.seesOtherAppsKeys();
    connect(strip_, &DockStripModel::edited, this, &ProfileEditorModel::changed);
    connect(strip_, &DockStripModel::editGroupRequested, this, &ProfileEditorModel::editGroup);
    connect(recorder_, &HotkeyRecorderModel::shortcutEdited, this, [this] {
        seesOtherAppsKeys_ = services_.keyMonitor.seesOtherAppsKeys();
        emit changed();
    });
    // The "Current" mark, the profile picker and the conflict notice read the store live.
    profilesSubscription_ = services_.store.profiles.subscribe([this](const auto&) { emit changed(); });
    activeSubscription_ = services_.store.activeProfileId.subscribe([this](const auto&) { emit changed(); });
}

ProfileEditorModel::~ProfileEditorModel() {
    // The recorder's own destructor would run after the state it points into is gone.
    recorder_->stopRecording();
}

void ProfileEditorModel::load() {
    if (loaded_) return;
    loaded_ = true;
    if (const DockProfile* p = editor::findProfile(services_.store.profiles.get(), profileId_)) fillFrom(*p);
}

void ProfileEditorModel::fillFrom(const DockProfile& profile) {
    recorder_->stopRecording();
    state_ = editor::loadEditState(profile);
    windowTitle_ = QStringLiteral("Edit \u2014 ") + text(profile.name);
    strip_->refresh();
    recorder_->shortcutReplaced();
    emit titleChanged();
    emit changed();
}

void ProfileEditorModel::stateEdited() {
    strip_->refresh();
    emit changed();
}

void ProfileEditorModel::setName(const QString& name) {
    const std::string value = name.toStdString();
    if (value == state_.name) return;
    state_.name = value;
    emit changed();
}

void ProfileEditorModel::setColorName(const QString& name) {
    const std::string value = name.toStdString();
    if (value == state_.colorName) return;
    state_.colorName = value;
    emit changed();
}

QStringList ProfileEditorModel::colorNames() const {
    return toStringList(profileColorNames);
}

QString ProfileEditorModel::itemsCaption() const {
    return text(editor::itemsCaption(picker::itemCount(state_.appEntries)));
}

bool ProfileEditorModel::isCurrent() const {
    return services_.store.activeProfileId.get() == profileId_;
}

QVariantList ProfileEditorModel::profiles() const {
    QVariantList out;
    for (const auto& p : services_.store.profiles.get()) {
        out.push_back(
            QVariantMap{{"id", text(p.id.text())}, {"name", text(p.name)}, {"colorName", text(p.colorName)}});
    }
    return out;
}

int ProfileEditorModel::profileIndex() const {
    const auto& list = services_.store.profiles.get();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == profileId_) return static_cast<int>(i);
    }
    return -1;
}

bool ProfileEditorModel::canCreateGroup() const {
    return editor::groupCandidates(state_.appEntries).size() >= 2;
}

bool ProfileEditorModel::hasHidden() const {
    return editor::hiddenCount(state_.appEntries, state_.hiddenApps) > 0;
}

QString ProfileEditorModel::hiddenCaption() const {
    return text(editor::hiddenCaption(editor::hiddenCount(state_.appEntries, state_.hiddenApps)));
}

QStringList ProfileEditorModel::focusOptions() const {
    QStringList out{QStringLiteral("None")};
    for (const auto& n : services_.focusModeNames) out << text(n);
    return out;
}

int ProfileEditorModel::focusIndex() const {
    if (!state_.focusFilter) return 0;
    const auto& names = services_.focusModeNames;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == *state_.focusFilter) return static_cast<int>(i) + 1;
    }
    // A stored mode the system no longer lists is kept; the picker then shows no row as chosen.
    return -1;
}

void ProfileEditorModel::setFocusIndex(int index) {
    if (index < 0 || index > static_cast<int>(services_.focusModeNames.size())) return;
    if (index == focusIndex()) return;
    if (index == 0) {
        state_.focusFilter.reset();
    } else {
        state_.focusFilter = services_.focusModeNames[static_cast<std::size_t>(index - 1)];
    }
    emit changed();
}

QString ProfileEditorModel::conflictNotice() const {
    const DockProfile* other =
        editor::shortcutConflict(services_.store.profiles.get(), profileId_, state_.keyboardShortcut);
    return other ? text(editor::conflictNotice(other->name)) : QString();
}

bool ProfileEditorModel::accessibilityNoticeVisible() const {
    return conflictNotice().isEmpty() && state_.keyboardShortcut.has_value() && !seesOtherAppsKeys_;
}

QString ProfileEditorModel::accessibilityNotice() const {
    if (services_.keyMonitor.sessionHidesOtherAppsKeys())
        return QStringLiteral("Works only while Moorvane has focus: Wayland hides other apps\u2019 keys.");
    return QStringLiteral("Needs Accessibility access to work while other apps are frontmost.");
}

QString ProfileEditorModel::grantExplanation() const {
    // No permission helps here; the desktop's own shortcut settings can run the switch instead.
    if (services_.keyMonitor.sessionHidesOtherAppsKeys())
        return QStringLiteral(
                   "To switch from any app, add a shortcut in your desktop\u2019s keyboard settings "
                   "that runs:\nmoorvane 'moorvane://switch?profile=%1'")
            .arg(text(percentEncoded(state_.name, "-._~")));
    return QStringLiteral(
        "Shortcuts work in other apps only on an X11 session whose server offers the RECORD extension. "
        "Wayland does not let an app observe keys pressed in other apps, so there the shortcut works only "
        "while Moorvane is frontmost.");
}

void ProfileEditorModel::grant() {
    grantExplanationVisible_ = !grantExplanationVisible_;
    emit changed();
}

void ProfileEditorModel::setAutoLaunchApps(bool on) {
    if (on == state_.autoLaunchApps) return;
    state_.autoLaunchApps = on;
    emit changed();
}

QString ProfileEditorModel::autoLaunchTooltip() const {
    return text(editor::autoLaunchTooltip(picker::itemCount(state_.appEntries)));
}

void ProfileEditorModel::setQuitOtherApps(bool on) {
    if (on == state_.quitOtherApps) return;
    state_.quitOtherApps = on;
    emit changed();
}

QString ProfileEditorModel::quitWarning() const {
    return QStringLiteral(
        "Quits every open app that isn't in this profile. Apps may prompt you to save unsaved work.");
}

void ProfileEditorModel::replaceEntries(std::vector<DockAppEntry> entries) {
    state_.appEntries = std::move(entries);
    stateEdited();
}

void ProfileEditorModel::selectProfile(int index) {
    const auto& list = services_.store.profiles.get();
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return;
    const Uuid chosen = list[static_cast<std::size_t>(index)].id;
    if (chosen == profileId_) return;
    saveProfile(false);
    profileId_ = chosen;
    // Saving may have changed the list, so look the choice up afresh.
    if (const DockProfile* p = editor::findProfile(services_.store.profiles.get(), chosen)) {
        fillFrom(*p);
    } else {
        emit changed();
    }
}

void ProfileEditorModel::saveProfile(bool reapply) {
    const auto built = editor::buildProfileToStore(services_.store.profiles.get(), profileId_, state_);
    if (!built) return;
    services_.store.updateProfile(*built);
    if (reapply && services_.store.activeProfileId.get() == built->id)
        services_.store.switchTo(*built, false);
}

void ProfileEditorModel::save() {
    recorder_->stopRecording();
    saveProfile(true);
    emit closeRequested();
}

void ProfileEditorModel::cancel() {
    emit closeRequested();
}

void ProfileEditorModel::duplicate() {
    const auto built = editor::buildProfileToStore(services_.store.profiles.get(), profileId_, state_);
    if (!built) return;
    services_.store.updateProfile(*built);
    // The stamped copy, so the duplicate carries what was just stored.
    const DockProfile* stored = editor::findProfile(services_.store.profiles.get(), built->id);
    services_.store.duplicateProfile(stored ? *stored : *built);
    emit closeRequested();
}

void ProfileEditorModel::exportProfile() {
    const auto built = editor::buildProfileToStore(services_.store.profiles.get(), profileId_, state_);
    if (built) services_.profileIO.exportProfile(*built);
}

void ProfileEditorModel::deleteProfile() {
    if (editor::findProfile(services_.store.profiles.get(), profileId_))
        services_.store.deleteProfile(profileId_);
    emit closeRequested();
}

void ProfileEditorModel::updateFromCurrentDock() {
    const auto captured = services_.dock.captureDockState();
    if (!captured) return;
    state_.appEntries = decodeEntries(captured->first);
    stateEdited();
}

void ProfileEditorModel::addSmallSpacer() {
    state_.appEntries.push_back(DockAppEntry::spacer(SpacerType::small));
    stateEdited();
}

void ProfileEditorModel::addSpacer() {
    state_.appEntries.push_back(DockAppEntry::spacer(SpacerType::regular));
    stateEdited();
}

void ProfileEditorModel::showAll() {
    state_.hiddenApps.clear();
    stateEdited();
}

void ProfileEditorModel::manageApps() {
    emit manageAppsRequested();
}

void ProfileEditorModel::createGroup() {
    if (!canCreateGroup()) return;
    openGroupSheet(editor::newGroupDraft(), true);
}

void ProfileEditorModel::editGroup(const QString& groupId) {
    const auto id = Uuid::parse(groupId.toStdString());
    if (!id) return;
    for (const auto& g : state_.groups) {
        if (g.id == *id) {
            openGroupSheet(g, false);
            return;
        }
    }
}

void ProfileEditorModel::openGroupSheet(AppGroup draft, bool isNew) {
    dismissGroupSheet();
    const Uuid groupId = draft.id;
    auto claimed =
        editor::claimedByOtherGroups(state_.groups, isNew ? std::nullopt : std::optional<Uuid>(groupId));
    std::function<void(const AppGroup&)> onSave;
    std::function<void()> onDelete;
    if (isNew) {
        onSave = [this](const AppGroup& g) {
            state_.groups.push_back(g);
            stateEdited();
        };
    } else {
        onSave = [this](const AppGroup& g) {
            for (auto& existing : state_.groups) {
                if (existing.id == g.id) {
                    existing = g;
                    break;
                }
            }
            stateEdited();
        };
        onDelete = [this, groupId] {
            editor::ungroup(state_.groups, groupId);
            stateEdited();
        };
    }
    groupSheet_ =
        new GroupEditorModel(std::move(draft), editor::groupCandidates(state_.appEntries), std::move(claimed),
                             isNew, std::move(onSave), std::move(onDelete), services_.iconSource, this);
    connect(groupSheet_, &GroupEditorModel::finished, this, &ProfileEditorModel::dismissGroupSheet);
    emit groupSheetChanged();
}

void ProfileEditorModel::dismissGroupSheet() {
    if (!groupSheet_) return;
    // Deferred: the sheet may be dismissing itself from inside one of its own slots.
    groupSheet_->deleteLater();
    groupSheet_ = nullptr;
    emit groupSheetChanged();
}

}  // namespace moorvane
