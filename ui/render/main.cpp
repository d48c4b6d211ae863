// Draws each editing view in its main states over fixture data and writes one PNG per state, so the screens
// can be reviewed without building a profile by hand:  moorvane-render <folder>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "base/Log.h"
#include "ui/AppPickerModel.h"
#include "ui/EditorWindows.h"
#include "ui/PopoverModel.h"
#include "ui/ProfileEditorModel.h"
#include "ui/Theme.h"
#include "ui/render/RenderFixture.h"

using namespace moorvane;

namespace {

// Lets icon loads, layouts and animations settle before a window is photographed.
void settle(int milliseconds = 600) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool shoot(QQuickWindow* window, const QDir& folder, const char* name) {
    settle();
    const QString file = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (!window || !window->grabWindow().save(file)) {
        std::fprintf(stderr, "moorvane-render: could not write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

// List view delegates have no object parent, so the search walks the visual tree.
QObject* findInItems(QQuickItem* item, const QString& name) {
    if (QObject* found = item->findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) return found;
    for (QQuickItem* child : item->childItems()) {
        if (QObject* found = findInItems(child, name)) return found;
    }
    return nullptr;
}

// The popover as the shell hosts it, over the fixture's store and settings.
struct PopoverShot {
    std::unique_ptr<QQmlEngine> engine{createPopoverEngine()};
    std::unique_ptr<PopoverModel> model;
    std::unique_ptr<QQuickWindow> view;  // last, so it goes before the model it shows

    explicit PopoverShot(render::RenderFixture& fixture)
        : model(std::make_unique<PopoverModel>(fixture.popoverServices())),
          view(createPopoverWindow(*engine, model.get())) {
        if (view) view->show();
    }
};

bool shootPopovers(render::RenderFixture& fixture, const QDir& folder) {
    ProfileStore& store = fixture.store();
    const std::vector<DockProfile> profiles = store.profiles.get();
    const auto active = store.activeProfileId.get();
    bool ok = true;
    {
        store.profiles = std::vector<DockProfile>{};
        store.activeProfileId = std::nullopt;
        PopoverShot shot(fixture);
        ok = shoot(shot.view.get(), folder, "popover-welcome") && ok;
    }
    store.profiles = profiles;
    store.activeProfileId = active;
    {
        PopoverShot shot(fixture);
        ok = shoot(shot.view.get(), folder, "popover-hint") && ok;
        fixture.settings().setHasSeenProfileHint(true);
        fixture.context().focus.currentFocusMode = std::string("Work");
        ok = shoot(shot.view.get(), folder, "popover-list-focus") && ok;
        shot.model->openAddForm();
        shot.model->selectColor(QStringLiteral("orange"));
        ok = shoot(shot.view.get(), folder, "popover-form") && ok;
        fixture.ports().loginRefusal = "The autostart folder could not be written: Not a directory";
        shot.model->showSettings();
        shot.model->settingsPage()->setLaunchAtLogin(true);
        ok = shoot(shot.view.get(), folder, "popover-settings-error") && ok;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: moorvane-render <folder>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) return 1;
    QTemporaryDir scratch;
    setLogPath((scratch.path() + QStringLiteral("/moorvane.log")).toStdString());
    render::RenderFixture fixture(scratch.path().toStdString(), 24);

    QQuickWindow* window = openEditorWindow(fixture.context(), fixture.showcaseProfile());
    if (!window) return 1;
    auto* editor = qobject_cast<ProfileEditorModel*>(window->property("editor").value<QObject*>());
    if (!editor) return 1;
    bool ok = shoot(window, folder, "editor");

    // A hovered tile shows its remove and eye buttons; a group's button opens the list of its members.
    editor->strip()->setHovered(QString::fromStdString(editor->state().appEntries.front().id.text()));
    QObject* members = findInItems(window->contentItem(), QStringLiteral("groupMembersPopover"));
    if (members) members->setProperty("visible", true);
    ok = shoot(window, folder, "editor-hover-group") && members && ok;
    if (members) members->setProperty("visible", false);
    editor->strip()->clearHovered(QString::fromStdString(editor->state().appEntries.front().id.text()));

    editor->recorder()->click();
    ok = shoot(window, folder, "editor-recording") && ok;
    editor->recorder()->click();

    editor->createGroup();
    ok = shoot(window, folder, "group-sheet-new") && ok;
    editor->dismissGroupSheet();

    editor->editGroup(QString::fromStdString(editor->state().groups.front().id.text()));
    ok = shoot(window, folder, "group-sheet-edit") && ok;
    editor->dismissGroupSheet();

    QQuickWindow* pickerWindow = openPickerWindow(fixture.context(), *editor);
    if (auto* picker = pickerWindow
                           ? qobject_cast<AppPickerModel*>(pickerWindow->property("picker").value<QObject*>())
                           : nullptr) {
        picker->setSearchText(QStringLiteral("s"));
    }
    ok = shoot(pickerWindow, folder, "picker-search") && ok;
    ok = shootPopovers(fixture, folder) && ok;
    return ok ? 0 : 1;
}
