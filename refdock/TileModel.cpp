#include "refdock/TileModel.h"

#include <QUrl>

#include <algorithm>

#include "refdock/DockDomain.h"

namespace moorvane::refdock {

TileModel::TileModel(QObject* parent) : QAbstractListModel(parent) {}

TileModel::Tile TileModel::tileOf(const PlistValue& tile) {
    const TileFace face = faceOf(tile);
    Tile shown;
    shown.label = QString::fromStdString(face.label);
    switch (face.kind) {
        case TileFace::Kind::application:
            shown.kind = QStringLiteral("application");
            break;
        case TileFace::Kind::folder:
            shown.kind = QStringLiteral("folder");
            break;
        case TileFace::Kind::file:
            shown.kind = QStringLiteral("file");
            break;
        case TileFace::Kind::spacer:
            shown.kind = QStringLiteral("spacer");
            break;
        case TileFace::Kind::smallSpacer:
            shown.kind = QStringLiteral("small-spacer");
            break;
        case TileFace::Kind::flexibleSpacer:
            shown.kind = QStringLiteral("flex-spacer");
            break;
    }
    if (!face.location.empty()) {
        const QUrl url(QString::fromStdString(face.location));
        // Plain paths appear in tiles written by hand; file URLs in those the Dock wrote.
        const QString path = url.isLocalFile() ? url.toLocalFile() : QString::fromStdString(face.location);
        if (path.startsWith(QLatin1Char('/'))) {
            const std::string icon = bundleIcon(path.toStdString());
            if (!icon.empty()) shown.icon = QUrl::fromLocalFile(QString::fromStdString(icon)).toString();
        }
    }
    return shown;
}

void TileModel::reset(const PlistArray& tiles) {
    beginResetModel();
    tiles_.clear();
    for (const PlistValue& tile : tiles) tiles_.push_back(tileOf(tile));
    endResetModel();
}

void TileModel::resetLabels(const QStringList& labels) {
    beginResetModel();
    tiles_.clear();
    for (const QString& label : labels) tiles_.push_back({label, QStringLiteral("application"), QString()});
    endResetModel();
}

void TileModel::move(int from, int to) {
    if (from == to) return;
    // Qt counts the destination before the move: moving right lands before the row after `to`.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    auto first = tiles_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
    endMoveRows();
}

QStringList TileModel::labels() const {
    QStringList labels;
    for (const Tile& tile : tiles_) labels << tile.label;
    return labels;
}

int TileModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(tiles_.size());
}

QVariant TileModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Tile& tile = tiles_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case labelRole:
            return tile.label;
        case kindRole:
            return tile.kind;
        case iconRole:
            return tile.icon;
        default:
            return {};
    }
}

QHash<int, QByteArray> TileModel::roleNames() const {
    return {{labelRole, "label"}, {kindRole, "kind"}, {iconRole, "icon"}};
}

}  // namespace moorvane::refdock
