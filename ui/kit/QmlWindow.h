#pragma once

#include <QString>
#include <QVariantMap>

class QQmlApplicationEngine;
class QQmlEngine;
class QQuickWindow;

namespace moorvane {

// Where the "Moorvane" QML module keeps a view of the given folder, e.g. qmlView("editor", "EditorWindow"):
// the address its compiled code is filed under.
QString qmlView(const char* folder, const char* name);

// Readies an engine for the views: the theme and the module's types installed, the module found, the icon
// provider added.
void prepareViewEngine(QQmlEngine& engine);

// A window built by an engine of its own, so closing it frees everything it made: the engine goes once the
// window hides, and with it the window and every object parented to the engine. None, and the engine gone,
// when the view cannot be built.
QQuickWindow* showInOwnEngine(QQmlApplicationEngine* engine, const QString& view,
                              const QVariantMap& properties);

// Centred on the window's screen's available area.
void centre(QQuickWindow* window);

}  // namespace moorvane
