#include "platform/plank/PlankDock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dock/TileCodec.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"
#include "platform/plank/DockItems.h"

namespace moorvane::plank {
namespace {

using moorvane::testing::readText;
using moorvane::testing::TempDir;
using moorvane::testing::writeText;

std::string launcherText(const std::string& uri) {
    return "[PlankDockItemPreferences]\nLauncher=" + uri + "\n";
}

// Labels of a tile list, a spacer by its type.
std::vector<std::string> labels(const PlistValue& tiles) {
    std::vector<std::string> out;
    for (const DockAppEntry& entry : entriesFromTiles(*tiles.array())) out.push_back(entry.label);
    return out;
}

// A home with three apps (one not shown), a folder and a file, and a Plank whose settings live in memory.
class PlankDockTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Before the first GSettings call of the process: the real user's settings are never touched.
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("GSETTINGS_SCHEMA_DIR", MOORVANE_PLANK_SCHEMAS, 1);
    }

    PlankDockTest() {
        const std::filesystem::path& root = dir_.path();
        writeText(apps() / "alpha.desktop", "[Desktop Entry]\nType=Application\nName=Alpha\nExec=alpha\n");
        writeText(apps() / "beta.desktop", "[Desktop Entry]\nType=Application\nName=Beta\nExec=beta\n");
        writeText(apps() / "secret.desktop",
                  "[Desktop Entry]\nType=Application\nName=Secret\nExec=s\nNoDisplay=true\n");
        std::filesystem::create_directories(root / "home" / "My Docs");
        writeText(root / "home" / "notes.txt", "notes");
        static int docks = 0;
        dockName_ =
            "test" + std::to_string(++docks);  // one settings path per test, the backend is per process
    }

    std::filesystem::path apps() const { return dir_.path() / "data" / "applications"; }
    std::string uri(const std::filesystem::path& path) const { return "file://" + path.string(); }
    std::filesystem::path launchers(const std::string& dock) const {
        return dir_.path() / "config" / "plank" / dock / "launchers";
    }

    PlankDock dock(const std::string& suffix = {}) {
        return PlankDock(index_, {dockName_ + suffix, (dir_.path() / "config").string(), false, {}});
    }
    std::optional<desktop::Settings> settings(const std::string& suffix = {}) {
        return desktop::Settings::open("net.launchpad.plank.dock.settings",
                                       "/net/launchpad/plank/docks/" + dockName_ + suffix + "/");
    }
    void writeDock(const std::vector<std::pair<std::string, std::string>>& files,
                   const std::vector<std::string>& order) {
        for (const auto& [name, launcher] : files)
            writeText(launchers(dockName_) / name, launcherText(launcher));
        ASSERT_TRUE(settings()->setStrings("dock-items", order).ok());
    }

    TempDir dir_;
    desktop::DesktopEntryIndex index_{
        desktop::DesktopEnvironment{{(dir_.path() / "data").string()}, {}, {"/bin"}, {}}};
    std::string dockName_;
};

