#include "ui/kit/AppIconProvider.h"

#include <QCache>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QMutex>
#include <QRunnable>
#include <QThreadPool>
#include <QUrl>

#include "base/InfoPlist.h"

namespace moorvane {

namespace {

constexpr int defaultIconSize = 64;

struct IconCache {
    QMutex mutex;
    QCache<QString, QImage> images{256};
};

IconCache& iconCache() {
    static IconCache cache;
    return cache;
}

QImage readImage(const QString& file, int size, bool byName = true) {
    QImageReader reader(file);
    // Named by its suffix, the reader loads that one format's plugin; left to guess, it loads every image
    // plugin installed (TIFF, WebP, JPEG...) and the libraries under them. A file its suffix misnames is
    // read again with guessing on.
    if (byName) {
        reader.setFormat(QFileInfo(file).suffix().toLower().toLatin1());
        reader.setAutoDetectImageFormat(false);
    }
    // An .icns holds several sizes; asking for ours picks the nearest instead of the largest.
    if (reader.supportsOption(QImageIOHandler::ScaledSize) && !file.endsWith(QLatin1String(".icns"))) {
        reader.setScaledSize(QSize(size, size));
    }
    QImage image = reader.read();
    if (image.isNull() && byName) return readImage(file, size, false);
    if (!image.isNull() && (image.width() > size * 2 || image.height() > size * 2)) {
        image = image.scaled(size * 2, size * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

QString bundleIconFile(const QString& bundle) {
    // The bounded read: a FIFO planted under the name would otherwise hold an icon thread forever.
    const Result<PlistDictionary> info = readInfoPlist(bundle.toStdString());
    if (!info) return {};
    const std::string* name = info->findString("CFBundleIconFile");
    if (!name || name->empty()) return {};
    QString file = QString::fromStdString(*name);
    // Only a name inside Resources: a crafted "../.." must not point the reader elsewhere.
    if (file.contains(QLatin1Char('/'))) return {};
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".icns");
    return bundle + QStringLiteral("/Contents/Resources/") + file;
}

QImage lookUp(const QString& path, int size, const QStringList& generic) {
    const QString key = path + QLatin1Char('@') + QString::number(size);
    auto& cache = iconCache();
    {
        QMutexLocker lock(&cache.mutex);
        if (QImage* hit = cache.images.object(key)) return *hit;
    }
    QImage image = loadBundleIcon(path, size);
    for (const auto& file : generic) {
        if (!image.isNull()) break;
        image = readImage(file, size);
    }
    QMutexLocker lock(&cache.mutex);
    cache.images.insert(key, new QImage(image));
    return image;
}

// The work runs apart from the response, which the engine may delete (a cancelled request) at any time.
class IconJob : public QObject, public QRunnable {
    Q_OBJECT
  public:
    IconJob(QString path, int size, QStringList generic)
        : path_(std::move(path)), size_(size), generic_(std::move(generic)) {}
    void run() override { emit done(lookUp(path_, size_, generic_)); }

  signals:
    void done(const QImage& image);

  private:
    QString path_;
    int size_;
    QStringList generic_;
};

class IconResponse : public QQuickImageResponse {
  public:
    explicit IconResponse(IconJob* job) {
        connect(
            job, &IconJob::done, this,
            [this](const QImage& image) {
                image_ = image;
                emit finished();
            },
            Qt::QueuedConnection);
    }
    QQuickTextureFactory* textureFactory() const override {
        return QQuickTextureFactory::textureFactoryForImage(image_);
    }

  private:
    QImage image_;
};

}  // namespace

QImage loadBundleIcon(const QString& path, int size) {
    if (path.isEmpty()) return {};
    const QFileInfo info(path);
    if (info.isDir()) {
        const QString file = bundleIconFile(QDir::cleanPath(path));
        return file.isEmpty() ? QImage() : readImage(file, size);
    }
    if (info.isFile()) {
        const QString suffix = info.suffix().toLower();
        if (suffix == QLatin1String("png") || suffix == QLatin1String("svg") ||
            suffix == QLatin1String("icns")) {
            return readImage(path, size);
        }
    }
    return {};
}

AppIconProvider::AppIconProvider() {
    // Looked up here, on the main thread, because the icon theme is not safe to query from a worker.
    QStringList themes{QIcon::themeName(), QStringLiteral("Adwaita"), QStringLiteral("hicolor")};
    for (const auto& dir : QIcon::themeSearchPaths()) {
        for (const auto& theme : themes) {
            for (const char* sub :
                 {"/64x64/apps/", "/48x48/apps/", "/48x48/mimetypes/", "/512x512/mimetypes/"}) {
                const QString file = dir + QLatin1Char('/') + theme + QLatin1String(sub) +
                                     QStringLiteral("application-x-executable.png");
                if (QFileInfo::exists(file)) genericIconFiles_ << file;
            }
        }
    }
}

QQuickImageResponse* AppIconProvider::requestImageResponse(const QString& id, const QSize& requestedSize) {
    const int size = requestedSize.width() > 0 ? requestedSize.width() : defaultIconSize;
    auto* job = new IconJob(QUrl::fromPercentEncoding(id.toUtf8()), size, genericIconFiles_);
    auto* response = new IconResponse(job);
    QThreadPool::globalInstance()->start(job);
    return response;
}

}  // namespace moorvane

#include "AppIconProvider.moc"
