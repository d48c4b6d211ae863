#include "triggers/ShortcutText.h"

#include <gtest/gtest.h>

#include <set>

namespace moorvane {
namespace {

constexpr std::uint32_t cmd = ShortcutModifiers::command;
constexpr std::uint32_t ctrl = ShortcutModifiers::control;
constexpr std::uint32_t opt = ShortcutModifiers::option;
constexpr std::uint32_t shift = ShortcutModifiers::shift;

struct ParseCase {
    const char* name;
    const char* text;
    std::optional<Shortcut> expected;
};

std::optional<Shortcut> shortcut(std::uint32_t flags, KeyCode code) {
    return Shortcut{{flags}, code};
}

class ParseShortcut : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseShortcut, GivesTheModifiersAndKeyOrNothing) {
    EXPECT_EQ(parseShortcut(std::string_view(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseShortcut,
    ::testing::Values(ParseCase{"CapitalsAndSpaces", "Cmd + Shift + K", shortcut(cmd | shift, 40)},
                      ParseCase{"ShiftAlone", "shift+k", std::nullopt},
                      ParseCase{"NoKey", "cmd", std::nullopt}, ParseCase{"Empty", "", std::nullopt},
                      ParseCase{"OnlyPluses", "+++", std::nullopt},
                      ParseCase{"UnknownKey", "cmd+foo", std::nullopt},
                      ParseCase{"UnknownThenKnown", "cmd+foo+k", shortcut(cmd, 40)},
                      ParseCase{"KnownThenUnknown", "cmd+k+foo", std::nullopt},
                      ParseCase{"LastKeyWins", "cmd+a+b", shortcut(cmd, 11)},
                      ParseCase{"DoublePlus", "cmd++k", shortcut(cmd, 40)},
                      ParseCase{"Alt", "alt+1", shortcut(opt, 18)},
                      ParseCase{"Symbols", "⌘+⇧+k", shortcut(cmd | shift, 40)},
                      ParseCase{"DisplayFormIsOnePiece", "⇧⌘K", std::nullopt},
                      ParseCase{"LongWords", "Control+Option+F5", shortcut(ctrl | opt, 96)},
                      ParseCase{"TabTrimmed", "\tctrl\t+\treturn\t", shortcut(ctrl, 36)},
                      ParseCase{"LineBreakNotTrimmed", "ctrl+k\n", std::nullopt},
                      ParseCase{"Backslash", "cmd+\\", shortcut(cmd, 42)},
                      ParseCase{"InvalidUtf8", "cmd+\xff\xfe", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ShortcutText, FormatsInStoredOrderAndDisplaysWithSymbols) {
    EXPECT_EQ(formatShortcut({shift | opt | ctrl | cmd}, 40), "cmd+ctrl+opt+shift+k");
    EXPECT_EQ(formatShortcut({cmd}, 500), "cmd+?");
    EXPECT_EQ(displayShortcut({shift | opt | ctrl | cmd}, 36), "⌃⌥⇧⌘↩");
    EXPECT_EQ(displayShortcut({cmd}, 0), "⌘A");
    EXPECT_EQ(displayShortcut({ctrl}, 96), "⌃F5");
    EXPECT_EQ(displayShortcut({ctrl}, 33), "⌃[");
    EXPECT_EQ(parseShortcut(std::optional<std::string>()), std::nullopt);
}

TEST(ShortcutText, EveryTableKeyRoundTripsWithEveryValidModifierSet) {
    EXPECT_EQ(keyCodeByName().size(), 73u);
    EXPECT_EQ(nameByKeyCode().size(), 73u) << "key codes must be distinct";
    for (const auto& [name, code] : keyCodeByName()) {
        for (std::uint32_t flags = 0; flags <= ShortcutModifiers::shortcutMask; flags += shift) {
            if ((flags & ShortcutModifiers::requiredMask) == 0) continue;
            EXPECT_EQ(parseShortcut(formatShortcut({flags}, code)), shortcut(flags, code))
                << name << " " << flags;
        }
    }
}

}  // namespace
}  // namespace moorvane
