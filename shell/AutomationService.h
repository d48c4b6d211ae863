#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>

#include <functional>

namespace moorvane {

class ProfileStore;

// The automation action on the session bus: com.moorvane.app.Automation on /com/moorvane/app.
class AutomationService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.moorvane.app.Automation")
  public:
    explicit AutomationService(ProfileStore& store, QObject* parent = nullptr);

  public slots:
    QString SwitchDockProfile(const QString& Profile);
    QStringList ProfileNames();

  private:
    ProfileStore& store_;
};

// How a second `moorvane ARG…` hands its URLs and paths to the running instance.
class InstanceService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.moorvane.app.Instance")
  public:
    explicit InstanceService(std::function<void(const QStringList&)> open, QObject* parent = nullptr);

  public slots:
    void Open(const QStringList& arguments);
    // Opens the editor window of the profile with this identifier; false for an unknown identifier.
    bool OpenEditor(const QString& profileId);

  private:
    std::function<void(const QStringList&)> open_;
};

inline constexpr char busName[] = "com.moorvane.app";
inline constexpr char automationPath[] = "/com/moorvane/app";
inline constexpr char instancePath[] = "/com/moorvane/app/instance";

}  // namespace moorvane
