#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gnome/GnomeDoNotDisturb.h"

namespace moorvane {
namespace {

// Before the first GSettings call: the schema copy built with the tests, and settings that live in memory.
const bool sandboxed = [] {
    setenv("GSETTINGS_SCHEMA_DIR", MOORVANE_TEST_SCHEMAS, 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    return true;
}();

TEST(GnomeDoNotDisturbTest, TheSwitchOfAnotherClientIsTheModeDoNotDisturbAndReportedAsItChanges) {
    ASSERT_TRUE(sandboxed);
    std::unique_ptr<GnomeDoNotDisturb> focus = GnomeDoNotDisturb::open();
    ASSERT_TRUE(focus);
    // The switch in GNOME's top bar is another client of the key.
    std::optional<desktop::Settings> shell = desktop::Settings::open("org.gnome.desktop.notifications");
    ASSERT_TRUE(shell);
    std::vector<std::optional<std::string>> seen;
    focus->observeChanges([&] { seen.push_back(focus->activeMode()); });

    EXPECT_EQ(focus->activeMode(), std::nullopt) << "banners shown by default: no mode";
    g_settings_set_boolean(shell->raw(), "show-banners", FALSE);
    g_settings_set_boolean(shell->raw(), "show-banners", TRUE);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_EQ(seen, (std::vector<std::optional<std::string>>{"Do Not Disturb", std::nullopt}));
    EXPECT_EQ(focus->modeNames(), std::vector<std::string>{"Do Not Disturb"});

    focus->observeChanges({});
    g_settings_set_boolean(shell->raw(), "show-banners", FALSE);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_EQ(seen.size(), 2u) << "a cleared handler is not called";
}

}  // namespace
}  // namespace moorvane
