#include "ui/picker/AppPickerModel.h"

#include <QHash>
#include <QVariantMap>
#include <unordered_set>

#include "ui/picker/PickerRules.h"

namespace moorvane {

std::vector<const InstalledApp*> availableApps(const std::vector<InstalledApp>& installed,
                                               const std::vector<DockAppEntry>& entries,
                                               const QString& search) {
    std::unordered_set<std::string_view> inProfile;
    for (const auto& e : entries) {
        if (!e.isSpacer) inProfile.insert(e.bundleIdentifier);
    }
    std::vector<const InstalledApp*> out;
    out.reserve(installed.size());
    for (const auto& app : installed) {
        if (inProfile.count(app.bundleIdentifier)) continue;
        if (!search.isEmpty() && !QString::fromStdString(app.name).contains(search, Qt::CaseInsensitive))
            continue;
        out.push_back(&app);
    }
    return out;
}

AppPickerModel::AppPickerModel(QString editorName, std::vector<DockAppEntry> entries,
                               const std::vector<InstalledApp>& installed,
                               std::function<void(const std::vector<DockAppEntry>&)> onApply,
                               IconSource iconSource, QObject* parent)
    : QObject(parent),
      title_(QStringLiteral("Manage Apps \u2014 ") + editorName),
      entries_(std::move(entries)),
      installed_(installed),
      onApply_(std::move(onApply)),
      iconSource_(std::move(iconSource)) {
    entriesEdited();
}

void AppPickerModel::refreshProfileRows() {
    std::vector<QVariantMap> rows;
    rows.reserve(entries_.size());
    // Two entries may share an identifier (removing one removes both); each still needs a key of its own.
    QHash<QString, int> seen;
    for (const auto& e : entries_) {
        const QString id = QString::fromStdString(e.id.text());
        const int occurrence = seen[id]++;
        rows.push_back(
            QVariantMap{{"rowId", occurrence == 0 ? id : id + QLatin1Char('#') + QString::number(occurrence)},
                        {"id", id},
                        {"label", e.isSpacer ? QStringLiteral("Spacer") : QString::fromStdString(e.label)},
                        {"isSpacer", e.isSpacer},
                        {"iconSource", iconSource_ && !e.isSpacer ? iconSource_(e.path) : QString()}});
    }
    profileRows_.sync(std::move(rows));
}

QString AppPickerModel::profileAppCount() const {
    return QString::number(picker::itemCount(entries_));
}

void AppPickerModel::refreshAvailable() {
    std::vector<QVariantMap> rows;
    for (const InstalledApp* app : availableApps(installed_, entries_, search_)) {
        const QString bundle = QString::fromStdString(app->bundleIdentifier);
        rows.push_back(QVariantMap{{"rowId", bundle},
                                   {"bundleIdentifier", bundle},
                                   {"name", QString::fromStdString(app->name)},
                                   {"iconSource", iconSource_ ? iconSource_(app->path) : QString()}});
    }
    available_.sync(std::move(rows));
}

void AppPickerModel::setSearchText(const QString& text) {
    if (text == search_) return;
    search_ = text;
    refreshAvailable();
    emit searchTextChanged();
}

void AppPickerModel::entriesEdited() {
    refreshProfileRows();
    refreshAvailable();
    emit entriesChanged();
}

void AppPickerModel::add(const QString& bundleIdentifier) {
    const std::string wanted = bundleIdentifier.toStdString();
    for (const auto& app : installed_) {
        if (app.bundleIdentifier == wanted) {
            entries_.push_back(picker::entryForInstalledApp(app));
            entriesEdited();
            return;
        }
    }
}

void AppPickerModel::remove(const QString& entryId) {
    const auto id = Uuid::parse(entryId.toStdString());
    if (id && picker::removeEntry(entries_, *id)) entriesEdited();
}

void AppPickerModel::move(int from, int toOffset) {
    if (from < 0 || toOffset < 0) return;
    picker::moveRows(entries_, static_cast<std::size_t>(from), static_cast<std::size_t>(toOffset));
    refreshProfileRows();
    emit entriesChanged();
}

void AppPickerModel::addSmallSpacer() {
    entries_.push_back(DockAppEntry::spacer(SpacerType::small));
    refreshProfileRows();
    emit entriesChanged();
}

void AppPickerModel::addSpacer() {
    entries_.push_back(DockAppEntry::spacer(SpacerType::regular));
    refreshProfileRows();
    emit entriesChanged();
}

void AppPickerModel::apply() {
    if (onApply_) onApply_(entries_);
    emit closeRequested();
}

}  // namespace moorvane
