#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "dock/TileCodec.h"
#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"
#include "platform/gnome/DashOrder.h"
#include "platform/gnome/GnomeDash.h"

namespace moorvane {
namespace {

using Ids = std::vector<std::string>;

// Before the first GSettings call: the schema copy built with the tests, and settings that live in memory.
const bool sandboxed = [] {
    setenv("GSETTINGS_SCHEMA_DIR", MOORVANE_TEST_SCHEMAS, 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    return true;
}();

PlistValue appTile(const std::string& id, const std::string& url = {}) {
    return tileDictionary(DockAppEntry{.label = id, .bundleIdentifier = id, .path = url});
}

desktop::DesktopEnvironment session(Ids dataFolders, Ids desktops) {
    desktop::DesktopEnvironment environment;
    environment.dataFolders = std::move(dataFolders);
    environment.currentDesktops = std::move(desktops);
    return environment;
}

PlistValue typedTile(const std::string& type, const std::string& url) {
    PlistValue tile = appTile("", url);
    tile.dictionary()->set("tile-type", type);
    return tile;
}

class GnomeDashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandboxed);
        app("firefox-esr.desktop", "Firefox ESR");
        app("org.gnome.Nautilus.desktop", "Files");
        app("org.gnome.Calculator.desktop", "Calculator");
        app("settings-panel.desktop", "Panel", "NoDisplay=true\n");
        ASSERT_TRUE(other.setStrings(GnomeDash::favoritesKey, {}));
    }
    void app(const std::string& id, const std::string& name, const std::string& extra = {}) {
        testing::writeText(applications / id,
                           "[Desktop Entry]\nType=Application\nExec=true\nName=" + name + "\n" + extra);
    }
    std::string url(const std::string& id) { return "file://" + (applications / id).string(); }
    PlistArray capture() { return *dash.copyValue(persistentAppsKey)->array(); }
    Status write(PlistArray apps, PlistArray others) {
        dash.set(persistentAppsKey, std::move(apps));
        dash.set(persistentOthersKey, std::move(others));
        return dash.synchronize();
    }

    testing::TempDir data;
    std::filesystem::path applications = data.path() / "applications";
    desktop::DesktopEntryIndex index{session({data.path().string()}, {"GNOME"})};
    GnomeDash dash{*desktop::Settings::open("org.gnome.shell"), index, std::chrono::milliseconds(0)};
    desktop::Settings other = *desktop::Settings::open("org.gnome.shell");  // another client of the key
};

TEST_F(GnomeDashTest, CaptureThenWriteGivesBackTheSameBytesAndTheDashHoldsEachAppOnce) {
    ASSERT_TRUE(other.setStrings(
        GnomeDash::favoritesKey,
        {"org.gnome.Nautilus.desktop", "firefox-esr.desktop", "org.gnome.Nautilus.desktop"}));
    const PlistArray apps = capture();
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(entryFromTile(apps[0])->label, "Files");
    EXPECT_EQ(entryFromTile(apps[0])->path, url("org.gnome.Nautilus.desktop"));
    EXPECT_EQ(*dash.copyValue(persistentOthersKey), PlistValue(PlistArray{}));

    ASSERT_TRUE(write(apps, {}));
    EXPECT_EQ(other.strings(GnomeDash::favoritesKey),
              (Ids{"org.gnome.Nautilus.desktop", "firefox-esr.desktop"}));
    EXPECT_EQ(encodeTiles(capture()).value(), encodeTiles(apps).value());
}

TEST_F(GnomeDashTest, TilesTheDashCannotShowAreNamedAndLeftOutOfTheWrite) {
    const PlistValue spacer = tileDictionary(DockAppEntry::spacer(SpacerType::regular));
    const PlistValue safari = appTile("com.apple.Safari", "file:///Applications/Safari.app/");
    const PlistValue hidden = appTile("settings-panel.desktop");
    const PlistValue folder = typedTile("directory-tile", "file:///home/someone/Downloads/");
    const PlistValue file = typedTile("file-tile", "file:///home/someone/notes.txt");
    // A launcher file without an id is the app its applications folder names.
    const PlistValue launcher = typedTile("file-tile", url("org.gnome.Calculator.desktop"));
    const std::pair<const PlistValue*, std::optional<std::string>> reasons[] = {
        {&spacer, "a spacer"},
        {&safari, "not an installed app"},
        {&hidden, "not shown on this desktop"},
        {&folder, "a folder"},
        {&file, "a file"},
        {&launcher, std::nullopt}};
    for (const auto& [tile, reason] : reasons)
        EXPECT_EQ(dash.whyNotShown(*tile), reason) << reason.value_or("shown");

    ASSERT_TRUE(
        write({appTile("firefox-esr.desktop"), spacer, safari, hidden, appTile("firefox-esr.desktop")},
              {folder, file, launcher}));
    EXPECT_EQ(other.strings(GnomeDash::favoritesKey),
              (Ids{"firefox-esr.desktop", "org.gnome.Calculator.desktop"}));
}

