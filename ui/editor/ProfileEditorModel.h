#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Observable.h"
#include "model/DockProfile.h"
#include "ui/editor/DockStripModel.h"
#include "ui/editor/EditorRules.h"
#include "ui/editor/GroupEditorModel.h"
#include "ui/editor/HotkeyRecorderModel.h"

namespace moorvane {

class DockManager;
class HotkeyManager;
class KeyMonitor;
class ProfileIO;
class ProfileStore;

struct EditorServices {
    ProfileStore& store;
    DockManager& dock;
    HotkeyManager& hotkeys;
    KeyMonitor& keyMonitor;
    ProfileIO& profileIO;
    std::vector<std::string> focusModeNames;
    DockStripModel::EntryIconSource iconSource;
    std::function<void()> beep;
};

// The profile editor over a private copy of one profile. Nothing reaches the store before Save, Duplicate or
// a switch in the header's profile picker.
class ProfileEditorModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
    Q_PROPERTY(QString windowTitle READ windowTitle NOTIFY titleChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY changed)
    Q_PROPERTY(QString colorName READ colorName WRITE setColorName NOTIFY changed)
    Q_PROPERTY(QStringList colorNames READ colorNames CONSTANT)
    Q_PROPERTY(QString itemsCaption READ itemsCaption NOTIFY changed)
    Q_PROPERTY(bool isCurrent READ isCurrent NOTIFY changed)
    Q_PROPERTY(QVariantList profiles READ profiles NOTIFY changed)
    Q_PROPERTY(int profileIndex READ profileIndex NOTIFY changed)
    Q_PROPERTY(bool canCreateGroup READ canCreateGroup NOTIFY changed)
    Q_PROPERTY(bool hasHidden READ hasHidden NOTIFY changed)
    Q_PROPERTY(QString hiddenCaption READ hiddenCaption NOTIFY changed)
    Q_PROPERTY(QStringList focusOptions READ focusOptions CONSTANT)
    Q_PROPERTY(int focusIndex READ focusIndex WRITE setFocusIndex NOTIFY changed)
    Q_PROPERTY(QString conflictNotice READ conflictNotice NOTIFY changed)
    Q_PROPERTY(bool accessibilityNoticeVisible READ accessibilityNoticeVisible NOTIFY changed)
    Q_PROPERTY(QString accessibilityNotice READ accessibilityNotice NOTIFY changed)
    Q_PROPERTY(bool grantExplanationVisible READ grantExplanationVisible NOTIFY changed)
    Q_PROPERTY(QString grantExplanation READ grantExplanation NOTIFY changed)
    Q_PROPERTY(bool autoLaunchApps READ autoLaunchApps WRITE setAutoLaunchApps NOTIFY changed)
    Q_PROPERTY(QString autoLaunchTooltip READ autoLaunchTooltip NOTIFY changed)
    Q_PROPERTY(bool quitOtherApps READ quitOtherApps WRITE setQuitOtherApps NOTIFY changed)
    Q_PROPERTY(QString quitWarning READ quitWarning CONSTANT)
    Q_PROPERTY(moorvane::DockStripModel* strip READ strip CONSTANT)
    Q_PROPERTY(moorvane::HotkeyRecorderModel* recorder READ recorder CONSTANT)
    Q_PROPERTY(moorvane::GroupEditorModel* groupSheet READ groupSheet NOTIFY groupSheetChanged)

  public:
    ProfileEditorModel(EditorServices services, Uuid profileId, QObject* parent = nullptr);
    ~ProfileEditorModel() override;

    // Fills the copy from the store, once; later calls change nothing.
    void load();

    QString windowTitle() const { return windowTitle_; }
    QString name() const { return QString::fromStdString(state_.name); }
    void setName(const QString& name);
    QString colorName() const { return QString::fromStdString(state_.colorName); }
    void setColorName(const QString& name);
    QStringList colorNames() const;
    QString itemsCaption() const;
    bool isCurrent() const;
    QVariantList profiles() const;
    int profileIndex() const;
    bool canCreateGroup() const;
    bool hasHidden() const;
    QString hiddenCaption() const;
    QStringList focusOptions() const;
    int focusIndex() const;
    void setFocusIndex(int index);
    QString conflictNotice() const;
    bool accessibilityNoticeVisible() const;
    QString accessibilityNotice() const;
    bool grantExplanationVisible() const { return grantExplanationVisible_; }
    QString grantExplanation() const;
    bool autoLaunchApps() const { return state_.autoLaunchApps; }
    void setAutoLaunchApps(bool on);
    QString autoLaunchTooltip() const;
    bool quitOtherApps() const { return state_.quitOtherApps; }
    void setQuitOtherApps(bool on);
    QString quitWarning() const;
    DockStripModel* strip() { return strip_; }
    HotkeyRecorderModel* recorder() { return recorder_; }
    GroupEditorModel* groupSheet() { return groupSheet_; }

    const editor::EditState& state() const { return state_; }
    const Uuid& profileId() const { return profileId_; }
    // The app picker's Apply: its whole list replaces the tiles.
    void replaceEntries(std::vector<DockAppEntry> entries);

    Q_INVOKABLE void selectProfile(int index);
    Q_INVOKABLE void save();
    Q_INVOKABLE void cancel();
    Q_INVOKABLE void duplicate();
    Q_INVOKABLE void exportProfile();
    Q_INVOKABLE void deleteProfile();
    Q_INVOKABLE void updateFromCurrentDock();
    Q_INVOKABLE void addSmallSpacer();
    Q_INVOKABLE void addSpacer();
    Q_INVOKABLE void showAll();
    Q_INVOKABLE void manageApps();
    Q_INVOKABLE void createGroup();
    Q_INVOKABLE void editGroup(const QString& groupId);
    Q_INVOKABLE void dismissGroupSheet();
    Q_INVOKABLE void grant();

    // Save without re-apply, as the profile picker does before loading another profile.
    void saveWithoutReapply() { saveProfile(false); }

  signals:
    void changed();
    void titleChanged();
    void groupSheetChanged();
    void closeRequested();
    void manageAppsRequested();

  private:
    void fillFrom(const DockProfile& profile);
    void saveProfile(bool reapply);
    void stateEdited();
    void openGroupSheet(AppGroup draft, bool isNew);

    EditorServices services_;
    Uuid profileId_;
    editor::EditState state_;
    bool loaded_ = false;
    bool grantExplanationVisible_ = false;
    bool seesOtherAppsKeys_ = false;
    QString windowTitle_;
    DockStripModel* strip_;
    HotkeyRecorderModel* recorder_;
    GroupEditorModel* groupSheet_ = nullptr;
    Subscription profilesSubscription_;
    Subscription activeSubscription_;
};

}  // namespace moorvane
