#include "exchange/ProfileIO.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "dock/DockManager.h"
#include "dock/TileCodec.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/FakeDialogs.h"
#include "fakes/StoreRig.h"
#include "fakes/TextFiles.h"
#include "model/ProfileJson.h"
#include "store/AppLaunchManager.h"
#include "store/ProfileStore.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

using testing::readText;
using testing::writeText;

const Date longAgo = dateFromReferenceSeconds(600'000'000.5);

DockProfile sample(const std::string& name) {
    DockProfile p = testing::profileWithTiles(name, {testing::appTile("com.example." + name)});
    p.createdAt = p.updatedAt = longAgo;
    p.keyboardShortcut = "cmd+opt+1";
    return p;
}

class ProfileIOTest : public ::testing::Test, protected testing::StoreWithProfiles {
  protected:
    fs::path exported(const DockProfile& profile) {
        dialogs.saveChoice = dir.path() / (profile.name + ".dockprofile");
        io.exportProfile(profile);
        return *dialogs.saveChoice;
    }
    Lines storedNames() const {
        Lines names;
        for (const auto& p : store.profiles.get()) names.push_back(p.name);
        return names;
    }

    testing::FakeDialogs dialogs;
    ProfileIO io{store, dialogs};
};

TEST_F(ProfileIOTest, ExportThenImportGivesANewCopyWithTheSameTiles) {
    const DockProfile original = sample("Work");
    const fs::path file = exported(original);

    EXPECT_EQ(dialogs.calls, (Lines{"activate", "save"}));
    const std::string text = readText(file);
    const auto order = [&text](const char* key) { return text.find(std::string("\"") + key + "\""); };
    EXPECT_LT(order("exportedAt"), order("exportedBy"));
    EXPECT_LT(order("colorName"), order("id")) << "the profile's keys are sorted too";
    EXPECT_NE(text.find("\n  \"exportedBy\": \"Moorvane\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"createdAt\": \"2020-01-06T"), std::string::npos) << "ISO 8601 dates";

    store.profiles = std::vector<DockProfile>{};
    const auto imported = io.importProfile(file);
    ASSERT_TRUE(imported);
    EXPECT_NE(imported->id, original.id);
    EXPECT_GT(imported->createdAt, longAgo);
    EXPECT_EQ(imported->updatedAt, imported->createdAt);
    EXPECT_EQ(std::tie(imported->name, imported->persistentApps, imported->persistentOthers,
                       imported->keyboardShortcut),
              std::tie(original.name, original.persistentApps, original.persistentOthers,
                       original.keyboardShortcut));
    EXPECT_FALSE(store.activeProfileId.get().has_value()) << "nothing is switched";

    EXPECT_EQ(decodeProfiles(readText(store.storageURL())).value().at(0).id, imported->id)
        << "the store was saved";
}

TEST_F(ProfileIOTest, RepeatedImportsNumberTheNameAndAStoreElementImportsBare) {
    DockProfile original = sample("Work");
    const fs::path file = exported(original);
    store.profiles = {original};
    DockProfile other = sample("Other");
    other.keyboardShortcut = "ctrl+f5";
    writeText(dir.path() / "other.json", profileToJson(other, DateEncoding::referenceSeconds).dump());

    EXPECT_EQ(io.importProfile(file)->name, "Work 2");
    EXPECT_EQ(io.importProfile(file)->name, "Work 3");
    EXPECT_EQ(storedNames(), (Lines{"Work", "Work 2", "Work 3"}));
    const auto bare = io.importProfile(dir.path() / "other.json");
    ASSERT_TRUE(bare) << "an element of the store file imports as a bare profile";
    EXPECT_EQ(bare->keyboardShortcut, "ctrl+f5") << "a shortcut nobody holds stays";
    EXPECT_TRUE(dialogs.alerts.empty());
}