TEST_F(PlankDockTest, CaptureWriteCaptureKeepsTheBytesOfEveryKindOfTile) {
    const std::filesystem::path home = dir_.path() / "home";
    writeDock({{"beta.dockitem", uri(apps() / "beta.desktop")},
               {"docs.dockitem", "file://" + home.string() + "/My%20Docs"},
               {"alpha.dockitem", uri(apps() / "alpha.desktop")},
               {"trash.dockitem", "docklet://trash"},
               {"notes.dockitem", uri(home / "notes.txt")}},
              {"beta.dockitem", "docs.dockitem", "alpha.dockitem", "trash.dockitem"});
    PlankDock source = dock();
    const std::optional<PlistValue> captured = source.copyValue(persistentAppsKey);
    ASSERT_TRUE(captured && isTileArray(*captured));
    // The file the order does not name follows, as Plank loads it.
    EXPECT_EQ(labels(*captured),
              (std::vector<std::string>{"Beta", "My Docs", "Alpha", "Trash", "notes.txt"}));
    const PlistArray& tiles = *captured->array();
    EXPECT_EQ(tiles[0], desktop::applicationTile(*index_.find("beta.desktop")));
    EXPECT_EQ(*tiles[1].dictionary()->findString("tile-type"), "directory-tile");
    EXPECT_EQ(*tiles[1]
                   .dictionary()
                   ->findDictionary("tile-data")
                   ->findDictionary("file-data")
                   ->findString("_CFURLString"),
              tileLocation((home / "My Docs").string()));
    EXPECT_EQ(tileBundleIdentifier(tiles[3]), "");
    EXPECT_EQ(source.copyValue(persistentOthersKey), PlistValue(PlistArray{}));

    // Written into a dock that has never run: its folder is made, every tile gets a file, the order names
    // them.
    PlankDock target = dock("b");
    target.set(persistentAppsKey, *captured);
    target.set(persistentOthersKey, PlistArray{});
    ASSERT_TRUE(target.synchronize().ok());
    EXPECT_EQ(settings("b")->strings("dock-items"),
              (std::vector<std::string>{"beta.dockitem", "My Docs.dockitem", "alpha.dockitem",
                                        "trash.dockitem", "notes.dockitem"}));
    EXPECT_EQ(readText(launchers(dockName_ + "b") / "My Docs.dockitem"),
              launcherText("file://" + home.string() + "/My%20Docs"));
    EXPECT_EQ(encodeTiles(*dock("b").copyValue(persistentAppsKey)->array()).value(),
              encodeTiles(tiles).value());
}

TEST_F(PlankDockTest, WriteLeavesOutWhatPlankCannotShowAndReplacesTheOldTiles) {
    writeDock({{"beta.dockitem", uri(apps() / "beta.desktop")}, {"trash.dockitem", "docklet://trash"}},
              {"beta.dockitem", "trash.dockitem"});
    PlankDock plank = dock();
    const PlistValue spacer = tileDictionary(DockAppEntry::spacer(SpacerType::small));
    const PlistValue safari =
        tileDictionary({{}, "Safari", "com.apple.Safari", "file:///Applications/Safari.app/"});
    const PlistValue secret = desktop::applicationTile(*index_.find("secret.desktop"));
    const PlistValue gone = tileDictionary({{}, "Gone", "", uri(dir_.path() / "gone")});
    const PlistValue alpha = desktop::applicationTile(*index_.find("alpha.desktop"));
    // An app known by its file rather than an installed id, as one kept on the desktop.
    writeText(dir_.path() / "home" / "tool.desktop",
              "[Desktop Entry]\nType=Application\nName=Tool\nExec=t\n");
    const PlistValue tool =
        tileDictionary({{}, "Tool", "tool.desktop", uri(dir_.path() / "home" / "tool.desktop")});
    EXPECT_EQ(plank.whyNotShown(spacer), "a spacer");
    EXPECT_EQ(plank.whyNotShown(safari), "not an installed app");
    EXPECT_EQ(plank.whyNotShown(secret), "not shown on this desktop");
    EXPECT_EQ(plank.whyNotShown(gone), "not found");
    EXPECT_EQ(plank.whyNotShown(alpha), std::nullopt);
    EXPECT_EQ(plank.whyNotShown(tool), std::nullopt);

    plank.set(persistentAppsKey, PlistArray{spacer, alpha, safari, secret, alpha, tool});
    plank.set(persistentOthersKey, PlistArray{gone});
    ASSERT_TRUE(plank.synchronize().ok());
    EXPECT_EQ(settings()->strings("dock-items"),
              (std::vector<std::string>{"alpha.dockitem", "tool.dockitem"}));
    // Files the new order does not name would come back at Plank's next start.
    EXPECT_FALSE(std::filesystem::exists(launchers(dockName_) / "beta.dockitem"));
    EXPECT_FALSE(std::filesystem::exists(launchers(dockName_) / "trash.dockitem"));
    EXPECT_EQ(labels(*plank.copyValue(persistentAppsKey)), (std::vector<std::string>{"Alpha", "Tool"}));
}

