#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "model/DockProfile.h"
#include "ui/kit/KeyedListModel.h"

namespace moorvane {

// Installed apps not in `entries` whose name contains `search` (ignoring case), in scan order. The bundle
// identifier is not searched and the search text is taken as typed.
std::vector<const InstalledApp*> availableApps(const std::vector<InstalledApp>& installed,
                                               const std::vector<DockAppEntry>& entries,
                                               const QString& search);

// The "Manage Apps" window: its own copy of the editor's tiles, handed back only by Apply.
class AppPickerModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the app for each window")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(moorvane::KeyedListModel* profileRows READ profileRows CONSTANT)
    Q_PROPERTY(QString profileAppCount READ profileAppCount NOTIFY entriesChanged)
    Q_PROPERTY(moorvane::KeyedListModel* available READ available CONSTANT)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)

  public:
    using IconSource = std::function<QString(const std::string& path)>;

    AppPickerModel(QString editorName, std::vector<DockAppEntry> entries,
                   const std::vector<InstalledApp>& installed,
                   std::function<void(const std::vector<DockAppEntry>&)> onApply, IconSource iconSource,
                   QObject* parent = nullptr);

    QString title() const { return title_; }
    // Rows keep their identity across edits, so neither list jumps under the pointer.
    KeyedListModel* profileRows() { return &profileRows_; }
    QString profileAppCount() const;
    KeyedListModel* available() { return &available_; }
    QString searchText() const { return search_; }
    void setSearchText(const QString& text);
    const std::vector<DockAppEntry>& entries() const { return entries_; }

    Q_INVOKABLE void add(const QString& bundleIdentifier);
    Q_INVOKABLE void remove(const QString& entryId);
    Q_INVOKABLE void move(int from, int toOffset);
    Q_INVOKABLE void addSmallSpacer();
    Q_INVOKABLE void addSpacer();
    Q_INVOKABLE void apply();

  signals:
    void entriesChanged();
    void searchTextChanged();
    void closeRequested();

  private:
    void entriesEdited();
    void refreshProfileRows();
    void refreshAvailable();

    QString title_;
    std::vector<DockAppEntry> entries_;
    const std::vector<InstalledApp>& installed_;
    std::function<void(const std::vector<DockAppEntry>&)> onApply_;
    IconSource iconSource_;
    QString search_;
    KeyedListModel profileRows_{"entry", QStringLiteral("rowId")};
    KeyedListModel available_{"app", QStringLiteral("rowId")};
};

}  // namespace moorvane
