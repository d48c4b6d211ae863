#pragma once

#include <QString>
#include <QUrl>
#include <string>

#include "model/DockProfile.h"

namespace moorvane {

inline constexpr const char* appIconProviderId = "appicon";

// The image URL under which the icon provider draws the icon of a file-system path (a bundle or any file).
inline QString iconSourceForPath(const std::string& path) {
    if (path.empty()) return {};
    const QString local = QString::fromStdString(filePathFromLocation(path));
    return QStringLiteral("image://appicon/") + QString::fromLatin1(QUrl::toPercentEncoding(local));
}

}  // namespace moorvane