TEST_F(PlankDockTest, AFailedWriteLeavesTheDockAsItWas) {
    writeDock({{"beta.dockitem", uri(apps() / "beta.desktop")}}, {"beta.dockitem"});
    PlankDock plank = dock();
    plank.set(persistentAppsKey, PlistArray{desktop::applicationTile(*index_.find("alpha.desktop"))});
    {
        const moorvane::testing::FailingCall full(moorvane::testing::FailingCall::Call::write, ENOSPC);
        EXPECT_FALSE(plank.synchronize().ok());
    }
    EXPECT_EQ(settings()->strings("dock-items"), std::vector<std::string>{"beta.dockitem"});
    EXPECT_EQ(readText(launchers(dockName_) / "beta.dockitem"), launcherText(uri(apps() / "beta.desktop")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(launchers(dockName_)), {}), 1);

    // A launchers folder that cannot be made: nothing is written.
    writeText(dir_.path() / "blocked" / "plank", "a file where Plank's folder goes");
    PlankDock blocked(index_, {dockName_ + "c", (dir_.path() / "blocked").string(), false, {}});
    blocked.set(persistentAppsKey, PlistArray{});
    EXPECT_FALSE(blocked.synchronize().ok());
    EXPECT_TRUE(settings("c")->strings("dock-items").empty());
}

// Plank's Items interface on the test's own bus, answered from a thread of its own as Plank's process would:
// Add appends, Remove takes the tile away and, as Plank does, an app's file. The call `stopAt` names is
// refused, or, with `vanish`, finds Plank gone: its connection closed and the call unanswered.
class FakePlank {
  public:
    FakePlank(const char* address, const std::string& dock, std::filesystem::path launchers,
              std::vector<std::string> tiles, std::string stopAt, bool vanish)
        : launchers_(std::move(launchers)),
          tiles_(std::move(tiles)),
          stopAt_(std::move(stopAt)),
          vanish_(vanish) {
        static const GDBusInterfaceVTable vtable = {&FakePlank::call, nullptr, nullptr, {}};
        GDBusNodeInfo* node =
            g_dbus_node_info_new_for_xml(R"(<node><interface name="net.launchpad.plank.Items">
            <method name="Add"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
            <method name="Remove"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
            <method name="GetPersistentApplications"><arg type="as" direction="out"/></method>
            </interface></node>)",
                                         nullptr);
        connection_ = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        // Calls are answered in the context current at registration, which the thread then runs.
        g_main_context_push_thread_default(context_);
        object_ = g_dbus_connection_register_object(connection_, ("/net/launchpad/plank/" + dock).c_str(),
                                                    node->interfaces[0], &vtable, this, nullptr, nullptr);
        g_main_context_pop_thread_default(context_);
        g_dbus_node_info_unref(node);
        g_variant_unref(g_dbus_connection_call_sync(
            connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "net.launchpad.plank", 0u), nullptr, G_DBUS_CALL_FLAGS_NONE,
            -1, nullptr, nullptr));
        thread_ = std::thread([this] { g_main_loop_run(loop_); });
    }
    ~FakePlank() {
        g_main_context_invoke(
            context_,
            [](gpointer loop) {
                g_main_loop_quit(static_cast<GMainLoop*>(loop));
                return G_SOURCE_REMOVE;
            },
            loop_);
        thread_.join();
        g_dbus_connection_unregister_object(connection_, object_);
        g_dbus_connection_close_sync(connection_, nullptr, nullptr);
        g_object_unref(connection_);
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
    }
    std::vector<std::string> tiles() {
        std::lock_guard lock(mutex_);
        return tiles_;
    }

  private:
    static void call(GDBusConnection* connection, const gchar*, const gchar*, const gchar*,
                     const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                     gpointer self) {
        auto& plank = *static_cast<FakePlank*>(self);
        std::lock_guard lock(plank.mutex_);
        std::vector<std::string>& tiles = plank.tiles_;
        if (std::string_view(method) == "GetPersistentApplications") {
            GVariantBuilder apps;
            g_variant_builder_init(&apps, G_VARIANT_TYPE("as"));
            for (const std::string& tile : tiles) {
                if (tile.ends_with(".desktop")) g_variant_builder_add(&apps, "s", tile.c_str());
            }
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(as)", &apps));
            return;
        }
        const gchar* launcher = nullptr;
        g_variant_get(parameters, "(&s)", &launcher);
        if (std::string(method) + " " + launcher == plank.stopAt_) {
            if (plank.vanish_) g_dbus_connection_close_sync(connection, nullptr, nullptr);
            g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed", "no");
            return;
        }
        const auto at = std::find(tiles.begin(), tiles.end(), launcher);
        const bool add = std::string_view(method) == "Add";
        const bool held = at != tiles.end();
        if (add && !held) tiles.emplace_back(launcher);
        if (!add && held) {
            tiles.erase(at);
            for (const DockItem& item : readLaunchersFolder(plank.launchers_)) {
                if (item.launcher == launcher && item.launcher.ends_with(".desktop"))
                    std::filesystem::remove(plank.launchers_ / item.fileName);
            }
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", add != held));
    }

    std::filesystem::path launchers_;
    std::mutex mutex_;
    std::vector<std::string> tiles_;
    std::string stopAt_;
    bool vanish_;
    GMainContext* context_ = g_main_context_new();
    GMainLoop* loop_ = g_main_loop_new(context_, FALSE);
    GDBusConnection* connection_ = nullptr;
    guint object_ = 0;
    std::thread thread_;
};

