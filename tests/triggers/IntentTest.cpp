#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "dock/DockManager.h"
#include "dock/TileCodec.h"
#include "fakes/StoreRig.h"
#include "fakes/TextFiles.h"
#include "model/ProfileStore.h"
#include "triggers/AppLaunchManager.h"
#include "triggers/SwitchDockProfileIntent.h"

namespace moorvane {
namespace {

using Names = std::vector<std::string>;

// A real store over fakes, holding profiles with the given names in that order.
class StoreWithProfiles : public testing::StoreRig {
  public:
    explicit StoreWithProfiles(const Names& names) {
        std::vector<DockProfile> profiles;
        for (const auto& name : names) {
            DockProfile p;
            p.name = name;
            p.persistentApps = p.persistentOthers = *encodeTiles({});
            profiles.push_back(p);
        }
        store.profiles = profiles;
    }

    ProfileStore store{dir.path() / "Moorvane", dock, launcher, queue};
};

struct PerformCase {
    const char* name;
    Names stored;
    std::string requested;
    std::optional<std::size_t> switchedTo;  // index in `stored`; none: noSuchProfile
};

class Perform : public ::testing::TestWithParam<PerformCase> {};

TEST_P(Perform, SwitchesAndReturnsTheRequestedTextOrFails) {
    const PerformCase& row = GetParam();
    StoreWithProfiles fixture(row.stored);
    const auto result = SwitchDockProfileIntent(fixture.store, row.requested).perform();

    if (row.switchedTo) {
        const auto* value = std::get_if<std::string>(&result);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, row.requested) << "the action's output is the request, not the stored name";
        EXPECT_EQ(fixture.store.activeProfileId.get(), fixture.store.profiles.get()[*row.switchedTo].id);
    } else {
        const auto* error = std::get_if<SwitchDockProfileError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->kind(), SwitchDockProfileError::Case::noSuchProfile);
        EXPECT_EQ(error->localizedStringResource(),
                  "There is no Moorvane profile named \u201C" + row.requested + "\u201D.");
        EXPECT_FALSE(fixture.store.activeProfileId.get().has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Perform,
    ::testing::Values(PerformCase{"TrimmedAndCaseless", {"Gaming", "Work"}, " work ", 1u},
                      PerformCase{"UntrimmedNameInTheError", {"Work"}, " Home ", std::nullopt}),
    testing::caseName);

TEST(ProfileNameOptions, OffersTheNamesInStoreOrderWithDuplicates) {
    EXPECT_EQ(ProfileNameOptionsProvider(StoreWithProfiles({"Work", "Gaming", "Work"}).store).results(),
              (Names{"Work", "Gaming", "Work"}));
}

}  // namespace
}  // namespace moorvane
