#include "platform/session/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWindow>

namespace moorvane {

namespace {

// The user's documents, as a save or open panel starts; never the folder the app happened to be started in.
QString startFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

// The extensions of the content types the panels know, in the types' order.
std::vector<std::string> extensionsOf(const std::vector<std::string>& contentTypes) {
    std::vector<std::string> extensions;
    for (const auto& type : contentTypes) {
        if (type == "com.moorvane.dockprofile") extensions.emplace_back("dockprofile");
        if (type == "public.json") extensions.emplace_back("json");
    }
    return extensions;
}

QString nameFilter(const std::vector<std::string>& contentTypes) {
    QStringList patterns;
    for (const auto& extension : extensionsOf(contentTypes))
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    if (patterns.isEmpty()) return {};
    return QStringLiteral("Dock profiles (%1)").arg(patterns.join(' '));
}

}  // namespace

std::filesystem::path withAllowedExtension(const std::filesystem::path& chosen,
                                           const std::vector<std::string>& allowedContentTypes) {
    const std::vector<std::string> extensions = extensionsOf(allowedContentTypes);
    if (extensions.empty() || chosen.filename().empty()) return chosen;
    const QString name = QString::fromStdString(chosen.filename().string());
    for (const auto& extension : extensions) {
        const QString suffix = QStringLiteral(".") + QString::fromStdString(extension);
        // ".dockprofile" alone is a hidden file with no name, not a name with the extension.
        if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive)) return chosen;
    }
    std::filesystem::path completed = chosen;
    completed += "." + extensions.front();
    return completed;
}

std::optional<std::filesystem::path> QtDialogs::runSavePanel(const SavePanelOptions& options) {
    QFileDialog dialog(nullptr, QString::fromStdString(options.title), startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(QString::fromStdString(options.suggestedName));
    if (const QString filter = nameFilter(options.allowedContentTypes); !filter.isEmpty())
        dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    // Qt's own panel adds the suffix before it asks about replacing a file; a desktop's panel may not, so the
    // chosen path is completed again.
    if (const auto extensions = extensionsOf(options.allowedContentTypes); !extensions.empty())
        dialog.setDefaultSuffix(QString::fromStdString(extensions.front()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return withAllowedExtension(dialog.selectedFiles().first().toStdString(), options.allowedContentTypes);
}

std::vector<std::filesystem::path> QtDialogs::runOpenPanel(const OpenPanelOptions& options) {
    QFileDialog dialog(nullptr, QString::fromStdString(options.title), startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.canChooseDirectories      ? QFileDialog::Directory
                       : options.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                         : QFileDialog::ExistingFile);
    if (const QString filter = nameFilter(options.allowedContentTypes); !filter.isEmpty())
        dialog.setNameFilter(filter);
    std::vector<std::filesystem::path> chosen;
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (const QString& file : dialog.selectedFiles()) chosen.emplace_back(file.toStdString());
    return chosen;
}

void QtDialogs::showWarningAlert(const std::string& message, const std::string& informativeText) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(message), QString::fromStdString(message),
                    QMessageBox::Ok);
    box.setInformativeText(QString::fromStdString(informativeText));
    box.exec();
}

void QtDialogs::activateApp() {
    // A menu-bar app has no window of its own in front; the next dialog raises and activates itself.
    if (QWindow* window = QGuiApplication::focusWindow()) window->requestActivate();
}

}  // namespace moorvane
