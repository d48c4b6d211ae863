#include "dock/TileCodec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/FakeDockPreferences.h"
#include "fakes/Fixtures.h"
#include "fakes/LogCapture.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

// An entry without its identifier, which is new at every decode: label|bundle|path|tile type.
std::string shape(const DockAppEntry& e) {
    return e.label + "|" + e.bundleIdentifier + "|" + e.path + "|" + std::string(rawValue(e.spacerType)) +
           (e.isSpacer ? "|spacer" : "");
}

std::vector<std::string> shapes(const std::vector<DockAppEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& entry : entries) out.push_back(shape(entry));
    return out;
}

PlistDictionary fixtureDomain(const std::string& name) {
    Result<PlistValue> domain = readPlist(moorvane::testing::readFixture(name));
    return domain && domain->dictionary() ? *domain->dictionary() : PlistDictionary{};
}

Bytes appsBlob(const std::string& fixture) {
    return *writeBinary(*fixtureDomain(fixture).find(persistentAppsKey));
}

TEST(TileCodec, DecodesRealDocksInEitherFormat) {
    const std::vector<std::string> entries = shapes(decodeEntries(appsBlob("dock-sequoia.xml")));
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[1],
              "Safari|com.apple.Safari|file:///System/Volumes/Preboot/Cryptexes/App/System/Applications/"
              "Safari.app/|");
    EXPECT_EQ(entries[4], "Spacer|||spacer-tile|spacer");
    EXPECT_EQ(entries[5],
              "Visual Studio Code|com.microsoft.VSCode|file:///Applications/Visual%20Studio%20Code.app/|");
    EXPECT_EQ(entries[8], "Small Spacer|||small-spacer-tile|spacer");

    // Tiles of shrinking detail. Any property-list format is read, so the XML text of the array works as a
    // blob too.
    const Bytes xml = [] {
        std::string text = *writeXml(*fixtureDomain("dock-minimal.xml").find(persistentAppsKey));
        return Bytes(text.begin(), text.end());
    }();
    EXPECT_EQ(shapes(decodeEntries(xml)),
              (std::vector<std::string>{
                  "Unknown||/System/Applications/Notes.app|",
                  "Unknown||file:///Applications/Firefox.app/|",
                  "Maps|com.apple.Maps|file:///System/Applications/Maps.app/|",
                  "Photos|com.apple.Photos|file:///System/Applications/Photos.app/|",
              }));
}

struct TileCase {
    const char* name;
    PlistValue tile;
    const char* expected;  // shape, or "" for no entry
};

class EntryFromTile : public ::testing::TestWithParam<TileCase> {};

TEST_P(EntryFromTile, ReadsOnlyTheKeysItNeeds) {
    const std::optional<DockAppEntry> entry = entryFromTile(GetParam().tile);
    EXPECT_EQ(entry ? shape(*entry) : "", GetParam().expected);
}

const PlistDictionary data{{"file-label", "Notes"}};

INSTANTIATE_TEST_SUITE_P(
    Tiles, EntryFromTile,
    ::testing::Values(
        TileCase{"Regular", PlistDictionary{{"tile-type", "spacer-tile"}}, "Spacer|||spacer-tile|spacer"},
        TileCase{"Flexible", PlistDictionary{{"tile-type", "flex-spacer-tile"}},
                 "Spacer|||flex-spacer-tile|spacer"},
        TileCase{"Small", PlistDictionary{{"tile-type", "small-spacer-tile"}, {"tile-data", 3}},
                 "Small Spacer|||small-spacer-tile|spacer"},
        TileCase{"OtherSpacer", PlistDictionary{{"tile-type", "wide-spacer-tile"}},
                 "Small Spacer|||small-spacer-tile|spacer"},
        TileCase{"SpacerIsCaseSensitive", PlistDictionary{{"tile-type", "Spacer-tile"}}, ""},
        TileCase{"NoTileData", PlistDictionary{{"tile-type", "file-tile"}}, ""},
        TileCase{"TypeNotText", PlistDictionary{{"tile-type", 7}, {"tile-data", data}}, "Notes|||"},
        TileCase{"InnerValuesMistyped",
                 PlistDictionary{{"tile-data", PlistDictionary{{"file-label", 1},
                                                               {"bundle-identifier", true},
                                                               {"file-data", "file:///x"}}}},
                 "Unknown|||"},
        TileCase{"NotADictionary", "file-tile", ""}),
    moorvane::testing::caseName);

