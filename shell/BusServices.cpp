#include "shell/BusServices.h"

#include <algorithm>
#include <utility>
#include <variant>

#include "store/ProfileStore.h"
#include "triggers/SwitchDockProfileIntent.h"
#include "ui/kit/StringLists.h"

namespace moorvane {

AutomationService::AutomationService(ProfileStore& store, QObject* parent) : QObject(parent), store_(store) {}

QString AutomationService::SwitchDockProfile(const QString& Profile) {
    const SwitchDockProfileIntent intent(store_, Profile.toStdString());
    const auto result = intent.perform();
    if (const auto* error = std::get_if<SwitchDockProfileError>(&result)) {
        sendErrorReply(error->kind() == SwitchDockProfileError::Case::noSuchProfile
                           ? QStringLiteral("com.moorvane.app.Error.NoSuchProfile")
                           : QStringLiteral("com.moorvane.app.Error.DockNotChanged"),
                       QString::fromStdString(error->localizedStringResource()));
        return {};
    }
    return QString::fromStdString(std::get<std::string>(result));
}

QStringList AutomationService::ProfileNames() {
    return toStringList(ProfileNameOptionsProvider(store_).results());
}

InstanceService::InstanceService(const ProfileStore& store, std::function<void(const QStringList&)> open,
                                 std::function<void(const Uuid&)> openEditor,
                                 std::function<void()> showPopover, QObject* parent)
    : QObject(parent),
      store_(store),
      open_(std::move(open)),
      openEditor_(std::move(openEditor)),
      showPopover_(std::move(showPopover)) {}

void InstanceService::Open(const QStringList& arguments) {
    // After the reply: a failed import's alert waits for the user, and the handing instance must not wait
    // with it.
    QMetaObject::invokeMethod(
        this, [this, arguments] { open_(arguments); }, Qt::QueuedConnection);
}

bool InstanceService::OpenEditor(const QString& profileId) {
    const auto id = Uuid::parse(profileId.toStdString());
    if (!id) return false;
    const auto& profiles = store_.profiles.get();
    if (std::none_of(profiles.begin(), profiles.end(), [&](const auto& p) { return p.id == *id; }))
        return false;
    openEditor_(*id);
    return true;
}

void InstanceService::ShowPopover() {
    // After the reply, as Open: the caller is a launcher that has nothing to wait for.
    QMetaObject::invokeMethod(
        this, [this] { showPopover_(); }, Qt::QueuedConnection);
}

}  // namespace moorvane
