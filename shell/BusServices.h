#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>

#include <functional>

#include "base/Uuid.h"

namespace moorvane {

class ProfileStore;

// What com.moorvane.app.Automation's generated adaptor calls (the interface is
// com.moorvane.app.Automation.xml).
class AutomationService final : public QObject, protected QDBusContext {
    Q_OBJECT
  public:
    explicit AutomationService(ProfileStore& store, QObject* parent = nullptr);

    // Replies com.moorvane.app.Error.NoSuchProfile for a name no profile has.
    QString SwitchDockProfile(const QString& Profile);
    QStringList ProfileNames();

  private:
    ProfileStore& store_;
};

// What com.moorvane.app.Instance's generated adaptor calls (com.moorvane.app.Instance.xml).
class InstanceService final : public QObject {
    Q_OBJECT
  public:
    InstanceService(const ProfileStore& store, std::function<void(const QStringList&)> open,
                    std::function<void(const Uuid&)> openEditor, std::function<void()> showPopover,
                    QObject* parent = nullptr);

    void Open(const QStringList& arguments);
    bool OpenEditor(const QString& profileId);
    void ShowPopover();

  private:
    const ProfileStore& store_;
    std::function<void(const QStringList&)> open_;
    std::function<void(const Uuid&)> openEditor_;
    std::function<void()> showPopover_;
};

}  // namespace moorvane
