#pragma once

#include <QAbstractListModel>
#include <QString>

#include <vector>

#include "base/Plist.h"

namespace moorvane::refdock {

// One tile list as the strip shows it.
class TileModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    enum Role { labelRole = Qt::UserRole + 1, kindRole, iconRole };

    explicit TileModel(QObject* parent = nullptr);

    void reset(const PlistArray& tiles);
    // Application tiles that exist only by name, with the generic glyph.
    void resetLabels(const QStringList& labels);
    // Mirrors a move already made in the tile array.
    void move(int from, int to);
    QStringList labels() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

  private:
    struct Tile {
        QString label;
        QString kind;  // "application", "folder", "file", "spacer", "small-spacer", "flex-spacer"
        QString icon;  // a file URL, or empty for the generic glyph
    };
    static Tile tileOf(const PlistValue& tile);
    std::vector<Tile> tiles_;
};

}  // namespace moorvane::refdock
