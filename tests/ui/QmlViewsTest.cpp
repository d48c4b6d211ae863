#include <gtest/gtest.h>

#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRawFont>
#include <QRegularExpression>
#include <set>

#include <QQmlEngine>

#include "EditorHarness.h"
#include "fakes/FakeSettingsPorts.h"
#include "fakes/TextFiles.h"
#include "model/AppSettings.h"
#include "triggers/FocusModeObserver.h"
#include "ui/editor/EditorRules.h"
#include "ui/editor/EditorWindow.h"
#include "ui/kit/AppIconProvider.h"
#include "ui/kit/IconSource.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/picker/AppPickerModel.h"
#include "ui/popover/PopoverModel.h"
#include "ui/popover/PopoverWindow.h"

// Fontconfig keeps its font set for the life of the process by design; it is not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace moorvane {
namespace {

QStringList& qmlWarnings() {
    static QStringList warnings;
    return warnings;
}

// Only what the QML engine reports: the offscreen platform's own notes (it cannot raise windows) are not
// faults of the views.
void collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QLatin1String category(context.category ? context.category : "");
    const bool fromQml = message.contains(QLatin1String("qrc:")) || category == QLatin1String("qml") ||
                         category == QLatin1String("js");
    if (type != QtDebugMsg && type != QtInfoMsg && fromQml) qmlWarnings() << message;
}