// A switch Plank stops answering partway would leave the dock without the tiles already removed, and
// auto-save would copy that into the profile still active: the old tiles go back, live or into Plank's files.
TEST_F(PlankDockTest, ASwitchPlankStopsAnsweringPartwayPutsTheOldTilesBack) {
    const std::unique_ptr<GTestDBus, void (*)(GTestDBus*)> bus(g_test_dbus_new(G_TEST_DBUS_NONE),
                                                               [](GTestDBus* b) {
                                                                   g_test_dbus_down(b);
                                                                   g_object_unref(b);
                                                               });
    g_test_dbus_up(bus.get());
    const char* address = g_test_dbus_get_bus_address(bus.get());
    const std::vector<std::string> before = {uri(apps() / "alpha.desktop"),
                                             uri(dir_.path() / "home") + "/My%20Docs"};
    for (const bool vanishes : {false, true}) {
        SCOPED_TRACE(vanishes ? "Plank gone" : "Plank refusing");
        const std::string suffix = vanishes ? "v" : "r";
        writeText(launchers(dockName_ + suffix) / "alpha.dockitem", launcherText(before[0]));
        writeText(launchers(dockName_ + suffix) / "My Docs.dockitem", launcherText(before[1]));
        ASSERT_TRUE(settings(suffix)->setStrings("dock-items", {"alpha.dockitem", "My Docs.dockitem"}).ok());
        FakePlank plank(address, dockName_ + suffix, launchers(dockName_ + suffix), before,
                        "Add " + uri(apps() / "beta.desktop"), vanishes);
        PlankDock switched(index_, {dockName_ + suffix, (dir_.path() / "config").string(), true, address});
        switched.set(persistentAppsKey, PlistArray{desktop::applicationTile(*index_.find("beta.desktop"))});
        EXPECT_FALSE(switched.synchronize().ok());
        if (vanishes) {
            // What Plank loads at its next start.
            EXPECT_EQ(labels(*dock(suffix).copyValue(persistentAppsKey)),
                      (std::vector<std::string>{"Alpha", "My Docs"}));
        } else {
            EXPECT_EQ(plank.tiles(), before);
        }
    }
}

TEST(DockItemOrderTest, FollowsTheOrderThenPlanksLoadRules) {
    const std::vector<DockItem> files = {{"a.dockitem", "file:///a"},
                                         {"b.dockitem", "file:///b"},
                                         {"c.dockitem", "file:///c"},
                                         {"copy.dockitem", "file:///a"},
                                         {"d.dockitem", "docklet://clock"}};
    const std::vector<std::string> order = {"c.dockitem", "ghost.dockitem", "a.dockitem", "c.dockitem",
                                            "copy.dockitem"};
    const auto names = [](const std::vector<DockItem>& items) {
        std::vector<std::string> out;
        for (const DockItem& item : items) out.push_back(item.fileName);
        return out;
    };
    // Unknown and repeated names are skipped, a launcher already placed too (Plank holds each once).
    EXPECT_EQ(names(orderedItems(files, order, UnnamedItems::leaveOut)),
              (std::vector<std::string>{"c.dockitem", "a.dockitem"}));
    EXPECT_EQ(names(orderedItems(files, order, UnnamedItems::append)),
              (std::vector<std::string>{"c.dockitem", "a.dockitem", "b.dockitem", "d.dockitem"}));
}

