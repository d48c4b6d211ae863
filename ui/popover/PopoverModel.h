#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Date.h"
#include "base/Observable.h"
#include "model/DockProfile.h"
#include "ui/popover/PopoverRules.h"
#include "ui/popover/ProfileListModel.h"
#include "ui/popover/SettingsPageModel.h"

namespace moorvane {

class AppSettings;
class FocusModeObserver;
class MainQueue;
class ProfileIO;
class ProfileStore;

struct PopoverServices {
    ProfileStore& store;
    AppSettings& settings;
    FocusModeObserver& focus;
    MainQueue& queue;
    ProfileIO& profileIO;
    std::function<void(const Uuid&)> openEditor;
    std::function<void()> quit;
    std::function<void()> checkForUpdates;
    std::string versionText;
    ProfileListModel::IconSource iconSource;
    std::function<Date()> now = currentDate;
    // The dock this session drives, as the settings page names it.
    std::string dockName = "the reference Dock";
};

// The popover's root: which page shows, the add-profile form, and what the profiles page derives from the
// store, the settings and the Focus observer. One is built for every opening, so nothing here outlives it.
class PopoverModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
    Q_PROPERTY(QString currentPage READ currentPage NOTIFY pageChanged)
    Q_PROPERTY(bool isAddingProfile READ isAddingProfile NOTIFY formChanged)
    Q_PROPERTY(QString newProfileName READ newProfileName WRITE setNewProfileName NOTIFY formChanged)
    Q_PROPERTY(QString selectedColor READ selectedColor WRITE selectColor NOTIFY formChanged)
    Q_PROPERTY(QStringList colorNames READ colorNames CONSTANT)
    Q_PROPERTY(bool hasProfiles READ hasProfiles NOTIFY contentChanged)
    Q_PROPERTY(bool hasActiveProfile READ hasActiveProfile NOTIFY contentChanged)
    Q_PROPERTY(QString headerName READ headerName NOTIFY contentChanged)
    Q_PROPERTY(QString headerColorName READ headerColorName NOTIFY contentChanged)
    Q_PROPERTY(QString focusModeName READ focusModeName NOTIFY contentChanged)
    Q_PROPERTY(bool showsHint READ showsHint NOTIFY contentChanged)
    Q_PROPERTY(moorvane::ProfileListModel* rows READ rows CONSTANT)
    Q_PROPERTY(moorvane::SettingsPageModel* settingsPage READ settingsPage CONSTANT)

  public:
    enum class Page { profiles, settings };

    explicit PopoverModel(PopoverServices services, QObject* parent = nullptr);
    ~PopoverModel() override;

    QString currentPage() const;
    Page page() const { return page_; }
    bool isAddingProfile() const { return isAddingProfile_; }
    QString newProfileName() const { return newProfileName_; }
    void setNewProfileName(const QString& name);
    QString selectedColor() const { return selectedColor_; }
    QStringList colorNames() const;
    bool hasProfiles() const;
    bool hasActiveProfile() const;
    QString headerName() const;
    QString headerColorName() const;
    QString focusModeName() const;
    bool showsHint() const;
    ProfileListModel* rows() { return rows_; }
    SettingsPageModel* settingsPage() { return settingsPage_; }

    // The row actions name their profile by its identifier, never by its row: the list can change under an
    // open menu (a Focus or URL switch, an import), and a row number would then name another profile. An
    // identifier that names no profile any more does nothing.
    // A click on a row: switches unless the profile is the active one.
    Q_INVOKABLE void activate(const QString& profileId);
    Q_INVOKABLE void edit(const QString& profileId);
    Q_INVOKABLE void duplicate(const QString& profileId);
    Q_INVOKABLE void remove(const QString& profileId);
    // Opens the form with a fresh suggested name, also when it is open already.
    Q_INVOKABLE void openAddForm();
    Q_INVOKABLE void save();
    Q_INVOKABLE void cancel();
    Q_INVOKABLE void selectColor(const QString& colorName);
    Q_INVOKABLE void importProfiles();
    Q_INVOKABLE void checkForUpdates();
    Q_INVOKABLE void showSettings();
    Q_INVOKABLE void showProfiles();
    Q_INVOKABLE void quit();
    Q_INVOKABLE void dismissHint();
    Q_INVOKABLE void close() { emit closeRequested(); }

  signals:
    void pageChanged();
    void formChanged();
    // The add button was pressed: the name field takes the focus with the fresh suggestion selected.
    void formOpened();
    void contentChanged();
    // The popover should go away: an action moved the user elsewhere, or Escape.
    void closeRequested();

  private:
    void refreshRows();
    const DockProfile* active() const;
    // A copy of the stored profile: store operations republish the list a pointer would live in.
    std::optional<DockProfile> stored(const QString& profileId) const;
    void closeThen(std::function<void()> task);

    PopoverServices services_;
    Page page_ = Page::profiles;
    bool isAddingProfile_ = false;
    QString newProfileName_;
    QString selectedColor_ = QStringLiteral("blue");
    ProfileListModel* rows_;
    SettingsPageModel* settingsPage_;
    std::vector<Subscription> subscriptions_;
};

}  // namespace moorvane
