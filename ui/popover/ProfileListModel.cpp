#include "ui/popover/ProfileListModel.h"

namespace moorvane {

ProfileListModel::ProfileListModel(IconSource iconSource, QObject* parent)
    : QAbstractListModel(parent), iconSource_(std::move(iconSource)) {}

void ProfileListModel::update(const std::vector<DockProfile>& profiles, const std::optional<Uuid>& activeId) {
    std::vector<Row> rows;
    rows.reserve(profiles.size());
    for (const DockProfile& profile : profiles) {
        Row row{profile, popover::summarize(profile), activeId && profile.id == *activeId, {}};
        for (const DockAppEntry& entry : row.summary.stripEntries) {
            row.icons << (iconSource_ ? iconSource_(entry) : QString());
        }
        rows.push_back(std::move(row));
    }
    const bool sameProfiles =
        std::equal(rows.begin(), rows.end(), rows_.begin(), rows_.end(),
                   [](const Row& a, const Row& b) { return a.profile.id == b.profile.id; });
    if (sameProfiles) {
        rows_ = std::move(rows);
        if (!rows_.empty()) emit dataChanged(index(0), index(count() - 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    emit countChanged();
}

const DockProfile* ProfileListModel::profileAt(int row) const {
    return row >= 0 && row < count() ? &rows_[static_cast<std::size_t>(row)].profile : nullptr;
}

int ProfileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ProfileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const popover::RowSummary& summary = row.summary;
    switch (role) {
        case ProfileIdRole:
            return QString::fromStdString(row.profile.id.text());
        case NameRole:
            return QString::fromStdString(row.profile.name);
        case ColorNameRole:
            return QString::fromStdString(row.profile.colorName);
        case IsActiveRole:
            return row.isActive;
        case CountTextRole:
            return QString::fromStdString(summary.countText);
        case FocusNameRole:
            return summary.focusName ? QString::fromStdString(*summary.focusName) : QString();
        case HasHiddenRole:
            return summary.hasHidden;
        case ShortcutRole:
            return summary.shortcutBadge ? QString::fromStdString(*summary.shortcutBadge) : QString();
        case IconsRole:
            return row.icons;
        case OverflowTextRole:
            return summary.overflow ? QStringLiteral("+%1").arg(summary.overflow) : QString();
        case DetailsRole:
            return QString::fromStdString(popover::detailsText(summary));
        default:
            return {};
    }
}

QHash<int, QByteArray> ProfileListModel::roleNames() const {
    return {{ProfileIdRole, "profileId"},       {NameRole, "name"},           {ColorNameRole, "colorName"},
            {IsActiveRole, "isActive"},         {CountTextRole, "countText"}, {FocusNameRole, "focusName"},
            {HasHiddenRole, "hasHidden"},       {ShortcutRole, "shortcut"},   {IconsRole, "icons"},
            {OverflowTextRole, "overflowText"}, {DetailsRole, "details"}};
}

}  // namespace moorvane
