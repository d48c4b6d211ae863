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

TEST(SwitchDockProfileIntent, SwitchesTrimmedAndCaselessAndReturnsTheRequestedText) {
    StoreWithProfiles rig({"Gaming", "Work"});
    const auto result = SwitchDockProfileIntent(rig.store, " work ").perform();
    const auto* value = std::get_if<std::string>(&result);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, " work ") << "the action's output is the request, not the stored name";
    EXPECT_EQ(rig.store.activeProfileId.get(), rig.store.profiles.get()[1].id);
}

TEST(SwitchDockProfileIntent, AnUnknownNameFailsNamingTheRequestUntrimmed) {
    StoreWithProfiles rig({"Work"});
    const auto result = SwitchDockProfileIntent(rig.store, " Home ").perform();
    const auto* error = std::get_if<SwitchDockProfileError>(&result);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), SwitchDockProfileError::Case::noSuchProfile);
    EXPECT_EQ(error->localizedStringResource(), "There is no Moorvane profile named \u201C Home \u201D.");
    EXPECT_FALSE(rig.store.activeProfileId.get().has_value());
}

TEST(SwitchDockProfileIntent, ADockThatCouldNotBeWrittenIsAnErrorNotAStartedSwitch) {
    StoreWithProfiles rig({"Work"});
    rig.preferences.failSynchronize = true;
    const auto result = SwitchDockProfileIntent(rig.store, "Work").perform();
    const auto* error = std::get_if<SwitchDockProfileError>(&result);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), SwitchDockProfileError::Case::dockNotChanged);
    EXPECT_EQ(
        error->localizedStringResource(),
        "Moorvane could not write the profile \u201CWork\u201D into the Dock; the Dock was not changed.");
    EXPECT_FALSE(rig.store.activeProfileId.get().has_value());
}

TEST(ProfileNameOptions, OffersTheNamesInStoreOrderWithDuplicates) {
    EXPECT_EQ(ProfileNameOptionsProvider(StoreWithProfiles({"Work", "Gaming", "Work"}).store).results(),
              (Names{"Work", "Gaming", "Work"}));
}

}  // namespace
}  // namespace moorvane
