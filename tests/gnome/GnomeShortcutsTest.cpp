#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "base/Text.h"
#include "fakes/Profiles.h"
#include "platform/gnome/GnomeShortcuts.h"

// Xlib's own lookup of keysym names, declared here because Xlib's macros clash with the project's names.
extern "C" unsigned long XStringToKeysym(const char* name);

namespace moorvane {
namespace {

using Paths = std::vector<std::string>;

const bool sandboxed = [] {
    setenv("GSETTINGS_SCHEMA_DIR", MOORVANE_TEST_SCHEMAS, 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    return true;
}();

constexpr std::string_view userPath =
    "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";

std::string entryKey(const std::string& path, const char* key) {
    auto settings = desktop::Settings::open(std::string(GnomeShortcuts::entrySchemaId), path);
    gchar* value = g_settings_get_string(settings->raw(), key);
    std::string out = value;
    g_free(value);
    return out;
}

// What gnome-settings-daemon runs: the Exec-style command with its "%%" undone, split as the shell would.
std::vector<std::string> argv(const std::string& command) {
    std::string plain;
    for (std::size_t i = 0; i < command.size(); ++i) {
        plain += command[i];
        if (command[i] == '%' && i + 1 < command.size() && command[i + 1] == '%') ++i;
    }
    gchar** parsed = nullptr;
    if (!g_shell_parse_argv(plain.c_str(), nullptr, &parsed, nullptr)) return {};
    std::vector<std::string> out;
    for (gchar** word = parsed; *word; ++word) out.emplace_back(*word);
    g_strfreev(parsed);
    return out;
}

using testing::profileWithShortcut;

class GnomeShortcutsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandboxed);
        // A shortcut of the person's own, made in GNOME Settings.
        auto user =
            desktop::Settings::open(std::string(GnomeShortcuts::entrySchemaId), std::string(userPath));
        g_settings_set_string(user->raw(), "name", "Terminal");
        g_settings_set_string(user->raw(), "binding", "<Control><Alt>t");
        g_settings_set_string(user->raw(), "command", "gnome-terminal");
        ASSERT_TRUE(list.setStrings(GnomeShortcuts::listKey, {std::string(userPath)}));
    }
    Paths paths() const { return list.strings(GnomeShortcuts::listKey); }
    std::string ours(const DockProfile& p, const char* key) {
        return entryKey(GnomeShortcuts::entryPath(p.id), key);
    }

    desktop::Settings list = *desktop::Settings::open(std::string(GnomeShortcuts::schemaId));
    GnomeShortcuts mirror = *GnomeShortcuts::open("/opt/My Apps/bin/moorvane");
};

TEST(GtkAccelerator, EveryShortcutKeyIsAKeysymGtkKnowsAndModifiersComeInGtksOrder) {
    std::set<std::string> seen;
    for (const auto& [name, code] : keyCodeByName()) {
        const auto accelerator = gtkAccelerator({ShortcutModifiers{ShortcutModifiers::control}, code});
        ASSERT_TRUE(accelerator) << name;
        const std::string key = accelerator->substr(std::string("<Control>").size());
        EXPECT_NE(XStringToKeysym(key.c_str()), 0u) << name << " gives " << key;
        EXPECT_TRUE(seen.insert(key).second) << name << " shares " << key;
    }
    EXPECT_EQ(gtkAccelerator(*parseShortcut("cmd+shift+k")), "<Shift><Super>k");
    EXPECT_EQ(gtkAccelerator(*parseShortcut("ctrl+delete")), "<Control>BackSpace");
    EXPECT_FALSE(gtkAccelerator({ShortcutModifiers{ShortcutModifiers::command}, 200}));
}

TEST(SwitchCommand, NamesWithSpacesQuotesAndPercentSignsReachTheUrlIntact) {
    for (const std::string name : {"Work", "Bob's 100% Mode", "Café & ?=#"}) {
        const std::vector<std::string> words = argv(switchCommand("/opt/it's/moorvane", name));
        ASSERT_EQ(words.size(), 2u) << name;
        EXPECT_EQ(words[0], "/opt/it's/moorvane");
        const std::string prefix = "moorvane://switch?profile=";
        ASSERT_TRUE(words[1].starts_with(prefix)) << words[1];
        EXPECT_EQ(percentDecoded(words[1].substr(prefix.size())), name);
    }
}

