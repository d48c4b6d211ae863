#include "ui/editor/DockStripModel.h"

#include <QVariantList>

#include <algorithm>
#include <unordered_set>
#include "ui/picker/PickerRules.h"

namespace moorvane {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

std::optional<Uuid> parseId(const QString& id) {
    return Uuid::parse(id.toStdString());
}

}  // namespace

DockStripModel::DockStripModel(editor::EditState& state, EntryIconSource iconSource, EntryNote notShown,
                               QObject* parent)
    : QObject(parent), state_(state), iconSource_(std::move(iconSource)), notShown_(std::move(notShown)) {
    refresh();
}

QString DockStripModel::hoveredId() const {
    return hoveredId_ ? text(hoveredId_->text()) : QString();
}
QString DockStripModel::draggingId() const {
    return draggingId_ ? text(draggingId_->text()) : QString();
}

QVariantMap DockStripModel::entryTile(const DockAppEntry& entry) const {
    const bool hidden = !entry.isSpacer && state_.hiddenApps.count(entry.bundleIdentifier) > 0;
    const QString label = text(entry.label);
    return {{"tileId", text(entry.id.text())},
            {"kind", QStringLiteral("entry")},
            {"isSpacer", entry.isSpacer},
            {"spacerWidth", editor::spacerWidth(entry)},
            {"label", label},
            {"iconSource", entry.isSpacer || !iconSource_ ? QString() : iconSource_(entry)},
            {"isHidden", hidden},
            {"notShown", notShown_ ? notShown_(entry) : QString()},
            {"canHide", !entry.isSpacer && !entry.bundleIdentifier.empty()},
            {"eyeTooltip", text(editor::eyeTooltip(entry.label, hidden))},
            {"hideMenuText", hidden ? QStringLiteral("Show in Dock") : QStringLiteral("Hide When Active")}};
}

QVariantMap DockStripModel::groupTile(const editor::StripTile& tile) const {
    const AppGroup& group = state_.groups[tile.groupIndex];
    QVariantList members;
    bool anyHidden = false;
    for (const std::size_t i : tile.memberIndices) {
        const auto& m = state_.appEntries[i];
        const bool hidden = state_.hiddenApps.count(m.bundleIdentifier) > 0;
        anyHidden = anyHidden || hidden;
        members.push_back(
            QVariantMap{{"entryId", text(m.id.text())},
                        {"bundleIdentifier", text(m.bundleIdentifier)},
                        {"label", text(m.label)},
                        {"iconSource", iconSource_ ? iconSource_(m) : QString()},
                        {"isHidden", hidden},
                        {"tooltip", hidden ? QStringLiteral("Show in the Dock")
                                           : QStringLiteral("Hide from the Dock while active")}});
    }
    return {{"tileId", text(group.id.text())},
            {"kind", QStringLiteral("group")},
            {"isSpacer", false},
            {"label", text(group.name)},
            {"symbolName", text(group.symbolName)},
            {"badge", QString::number(tile.memberIndices.size())},
            {"hasHiddenMember", anyHidden},
            {"tooltip", text(editor::groupTooltip(group.name, tile.memberIndices.size()))},
            {"members", members}};
}

void DockStripModel::refresh() {
    const auto formed = editor::formTiles(state_.appEntries, state_.groups);
    std::vector<QVariantMap> tiles;
    tiles.reserve(formed.size());
    for (const auto& t : formed) {
        tiles.push_back(t.isGroup ? groupTile(t) : entryTile(state_.appEntries[t.entryIndex]));
    }
    tiles_.sync(std::move(tiles));
}

void DockStripModel::changedState() {
    refresh();
    emit edited();
}

const DockAppEntry* DockStripModel::entryById(const Uuid& id) const {
    for (const auto& e : state_.appEntries) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

void DockStripModel::setHovered(const QString& entryId) {
    hoveredId_ = parseId(entryId);
    emit dragStateChanged();
}

void DockStripModel::clearHovered(const QString& entryId) {
    if (!hoveredId_ || parseId(entryId) != hoveredId_) return;
    hoveredId_.reset();
    emit dragStateChanged();
}

QString DockStripModel::startDrag(const QString& entryId) {
    const auto id = parseId(entryId);
    if (!id || !entryById(*id)) return {};
    draggingId_ = id;
    emit dragStateChanged();
    return text(id->text());
}

void DockStripModel::dragEnter(const QString& targetEntryId) {
    const auto target = parseId(targetEntryId);
    if (!draggingId_ || !target) return;
    if (editor::moveForDrag(state_.appEntries, *draggingId_, *target)) changedState();
}

bool DockStripModel::drop() {
    endDrag();
    return true;
}

void DockStripModel::endDrag() {
    if (!draggingId_) return;
    draggingId_.reset();
    emit dragStateChanged();
}

void DockStripModel::remove(const QString& entryId) {
    const auto id = parseId(entryId);
    if (id && picker::removeEntry(state_.appEntries, *id)) changedState();
}

void DockStripModel::toggleHidden(const QString& entryId) {
    const auto id = parseId(entryId);
    if (!id) return;
    const DockAppEntry* entry = entryById(*id);
    if (entry && editor::toggleHidden(state_.hiddenApps, *entry)) changedState();
}

void DockStripModel::toggleHiddenBundle(const QString& bundleIdentifier) {
    DockAppEntry probe;
    probe.bundleIdentifier = bundleIdentifier.toStdString();
    if (editor::toggleHidden(state_.hiddenApps, probe)) changedState();
}

void DockStripModel::ungroup(const QString& groupId) {
    const auto id = parseId(groupId);
    if (id && editor::ungroup(state_.groups, *id)) changedState();
}

void DockStripModel::removeGroupAndApps(const QString& groupId) {
    const auto id = parseId(groupId);
    if (id && editor::removeGroupAndApps(state_.appEntries, state_.groups, *id)) changedState();
}

void DockStripModel::editGroup(const QString& groupId) {
    emit editGroupRequested(groupId);
}

}  // namespace moorvane
