#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "model/DockProfile.h"
#include "ui/kit/KeyedListModel.h"

namespace moorvane {

// The group sheet: a draft group, the apps it may take and those other groups hold. The owner decides where
// a saved group goes; `finished` asks it to dismiss the sheet.
class GroupEditorModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString saveTitle READ saveTitle CONSTANT)
    Q_PROPERTY(bool isNew READ isNew CONSTANT)
    Q_PROPERTY(bool canDelete READ canDelete CONSTANT)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY changed)
    Q_PROPERTY(QString symbolName READ symbolName WRITE setSymbolName NOTIFY changed)
    Q_PROPERTY(QStringList symbols READ symbols CONSTANT)
    Q_PROPERTY(moorvane::KeyedListModel* candidates READ candidates CONSTANT)
    Q_PROPERTY(bool hasCandidates READ hasCandidates CONSTANT)
    Q_PROPERTY(QString selectedCaption READ selectedCaption NOTIFY changed)
    Q_PROPERTY(bool isValid READ isValid NOTIFY changed)
    Q_PROPERTY(QString validityHint READ validityHint CONSTANT)

  public:
    using IconSource = std::function<QString(const DockAppEntry&)>;

    GroupEditorModel(AppGroup draft, std::vector<DockAppEntry> candidates, std::set<std::string> claimed,
                     bool isNew, std::function<void(const AppGroup&)> onSave, std::function<void()> onDelete,
                     IconSource iconSource, QObject* parent = nullptr);

    QString title() const { return isNew_ ? QStringLiteral("Create Group") : QStringLiteral("Edit Group"); }
    QString saveTitle() const { return isNew_ ? QStringLiteral("Create") : QStringLiteral("Save"); }
    bool isNew() const { return isNew_; }
    bool canDelete() const { return static_cast<bool>(onDelete_); }
    QString name() const { return QString::fromStdString(draft_.name); }
    void setName(const QString& name);
    QString symbolName() const { return QString::fromStdString(draft_.symbolName); }
    void setSymbolName(const QString& symbol);
    QStringList symbols() const;
    // The symbol's name as a person says it; the identifier itself for one the sheet does not offer.
    Q_INVOKABLE QString symbolLabel(const QString& symbol) const;
    // Rows change one by one on a toggle, and not at all as the name is typed, so the list keeps its place.
    KeyedListModel* candidates() { return &candidateRows_; }
    bool hasCandidates() const { return !candidates_.empty(); }
    QString selectedCaption() const;
    bool isValid() const;
    QString validityHint() const { return QStringLiteral("A group needs a name and at least two apps."); }
    const AppGroup& draft() const { return draft_; }

    Q_INVOKABLE void toggle(const QString& bundleIdentifier);
    Q_INVOKABLE void save();
    Q_INVOKABLE void cancel();
    Q_INVOKABLE void ungroup();

  signals:
    void changed();
    void finished();

  private:
    void refreshCandidates();

    AppGroup draft_;
    std::vector<DockAppEntry> candidates_;
    std::set<std::string> claimed_;
    bool isNew_;
    std::function<void(const AppGroup&)> onSave_;
    std::function<void()> onDelete_;
    IconSource iconSource_;
    KeyedListModel candidateRows_{"candidate", QStringLiteral("rowId")};
};

}  // namespace moorvane
