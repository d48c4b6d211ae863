#include "ui/editor/GroupEditorModel.h"

#include <QVariantMap>
#include <algorithm>

#include "ui/editor/EditorRules.h"
#include "ui/kit/StringLists.h"

namespace moorvane {

GroupEditorModel::GroupEditorModel(AppGroup draft, std::vector<DockAppEntry> candidates,
                                   std::set<std::string> claimed, bool isNew,
                                   std::function<void(const AppGroup&)> onSave,
                                   std::function<void()> onDelete, IconSource iconSource, QObject* parent)
    : QObject(parent),
      draft_(std::move(draft)),
      candidates_(std::move(candidates)),
      claimed_(std::move(claimed)),
      isNew_(isNew),
      onSave_(std::move(onSave)),
      onDelete_(std::move(onDelete)),
      iconSource_(std::move(iconSource)) {
    refreshCandidates();
}

void GroupEditorModel::setName(const QString& name) {
    const std::string text = name.toStdString();
    if (text == draft_.name) return;
    draft_.name = text;
    emit changed();
}

void GroupEditorModel::setSymbolName(const QString& symbol) {
    const std::string text = symbol.toStdString();
    if (text == draft_.symbolName) return;
    draft_.symbolName = text;
    emit changed();
}

QStringList GroupEditorModel::symbols() const {
    return toStringList(editor::groupSymbolNames);
}

QString GroupEditorModel::symbolLabel(const QString& symbol) const {
    const std::string key = symbol.toStdString();
    for (std::size_t i = 0; i < editor::groupSymbolNames.size(); ++i) {
        if (editor::groupSymbolNames[i] == key) {
            const auto label = editor::groupSymbolLabels[i];
            return QString::fromUtf8(label.data(), qsizetype(label.size()));
        }
    }
    return symbol;
}

void GroupEditorModel::refreshCandidates() {
    std::vector<QVariantMap> out;
    for (const auto& c : candidates_) {
        const bool selected = std::find(draft_.bundleIdentifiers.begin(), draft_.bundleIdentifiers.end(),
                                        c.bundleIdentifier) != draft_.bundleIdentifiers.end();
        const QString bundle = QString::fromStdString(c.bundleIdentifier);
        out.push_back(QVariantMap{{"rowId", bundle},
                                  {"bundleIdentifier", bundle},
                                  {"label", QString::fromStdString(c.label)},
                                  {"iconSource", iconSource_ ? iconSource_(c) : QString()},
                                  {"selected", selected},
                                  {"claimed", claimed_.count(c.bundleIdentifier) > 0}});
    }
    candidateRows_.sync(std::move(out));
}

QString GroupEditorModel::selectedCaption() const {
    return QString::number(draft_.bundleIdentifiers.size()) + QStringLiteral(" selected");
}

bool GroupEditorModel::isValid() const {
    return editor::isDraftValid(draft_);
}

void GroupEditorModel::toggle(const QString& bundleIdentifier) {
    if (!editor::toggleMember(draft_, bundleIdentifier.toStdString(), claimed_)) return;
    refreshCandidates();
    emit changed();
}

void GroupEditorModel::save() {
    // The button is disabled while invalid; Return or an accessibility press must not get around that.
    if (!isValid()) return;
    draft_.name = editor::trimSpacesAndTabs(draft_.name);
    if (onSave_) onSave_(draft_);
    emit finished();
}

void GroupEditorModel::cancel() {
    emit finished();
}

void GroupEditorModel::ungroup() {
    if (!onDelete_) return;
    onDelete_();
    emit finished();
}

}  // namespace moorvane
