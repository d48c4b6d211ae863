#include "ui/kit/KeyedListModel.h"

#include <QSet>
#include <algorithm>

namespace moorvane {

KeyedListModel::KeyedListModel(QByteArray dataRole, QString keyField, QObject* parent)
    : QAbstractListModel(parent), dataRole_(std::move(dataRole)), keyField_(std::move(keyField)) {}

int KeyedListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant KeyedListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == KeyRole) return row.value(keyField_);
    if (role == DataRole) return row;
    return {};
}

QHash<int, QByteArray> KeyedListModel::roleNames() const {
    return {{DataRole, dataRole_}, {KeyRole, keyField_.toUtf8()}};
}

void KeyedListModel::sync(std::vector<QVariantMap> rows) {
    QSet<QString> wanted;
    for (const auto& r : rows) wanted.insert(keyOf(r));

    for (int i = static_cast<int>(rows_.size()) - 1; i >= 0; --i) {
        if (!wanted.contains(keyOf(rows_[static_cast<std::size_t>(i)]))) {
            beginRemoveRows({}, i, i);
            rows_.erase(rows_.begin() + i);
            endRemoveRows();
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString key = keyOf(rows[i]);
        if (i >= rows_.size() || keyOf(rows_[i]) != key) {
            auto found = std::find_if(rows_.begin() + static_cast<std::ptrdiff_t>(i), rows_.end(),
                                      [&](const QVariantMap& m) { return keyOf(m) == key; });
            if (found == rows_.end()) {
                beginInsertRows({}, int(i), int(i));
                rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(i), rows[i]);
                endInsertRows();
                continue;
            }
            const int from = static_cast<int>(found - rows_.begin());
            beginMoveRows({}, from, from, {}, int(i));
            std::rotate(rows_.begin() + static_cast<std::ptrdiff_t>(i), found, found + 1);
            endMoveRows();
        }
        if (rows_[i] != rows[i]) {
            rows_[i] = std::move(rows[i]);
            emit dataChanged(index(int(i)), index(int(i)));
        }
    }
}

}  // namespace moorvane
