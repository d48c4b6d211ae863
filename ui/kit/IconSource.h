#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

#include "model/DockProfile.h"

namespace moorvane {

class Workspace;

inline constexpr const char* appIconProviderId = "appicon";

// The image URL under which the icon provider draws the icon of a file-system path (a bundle or any file).
inline QString iconSourceForPath(const std::string& path) {
    if (path.empty()) return {};
    const QString local = QString::fromStdString(filePathFromLocation(path));
    return QStringLiteral("image://appicon/") + QString::fromLatin1(QUrl::toPercentEncoding(local));
}

// The image source of an entry's icon: its own item's, else its application's; empty for none.
std::function<QString(const DockAppEntry&)> entryIconSource(Workspace& workspace);

}  // namespace moorvane
