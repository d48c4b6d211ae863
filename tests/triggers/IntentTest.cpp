#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "fakes/StoreRig.h"
#include "triggers/SwitchDockProfileIntent.h"

namespace moorvane {
namespace {

using Names = std::vector<std::string>;

using testing::StoreWithProfiles;

// The action's output is the request as typed, not the stored name; neither error leaves a profile active.
TEST(SwitchDockProfileIntent, SwitchesTrimmedAndCaselessOrFailsNamingWhy) {
    StoreWithProfiles rig({"Gaming", "Work"});
    auto result = SwitchDockProfileIntent(rig.store, " Home ").perform();
    const auto* error = std::get_if<SwitchDockProfileError>(&result);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), SwitchDockProfileError::Case::noSuchProfile);
    EXPECT_EQ(error->localizedStringResource(), "There is no Moorvane profile named \u201C Home \u201D.");

    rig.preferences.failSynchronize = true;
    result = SwitchDockProfileIntent(rig.store, "Work").perform();
    error = std::get_if<SwitchDockProfileError>(&result);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), SwitchDockProfileError::Case::dockNotChanged);
    EXPECT_EQ(
        error->localizedStringResource(),
        "Moorvane could not write the profile \u201CWork\u201D into the Dock; the Dock was not changed.");
    EXPECT_FALSE(rig.store.activeProfileId.get().has_value());

    rig.preferences.failSynchronize = false;
    result = SwitchDockProfileIntent(rig.store, " work ").perform();
    const auto* value = std::get_if<std::string>(&result);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, " work ");
    EXPECT_EQ(rig.store.activeProfileId.get(), rig.store.profiles.get()[1].id);
}

TEST(ProfileNameOptions, OffersTheNamesInStoreOrderWithDuplicates) {
    EXPECT_EQ(ProfileNameOptionsProvider(StoreWithProfiles({"Work", "Gaming", "Work"}).store).results(),
              (Names{"Work", "Gaming", "Work"}));
}

}  // namespace
}  // namespace moorvane