QGuiApplication& application() {
    static int argc = 1;
    static char name[] = "moorvane_tests_ui";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

// Runs the event loop without waiting on the wall clock for anything in particular: it only lets queued
// calls (icon loads, deferred deletes) be delivered before the next check.
void deliverPosted() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList qmlFiles() {
    application();
    QStringList files;
    QDirIterator it(QStringLiteral(":/Moorvane"), {QStringLiteral("*.qml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

class QmlViewsTest : public ::testing::Test {
  protected:
    QmlViewsTest() {
        application();
        qmlWarnings().clear();
        previous_ = qInstallMessageHandler(collect);
    }
    ~QmlViewsTest() override { qInstallMessageHandler(previous_); }

    testing::EditorHarness h;
    FocusModeObserver focus{h.dir.path(), h.store};
    EditorContext context{h.store, h.dock, h.hotkeys, h.keys, h.io, focus, h.workspace, [] {}};

  private:
    QtMessageHandler previous_ = nullptr;
};

// Every view in each of its states, with fixture models: any warning (unknown property, binding loop, type
// error, a binding that reads a sheet already gone) fails.
TEST_F(QmlViewsTest, EveryViewLoadsInEveryStateWithoutWarnings) {
    auto mail = testing::app("Mail"), notes = testing::app("Notes"), maps = testing::app("Maps");
    const auto p = h.addProfile("Work", {mail, notes, DockAppEntry::spacer(SpacerType::small), maps});
    const auto other = h.addProfile("Home", {});
    h.change(other.id, [](DockProfile& s) { s.keyboardShortcut = "cmd+k"; });
    h.change(p.id, [&](DockProfile& s) {
        s.keyboardShortcut = "cmd+k";
        s.hiddenApps = std::vector<std::string>{"com.example.Maps"};
        s.appGroups = std::vector{
            AppGroup{Uuid::random(), "Office", "briefcase.fill", {"com.example.Mail", "com.example.Notes"}}};
    });
    h.store.activeProfileId = p.id;

    QPointer<QQuickWindow> window = openEditorWindow(context, p.id);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(window->title(), "Edit \u2014 Work");
    auto* editor = qobject_cast<ProfileEditorModel*>(window->property("editor").value<QObject*>());
    ASSERT_NE(editor, nullptr);
    deliverPosted();
    // The profile and Focus pickers, opened: their rows are built only then.
    std::vector<QPointer<QObject>> pickers;
    for (QObject* object : window->findChildren<QObject*>())
        if (object->inherits("QQuickComboBox")) pickers.emplace_back(object);
    EXPECT_EQ(pickers.size(), 2u);
    for (const auto& combo : pickers) {
        ASSERT_FALSE(combo.isNull());
        auto* popup = combo->property("popup").value<QObject*>();
        ASSERT_NE(popup, nullptr);
        QMetaObject::invokeMethod(popup, "open");
        deliverPosted();
        EXPECT_GT(combo->property("count").toInt(), 0);
        QMetaObject::invokeMethod(popup, "close");
        deliverPosted();
    }

    editor->recorder()->click();
    deliverPosted();
    editor->recorder()->click();
    editor->setQuitOtherApps(true);
    editor->createGroup();
    deliverPosted();
    editor->groupSheet()->cancel();
    deliverPosted();
    editor->editGroup(QString::fromStdString(editor->state().groups[0].id.text()));
    deliverPosted();
    editor->groupSheet()->ungroup();
    deliverPosted();
    editor->strip()->removeGroupAndApps(QStringLiteral("not-an-id"));
    editor->replaceEntries({});
    deliverPosted();

    QQuickWindow* picker = openPickerWindow(context, *editor);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->title(), "Manage Apps \u2014 Work");
    auto* pickerModel = qobject_cast<AppPickerModel*>(picker->property("picker").value<QObject*>());
    ASSERT_NE(pickerModel, nullptr);
    pickerModel->addSpacer();
    pickerModel->setSearchText(QStringLiteral("zzz"));
    deliverPosted();

    editor->selectProfile(1);
    editor->cancel();
    deliverPosted();
    EXPECT_TRUE(window.isNull());  // closing destroys the window and everything it made
    picker->close();
    deliverPosted();
    EXPECT_TRUE(qmlWarnings().isEmpty()) << qmlWarnings().join(QLatin1Char('\n')).toStdString();
}

// The popover in each of its states, over an empty store first; its height follows what it shows.
TEST_F(QmlViewsTest, PopoverLoadsInEveryStateWithoutWarnings) {
    testing::FakeUserDefaults defaults;
    testing::FakeLoginItems loginItems;
    testing::FakeAppActivation activation;
    AppSettings settings{defaults, loginItems, activation};
    std::unique_ptr<QQmlEngine> engine(createPopoverEngine());
    PopoverModel model(
        PopoverServices{h.store, settings, focus, h.queue, h.io, {}, {}, {}, "Version 1.0 (1)", {}});
    std::unique_ptr<QQuickWindow> view(createPopoverWindow(*engine, &model));
    ASSERT_TRUE(view);
    view->show();
    // Drawing a frame runs the layout the window's height follows, without waiting for the render timer.
    const auto drawn = [&] {
        deliverPosted();
        view->grabWindow();
    };
    drawn();
    const int welcome = view->height();
    EXPECT_EQ(view->width(), 340);

    const auto work = h.addProfile("Work", {testing::app("Mail"), testing::app("Notes")});
    for (int i = 0; i < 30; ++i) h.addProfile("Profile " + std::to_string(i), {});
    h.store.activeProfileId = work.id;
    focus.currentFocusMode = std::string("Work");
    drawn();
    const int listed = view->height();
    EXPECT_NE(listed, welcome);
    model.openAddForm();
    drawn();
    EXPECT_GT(view->height(), listed);
    model.cancel();
    loginItems.registerRefusal = "Not a directory";
    model.showSettings();
    model.settingsPage()->setLaunchAtLogin(true);
    deliverPosted();
    model.showProfiles();
    model.dismissHint();
    deliverPosted();
    view.reset();
    deliverPosted();
    EXPECT_TRUE(qmlWarnings().isEmpty()) << qmlWarnings().join(QLatin1Char('\n')).toStdString();

    // On a system that lacks a QML module the views import (here the views' own), the popover is not built,
    // and the app goes on rather than crashing inside Qt.
    QQmlEngine bare;
    EXPECT_EQ(createPopoverWindow(bare, &model), nullptr);
}

// A bundle's icon is read by the format its name gives, and still read when the name misleads; what is no
// image gives nothing.
TEST(AppIconTest, ReadsByNameFallsBackOnContentAndRefusesTheRest) {
    application();
    testing::TempDir home;
    QImage png(8, 8, QImage::Format_ARGB32);
    png.fill(Qt::red);
    const auto bundle = [&](const std::string& name, const std::string& iconFile, const char* format) {
        const std::filesystem::path path = home.path() / (name + ".app");
        testing::writeText(path / "Contents/Info.plist",
                           "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIconFile</key>"
                           "<string>" +
                               iconFile + "</string></dict></plist>");
        const std::filesystem::path icon = path / "Contents/Resources" / iconFile;
        testing::writeText(icon, "not an image");
        if (format) {
            EXPECT_TRUE(png.save(QString::fromStdString(icon.string()), format));
        }
        return QString::fromStdString(path.string());
    };
    EXPECT_FALSE(loadBundleIcon(bundle("Named", "Icon.png", "PNG"), 16).isNull());
    EXPECT_FALSE(loadBundleIcon(bundle("Misnamed", "Icon.icns", "PNG"), 16).isNull());
    EXPECT_TRUE(loadBundleIcon(bundle("Junk", "Icon.png", nullptr), 16).isNull());
}

// A desktop file draws its Icon= through the icon theme, by name or by absolute path; a folder or a document
// draws its type's icon (Plank keeps both as tiles). An icon not found, what is no desktop file and an app
// bundle without an icon of its own give nothing, so that the generic icon stands in.
TEST(AppIconTest, DrawsDesktopEntriesFoldersAndDocumentsFromTheTheme) {
    application();
    testing::TempDir home;
    const std::filesystem::path icons = home.path() / "icons";
    testing::writeText(icons / "hicolor/index.theme",
                       "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps,48x48/places,48x48/mimetypes\n"
                       "[48x48/apps]\nSize=48\nType=Fixed\n[48x48/places]\nSize=48\nType=Fixed\n"
                       "[48x48/mimetypes]\nSize=48\nType=Fixed\n");
    const auto icon = [&](const std::string& file, Qt::GlobalColor colour) {
        std::filesystem::create_directories((icons / file).parent_path());
        QImage png(48, 48, QImage::Format_ARGB32);
        png.fill(colour);
        ASSERT_TRUE(png.save(QString::fromStdString((icons / file).string()), "PNG"));
    };
    icon("hicolor/48x48/apps/tool.png", Qt::blue);
    icon("hicolor/48x48/places/folder.png", Qt::yellow);
    icon("hicolor/48x48/mimetypes/text-x-generic.png", Qt::white);
    const desktop::IconTheme theme("", {icons.string()}, {});

    const auto entry = [&](const std::string& name, const std::string& text) {
        const std::filesystem::path path = home.path() / "applications" / name;
        testing::writeText(path, text);
        return loadDesktopEntryIcon(QString::fromStdString(path.string()), 48, theme, {});
    };
    const QImage named = entry("a.desktop", "[Desktop Entry]\nType=Application\nName=A\nIcon=tool\n");
    EXPECT_EQ(named.pixelColor(24, 24), QColor(Qt::blue));
    EXPECT_FALSE(entry("b.desktop", "[Desktop Entry]\nType=Application\nName=B\nIcon=" +
                                        (icons / "hicolor/48x48/apps/tool.png").string() + "\n")
                     .isNull());
    EXPECT_TRUE(entry("c.desktop", "[Desktop Entry]\nType=Application\nName=C\nIcon=missing\n").isNull());
    EXPECT_TRUE(entry("d.desktop", "not a desktop file").isNull());

    const auto draw = [&](const std::filesystem::path& path) {
        return loadFileTypeIcon(QString::fromStdString(path.string()), 48, theme);
    };
    std::filesystem::create_directories(home.path() / "Projects");
    std::filesystem::create_directories(home.path() / "Tool.app");
    testing::writeText(home.path() / "Projects/plan.txt", "a plan");
    EXPECT_EQ(draw(home.path() / "Projects").pixelColor(24, 24), QColor(Qt::yellow));
    EXPECT_EQ(draw(home.path() / "Projects/plan.txt").pixelColor(24, 24), QColor(Qt::white));
    EXPECT_TRUE(draw(home.path() / "Tool.app").isNull());
    EXPECT_TRUE(draw(home.path() / "gone.txt").isNull());
}

// Every symbol the views name, literally or through the group symbols, has a glyph in the symbol font.
TEST(SymbolTableTest, EverySymbolUsedHasAGlyph) {
    std::set<std::string> used(editor::groupSymbolNames.begin(), editor::groupSymbolNames.end());
    const QRegularExpression line(QStringLiteral("\\bsymbol(?:Name)?\\s*:\\s*([^;]*)"));
    const QRegularExpression literal(QStringLiteral("\"([a-z0-9.]+)\""));
    for (const auto& file : qmlFiles()) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        for (const auto& text : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            const auto m = line.match(text);
            if (!m.hasMatch()) continue;
            for (auto it = literal.globalMatch(m.captured(1)); it.hasNext();)
                used.insert(it.next().captured(1).toStdString());
        }
    }
    EXPECT_GT(used.size(), 30u);
    const QRawFont font(QString::fromLatin1(symbolFontPath), 16);
    ASSERT_TRUE(font.isValid());
    for (const auto& name : used) {
        const auto found = symbolTable().find(name);
        ASSERT_NE(found, symbolTable().end()) << "no entry for " << name;
        EXPECT_TRUE(font.supportsCharacter(QChar(found->second))) << name;
    }
}

// The views scale each symbol by its ink, so the ink must be the outline's: the font's own boxes reach down
// to the baseline for every icon, which drew a chevron at half its size and off centre.
TEST(SymbolTableTest, InkBoxesHugTheOutline) {
    application();
    const Symbols symbols(Theme::install().symbolFont());
    const QRectF chevron = symbols.inkBox(QStringLiteral("chevron.left"));
    EXPECT_LT(chevron.bottom(), -0.2);
    EXPECT_LT(chevron.height(), 0.6);
    EXPECT_LT(chevron.width(), chevron.height() * 0.75);
    for (const auto& [name, codePoint] : symbolTable()) {
        const QRectF box = symbols.inkBox(QString::fromUtf8(name.data(), qsizetype(name.size())));
        EXPECT_GT(std::max(box.width(), box.height()), 0.3) << name;  // a minus is a flat bar
        EXPECT_TRUE(QRectF(-0.05, -1.05, 1.1, 1.1).contains(box)) << name;
    }
}

}  // namespace
}  // namespace moorvane
