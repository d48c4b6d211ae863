#include "shell/TrayIcon.h"

#include <QApplication>
#include <QWidget>

namespace moorvane {

QIcon appIcon() {
    QIcon builtIn;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/moorvane/icon/%1x%1/com.moorvane.app.png").arg(size),
                        QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("com.moorvane.app"), builtIn);
}

void nameTrayWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0) {
            widget->setAccessibleName(QStringLiteral("Moorvane"));
            widget->setWindowTitle(QStringLiteral("Moorvane"));
        }
    }
}

}  // namespace moorvane
