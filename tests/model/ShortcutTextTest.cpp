#include "model/ShortcutText.h"

#include <gtest/gtest.h>

#include "fakes/TextFiles.h"

namespace moorvane {

// Found by argument lookup, so failures read as cmd+shift+k instead of raw bytes; internal to keep the
// layer's test executable free of clashes.
static void PrintTo(const Shortcut& value, std::ostream* out) {
    *out << formatShortcut(value.modifiers, value.keyCode);
}

namespace {

using namespace std::string_literals;

constexpr std::uint32_t cmd = ShortcutModifiers::command;
constexpr std::uint32_t ctrl = ShortcutModifiers::control;
constexpr std::uint32_t opt = ShortcutModifiers::option;
constexpr std::uint32_t shift = ShortcutModifiers::shift;

std::optional<Shortcut> shortcut(std::uint32_t flags, KeyCode code) {
    return Shortcut{{flags}, code};
}

struct ParseCase {
    const char* name;
    std::string text;
    std::optional<Shortcut> expected;
};

class ParseShortcut : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseShortcut, GivesTheModifiersAndKeyOrNothing) {
    EXPECT_EQ(parseShortcut(GetParam().text), GetParam().expected);
}

const std::string blanks(200, ' ');

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseShortcut,
    ::testing::Values(ParseCase{"CapitalsAndSpaces", "Cmd + Shift + K", shortcut(cmd | shift, 40)},
                      ParseCase{"ShiftAlone", "shift+k", std::nullopt},
                      ParseCase{"NoKey", "cmd", std::nullopt}, ParseCase{"Empty", "", std::nullopt},
                      ParseCase{"UnknownThenKnown", "cmd+foo+k", shortcut(cmd, 40)},
                      ParseCase{"KnownThenUnknown", "cmd+k+foo", std::nullopt},
                      ParseCase{"DoublePlus", "cmd++k", shortcut(cmd, 40)},
                      ParseCase{"KeyBeforeModifiers", "k+shift+ctrl", shortcut(ctrl | shift, 40)},
                      ParseCase{"AltIsOption", "alt+1", shortcut(opt, 18)},
                      ParseCase{"SeparateSymbols", "⌘+⇧+k", shortcut(cmd | shift, 40)},
                      ParseCase{"DisplayFormIsOnePiece", "⇧⌘K", std::nullopt},
                      ParseCase{"LongWords", "Control+Option+F5", shortcut(ctrl | opt, 96)},
                      ParseCase{"LongestKeyName", "CTRL+FORWARDDELETE", shortcut(ctrl, 117)},
                      ParseCase{"TabsTrimmed", "\tctrl\t+\treturn\t", shortcut(ctrl, 36)},
                      ParseCase{"LineBreakNotTrimmed", "ctrl+k\n", std::nullopt},
                      ParseCase{"NoBreakSpaceNotTrimmed", "ctrl+\u00A0k", std::nullopt},
                      ParseCase{"BlankLastPieceIsUnknownKey", "cmd+k+ ", std::nullopt},
                      ParseCase{"LongPaddingTrimmed", "cmd+" + blanks + "k" + blanks, shortcut(cmd, 40)},
                      ParseCase{"LongUnknownThenKey", "cmd+" + std::string(300, 'x') + "+k",
                                shortcut(cmd, 40)},
                      ParseCase{"LongUnknownClearsKey", "cmd+k+" + std::string(300, 'K'), std::nullopt},
                      ParseCase{"KelvinSignLowersToK", "cmd+\u212A", shortcut(cmd, 40)},
                      ParseCase{"DottedCapitalIIsNotI", "cmd+\u0130", std::nullopt},
                      ParseCase{"IllFormedPieceIsUnknown", "cmd+\xff\xfe+k", shortcut(cmd, 40)},
                      ParseCase{"IllFormedTail", "cmd+k\xe2\x8c", std::nullopt},
                      ParseCase{"EmbeddedNul", "cmd+k\0"s, std::nullopt}),
    testing::caseName);

struct FormatCase {
    const char* name;
    std::uint32_t flags;
    KeyCode code;
    const char* stored;
    const char* shown;
};

class FormatShortcut : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatShortcut, WritesStoredAndSymbolForms) {
    EXPECT_EQ(formatShortcut({GetParam().flags}, GetParam().code), GetParam().stored);
    EXPECT_EQ(displayShortcut({GetParam().flags}, GetParam().code), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, FormatShortcut,
    ::testing::Values(FormatCase{"AllFour", shift | opt | ctrl | cmd, 40, "cmd+ctrl+opt+shift+k", "⌃⌥⇧⌘K"},
                      FormatCase{"OutsideTable", cmd, 500, "cmd+?", "⌘?"},
                      FormatCase{"FunctionKeyUpperCased", ctrl, 96, "ctrl+f5", "⌃F5"},
                      FormatCase{"ShiftCommandSpace", shift | cmd, 49, "cmd+shift+space", "⇧⌘␣"},
                      FormatCase{"CapsLockBitIgnored", cmd | 0x10000, 40, "cmd+k", "⌘K"}),
    testing::caseName);

TEST(ShortcutText, EveryTableKeyRoundTripsWithEveryValidModifierSet) {
    for (const auto& [name, code] : keyCodeByName()) {
        for (std::uint32_t flags = 0; flags <= ShortcutModifiers::shortcutMask; flags += shift) {
            if ((flags & ShortcutModifiers::requiredMask) == 0) continue;
            EXPECT_EQ(parseShortcut(formatShortcut({flags}, code)), shortcut(flags, code))
                << name << " " << flags;
        }
    }
}

TEST(ShortcutText, SameShortcutComparesParsedValuesNotText) {
    EXPECT_TRUE(sameShortcut("Cmd + Shift + K", "shift+cmd+k"));
    EXPECT_FALSE(sameShortcut("cmd+k", "cmd+shift+k"));
    EXPECT_FALSE(sameShortcut("cmd+foo", "cmd+foo")) << "equal text that does not parse";
    EXPECT_FALSE(sameShortcut(std::nullopt, std::nullopt));
    EXPECT_EQ(parseShortcut(static_cast<const char*>(nullptr)), std::nullopt) << "a null text is no crash";
}

}  // namespace
}  // namespace moorvane
