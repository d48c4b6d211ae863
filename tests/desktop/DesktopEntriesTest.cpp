#include "platform/desktop/DesktopEntries.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dock/TileCodec.h"
#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"
#include "platform/desktop/IconTheme.h"

namespace moorvane::desktop {
namespace {

using moorvane::testing::TempDir;
using moorvane::testing::writeText;

std::string app(const std::string& keys) {
    return "[Desktop Entry]\nType=Application\nName=App\nExec=app\n" + keys;
}

struct ShownCase {
    const char* name;
    std::string text;
    std::vector<std::string> desktops;
    bool shown;
};

class ShownTest : public ::testing::TestWithParam<ShownCase> {};

TEST_P(ShownTest, DecidesAsTheDesktopsDo) {
    DesktopEnvironment environment{{}, GetParam().desktops, {"/nonexistent", "/bin"}, {}};
    const Result<DesktopEntry> entry =
        parseDesktopEntry(GetParam().text, "a.desktop", "/a.desktop", environment);
    ASSERT_TRUE(entry.ok()) << entry.error().description;
    EXPECT_EQ(entry->shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ShownTest,
    ::testing::Values(
        ShownCase{"plain", app(""), {"GNOME"}, true},
        ShownCase{"link", "[Desktop Entry]\nType=Link\nName=A\nURL=https://example.org\n", {}, false},
        ShownCase{"noDisplay", app("NoDisplay=true\n"), {}, false},
        ShownCase{"hidden", app("Hidden=true\n"), {}, false},
        ShownCase{"noName", "[Desktop Entry]\nType=Application\nExec=app\n", {}, false},
        ShownCase{"onlyShowInOther", app("OnlyShowIn=KDE;XFCE;\n"), {"GNOME"}, false},
        ShownCase{"onlyShowInOurs", app("OnlyShowIn=KDE;GNOME;\n"), {"GNOME"}, true},
        ShownCase{"desktopNamesAreCaseSensitive", app("OnlyShowIn=gnome;\n"), {"GNOME"}, false},
        ShownCase{
            "firstDesktopDecides", app("OnlyShowIn=GNOME;\nNotShowIn=ubuntu;\n"), {"ubuntu", "GNOME"}, false},
        ShownCase{"tryExecMissing", app("TryExec=no-such-program-here\n"), {}, false},
        ShownCase{"tryExecOnPath", app("TryExec=sh\n"), {}, true},
        ShownCase{"tryExecAbsolute", app("TryExec=/bin/sh\n"), {}, true},
        ShownCase{"tryExecNotExecutable", app("TryExec=/etc/passwd\n"), {}, false}),
    moorvane::testing::caseName);

TEST(DesktopEntryTest, NameAndIconFollowTheSessionsLocalesNotTheProcesss) {
    const std::string text =
        app("Name[de]=Anwendung\nName[de_CH]=\xC3\x28\nName[fr]=Programme\nIcon=app\nIcon[de]=app-de\n");
    const auto read = [&text](std::vector<std::string> locales) {
        return *parseDesktopEntry(text, "a.desktop", "/a.desktop", {{}, {}, {}, std::move(locales)});
    };
    EXPECT_EQ(read({"de_AT", "de"}).name, "Anwendung");
    EXPECT_EQ(read({"de_AT", "de"}).icon, "app-de");
    EXPECT_EQ(read({"pt_BR", "pt", "fr"}).name, "Programme");
    EXPECT_EQ(read({}).name, "App");
    // A translation that is not UTF-8 is passed over for the next one.
    EXPECT_EQ(read({"de_CH", "de"}).name, "Anwendung");

    ::setenv("LANGUAGE", "", 1);
    ::setenv("LC_ALL", "", 1);
    ::setenv("LC_MESSAGES", "de_CH.UTF-8@euro", 1);
    ::setenv("LANG", "fr_FR.UTF-8", 1);
    const std::vector<std::string> locales = DesktopEnvironment::current().locales;
    ASSERT_FALSE(locales.empty());
    EXPECT_EQ(locales.front(), "de_CH.UTF-8@euro");
    EXPECT_NE(std::find(locales.begin(), locales.end(), "de_CH"), locales.end());
    EXPECT_EQ(locales.back(), "de");
    ::setenv("LANGUAGE", "pt_BR:fr", 1);
    EXPECT_EQ(DesktopEnvironment::current().locales, (std::vector<std::string>{"pt_BR", "pt", "fr"}));
    // The C locale turns translations off, LANGUAGE included.
    ::setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_TRUE(DesktopEnvironment::current().locales.empty());
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(name);
}

TEST(DesktopEntryTest, HostileBytesGiveAnErrorOrAnEntryNeverACrash) {
    const DesktopEnvironment environment{};
    // A binary with the group's line in it: bytes before the first group are no key file.
    const std::string binary(
        "\x7F"
        "ELF\x02\x01\x00\x00\n[Desktop Entry]\n",
        25);
    EXPECT_FALSE(parseDesktopEntry(binary, "a.desktop", "/a", environment).ok());
    EXPECT_FALSE(parseDesktopEntry("[Other]\nName=A\n", "a.desktop", "/a", environment).ok());
    const Result<DesktopEntry> badName = parseDesktopEntry(
        "[Desktop Entry]\nType=Application\nName=\xFF\xFE\n", "a.desktop", "/a", environment);
    ASSERT_TRUE(badName.ok());
    EXPECT_FALSE(badName->shown);
    EXPECT_EQ(badName->name, "a");
}

// Two data folders as a session has them: the user's first, then the system's.
class DesktopEntryIndexTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string home = (dir.path() / "home").string();
    std::string system = (dir.path() / "system").string();
    DesktopEntryIndex index{DesktopEnvironment{{home, system}, {"GNOME"}, {}, {}}};

    void put(const std::string& folder, const std::string& relative, const std::string& text) {
        writeText(std::filesystem::path(folder) / "applications" / relative, text);
    }
};

TEST_F(DesktopEntryIndexTest, FirstEntryOfAnIdWinsAndSubFoldersJoinTheId) {
    put(home, "org.example.Hidden.desktop", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    put(system, "org.example.Hidden.desktop", app(""));
    put(home, "org.example.Mine.desktop", "[Desktop Entry]\nType=Application\nName=mine\n");
    put(system, "org.example.Mine.desktop", app(""));
    put(system, "kde/konsole.desktop", "[Desktop Entry]\nType=Application\nName=Konsole\n");
    // A user's broken or oversized copy does not hide the system's working one.
    put(home, "zebra.desktop", std::string(1024 * 1024 + 1, '#'));
    put(system, "zebra.desktop", "[Desktop Entry]\nType=Application\nName=Zebra\n");
    put(system, "notes.txt", app(""));

    EXPECT_FALSE(index.find("org.example.Hidden.desktop")->shown);
    EXPECT_EQ(index.find("org.example.Mine.desktop")->name, "mine");
    const std::optional<DesktopEntry> konsole = index.find("kde-konsole.desktop");
    ASSERT_TRUE(konsole);
    EXPECT_EQ(konsole->path, system + "/applications/kde/konsole.desktop");

    std::vector<std::string> listed;
    for (const InstalledApp& installed : index.installedApps()) {
        EXPECT_EQ(installed.id, installed.bundleIdentifier);
        listed.push_back(installed.name + "=" + installed.id);
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"Konsole=kde-konsole.desktop",
                                                "mine=org.example.Mine.desktop", "Zebra=zebra.desktop"}));

