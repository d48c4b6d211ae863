#include "triggers/URLCommands.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/StoreRig.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

struct URLCase {
    const char* name;
    std::string url;
    std::optional<std::string> requested;  // the name handed to the store, if any
    Lines logged;
};

class HandleURL : public ::testing::TestWithParam<URLCase> {};

// The stand-in store knows every name except these.
const std::set<std::string> unknownNames = {"Nope", " "};

TEST_P(HandleURL, RequestsTheProfileOrLogsWhy) {
    const URLCase& row = GetParam();
    testing::LogCapture logged;
    std::vector<std::string> requests;
    const URLCommands commands([&requests](const std::string& name) {
        requests.push_back(name);
        return !unknownNames.count(name);
    });
    commands.handleURL(row.url);
    EXPECT_EQ(requests, row.requested ? Lines{*row.requested} : Lines{});
    EXPECT_EQ(logged.messages(), row.logged);
}

const std::string unknownLine = "AppDelegate: URL requested unknown profile ";
Lines unsupported(const std::string& action, const std::string& url) {
    return {"AppDelegate: unsupported URL action '" + action + "' in " + url};
}
Lines missing(const std::string& url) {
    return {"AppDelegate: " + url + " missing 'profile' parameter"};
}

INSTANTIATE_TEST_SUITE_P(
    Commands, HandleURL,
    ::testing::Values(
        URLCase{"WebAddressIsIgnored", "https://example.com/switch?profile=Work", {}, {}},
        URLCase{"SchemeAndActionIgnoreCase", "MOORVANE://Switch?profile=Work", "Work", {}},
        URLCase{"ActionInThePath", "moorvane:switch?profile=Work", "Work", {}},
        URLCase{"EmptyHostUsesThePath", "moorvane:///switch?profile=Work", "Work", {}},
        URLCase{"OtherAction",
                "moorvane://open?profile=Work",
                {},
                unsupported("open", "moorvane://open?profile=Work")},
        URLCase{"ActionIsLoweredAfterDecoding",
                "moorvane://%C3%89CRIRE",
                {},
                unsupported("\u00E9crire", "moorvane://%C3%89CRIRE")},
        URLCase{"NoAction", "moorvane:", {}, unsupported("", "moorvane:")},
        URLCase{"ParameterNameIsCaseSensitive",
                "moorvane://switch?Profile=Work",
                {},
                missing("moorvane://switch?Profile=Work")},
        URLCase{"NoValue", "moorvane://switch?profile", {}, missing("moorvane://switch?profile")},
        URLCase{"NoQuery", "moorvane://switch", {}, missing("moorvane://switch")},
        URLCase{"FirstItemDecidesEvenWhenEmpty",
                "moorvane://switch?profile=&profile=Work",
                {},
                missing("moorvane://switch?profile=&profile=Work")},
        URLCase{"OtherItemsFirst", "moorvane://switch?x=1&profile=Work", "Work", {}},
        URLCase{"UnknownName", "moorvane://switch?profile=Nope", "Nope", {unknownLine + "'Nope'"}},
        URLCase{"WhiteSpaceReachesTheStore", "moorvane://switch?profile=%20", " ", {unknownLine + "' '"}},
        URLCase{"PlusStaysPlus", "moorvane://switch?profile=Deep+Work", "Deep+Work", {}},
        URLCase{"EncodedAmpersand", "moorvane://switch?profile=A%26B", "A&B", {}}),
    testing::caseName);

// Text from any program (a web page can open such links) must neither crash the handler nor write
// anything but one whole log line.
INSTANTIATE_TEST_SUITE_P(
    Hostile, HandleURL,
    ::testing::Values(
        URLCase{"EncodedLineBreakCannotForgeALine",
                "moorvane://switch?profile=W%0A[1:00:00 PM] ProfileStore: forged",
                {},
                {unknownLine + "'W%0A[1:00:00 PM] ProfileStore: forged'"}},
        URLCase{
            "RawLineBreakInTheAction", "moorvane://op\nen", {}, unsupported("op%0Aen", "moorvane://op%0Aen")},
        URLCase{
            "EncodedNulIsNotCutOff", "moorvane://switch?profile=Work%00", {}, {unknownLine + "'Work%00'"}},
        URLCase{"RawNul", "moorvane://switch?profile=Wo\0rk"s, {}, {unknownLine + "'Wo%00rk'"}},
        URLCase{"LonePercentIsItself", "moorvane://switch?profile=100%", "100%", {}},
        URLCase{"BadEscapeIsItself", "moorvane://switch?profile=%ZZ", "%ZZ", {}},
        URLCase{"RawNonAscii", "moorvane://switch?profile=Caf\u00E9", "Caf\u00E9", {}},
        URLCase{"BracketsInTheQuery", "moorvane://switch?profile=[x]", "[x]", {}},
        URLCase{"UnparseablePort",
                "moorvane://switch:port?profile=Work",
                {},
                unsupported("", "moorvane://switch:port?profile=Work")},
        URLCase{"ForeignSchemeWithNul", "http://\0"s, {}, {}}, URLCase{"Empty", "", {}, {}}),
    testing::caseName);

TEST(HandleURLLength, AnOverlongURLIsHandledAndEchoedShortened) {
    testing::LogCapture logged;
    const URLCommands commands([](const std::string&) { return true; });
    commands.handleURL("moorvane://" + std::string(1'000'000, 'x') + "?profile=Work");
    const auto lines = logged.messages();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("AppDelegate: unsupported URL action 'xxx", 0), 0u);
    EXPECT_LT(lines[0].size(), 5000u);
}

// The same commands through a real store: the look-up ignores case and the active profile follows.
TEST(HandleURLStore, SwitchesTheStoreOrLeavesItAlone) {
    testing::StoreWithProfiles rig({"Home", "Work"});
    const URLCommands commands(rig.store);

    commands.handleURL("moorvane://switch?profile=Nope");
    EXPECT_FALSE(rig.store.activeProfileId.get().has_value());
    EXPECT_EQ(rig.logged.messages(),
              (Lines{"ProfileStore: no profile named 'Nope'", unknownLine + "'Nope'"}));

    commands.handleURL("moorvane://SWITCH?profile=work");
    EXPECT_EQ(rig.store.activeProfileId.get(), rig.store.profiles.get()[1].id);

    // A profile that exists but could not be written is the store's to explain, not an unknown name.
    rig.preferences.failSynchronize = true;
    const auto before = rig.logged.messages().size();
    commands.handleURL("moorvane://switch?profile=Home");
    EXPECT_EQ(rig.store.activeProfileId.get(), rig.store.profiles.get()[1].id);
    const auto lines = rig.logged.messages();
    ASSERT_GT(lines.size(), before);
    EXPECT_EQ(lines.back(), "ProfileStore: switch to 'Home' stopped: the Dock was not changed");
}

}  // namespace
}  // namespace moorvane
