#include <gtest/gtest.h>

#include <string>

#include "base/Plist.h"
#include "dock/TileCodec.h"
#include "fakes/FakeDockPreferences.h"
#include "fakes/Fixtures.h"
#include "model/ProfileJson.h"

namespace moorvane {
namespace {

// Auto-save compares blobs byte for byte, so a captured Dock must come back from the store unchanged, every
// key the Dock wrote included, and capturing the same Dock again must give the very same bytes.
TEST(StoreRoundTrip, CapturedRealDockSurvivesTheStoreByteForByte) {
    const auto domain = readPlist(testing::readFixture("dock-sequoia.xml"));
    ASSERT_TRUE(domain);
    testing::FakeDockPreferences preferences;
    for (const auto& [key, value] : *domain->dictionary()) preferences.values.emplace(key, value);

    auto captured = captureDockState(preferences);
    ASSERT_TRUE(captured);
    DockProfile profile;
    profile.persistentApps = captured->first;
    profile.persistentOthers = captured->second;
    auto stored = decodeProfiles(encodeProfiles({profile}));
    ASSERT_TRUE(stored) << stored.error().description;
    EXPECT_EQ((*stored)[0].persistentApps, captured->first);
    EXPECT_EQ((*stored)[0].persistentOthers, captured->second);
    EXPECT_TRUE(std::string(captured->first.begin(), captured->first.end()).starts_with("bplist00"));
    EXPECT_EQ(readPlist((*stored)[0].persistentApps).value(), *domain->dictionary()->find(persistentAppsKey));
    EXPECT_EQ(readPlist((*stored)[0].persistentOthers).value(),
              *domain->dictionary()->find(persistentOthersKey));
    EXPECT_EQ(captureDockState(preferences), captured);
}

TEST(EntryIcon, ResolvesTheItemThenTheApplicationThenNothing) {
    testing::TempDir dir;
    const auto bundle = dir.path() / "My App.app";
    std::filesystem::create_directories(bundle);
    const ApplicationLocator none = [](const std::string&) { return std::optional<std::string>(); };
    const ApplicationLocator known = [](const std::string& id) {
        return id == "com.example.known" ? std::optional<std::string>("/Applications/Known.app")
                                         : std::nullopt;
    };

    DockAppEntry entry;
    entry.path = "file://" + dir.path().string() + "/My%20App.app/";
    EXPECT_EQ(iconPath(entry, none), bundle.string());
    entry.path = bundle.string();
    EXPECT_EQ(iconPath(entry, none), bundle.string());

    entry.path = "file:///nowhere/Gone.app/";
    entry.bundleIdentifier = "com.example.known";
    EXPECT_EQ(iconPath(entry, known), "/Applications/Known.app");
    entry.bundleIdentifier = "com.example.unknown";
    EXPECT_EQ(iconPath(entry, known), std::nullopt);
    EXPECT_EQ(iconPath(DockAppEntry::spacer(SpacerType::regular), known), std::nullopt);

    // Text that is no URL still loses its scheme and escapes; a broken escape is kept as it stands.
    EXPECT_EQ(filePathFromLocation("file://a b/file://c%20d"), "a b/c d");
    EXPECT_EQ(filePathFromLocation("file://a b/c%2"), "a b/c%2");
}

}  // namespace
}  // namespace moorvane
