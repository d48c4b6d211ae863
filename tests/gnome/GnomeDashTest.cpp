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

PlistValue tile(const std::string& id, const std::string& url = {}, const std::string& type = "file-tile") {
    PlistValue tile = tileDictionary(DockAppEntry{.label = id, .bundleIdentifier = id, .path = url});
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
    PlistArray capture() { return *dash.copyValue(persistentAppsKey)->array(); }
    Status write(PlistArray apps, PlistArray others) {
        dash.set(persistentAppsKey, std::move(apps));
        dash.set(persistentOthersKey, std::move(others));
        return dash.synchronize();
    }
    Ids stored() const { return other.strings(GnomeDash::favoritesKey); }

    testing::TempDir data;
    std::filesystem::path applications = data.path() / "applications";
    desktop::DesktopEntryIndex index{{{data.path().string()}, {"GNOME"}, {}, {}}};
    GnomeDash dash{*desktop::Settings::open("org.gnome.shell"), index, std::chrono::milliseconds(0)};
    desktop::Settings other = *desktop::Settings::open("org.gnome.shell");  // another client of the key
};

TEST_F(GnomeDashTest, CaptureThenWriteGivesBackTheSameBytesAndTheDashHoldsEachAppOnce) {
    const Ids ids{"org.gnome.Nautilus.desktop", "firefox-esr.desktop"};
    ASSERT_TRUE(other.setStrings(GnomeDash::favoritesKey, {ids[0], ids[1], ids[0]}));
    const PlistArray apps = capture();
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(entryFromTile(apps[0])->label, "Files");
    EXPECT_EQ(*dash.copyValue(persistentOthersKey), PlistValue(PlistArray{}));

    ASSERT_TRUE(write(apps, {}));
    EXPECT_EQ(stored(), ids);
    EXPECT_EQ(encodeTiles(capture()).value(), encodeTiles(apps).value());
}

TEST_F(GnomeDashTest, TilesTheDashCannotShowAreNamedAndLeftOutOfTheWrite) {
    const std::pair<PlistValue, std::optional<std::string>> tiles[] = {
        {tile("firefox-esr.desktop"), std::nullopt},
        {tileDictionary(DockAppEntry::spacer(SpacerType::regular)), "a spacer"},
        {tile("com.apple.Safari", "file:///Applications/Safari.app/"), "not an installed app"},
        {tile("settings-panel.desktop"), "not shown on this desktop"},
        {tile("", "file:///home/someone/Downloads/", "directory-tile"), "a folder"},
        {tile("", "file:///home/someone/notes.txt"), "a file"},
        // A launcher file without an id is the app its applications folder names.
        {tile("", "file://" + (applications / "org.gnome.Calculator.desktop").string()), std::nullopt},
        {tile("firefox-esr.desktop"), std::nullopt}};
    PlistArray apps;
    for (const auto& [tile, reason] : tiles) {
        EXPECT_EQ(dash.whyNotShown(tile), reason) << reason.value_or("shown");
        apps.push_back(tile);
    }
    ASSERT_TRUE(write({apps.begin(), apps.begin() + 4}, {apps.begin() + 4, apps.end()}));
    EXPECT_EQ(stored(), (Ids{"firefox-esr.desktop", "org.gnome.Calculator.desktop"}));
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
    EXPECT_EQ(stored(), Ids{"org.example.Later.desktop"});
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
    locked.set(persistentAppsKey, PlistArray{tile("firefox-esr.desktop")});
    EXPECT_FALSE(locked.synchronize());
    locked.discardPendingChanges();
    EXPECT_EQ(*locked.copyValue(persistentAppsKey)->array(), before);
}

TEST_F(GnomeDashTest, ASwitchTheDashWouldShowOutOfOrderRemovesTheMovedAppsFirst) {
    ASSERT_TRUE(
        other.setStrings(GnomeDash::favoritesKey, {"org.gnome.Nautilus.desktop", "firefox-esr.desktop"}));
    std::vector<Ids> writes;
    dash.observeChanges([&] { writes.push_back(stored()); });
    const Ids ids{"firefox-esr.desktop", "org.gnome.Calculator.desktop", "org.gnome.Nautilus.desktop"};
    ASSERT_TRUE(write({tile(ids[0]), tile(ids[1]), tile(ids[2])}, {}));
    EXPECT_EQ(writes, (std::vector<Ids>{{ids[0]}})) << "the adding waits for the removal's animation";
    const PlistArray meanwhile = capture();
    for (int turn = 0; turn < 1000 && writes.size() < 2; ++turn) g_main_context_iteration(nullptr, TRUE);
    EXPECT_EQ(meanwhile, capture()) << "a capture meanwhile sees the switch's list";
    EXPECT_EQ(writes, (std::vector<Ids>{{ids[0]}, ids}));
}

// Orders GNOME Shell 43's dash was seen to show on screen after a bare write of the key.
TEST(DashOrderTest, ReplaysTheDashsWalkAndItsWrongOrdersAfterSeveralMoves) {
    struct Case {
        Ids shown, written, seen;
    };
    const Case cases[] = {{{"G", "R"}, {"R", "B", "G"}, {"B", "R", "G"}},
                          {{"R", "Y", "P"}, {"O", "Y", "G", "R"}, {"O", "G", "Y", "R"}},
                          {{"R", "G", "B", "Y", "P"}, {"P", "Y", "B", "G", "R"}, {"P", "Y", "B", "G", "R"}}};
    for (const Case& c : cases) {
        EXPECT_EQ(gnome::dashAfter(c.shown, c.written), c.seen) << ::testing::PrintToString(c.written);
        // Removing what moves, then adding it back, is always shown as written.
        const Ids kept = gnome::keptInOrder(c.shown, c.written);
        EXPECT_EQ(gnome::dashAfter(c.shown, kept), kept);
        EXPECT_EQ(gnome::dashAfter(kept, c.written), c.written);
    }
}

TEST(GnomeSessionTest, TheShellsDashIsDrivenWhereTheSessionRunsTheShell) {
    ASSERT_TRUE(sandboxed);
    const std::pair<Ids, bool> sessions[] = {
        {{"ubuntu", "GNOME"}, true}, {{"GNOME-Flashback", "GNOME"}, false}, {{"KDE"}, false}};
    for (const auto& [desktops, expected] : sessions)
        EXPECT_EQ(GnomeDash::isSessionDock({{}, desktops, {}, {}}), expected) << desktops.front();
}

}  // namespace
}  // namespace moorvane