    EXPECT_EQ(index.idOfFile(system + "/applications/kde/konsole.desktop"), "kde-konsole.desktop");
    EXPECT_EQ(index.idOfFile(home + "/applications/../applications/a.desktop"), "a.desktop");
    EXPECT_EQ(index.idOfFile(home + "/applications/../a.desktop"), std::nullopt);
    EXPECT_EQ(index.idOfFile("/usr/share/applications/a.desktop"), std::nullopt);
}

TEST_F(DesktopEntryIndexTest, AnAppInstalledAfterTheFirstScanIsFoundOnAMiss) {
    put(system, "a.desktop", app(""));
    EXPECT_TRUE(index.find("a.desktop"));
    EXPECT_FALSE(index.find("b.desktop"));
    put(home, "b.desktop", app(""));  // the user's folder did not exist at the first scan
    put(system, "sub/c.desktop", app(""));
    EXPECT_TRUE(index.find("b.desktop"));
    EXPECT_TRUE(index.find("sub-c.desktop"));
    EXPECT_EQ(index.installedApps().size(), 3u);
}

TEST(ApplicationTileTest, IsTheCodecsTileAndSurvivesARoundTripByteForByte) {
    const DesktopEntry entry{"org.example.App.desktop",
                             "/usr/share/applications/org.example.App Beta.desktop",
                             "App \xC3\xA9",
                             "app",
                             true,
                             {},
                             {},
                             {},
                             false};
    const PlistValue tile = applicationTile(entry);
    const PlistDictionary* data = tile.dictionary()->findDictionary("tile-data");
    ASSERT_TRUE(data);
    EXPECT_EQ(*data->findString("bundle-identifier"), "org.example.App.desktop");
    EXPECT_EQ(*data->findString("file-label"), "App \xC3\xA9");
    EXPECT_EQ(*data->findDictionary("file-data")->findString("_CFURLString"),
              "file:///usr/share/applications/org.example.App%20Beta.desktop");
    // What a capture reads back from a dock written with this tile is written again as the same bytes.
    const std::optional<DockAppEntry> read = entryFromTile(tile);
    ASSERT_TRUE(read);
    EXPECT_EQ(writeBinary(tileDictionary(*read)).value(), writeBinary(tile).value());
}

TEST(IconThemeTest, FindsTheNearestSizeThroughTheInheritedThemesThenThePixmaps) {
    TempDir dir;
    const auto icons = dir.path() / "icons";
    writeText(
        icons / "Mine/index.theme",
        "[Icon Theme]\nName=Mine\nInherits=Mine,hicolor\nDirectories=48x48/apps,../../escape,16x16/apps\n"
        "[48x48/apps]\nSize=48\nType=Fixed\n[16x16/apps]\nSize=16\nType=Fixed\n[../../escape]\nSize=64\n");
    writeText(icons / "Mine/48x48/apps/editor.png", "png");
    writeText(icons / "Mine/16x16/apps/editor.png", "png");
    writeText(icons / "hicolor/index.theme",
              "[Icon Theme]\nName=Hicolor\nDirectories=64x64/apps,scalable/apps\n[64x64/apps]\nSize=64\n"
              "[scalable/apps]\nSize=128\nMinSize=8\nMaxSize=512\nType=Scalable\n");
    writeText(icons / "hicolor/64x64/apps/editor.png", "png");
    writeText(icons / "hicolor/scalable/apps/viewer.svg", "svg");
    writeText(dir.path() / "pixmaps/old.xpm", "xpm");
    writeText(dir.path() / "escape.png", "png");
    const IconTheme theme("Mine", {icons.string()}, {(dir.path() / "pixmaps").string()});

    EXPECT_EQ(theme.themeNames(), (std::vector<std::string>{"Mine", "hicolor"}));
    // The user's theme has the icon, though not at 64: its nearest size beats hicolor's exact one.
    EXPECT_EQ(theme.find("editor", 64), (icons / "Mine/48x48/apps/editor.png").string());
    EXPECT_EQ(theme.find("editor", 16), (icons / "Mine/16x16/apps/editor.png").string());
    EXPECT_EQ(theme.find("viewer", 64), (icons / "hicolor/scalable/apps/viewer.svg").string());
    EXPECT_EQ(theme.find("viewer.svg", 64), (icons / "hicolor/scalable/apps/viewer.svg").string());
    EXPECT_EQ(theme.find("old", 64), (dir.path() / "pixmaps/old.xpm").string());
    EXPECT_EQ(theme.find((dir.path() / "pixmaps/old.xpm").string(), 64),
              (dir.path() / "pixmaps/old.xpm").string());
    EXPECT_EQ(theme.find("escape", 64), "");
    EXPECT_EQ(theme.find("../escape", 64), "");
}

}  // namespace
}  // namespace moorvane::desktop