TEST(TileCodec, WritesTheTwoTileForms) {
    const DockAppEntry safari{.label = "Safari",
                              .bundleIdentifier = "com.apple.Safari",
                              .path = "file:///Applications/Safari.app/"};
    EXPECT_EQ(tileDictionary(safari),
              PlistValue(PlistDictionary{
                  {"tile-type", "file-tile"},
                  {"tile-data", PlistDictionary{{"file-data", PlistDictionary{{"_CFURLString", safari.path},
                                                                              {"_CFURLStringType", 15}}},
                                                {"file-label", "Safari"},
                                                {"bundle-identifier", "com.apple.Safari"}}}}));
    const PlistValue bareTile =
        tileDictionary(DockAppEntry{.label = "Bare", .bundleIdentifier = {}, .path = {}});
    const PlistDictionary* fileData =
        bareTile.dictionary()->findDictionary("tile-data")->findDictionary("file-data");
    EXPECT_EQ(*fileData, (PlistDictionary{{"_CFURLString", ""}, {"_CFURLStringType", 0}}));
    EXPECT_EQ(tileDictionary(DockAppEntry::spacer(SpacerType::small)),
              PlistValue(PlistDictionary{{"tile-type", "small-spacer-tile"},
                                         {"tile-data", PlistDictionary{{"file-label", ""}}}}));
    DockAppEntry broken = DockAppEntry::spacer(SpacerType::regular);
    broken.spacerType = SpacerType::none;
    EXPECT_EQ(*tileDictionary(broken).dictionary()->findString("tile-type"), "small-spacer-tile");
}

TEST(TileCodec, PlainPathsBecomeFileUrls) {
    moorvane::testing::TempDir dir;
    std::filesystem::create_directory(dir.path() / "Visual Studio Code.app");
    const std::string root = dir.path().string();
    EXPECT_EQ(tileLocation(root + "/Visual Studio Code.app"),
              "file://" + root + "/Visual%20Studio%20Code.app/");
    EXPECT_EQ(tileLocation(root + "/Gone #1?.app"), "file://" + root + "/Gone%20%231%3F.app");
    EXPECT_EQ(tileLocation("/Apps/Caf\xC3\xA9 (Beta)+100%.app"),
              "file:///Apps/Caf%C3%A9%20(Beta)+100%25.app");
    EXPECT_EQ(tileLocation("file:///kept as is"), "file:///kept as is");
}

TEST(TileCodec, SetAppEntriesKeepsTheOldBlobWhenWritingFails) {
    DockProfile profile;
    profile.persistentApps = appsBlob("dock-sequoia.xml");
    const Bytes before = profile.persistentApps;
    const Date updated = profile.updatedAt;
    setAppEntries(profile,
                  {DockAppEntry{.label = std::string("bad\0label", 9), .bundleIdentifier = {}, .path = {}}});
    EXPECT_EQ(profile.persistentApps, before);
    EXPECT_EQ(profile.updatedAt, updated);
}

TEST(TileCodec, UnreadableOrMisshapenBlobsDecodeToNothing) {
    const Bytes nonDictionaryElement =
        *writeBinary(PlistArray{PlistDictionary{{"tile-type", "spacer-tile"}}, 1});
    for (const Bytes& blob :
         {Bytes{}, Bytes{'x', 'y'}, *writeBinary(PlistDictionary{}), nonDictionaryElement}) {
        EXPECT_TRUE(decodeEntries(blob).empty());
    }
    EXPECT_FALSE(decodeTiles(Bytes{'x'}));
    EXPECT_TRUE(decodeTiles(nonDictionaryElement)->empty());
}

TEST(CaptureDockState, MissingOrMisshapenListsGiveNothingSilentlyAndAWriteFailureIsLogged) {
    moorvane::testing::LogCapture logged;
    moorvane::testing::FakeDockPreferences preferences;
    preferences.values.insert_or_assign("persistent-apps", PlistArray{});
    EXPECT_FALSE(captureDockState(preferences));
    preferences.values.insert_or_assign("persistent-others", PlistArray{PlistDictionary{}, "stray"});
    EXPECT_FALSE(captureDockState(preferences));
    EXPECT_TRUE(logged.messages().empty());

    preferences.values.insert_or_assign("persistent-apps",
                                        PlistArray{PlistDictionary{{"file-label", "\xC3"}}});
    preferences.values.insert_or_assign("persistent-others", PlistArray{});
    EXPECT_FALSE(captureDockState(preferences));
    EXPECT_EQ(
        logged.messages(),
        std::vector<std::string>{"DockManager: Failed to serialize dock state: string is not valid UTF-8"});
}

}  // namespace
}  // namespace moorvane
