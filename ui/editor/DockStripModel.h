#pragma once

#include <QtQml/qqmlregistration.h>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>
#include <vector>

#include "model/DockProfile.h"
#include "ui/editor/EditorRules.h"
#include "ui/kit/KeyedListModel.h"

namespace moorvane {

// The Dock strip over the editor's working copy: tile forming, live drag reordering, hiding, removal and the
// group actions. It never talks to the store.
class DockStripModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
    Q_PROPERTY(moorvane::KeyedListModel* tiles READ tiles CONSTANT)
    Q_PROPERTY(QString hoveredId READ hoveredId NOTIFY dragStateChanged)
    Q_PROPERTY(QString draggingId READ draggingId NOTIFY dragStateChanged)

  public:
    using EntryIconSource = std::function<QString(const DockAppEntry&)>;
    // Why the session's dock will leave an entry out when the profile is applied; empty when it shows it.
    using EntryNote = std::function<QString(const DockAppEntry&)>;

    DockStripModel(editor::EditState& state, EntryIconSource iconSource, QObject* parent = nullptr)
        : DockStripModel(state, std::move(iconSource), {}, parent) {}
    DockStripModel(editor::EditState& state, EntryIconSource iconSource, EntryNote notShown,
                   QObject* parent = nullptr);

    KeyedListModel* tiles() { return &tiles_; }
    QString hoveredId() const;
    QString draggingId() const;

    // Rebuilds the tiles after the owner changed the state behind the strip's back.
    void refresh();

    Q_INVOKABLE void setHovered(const QString& entryId);
    // Only when the tile left is the hovered one: the next tile's enter may arrive before this leave.
    Q_INVOKABLE void clearHovered(const QString& entryId);
    // The drag's payload: the entry's identifier as upper-case UUID text.
    Q_INVOKABLE QString startDrag(const QString& entryId);
    Q_INVOKABLE bool canAcceptDrop() const { return draggingId_.has_value(); }
    Q_INVOKABLE void dragEnter(const QString& targetEntryId);
    Q_INVOKABLE bool drop();
    // A drag cancelled or ending outside an entry tile: nothing should stay marked as dragged.
    Q_INVOKABLE void endDrag();
    Q_INVOKABLE void remove(const QString& entryId);
    Q_INVOKABLE void toggleHidden(const QString& entryId);
    Q_INVOKABLE void toggleHiddenBundle(const QString& bundleIdentifier);
    Q_INVOKABLE void ungroup(const QString& groupId);
    Q_INVOKABLE void removeGroupAndApps(const QString& groupId);
    Q_INVOKABLE void editGroup(const QString& groupId);

  signals:
    // The entries, hidden set or groups changed.
    void edited();
    void dragStateChanged();
    void editGroupRequested(const QString& groupId);

  private:
    void changedState();
    QVariantMap entryTile(const DockAppEntry& entry) const;
    QVariantMap groupTile(const editor::StripTile& tile) const;
    const DockAppEntry* entryById(const Uuid& id) const;

    editor::EditState& state_;
    EntryIconSource iconSource_;
    EntryNote notShown_;
    KeyedListModel tiles_{"tile", QStringLiteral("tileId")};
    std::optional<Uuid> hoveredId_;
    std::optional<Uuid> draggingId_;
};

}  // namespace moorvane
