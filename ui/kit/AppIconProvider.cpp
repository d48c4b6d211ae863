#include "ui/kit/AppIconProvider.h"

#include <QCache>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMutex>
#include <QRunnable>
#include <QThreadPool>
#include <QUrl>

#include "base/BoundedRead.h"
#include "base/InfoPlist.h"

namespace moorvane {

namespace {

constexpr int defaultIconSize = 64;
constexpr std::size_t maxDesktopFileBytes = 1024 * 1024;

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

struct IconSources {
    std::shared_ptr<const desktop::DesktopEnvironment> environment;
    std::shared_ptr<const desktop::IconTheme> theme;
};

QImage lookUp(const QString& path, int size, const IconSources& sources) {
    const QString key = path + QLatin1Char('@') + QString::number(size);
    auto& cache = iconCache();
    {
        QMutexLocker lock(&cache.mutex);
        if (QImage* hit = cache.images.object(key)) return *hit;
    }
    QImage image = path.endsWith(QLatin1String(".desktop"))
                       ? loadDesktopEntryIcon(path, size, *sources.theme, *sources.environment)
                       : loadBundleIcon(path, size);
    // A folder or a document (Plank keeps both as tiles) by its type: the application icon would misname it.
    if (image.isNull() && !path.endsWith(QLatin1String(".desktop")))
        image = loadFileTypeIcon(path, size, *sources.theme);
    if (image.isNull()) {
        const std::string generic = sources.theme->find("application-x-executable", size);
        if (!generic.empty()) image = readImage(QString::fromStdString(generic), size);
    }
    QMutexLocker lock(&cache.mutex);
    cache.images.insert(key, new QImage(image));
    return image;
}

// The work runs apart from the response, which the engine may delete (a cancelled request) at any time.
class IconJob : public QObject, public QRunnable {
    Q_OBJECT
  public:
    IconJob(QString path, int size, IconSources sources)
        : path_(std::move(path)), size_(size), sources_(std::move(sources)) {}
    void run() override { emit done(lookUp(path_, size_, sources_)); }

  signals:
    void done(const QImage& image);

  private:
    QString path_;
    int size_;
    IconSources sources_;
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

QImage loadDesktopEntryIcon(const QString& path, int size, const desktop::IconTheme& theme,
                            const desktop::DesktopEnvironment& environment) {
    const Result<std::string> bytes = readBoundedFile(path.toStdString(), maxDesktopFileBytes);
    if (!bytes) return {};
    const Result<desktop::DesktopEntry> entry =
        desktop::parseDesktopEntry(*bytes, {}, path.toStdString(), environment);
    if (!entry) return {};
    const std::string file = theme.find(entry->icon, size);
    return file.empty() ? QImage() : readImage(QString::fromStdString(file), size);
}

QImage loadFileTypeIcon(const QString& path, int size, const desktop::IconTheme& theme) {
    const QFileInfo info(path);
    QStringList names;
    if (info.isDir()) {
        if (info.suffix() == QLatin1String("app")) return {};
        names << QStringLiteral("folder");
    } else if (info.isFile()) {
        // By its name only: reading the file to tell its type could wait on a slow disk, or for ever on a
        // FIFO.
        const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
        names << type.iconName() << type.genericIconName();
    }
    for (const QString& name : names) {
        const std::string file = theme.find(name.toStdString(), size);
        if (!file.empty()) return readImage(QString::fromStdString(file), size);
    }
    return {};
}

AppIconProvider::AppIconProvider() {
    environment_ =
        std::make_shared<const desktop::DesktopEnvironment>(desktop::DesktopEnvironment::current());
    // The theme's name is asked here, on the main thread: the toolkit's icon loader is not safe in a worker,
    // which is why the workers look files up through a theme of their own. Under no desktop the toolkit names
    // no theme, or only the fallback one; Adwaita is what Debian installs.
    QString themeName = QIcon::themeName();
    if (themeName.isEmpty() || themeName == QLatin1String("hicolor")) themeName = QStringLiteral("Adwaita");
    theme_ = std::make_shared<const desktop::IconTheme>(
        desktop::IconTheme::forEnvironment(themeName.toStdString(), *environment_));
}

QQuickImageResponse* AppIconProvider::requestImageResponse(const QString& id, const QSize& requestedSize) {
    const int size = requestedSize.width() > 0 ? requestedSize.width() : defaultIconSize;
    auto* job = new IconJob(QUrl::fromPercentEncoding(id.toUtf8()), size, {environment_, theme_});
    auto* response = new IconResponse(job);
    QThreadPool::globalInstance()->start(job);
    return response;
}

}  // namespace moorvane

#include "AppIconProvider.moc"
