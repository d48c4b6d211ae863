#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <functional>
#include <vector>

#include "model/DockProfile.h"

namespace moorvane {

// Installed apps not in `entries` whose name contains `search` (ignoring case), in scan order. The bundle
// identifier is not searched and the search text is taken as typed.
std::vector<const InstalledApp*> availableApps(const std::vector<InstalledApp>& installed,
                                               const std::vector<DockAppEntry>& entries,
                                               const QString& search);

// The "Manage Apps" window: its own copy of the editor's tiles, handed back only by Apply.
class AppPickerModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QVariantList profileRows READ profileRows NOTIFY entriesChanged)
    Q_PROPERTY(QString profileAppCount READ profileAppCount NOTIFY entriesChanged)
    Q_PROPERTY(QVariantList available READ available NOTIFY availableChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY availableChanged)

  public:
    using IconSource = std::function<QString(const std::string& path)>;

    AppPickerModel(QString editorName, std::vector<DockAppEntry> entries,
                   const std::vector<InstalledApp>& installed,
                   std::function<void(const std::vector<DockAppEntry>&)> onApply, IconSource iconSource,
                   QObject* parent = nullptr);

    QString title() const { return title_; }
    QVariantList profileRows() const;
    QString profileAppCount() const;
    QVariantList available() const;
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
    void availableChanged();
    void closeRequested();

  private:
    void entriesEdited();

    QString title_;
    std::vector<DockAppEntry> entries_;
    const std::vector<InstalledApp>& installed_;
    std::function<void(const std::vector<DockAppEntry>&)> onApply_;
    IconSource iconSource_;
    QString search_;
};

}  // namespace moorvane
