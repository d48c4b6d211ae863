#include "shell/AutomationService.h"

#include <utility>
#include <variant>

#include "base/Uuid.h"
#include "shell/MoorvaneApp.h"
#include "store/ProfileStore.h"
#include "triggers/SwitchDockProfileIntent.h"

namespace moorvane {

AutomationService::AutomationService(ProfileStore& store, QObject* parent) : QObject(parent), store_(store) {}

QString AutomationService::SwitchDockProfile(const QString& Profile) {
    const SwitchDockProfileIntent intent(store_, Profile.toStdString());
    const auto result = intent.perform();
    if (const auto* error = std::get_if<SwitchDockProfileError>(&result)) {
        sendErrorReply(QStringLiteral("com.moorvane.app.Error.NoSuchProfile"),
                       QString::fromStdString(error->localizedStringResource()));
        return {};
    }
    return QString::fromStdString(std::get<std::string>(result));
}

QStringList AutomationService::ProfileNames() {
    QStringList names;
    for (const auto& name : ProfileNameOptionsProvider(store_).results())
        names << QString::fromStdString(name);
    return names;
}

InstanceService::InstanceService(std::function<void(const QStringList&)> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {}

void InstanceService::Open(const QStringList& arguments) {
    // After the reply: a failed import's alert waits for the user, and the handing instance must not wait
    // with it.
    QMetaObject::invokeMethod(
        this, [this, arguments] { open_(arguments); }, Qt::QueuedConnection);
}

bool InstanceService::OpenEditor(const QString& profileId) {
    auto& app = MoorvaneApp::shared();
    const auto id = Uuid::parse(profileId.toStdString());
    if (!id) return false;
    for (const auto& profile : app.store().profiles.get()) {
        if (profile.id == *id) {
            app.openEditor(*id);
            return true;
        }
    }
    return false;
}

}  // namespace moorvane
