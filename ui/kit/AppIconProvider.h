#pragma once

#include <QImage>
#include <QQuickAsyncImageProvider>
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/desktop/IconTheme.h"

namespace moorvane {

// The icon of a bundle: its Info.plist's CFBundleIconFile under Contents/Resources (".icns" through the icns
// image plugin, or ".png"/".svg"); an image file is drawn as itself. Anything else gets nothing.
QImage loadBundleIcon(const QString& path, int size);
// The icon of a desktop file: its Icon= (a theme icon's name or an absolute path) as the icon theme draws it
// at the size nearest to `size`. Nothing for a file that is not a desktop entry or whose icon is not found.
QImage loadDesktopEntryIcon(const QString& path, int size, const desktop::IconTheme& theme,
                            const desktop::DesktopEnvironment& environment);
// The icon of a folder or a document, as a file manager draws it: its content type's icon from the icon
// theme. Nothing for an app bundle (a folder named ".app") or a path that is not there.
QImage loadFileTypeIcon(const QString& path, int size, const desktop::IconTheme& theme);

// Icons for `image://appicon/<percent-encoded path>` (an app bundle, a desktop file, an image, a folder or a
// document),
// loaded off the main thread and cached for the life of the process; a generic application icon of the icon
// theme stands in where a path has none.
class AppIconProvider : public QQuickAsyncImageProvider {
  public:
    AppIconProvider();
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

  private:
    std::shared_ptr<const desktop::DesktopEnvironment> environment_;
    std::shared_ptr<const desktop::IconTheme> theme_;
};

}  // namespace moorvane
