#include "ui/editor/EditorWindow.h"

#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include "dock/DockManager.h"
#include "triggers/FocusModeObserver.h"
#include "ui/editor/ProfileEditorModel.h"
#include "ui/kit/IconSource.h"
#include "ui/kit/QmlWindow.h"
#include "ui/picker/PickerWindow.h"

namespace moorvane {

QQuickWindow* openEditorWindow(EditorContext& context, const Uuid& profileId) {
    auto* engine = new QQmlApplicationEngine;
    EditorServices services{context.store,
                            context.dock,
                            context.hotkeys,
                            context.keyMonitor,
                            context.profileIO,
                            context.focus.availableFocusModeNames(),
                            entryIconSource(context.workspace),
                            context.beep};
    auto* editor = new ProfileEditorModel(std::move(services), profileId, engine);
    editor->load();
    QQuickWindow* window = showInOwnEngine(engine, qmlView("editor", "EditorWindow"),
                                           {{"editor", QVariant::fromValue<QObject*>(editor)}});
    if (!window) return nullptr;
    QObject::connect(editor, &ProfileEditorModel::manageAppsRequested, window, [&context, editor, window] {
        QQuickWindow* picker = openPickerWindow(context, *editor);
        if (!picker) return;
        // The picker belongs to this editor: it stays above it, and when it closes the keyboard comes back
        // here rather than to no window at all (without a window manager, nobody else hands it back).
        picker->setTransientParent(window);
        QPointer<QQuickWindow> editorWindow(window);
        QObject::connect(picker, &QWindow::visibleChanged, window, [editorWindow](bool visible) {
            if (!visible && editorWindow && editorWindow->isVisible()) editorWindow->requestActivate();
        });
    });
    QObject::connect(editor, &ProfileEditorModel::closeRequested, window, &QWindow::close,
                     Qt::QueuedConnection);
    const QSize size(560, 560);
    window->resize(size);
    window->setMinimumSize(size);
    window->setMaximumSize(size);
    centre(window);
    window->show();
    window->raise();
    window->requestActivate();
    return window;
}

void openEditor(EditorContext& context, const Uuid& profileId) {
    openEditorWindow(context, profileId);
}

QQuickWindow* openPickerWindow(EditorContext& context, ProfileEditorModel& editor) {
    QPointer<ProfileEditorModel> target(&editor);
    return openPickerWindow(editor.name(), editor.state().appEntries, context.dock.installedApps(),
                            [target](const std::vector<DockAppEntry>& entries) {
                                // The editor may have closed while this window stayed open; its edits are
                                // gone with it.
                                if (target) target->replaceEntries(entries);
                            });
}

}  // namespace moorvane