TEST_F(GnomeDashTest, AnIdWithoutAnInstalledAppIsCapturedAndWrittenOnceTheAppIsInstalled) {
    ASSERT_TRUE(other.setStrings(GnomeDash::favoritesKey, {"org.example.Later.desktop"}));
    const PlistArray apps = capture();
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps[0], tileDictionary(DockAppEntry{.label = "org.example.Later",
                                                   .bundleIdentifier = "org.example.Later.desktop",
                                                   .path = ""}));
    EXPECT_EQ(dash.whyNotShown(apps[0]), "not an installed app");

    app("org.example.Later.desktop", "Later");
    ASSERT_TRUE(write(apps, {}));
    EXPECT_EQ(other.strings(GnomeDash::favoritesKey), Ids{"org.example.Later.desktop"});
}

TEST_F(GnomeDashTest, AnotherClientsWriteRunsTheObserverAndARefusedWriteChangesNothing) {
    int changes = 0;
    dash.observeChanges([&] { ++changes; });
    ASSERT_TRUE(other.setStrings(GnomeDash::favoritesKey, {"firefox-esr.desktop"}));
    for (int turn = 0; turn < 100 && changes == 0; ++turn) g_main_context_iteration(nullptr, FALSE);
    EXPECT_GE(changes, 1);

    // A key locked down by the administrator refuses the write as a read-only backend does.
    GSettingsBackend* readOnly = g_null_settings_backend_new();
    GnomeDash locked(*desktop::Settings::open("org.gnome.shell", {}, readOnly), index);
    g_object_unref(readOnly);
    const PlistArray before = *locked.copyValue(persistentAppsKey)->array();
    locked.set(persistentAppsKey, PlistArray{appTile("firefox-esr.desktop")});
    EXPECT_FALSE(locked.synchronize());
    locked.discardPendingChanges();
    EXPECT_EQ(*locked.copyValue(persistentAppsKey)->array(), before);
}

// Orders GNOME Shell 43's dash was seen to show on screen after a bare write of the key.
TEST(DashOrderTest, ReplaysTheDashsWalkAndItsWrongOrdersAfterSeveralMoves) {
    struct Case {
        Ids shown, written, seen;
    };
    const Case cases[] = {{{"G", "R"}, {"R", "B", "G"}, {"B", "R", "G"}},
                          {{"P", "R"}, {"R", "Y", "P"}, {"Y", "R", "P"}},
                          {{"R", "Y", "P"}, {"O", "Y", "G", "R"}, {"O", "G", "Y", "R"}},
                          {{"O", "Y", "G", "R"}, {"R", "Y", "P", "B"}, {"R", "P", "B", "Y"}},
                          {{"R", "Y", "G", "P", "O"}, {"G", "Y", "P", "B", "R"}, {"G", "Y", "B", "P", "R"}},
                          {{"R", "G", "B", "Y", "P"}, {"P", "Y", "B", "G", "R"}, {"P", "Y", "B", "G", "R"}},
                          {{"B", "R", "G"}, {"G", "B", "Y", "R"}, {"G", "B", "Y", "R"}},
                          {{"G", "O", "Y"}, {"R", "Y", "O"}, {"R", "Y", "O"}}};
    for (const Case& c : cases) {
        EXPECT_EQ(gnome::dashAfter(c.shown, c.written), c.seen) << ::testing::PrintToString(c.written);
        // Removing what moves, then adding it back, is always shown as written.
        const Ids kept = gnome::keptInOrder(c.shown, c.written);
        EXPECT_EQ(gnome::dashAfter(c.shown, kept), kept);
        EXPECT_EQ(gnome::dashAfter(kept, c.written), c.written);
    }
}

TEST_F(GnomeDashTest, ASwitchTheDashWouldShowOutOfOrderRemovesTheMovedAppsFirst) {
    const Ids nautilusThenFirefox{"org.gnome.Nautilus.desktop", "firefox-esr.desktop"};
    ASSERT_TRUE(other.setStrings(GnomeDash::favoritesKey, nautilusThenFirefox));
    std::vector<Ids> writes;
    dash.observeChanges([&] { writes.push_back(other.strings(GnomeDash::favoritesKey)); });
    const PlistArray apps = {appTile("firefox-esr.desktop"), appTile("org.gnome.Calculator.desktop"),
                             appTile("org.gnome.Nautilus.desktop")};
    ASSERT_TRUE(write(apps, {}));
    EXPECT_EQ(writes, (std::vector<Ids>{{"firefox-esr.desktop"},
                                        {"firefox-esr.desktop", "org.gnome.Calculator.desktop",
                                         "org.gnome.Nautilus.desktop"}}));
    writes.clear();
    ASSERT_TRUE(write({appTile("org.gnome.Nautilus.desktop")}, {}));
    EXPECT_EQ(writes, (std::vector<Ids>{{"org.gnome.Nautilus.desktop"}}));
}

TEST(GnomeSessionTest, TheShellsDashIsDrivenWhereTheSessionRunsTheShell) {
    ASSERT_TRUE(sandboxed);
    const std::pair<Ids, bool> sessions[] = {
        {{"GNOME"}, true}, {{"ubuntu", "GNOME"}, true},           {{"GNOME-Classic", "GNOME"}, true},
        {{"KDE"}, false},  {{"GNOME-Flashback", "GNOME"}, false}, {{"Budgie", "GNOME"}, false},
        {{}, false}};
    for (const auto& [desktops, expected] : sessions)
        EXPECT_EQ(GnomeDash::isSessionDock(session({}, desktops)), expected)
            << ::testing::PrintToString(desktops);
}

}  // namespace
}  // namespace moorvane
