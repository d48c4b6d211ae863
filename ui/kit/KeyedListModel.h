#pragma once

#include <QtQml/qqmlregistration.h>
#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariantMap>
#include <vector>

namespace moorvane {

// A list of rows, each a map carrying its own key, that reaches a new state by removals, moves, insertions
// and changes of single rows. A view keeps its scroll position and its delegates (hover, focus, a drag in
// progress) across every change, which a list property handed over afresh would reset.
class KeyedListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
  public:
    enum Role { DataRole = Qt::UserRole + 1, KeyRole };

    // `dataRole` names the whole row in a delegate; `keyField` is the row's key, exposed under its own name.
    KeyedListModel(QByteArray dataRole, QString keyField, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Brings the rows to `rows`. Keys must be unique within `rows`.
    void sync(std::vector<QVariantMap> rows);
    const std::vector<QVariantMap>& rows() const { return rows_; }

  private:
    QString keyOf(const QVariantMap& row) const { return row.value(keyField_).toString(); }

    QByteArray dataRole_;
    QString keyField_;
    std::vector<QVariantMap> rows_;
};

}  // namespace moorvane
