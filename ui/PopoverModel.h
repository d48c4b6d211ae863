#pragma once

#include <QAbstractListModel>
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

namespace moorvane {

class AppSettings;
class FocusModeObserver;
class MainQueue;
class ProfileIO;
class ProfileStore;

namespace popover {

// The profile the store names as active; none when the identifier is absent or matches no profile.
const DockProfile* activeProfile(const std::vector<DockProfile>& profiles,
                                 const std::optional<Uuid>& activeId);

inline constexpr std::size_t stripIconCount = 5;

// What a row shows of a profile; spacers never count as apps.
struct RowSummary {
    std::size_t appCount = 0;
    std::string countText;                   // "0 apps", "1 app", "7 apps"
    std::vector<DockAppEntry> stripEntries;  // the first five apps
    std::size_t overflow = 0;                // apps beyond the first five
    std::optional<std::string> focusName;
    bool hasHidden = false;
    std::optional<std::string> shortcutBadge;  // only for a shortcut that parses
};
RowSummary summarize(const DockProfile& profile);

// What the row shows besides the name, as one sentence for its accessible description: the details line and
// the shortcut badge.
std::string detailsText(const RowSummary& summary);

// "Dock " and the moment in the locale's short date and short time styles; the default locale is the user's.
std::string suggestedProfileName(Date now, const char* localeName = nullptr);

}  // namespace popover

// The popover's rows, one per stored profile in the store's order.
class ProfileListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

  public:
    enum Role {
        ProfileIdRole = Qt::UserRole + 1,
        NameRole,
        ColorNameRole,
        IsActiveRole,
        CountTextRole,
        FocusNameRole,
        HasHiddenRole,
        ShortcutRole,
        IconsRole,
        OverflowTextRole,
        DetailsRole,
    };
    using IconSource = std::function<QString(const DockAppEntry&)>;

    explicit ProfileListModel(IconSource iconSource, QObject* parent = nullptr);

    // Keeps the delegates (and their hover state) when only the contents of the same profiles changed.
    void update(const std::vector<DockProfile>& profiles, const std::optional<Uuid>& activeId);
    const DockProfile* profileAt(int row) const;
    int count() const { return static_cast<int>(rows_.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

  signals:
    void countChanged();

  private:
    struct Row {
        DockProfile profile;
        popover::RowSummary summary;
        bool isActive = false;
        QStringList icons;
    };
    IconSource iconSource_;
    std::vector<Row> rows_;
};

// The settings page; it keeps nothing of its own and shows the shared settings.
class SettingsPageModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool launchesAtLogin READ launchesAtLogin NOTIFY changed)
    Q_PROPERTY(QString launchAtLoginError READ launchAtLoginError NOTIFY changed)
    Q_PROPERTY(bool autoSaveDockChanges READ autoSaveDockChanges WRITE setAutoSaveDockChanges NOTIFY changed)
    Q_PROPERTY(int appVisibility READ appVisibility WRITE setAppVisibility NOTIFY changed)
    Q_PROPERTY(QStringList visibilityTitles READ visibilityTitles CONSTANT)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)

  public:
    SettingsPageModel(AppSettings& settings, QString versionText, std::function<void()> checkForUpdates,
                      QObject* parent = nullptr);

    bool launchesAtLogin() const;
    QString launchAtLoginError() const;
    bool autoSaveDockChanges() const;
    void setAutoSaveDockChanges(bool on);
    int appVisibility() const;
    void setAppVisibility(int index);
    QStringList visibilityTitles() const;
    QString versionText() const { return versionText_; }

    // Each showing of the page re-reads the login-item status, for changes made elsewhere.
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void setLaunchAtLogin(bool on);
    Q_INVOKABLE void checkForUpdates();

  signals:
    void changed();

  private:
    AppSettings& settings_;
    QString versionText_;
    std::function<void()> checkForUpdates_;
    std::vector<Subscription> subscriptions_;
};

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
};

// The popover's root: which page shows, the add-profile form, and what the profiles page derives from the
// store, the settings and the Focus observer. One is built for every opening, so nothing here outlives it.
class PopoverModel : public QObject {
    Q_OBJECT
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
    Q_PROPERTY(ProfileListModel* rows READ rows CONSTANT)
    Q_PROPERTY(SettingsPageModel* settingsPage READ settingsPage CONSTANT)

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
