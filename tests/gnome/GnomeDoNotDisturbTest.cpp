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
    const auto showBanners = [&](gboolean shown) {
        g_settings_set_boolean(shell->raw(), "show-banners", shown);
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    };

    EXPECT_EQ(focus->activeMode(), std::nullopt) << "banners shown by default: no mode";
    showBanners(FALSE);
    showBanners(TRUE);
    EXPECT_EQ(seen, (std::vector<std::optional<std::string>>{"Do Not Disturb", std::nullopt}));
}

}  // namespace
}  // namespace moorvane