// Names are looked up trimmed and ignoring case, so a second "work" beside "Work" could never be reached.
TEST_F(ProfileIOTest, ImportedNameIsFreeAsNameLookUpsCompare) {
    const auto names = [](Lines list) {
        std::vector<DockProfile> stored;
        for (auto& name : list) stored.push_back(sample(name));
        return stored;
    };
    EXPECT_EQ(uniqueImportName("work", names({"Work"})), "work 2");
    EXPECT_EQ(uniqueImportName("work", names({"Work", "WORK 2"})), "work 3");
    EXPECT_EQ(uniqueImportName("\u00E4rger", names({"\u00C4rger"})), "\u00E4rger 2");
    EXPECT_EQ(uniqueImportName("Work", names({"Work "})), "Work") << "stored names are not trimmed";
}

struct ShortcutCase {
    const char* name;
    std::string stored;
    std::string imported;
    bool kept;
};

class ImportShortcut : public ProfileIOTest, public ::testing::WithParamInterface<ShortcutCase> {};

TEST_P(ImportShortcut, IsDroppedOnlyWhenItParsesToAStoredOne) {
    DockProfile stored = sample("Stored");
    stored.keyboardShortcut = GetParam().stored;
    store.profiles = {stored};
    DockProfile incoming = sample("Incoming");
    incoming.keyboardShortcut = GetParam().imported;
    const auto imported = io.importProfile(exported(incoming));
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->keyboardShortcut.has_value(), GetParam().kept);
    EXPECT_EQ(store.profiles.get()[0].keyboardShortcut, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Shortcuts, ImportShortcut,
    ::testing::Values(ShortcutCase{"SameKeysOtherText", "Option + Command + 1", "cmd+alt+1", false},
                      ShortcutCase{"OtherKey", "cmd+opt+1", "cmd+opt+2", true},
                      ShortcutCase{"UnparsableStaysEvenIfEqual", "nonsense", "nonsense", true}),
    testing::caseName);

TEST_F(ProfileIOTest, ThreeFilesWithTheSecondBrokenImportTwoAndShowOneAlert) {
    const fs::path first = exported(sample("One"));
    const fs::path broken = dir.path() / "broken.dockprofile";
    writeText(broken, "{\"formatVersion\": 1,");
    const fs::path third = exported(sample("Three"));
    dialogs.calls.clear();
    dialogs.openChoice = {first, broken, third};

    io.showImportPanel();

    EXPECT_EQ(dialogs.calls, (Lines{"activate", "open", "alert"}));
    EXPECT_EQ(dialogs.openPanels[0].allowedContentTypes, (Lines{"com.moorvane.dockprofile", "public.json"}));
    EXPECT_TRUE(dialogs.openPanels[0].allowsMultipleSelection);
    EXPECT_EQ(storedNames(), (Lines{"One", "Three"}));
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_NE(dialogs.alerts[0].message.find("broken.dockprofile"), std::string::npos);
}

struct FailureCase {
    const char* name;
    std::function<void(const fs::path&)> make;  // creates the file at the path
    std::string reason;                         // part of the alert's informative text
};

class ImportFailure : public ProfileIOTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ImportFailure, IsReportedOnceAndAddsNothing) {
    const fs::path file = dir.path() / "in.dockprofile";
    GetParam().make(file);
    EXPECT_FALSE(io.importProfile(file));
    EXPECT_TRUE(store.profiles.get().empty());
    EXPECT_FALSE(fs::exists(store.storageURL()));
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].message, "Couldn\u2019t import \u201Cin.dockprofile\u201D");
    EXPECT_NE(dialogs.alerts[0].informativeText.find(GetParam().reason), std::string::npos)
        << dialogs.alerts[0].informativeText;
}

std::string documentWithout(const char* key) {
    auto document = nlohmann::json::parse(*encodeProfileDocument(sample("Work"), longAgo));
    document.erase(key);
    return document.dump();
}