struct DockItemCase {
    const char* name;
    std::string bytes;
    std::string launcher;  // empty: refused
    std::string fileName;  // given a folder that holds "trash.dockitem"
};

class DockItemTest : public ::testing::TestWithParam<DockItemCase> {};

TEST_P(DockItemTest, ReadsOnlyALauncherItCanWriteBack) {
    const Result<std::string> launcher = parseDockItem(GetParam().bytes);
    if (GetParam().launcher.empty()) {
        EXPECT_FALSE(launcher.ok()) << *launcher;
        return;
    }
    ASSERT_TRUE(launcher.ok()) << launcher.error().description;
    EXPECT_EQ(*launcher, GetParam().launcher);
    EXPECT_EQ(parseDockItem(dockItemText(*launcher)).value(), *launcher);
    EXPECT_EQ(dockItemFileName(*launcher, {"trash.dockitem"}), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DockItemTest,
    ::testing::Values(
        DockItemCase{"app", launcherText("file:///usr/share/applications/org.gnome.Nautilus.desktop"),
                     "file:///usr/share/applications/org.gnome.Nautilus.desktop",
                     "org.gnome.Nautilus.dockitem"},
        DockItemCase{"takenName", launcherText("docklet://trash"), "docklet://trash", "trash-1.dockitem"},
        DockItemCase{"encodedFolder", launcherText("file:///home/me/My%20Docs/"),
                     "file:///home/me/My%20Docs/", "My Docs.dockitem"},
        DockItemCase{"hiddenFile", launcherText("file:///home/me/.bashrc"), "file:///home/me/.bashrc",
                     "bashrc.dockitem"},
        DockItemCase{"slashInName", launcherText("file:///x/a%2Fb.txt"), "file:///x/a%2Fb.txt",
                     "a_b.dockitem"},
        DockItemCase{"notUtf8Name", launcherText("file:///x/%FF%FE.txt"), "file:///x/%FF%FE.txt",
                     "\xEF\xBF\xBD\xEF\xBF\xBD.dockitem"},
        DockItemCase{"garbage", std::string("\0[[[x", 5), "", ""},
        DockItemCase{"otherGroup", "[Desktop Entry]\nLauncher=file:///a\n", "", ""},
        DockItemCase{"emptyLauncher", launcherText(""), "", ""},
        DockItemCase{"webAddress", launcherText("https://example.org"), "", ""},
        DockItemCase{"escapedNewLine", launcherText("file:///a\\nb"), "", ""}),
    moorvane::testing::caseName);

TEST(PlankProcessTest, CountsOnlyPlankOfThisSession) {
    TempDir proc;
    setenv("DISPLAY", ":42", 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    const auto process = [&](const std::string& pid, const std::string& comm, const std::string& environ) {
        writeText(proc.path() / pid / "comm", comm + "\n");
        writeText(proc.path() / pid / "environ", environ);
    };
    process("10", "plank", std::string("HOME=/h\0DISPLAY=:1\0", 19));
    process("11", "plankton", std::string("DISPLAY=:42\0", 12));
    process("12", "plank", std::string("XDISPLAY=:42\0", 13));
    process("self", "plank", std::string("DISPLAY=:42\0", 12));
    EXPECT_FALSE(PlankDock::isRunning(proc.path().string()));
    process("13", "plank", std::string("HOME=/h\0DISPLAY=:42", 19));
    EXPECT_TRUE(PlankDock::isRunning(proc.path().string()));
}

}  // namespace
}  // namespace moorvane::plank
