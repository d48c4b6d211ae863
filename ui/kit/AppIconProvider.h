#pragma once

#include <QImage>
#include <QQuickAsyncImageProvider>
#include <QString>
#include <QStringList>
#include <memory>

namespace moorvane {

// The icon of a bundle: its Info.plist's CFBundleIconFile under Contents/Resources (".icns" through the icns
// image plugin, or ".png"/".svg"); an image file is drawn as itself. Anything else gets nothing.
QImage loadBundleIcon(const QString& path, int size);

// Application icons for `image://appicon/<percent-encoded path>`, loaded off the main thread and cached for
// the life of the process; a generic application icon of the icon theme stands in where a path has none.
class AppIconProvider : public QQuickAsyncImageProvider {
  public:
    AppIconProvider();
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

  private:
    QStringList genericIconFiles_;
};

}  // namespace moorvane
