#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/Base64.h"
#include "base/Log.h"
#include "fakes/LogCapture.h"
#include "fakes/TextFiles.h"
#include "model/ProfileJson.h"

namespace moorvane {
namespace {

using nlohmann::json;

const char* const minimalProfile =
    R"({"id":"0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d","name":"Work","persistentApps":"AAEC","persistentOthers":""})";

DockProfile fullProfile() {
    DockProfile profile;
    profile.name = "Studio";
    profile.colorName = "magenta";
    profile.persistentApps = {0, 1, 2, 250, 255};
    profile.persistentOthers = {9};
    profile.focusFilter = "Work";
    profile.createdAt = dateFromReferenceSeconds(786543210.123456);
    profile.updatedAt = dateFromReferenceSeconds(786543299.5);
    profile.keyboardShortcut = "ctrl+opt+1";
    profile.appsToLaunch = std::vector<std::string>{"com.apple.Safari"};
    profile.quitOtherApps = true;
    profile.hiddenApps = std::vector<std::string>{};
    AppGroup group;
    group.name = "Tools";
    group.bundleIdentifiers = {"com.apple.Terminal", "com.apple.Notes"};
    profile.appGroups = std::vector<AppGroup>{group};
    return profile;
}

// The written form names every field (the key-order test below checks that), so equal forms mean equal
// fields.
void expectSameFields(const DockProfile& a, const DockProfile& b) {
    EXPECT_EQ(profileToJson(a, DateEncoding::referenceSeconds).dump(),
              profileToJson(b, DateEncoding::referenceSeconds).dump());
}

std::vector<std::string> keysOf(const OrderedJson& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

TEST(ProfileJson, StoreFormRoundTripsEveryFieldToTheMicrosecond) {
    const DockProfile profile = fullProfile();
    auto read = decodeProfiles(encodeProfiles({profile}));
    ASSERT_TRUE(read && read->size() == 1u);
    expectSameFields((*read)[0], profile);
    EXPECT_EQ((*read)[0].createdAt, profile.createdAt);
}

TEST(ProfileJson, DocumentFormWritesIsoDatesAndReadsOffsets) {
    DockProfile profile = fullProfile();
    profile.createdAt = dateFromReferenceSeconds(0);
    json edited = json::parse(profileToJson(profile, DateEncoding::iso8601).dump());
    EXPECT_EQ(edited["createdAt"], "2001-01-01T00:00:00Z");
    edited["createdAt"] = "2001-01-01T02:00:00.250+02:00";
    auto read = profileFromJson(edited, DateEncoding::iso8601);
    ASSERT_TRUE(read) << read.error().description;
    EXPECT_EQ(secondsSinceReferenceDate(read->createdAt), 0.25);
    // The document form keeps whole seconds only, so the dates are compared above and set aside here.
    read->createdAt = profile.createdAt;
    read->updatedAt = profile.updatedAt;
    expectSameFields(*read, profile);
}

TEST(ProfileJson, KeysAreWrittenInFieldOrderAndAbsentOnesLeftOut) {
    DockProfile profile = fullProfile();
    profile.appsToLaunch.reset();
    const std::string text = profileToJson(profile, DateEncoding::referenceSeconds).dump();
    EXPECT_EQ(keysOf(OrderedJson::parse(text)),
              (std::vector<std::string>{"id", "name", "colorName", "persistentApps", "persistentOthers",
                                        "focusFilter", "createdAt", "updatedAt", "keyboardShortcut",
                                        "quitOtherApps", "hiddenApps", "appGroups"}));
    EXPECT_NE(text.find(R"("hiddenApps":[])"), std::string::npos);
    EXPECT_NE(text.find(profile.id.text()), std::string::npos) << "UUIDs are written upper case";

    const Date before = currentDate();
    auto minimal = profileFromJson(json::parse(minimalProfile), DateEncoding::referenceSeconds);
    ASSERT_TRUE(minimal) << minimal.error().description;
    EXPECT_GE(minimal->createdAt, before);
    EXPECT_EQ(minimal->createdAt, minimal->updatedAt);
    EXPECT_EQ(keysOf(profileToJson(*minimal, DateEncoding::referenceSeconds)),
              (std::vector<std::string>{"id", "name", "colorName", "persistentApps", "persistentOthers",
                                        "createdAt", "updatedAt", "quitOtherApps"}));
}

struct BadProfile {
    const char* name;
    const char* key;
    json value;  // `absent` removes the key
    const char* named;
};

const json absent(json::value_t::discarded);

class ProfileJsonRejects : public ::testing::TestWithParam<BadProfile> {};

TEST_P(ProfileJsonRejects, WholeReadWithTheKeyNamed) {
    json object = json::parse(minimalProfile);
    if (GetParam().value.is_discarded()) {
        object.erase(GetParam().key);
    } else {
        object[GetParam().key] = GetParam().value;
    }
    auto read = profileFromJson(object, DateEncoding::referenceSeconds);
    ASSERT_FALSE(read);
    EXPECT_NE(read.error().description.find(GetParam().named), std::string::npos) << read.error().description;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ProfileJsonRejects,
    ::testing::Values(BadProfile{"missingId", "id", absent, "\"id\""},
                      BadProfile{"missingName", "name", absent, "\"name\""},
                      BadProfile{"missingApps", "persistentApps", absent, "\"persistentApps\""},
                      BadProfile{"missingOthers", "persistentOthers", absent, "\"persistentOthers\""},
                      BadProfile{"idNotUuid", "id", "not-a-uuid", "\"id\""},
                      BadProfile{"nameNumber", "name", 7, "\"name\""},
                      BadProfile{"base64Url", "persistentApps", "-_-_", "\"persistentApps\""},
                      BadProfile{"dateAsText", "createdAt", "2026-12-06T11:43:46Z", "\"createdAt\""},
                      BadProfile{"quitAsNumber", "quitOtherApps", 1, "\"quitOtherApps\""},
                      BadProfile{"launchNotTexts", "appsToLaunch", json::array({1}), "\"appsToLaunch\""},
                      BadProfile{"groupsNotArray", "appGroups", json::object(), "\"appGroups\""},
                      BadProfile{"groupBadId", "appGroups", json::array({{{"id", "x"}}}), "\"appGroups\""}),
    testing::caseName);

TEST(ProfileJson, GroupsReadWithDefaultsAndStoreErrorsNameTheProfile) {
    auto group = groupFromJson(json::object());
    ASSERT_TRUE(group);
    EXPECT_NE(group->id, Uuid()) << "a group without an id gets a fresh one";

    auto store = decodeProfiles(std::string("[") + minimalProfile + R"(,{"name":"x"}])");
    ASSERT_FALSE(store);
    EXPECT_EQ(store.error().description, "profile 2: key \"id\" is missing");
    EXPECT_FALSE(decodeProfiles("{\"not\":\"an array\"}"));
    EXPECT_FALSE(decodeProfiles("[{"));
    EXPECT_FALSE(decodeProfiles(std::string(100000, '[')));
}

TEST(Base64, RoundTripsEveryLengthAndRejectsNonCanonicalText) {
    Bytes bytes;
    for (int length = 0; length < 70; ++length) {
        auto decoded = base64Decode(base64Encode(bytes));
        ASSERT_TRUE(decoded) << "length " << length;
        EXPECT_EQ(*decoded, bytes) << "length " << length;
        bytes.push_back(static_cast<std::uint8_t>(length * 37));
    }
    EXPECT_EQ(base64Encode({'f', 'o', 'o', 'b'}), "Zm9vYg==");
    for (const char* bad : {"Zm9vYh==", "Zm9vYg=", "Zm9v Yg==", "Zm=vYg==", "Zg==Zg=="}) {
        EXPECT_FALSE(base64Decode(bad)) << bad;
    }
}

TEST(Dates, ReferenceSecondsAndIsoTextsConvert) {
    EXPECT_EQ(iso8601(dateFromReferenceSeconds(789478426)), "2026-01-07T11:33:46Z");
    EXPECT_EQ(parseIso8601("2026-12-06T11:43:46Z"), parseIso8601("2026-12-06T12:43:46+01:00"));
    EXPECT_EQ(parseIso8601("2026-12-06T11:43:46.5Z"), parseIso8601("2026-12-06T11:43:46.500000001Z"));
    // "4-Z" once reached the calendar code as an offset of INT64_MIN minutes.
    for (const char* bad :
         {"2026-12-06 11:43:46", "2026-12-06T11:43:46Zjunk", "2026-12-06T11:43:4-Z", "2026-02-30T11:43:46Z",
          "2026-12-06T24:00:00Z", "2026-12-06T11:43:46.Z", "2026-12-06T11:43:46+1:00",
          "2026-12-06T11:43:46+01:0", "+2026-12-06T11:43:46Z"}) {
        EXPECT_FALSE(parseIso8601(bad)) << bad;
    }
    // Every date a store file can hold writes text that reads back to a date writing the same text.
    for (const double seconds : {-1e300, -9e12, 7.275e11, 1e300}) {
        const std::string text = iso8601(dateFromReferenceSeconds(seconds));
        const auto read = parseIso8601(text);
        ASSERT_TRUE(read) << text;
        EXPECT_EQ(iso8601(*read), text);
    }
    EXPECT_EQ(iso8601(dateFromReferenceSeconds(7.275e11)), "9999-12-31T23:59:59Z");
    EXPECT_EQ(iso8601(dateFromReferenceSeconds(-9e12)), "0000-01-01T00:00:00Z");
    // Hostile numbers in a hand-edited store must not overflow the date.
    EXPECT_EQ(dateFromReferenceSeconds(std::numeric_limits<double>::quiet_NaN()),
              dateFromReferenceSeconds(0));
    EXPECT_LT(dateFromReferenceSeconds(-1e300), dateFromReferenceSeconds(0));
}

TEST(Uuid, ParsesEitherCaseAndRejectsOtherShapes) {
    auto lower = Uuid::parse("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower, Uuid::parse("0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D"));
    for (const char* bad : {"0a1b2c3d4e5f4a6b8c7d9e0f1a2b3c4d", "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4dx",
                            "0a1b2c3d-4e5f-4a6b-8c7d_9e0f1a2b3c4d", "g a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4"}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
    EXPECT_NE(Uuid::random(), Uuid::random());
}

TEST(LogFile, AppendsWholeLinesInCallOrderToAPrivateFile) {
    testing::LogCapture capture;
    log("ProfileStore: first");
    log("");
    log("two\nlines");
    const std::vector<std::string> lines = capture.messages();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "ProfileStore: first");
    EXPECT_EQ(lines[1], "");
    const std::string text = testing::readText(capture.path());
    EXPECT_TRUE(text.starts_with("[") && text.ends_with("] two\nlines\n")) << text;
    EXPECT_EQ(std::filesystem::status(capture.path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(LogFile, NeverWritesThroughAPlantedLink) {
    testing::LogCapture capture;
    const auto victim = capture.path().parent_path() / "victim";
    testing::writeText(victim, "precious\n");
    std::filesystem::remove(capture.path());
    std::filesystem::create_symlink(victim, capture.path());
    log("ProfileStore: hello");
    EXPECT_EQ(testing::readText(victim), "precious\n");
}

TEST(LogFile, AnotherUsersFileIsLeftAloneAndTheLinesGoToOurOwnBesideIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "planting another user's file takes root";
    testing::LogCapture capture;
    testing::writeText(capture.path(), "");
    // Writable by everyone, as a user who wants to read our lines would leave it.
    ASSERT_EQ(::chmod(capture.path().c_str(), 0666), 0);
    ASSERT_EQ(::chown(capture.path().c_str(), 65534, 65534), 0);
    ::testing::internal::CaptureStderr();
    log("ProfileStore: one");
    log("ProfileStore: two");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::readText(capture.path()), "");
    const std::string own = testing::readText(capture.path().parent_path() / "moorvane-0.log");
    EXPECT_NE(own.find("] ProfileStore: one\n["), std::string::npos) << own;
    EXPECT_NE(own.find("] ProfileStore: two\n"), std::string::npos) << own;
    EXPECT_EQ(said, "moorvane: " + capture.path().string() + " belongs to another user; logging to " +
                        (capture.path().parent_path() / "moorvane-0.log").string() + "\n")
        << "said once";
}

}  // namespace
}  // namespace moorvane
