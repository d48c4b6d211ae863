#pragma once

#include <QtQml/qqmlregistration.h>
#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "model/DockProfile.h"
#include "ui/popover/PopoverRules.h"

namespace moorvane {

// The popover's rows, one per stored profile in the store's order.
class ProfileListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
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

}  // namespace moorvane