// A profile whose tiles could never reach the Dock.
std::string documentWithBlob(const char* key) {
    auto document = nlohmann::json::parse(*encodeProfileDocument(sample("Work"), longAgo));
    document["profile"][key] = "bm90IGEgcGxpc3Q=";  // "not a plist"
    return document.dump();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImportFailure,
    ::testing::Values(
        FailureCase{"Missing", [](const fs::path&) {}, "cannot open"},
        FailureCase{"NotJson", [](const fs::path& p) { writeText(p, "Work"); }, "the file is not valid JSON"},
        FailureCase{"NoFormatVersionReportsTheDocumentError",
                    [](const fs::path& p) { writeText(p, documentWithout("formatVersion")); },
                    "key \"formatVersion\" is missing"},
        FailureCase{"StoreDatesInADocument",
                    [](const fs::path& p) {
                        auto document = nlohmann::json::parse(documentWithout("profile"));
                        document["profile"] = profileToJson(sample("Work"), DateEncoding::referenceSeconds);
                        writeText(p, document.dump());
                    },
                    "key \"profile\": key \"createdAt\" is not an ISO 8601 date"},
        // Sparse: no 64 MiB are written, and refusing happens before any byte is read.
        FailureCase{"LargerThanTheLimit",
                    [](const fs::path& p) {
                        writeText(p, "");
                        fs::resize_file(p, maxImportBytes + 1);
                    },
                    "is larger than 64 MiB"},
        FailureCase{"AppsNotAPropertyList",
                    [](const fs::path& p) { writeText(p, documentWithBlob("persistentApps")); },
                    "\"persistentApps\" is not a property list"},
        FailureCase{"OthersNotAPropertyList",
                    [](const fs::path& p) { writeText(p, documentWithBlob("persistentOthers")); },
                    "\"persistentOthers\" is not a property list"},
        FailureCase{"FifoWithoutAWriter", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                    "is not a regular file"}),
    testing::caseName);

// The other side of the limit is ImportFailure.LargerThanTheLimit.
TEST_F(ProfileIOTest, ALimitSizedFileIsRead) {
    const fs::path file = dir.path() / "big.json";
    writeText(file, "");
    fs::resize_file(file, maxImportBytes);
    const auto read = readImportFile(file);
    ASSERT_TRUE(read) << read.error().description;
    EXPECT_EQ(read->size(), maxImportBytes);
}

struct NameCase {
    const char* name;
    std::string profileName;
    std::string suggested;
};

class ExportName : public ProfileIOTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ExportName, ProposesASafeFileName) {
    DockProfile p = sample("x");
    p.name = GetParam().profileName;
    io.exportProfile(p);
    ASSERT_EQ(dialogs.savePanels.size(), 1u);
    EXPECT_EQ(dialogs.savePanels[0].suggestedName, GetParam().suggested);
    EXPECT_EQ(dialogs.savePanels[0].allowedContentTypes, Lines{"com.moorvane.dockprofile"});
    EXPECT_TRUE(logged.messages().empty()) << "a cancelled panel writes nothing";
}

INSTANTIATE_TEST_SUITE_P(Names, ExportName,
                         ::testing::Values(NameCase{"SlashAndColon", "Home/Work:Late",
                                                    "Home-Work-Late.dockprofile"},
                                           NameCase{"Empty", "", "Profile.dockprofile"}),
                         testing::caseName);

// A missing folder is not made; a disk that fills up halfway keeps the document already there whole.
TEST_F(ProfileIOTest, AFailedWriteIsReportedAndLosesNothing) {
    dialogs.saveChoice = dir.path() / "gone" / "Work.dockprofile";
    io.exportProfile(sample("Work"));
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(logged.messages().size(), 1u);
    EXPECT_FALSE(fs::exists(dir.path() / "gone"));

    const fs::path document = exported(sample("Home"));
    const std::string before = readText(document);
    const auto entries = [this] {
        return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    };
    const auto entriesBefore = entries();
    {
        testing::FailingCall failing(testing::FailingCall::Call::write, ENOSPC);
        EXPECT_FALSE(io.exportProfile(sample("Home")));
    }
    EXPECT_EQ(readText(document), before);
    EXPECT_EQ(entries(), entriesBefore) << "no temporary file is left behind";
    ASSERT_EQ(dialogs.alerts.size(), 2u);
    EXPECT_EQ(logged.messages().back(),
              "ProfileIO: Couldn\u2019t export \u201CHome\u201D \u2014 cannot write " + document.string() +
                  ": " + std::strerror(ENOSPC));
}

}  // namespace
}  // namespace moorvane
