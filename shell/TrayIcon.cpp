#include "shell/TrayIcon.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

namespace moorvane {

QIcon trayIcon() {
    Theme& theme = Theme::install();
    const QChar glyph(symbolTable().at("square.stack.3d.up"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 44, 48, 64, 96}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font(theme.symbolFont());
        font.setPixelSize(size * 7 / 8);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QString(glyph));
        icon.addPixmap(pixmap);
    }
    return icon;
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
