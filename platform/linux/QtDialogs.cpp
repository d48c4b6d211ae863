#include "platform/linux/QtDialogs.h"

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

QString nameFilter(const std::vector<std::string>& contentTypes) {
    QStringList patterns;
    for (const auto& type : contentTypes) {
        if (type == "com.moorvane.dockprofile") patterns << QStringLiteral("*.dockprofile");
        if (type == "public.json") patterns << QStringLiteral("*.json");
    }
    if (patterns.isEmpty()) return {};
    return QStringLiteral("Dock profiles (%1)").arg(patterns.join(' '));
}

}  // namespace

std::optional<std::filesystem::path> QtDialogs::runSavePanel(const SavePanelOptions& options) {
    QFileDialog dialog(nullptr, QString::fromStdString(options.title), startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(QString::fromStdString(options.suggestedName));
    if (const QString filter = nameFilter(options.allowedContentTypes); !filter.isEmpty())
        dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().first().toStdString());
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
