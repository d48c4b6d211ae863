#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "base/Observable.h"

namespace moorvane {

class AppSettings;

// The settings page; it keeps nothing of its own and shows the shared settings.
class SettingsPageModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
    Q_PROPERTY(bool launchesAtLogin READ launchesAtLogin NOTIFY changed)
    Q_PROPERTY(QString launchAtLoginError READ launchAtLoginError NOTIFY changed)
    Q_PROPERTY(bool autoSaveDockChanges READ autoSaveDockChanges WRITE setAutoSaveDockChanges NOTIFY changed)
    Q_PROPERTY(int appVisibility READ appVisibility WRITE setAppVisibility NOTIFY changed)
    Q_PROPERTY(QStringList visibilityTitles READ visibilityTitles CONSTANT)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(QString dockName READ dockName CONSTANT)

  public:
    SettingsPageModel(AppSettings& settings, QString versionText, QString dockName,
                      std::function<void()> checkForUpdates, QObject* parent = nullptr);

    bool launchesAtLogin() const;
    QString launchAtLoginError() const;
    bool autoSaveDockChanges() const;
    void setAutoSaveDockChanges(bool on);
    int appVisibility() const;
    void setAppVisibility(int index);
    QStringList visibilityTitles() const;
    QString versionText() const { return versionText_; }
    QString dockName() const { return dockName_; }

    // Each showing of the page re-reads the login-item status, for changes made elsewhere.
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void setLaunchAtLogin(bool on);
    Q_INVOKABLE void checkForUpdates();

  signals:
    void changed();

  private:
    AppSettings& settings_;
    QString versionText_;
    QString dockName_;
    std::function<void()> checkForUpdates_;
    std::vector<Subscription> subscriptions_;
};

}  // namespace moorvane