TEST_F(GnomeShortcutsTest, EntriesFollowSetRenameReleaseAndDeleteAndLeaveThePersonsOwnAlone) {
    DockProfile work = profileWithShortcut("Work", "ctrl+opt+1");
    DockProfile other = profileWithShortcut("Other", "⌃+⌥+1");  // the same keys: only Work gets them
    DockProfile home = profileWithShortcut("Home", std::nullopt);
    ASSERT_TRUE(mirror.mirror({work, other, home}));
    EXPECT_EQ(paths(), (Paths{std::string(userPath), GnomeShortcuts::entryPath(work.id)}));
    EXPECT_EQ(ours(work, "name"), "Work");
    EXPECT_EQ(ours(work, "binding"), "<Control><Alt>1");
    EXPECT_EQ(argv(ours(work, "command")),
              (std::vector<std::string>{"/opt/My Apps/bin/moorvane", "moorvane://switch?profile=Work"}));
    EXPECT_TRUE(mirror.bound(work.id));
    EXPECT_FALSE(mirror.bound(other.id));

    // While the recorder records, the entries stay and hold no keys.
    ASSERT_TRUE(mirror.mirror({work, other, home}, false));
    EXPECT_EQ(ours(work, "binding"), "");
    EXPECT_FALSE(mirror.bound(work.id));
    ASSERT_TRUE(mirror.mirror({work, other, home}));
    EXPECT_EQ(ours(work, "binding"), "<Control><Alt>1");

    work.name = "Deep Work";
    home.keyboardShortcut = "cmd+h";
    ASSERT_TRUE(mirror.mirror({work, other, home}));
    EXPECT_EQ(paths(), (Paths{std::string(userPath), GnomeShortcuts::entryPath(work.id),
                              GnomeShortcuts::entryPath(home.id)}));
    EXPECT_EQ(ours(work, "name"), "Deep Work");
    EXPECT_EQ(argv(ours(work, "command"))[1], "moorvane://switch?profile=Deep%20Work");
    EXPECT_EQ(ours(home, "binding"), "<Super>h");

    // Work releases its keys, which pass to Other; Home is deleted.
    work.keyboardShortcut.reset();
    ASSERT_TRUE(mirror.mirror({work, other}));
    EXPECT_EQ(paths(), (Paths{std::string(userPath), GnomeShortcuts::entryPath(other.id)}));
    EXPECT_EQ(ours(other, "binding"), "<Control><Alt>1");
    for (const char* key : {"name", "binding", "command"}) {
        EXPECT_EQ(ours(work, key), "") << key;
        EXPECT_EQ(ours(home, key), "") << key;
    }
    EXPECT_EQ(entryKey(std::string(userPath), "binding"), "<Control><Alt>t");
    EXPECT_EQ(entryKey(std::string(userPath), "command"), "gnome-terminal");
}

TEST_F(GnomeShortcutsTest, AStartDropsEntriesOfProfilesThatAreGoneAndKeepsThePersonsOrder) {
    const DockProfile gone = profileWithShortcut("Gone", "ctrl+opt+9");
    const DockProfile kept = profileWithShortcut("Kept", "ctrl+opt+8");
    ASSERT_TRUE(mirror.mirror({gone, kept}));
    // The person moves their own entry after ours, and adds another.
    const std::string later = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom1/";
    const Paths reordered{GnomeShortcuts::entryPath(kept.id), GnomeShortcuts::entryPath(gone.id),
                          std::string(userPath), later};
    ASSERT_TRUE(list.setStrings(GnomeShortcuts::listKey, reordered));

    GnomeShortcuts restarted = *GnomeShortcuts::open("/usr/bin/moorvane");
    ASSERT_TRUE(restarted.mirror({kept}));
    EXPECT_EQ(paths(), (Paths{GnomeShortcuts::entryPath(kept.id), std::string(userPath), later}));
    EXPECT_EQ(ours(gone, "binding"), "");
    EXPECT_EQ(argv(ours(kept, "command"))[0], "/usr/bin/moorvane");
}

TEST_F(GnomeShortcutsTest, ShortcutsTheSettingsRefuseAreNotLeftToTheDesktop) {
    // Locked down by the administrator: the desktop never gets the entry, so Moorvane must keep the key.
    GSettingsBackend* readOnly = g_null_settings_backend_new();
    GnomeShortcuts locked = *GnomeShortcuts::open("/usr/bin/moorvane", readOnly);
    g_object_unref(readOnly);
    const DockProfile work = profileWithShortcut("Work", "ctrl+opt+1");
    const Status written = locked.mirror({work});
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().description.find("refused"), std::string::npos);
    EXPECT_FALSE(locked.bound(work.id));
}

}  // namespace
}  // namespace moorvane
