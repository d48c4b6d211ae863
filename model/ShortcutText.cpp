#include "model/ShortcutText.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "base/Text.h"

namespace moorvane {

namespace {

constexpr std::array<std::pair<std::string_view, KeyCode>, 73> keyTable = {{
    {"a", 0},        {"s", 1},          {"d", 2},
    {"f", 3},        {"h", 4},          {"g", 5},
    {"z", 6},        {"x", 7},          {"c", 8},
    {"v", 9},        {"b", 11},         {"q", 12},
    {"w", 13},       {"e", 14},         {"r", 15},
    {"y", 16},       {"t", 17},         {"o", 31},
    {"u", 32},       {"i", 34},         {"p", 35},
    {"l", 37},       {"j", 38},         {"k", 40},
    {"n", 45},       {"m", 46},         {"1", 18},
    {"2", 19},       {"3", 20},         {"4", 21},
    {"6", 22},       {"5", 23},         {"9", 25},
    {"7", 26},       {"8", 28},         {"0", 29},
    {"=", 24},       {"-", 27},         {"]", 30},
    {"[", 33},       {"'", 39},         {";", 41},
    {"\\", 42},      {",", 43},         {"/", 44},
    {".", 47},       {"`", 50},         {"return", 36},
    {"tab", 48},     {"space", 49},     {"delete", 51},
    {"escape", 53},  {"home", 115},     {"end", 119},
    {"pageup", 116}, {"pagedown", 121}, {"forwarddelete", 117},
    {"left", 123},   {"right", 124},    {"down", 125},
    {"up", 126},     {"f1", 122},       {"f2", 120},
    {"f3", 99},      {"f4", 118},       {"f5", 96},
    {"f6", 97},      {"f7", 98},        {"f8", 100},
    {"f9", 101},     {"f10", 109},      {"f11", 103},
    {"f12", 111},
}};

constexpr bool codesDistinct() {
    for (std::size_t i = 0; i < keyTable.size(); ++i)
        for (std::size_t j = i + 1; j < keyTable.size(); ++j)
            if (keyTable[i].second == keyTable[j].second) return false;
    return true;
}
// The inverse table maps each code back to exactly one name only while no code repeats.
static_assert(codesDistinct());

constexpr std::size_t longestToken() {
    std::size_t longest = 0;
    for (const auto& entry : keyTable) longest = std::max(longest, entry.first.size());
    for (std::string_view word : {"command", "control", "option", "shift"})
        longest = std::max(longest, word.size());
    return longest;
}

const std::string& keyName(KeyCode keyCode) {
    static const std::string unknown = "?";
    const auto& names = nameByKeyCode();
    const auto found = names.find(keyCode);
    return found == names.end() ? unknown : found->second;
}

// Lower-cases in the root locale, so a Turkish or Lithuanian user locale cannot turn "İ" into the key "i".
// Gives none for a piece too long to become any token: root-locale lower-casing never shortens a text in code
// points, and a code point (or a replaced ill-formed sequence) spans at most four bytes. The bound also keeps
// hostile input away from ICU and inside its 32-bit lengths.
std::optional<std::string> lowerCasedToken(std::string_view piece) {
    const bool ascii = std::all_of(piece.begin(), piece.end(), [](char c) { return (c & 0x80) == 0; });
    if (piece.size() > (ascii ? 1 : 4) * longestToken()) return std::nullopt;
    return lowerCased(piece);
}

std::uint32_t modifierForToken(std::string_view token) {
    if (token == "cmd" || token == "command" || token == "⌘") return ShortcutModifiers::command;
    if (token == "ctrl" || token == "control" || token == "⌃") return ShortcutModifiers::control;
    if (token == "opt" || token == "option" || token == "alt" || token == "⌥")
        return ShortcutModifiers::option;
    if (token == "shift" || token == "⇧") return ShortcutModifiers::shift;
    return 0;
}

// What the key shows in the symbol form: its symbol, or its name in upper case.
const std::unordered_map<KeyCode, std::string>& displayKeyByCode() {
    static const auto table = [] {
        std::unordered_map<KeyCode, std::string> map;
        const auto& symbols = keySymbolByName();
        for (const auto& [code, name] : nameByKeyCode()) {
            const auto symbol = symbols.find(name);
            std::string shown;
            if (symbol != symbols.end()) {
                shown = symbol->second;
            } else {
                icu::UnicodeString::fromUTF8(name).toUpper(icu::Locale::getRoot()).toUTF8String(shown);
            }
            map.emplace(code, std::move(shown));
        }
        return map;
    }();
    return table;
}

}  // namespace

const std::unordered_map<std::string, KeyCode>& keyCodeByName() {
    static const auto table = [] {
        std::unordered_map<std::string, KeyCode> map;
        for (const auto& [name, code] : keyTable) map.emplace(name, code);
        return map;
    }();
    return table;
}

const std::unordered_map<KeyCode, std::string>& nameByKeyCode() {
    static const auto table = [] {
        std::unordered_map<KeyCode, std::string> map;
        for (const auto& [name, code] : keyTable) map.emplace(code, name);
        return map;
    }();
    return table;
}

const std::unordered_map<std::string, std::string>& keySymbolByName() {
    static const std::unordered_map<std::string, std::string> table = {
        {"return", "↩"},        {"tab", "⇥"},   {"space", "␣"}, {"delete", "⌫"}, {"escape", "⎋"},
        {"forwarddelete", "⌦"}, {"home", "↖"},  {"end", "↘"},   {"pageup", "⇞"}, {"pagedown", "⇟"},
        {"left", "←"},          {"right", "→"}, {"down", "↓"},  {"up", "↑"},
    };
    return table;
}

std::string formatShortcut(ShortcutModifiers modifiers, KeyCode keyCode) {
    std::string out;
    out.reserve(32);
    if (modifiers.has(ShortcutModifiers::command)) out += "cmd+";
    if (modifiers.has(ShortcutModifiers::control)) out += "ctrl+";
    if (modifiers.has(ShortcutModifiers::option)) out += "opt+";
    if (modifiers.has(ShortcutModifiers::shift)) out += "shift+";
    out += keyName(keyCode);
    return out;
}

std::string displayShortcut(ShortcutModifiers modifiers, KeyCode keyCode) {
    std::string out;
    out.reserve(16);
    if (modifiers.has(ShortcutModifiers::control)) out += "⌃";
    if (modifiers.has(ShortcutModifiers::option)) out += "⌥";
    if (modifiers.has(ShortcutModifiers::shift)) out += "⇧";
    if (modifiers.has(ShortcutModifiers::command)) out += "⌘";
    const auto& shown = displayKeyByCode();
    const auto found = shown.find(keyCode);
    out += found == shown.end() ? "?" : found->second;
    return out;
}

std::optional<Shortcut> parseShortcut(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return parseShortcut(std::string_view(*text));
}

std::optional<Shortcut> parseShortcut(std::string_view text) {
    std::uint32_t flags = 0;
    KeyCode keyCode = 0;
    bool hasKey = false;
    const auto& keys = keyCodeByName();
    // "+" is ASCII and never part of a multi-byte sequence nor of a case mapping, so splitting the raw bytes
    // piece by piece gives the same pieces as lower-casing the whole text first.
    std::size_t start = 0;
    while (start < text.size()) {
        const auto plus = std::min(text.find('+', start), text.size());
        const auto raw = text.substr(start, plus - start);
        start = plus + 1;
        if (raw.empty()) continue;
        // Trimming before lower-casing is safe: no character lower-cases to or from a space or a tab.
        // Only spaces and tabs: a line break inside a stored shortcut is part of the token.
        const auto token = lowerCasedToken(trimmed(raw, spacesAndTabs));
        if (token) {
            if (const auto flag = modifierForToken(*token)) {
                flags |= flag;
                continue;
            }
        }
        // The last piece that is not a modifier decides: an unknown name clears a key named earlier.
        const auto found = token ? keys.find(*token) : keys.end();
        hasKey = found != keys.end();
        keyCode = hasKey ? found->second : 0;
    }
    const auto modifiers = ShortcutModifiers::fromEventFlags(flags);
    if (!hasKey || !modifiers.canMakeShortcut()) return std::nullopt;
    return Shortcut{modifiers, keyCode};
}

bool sameShortcut(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    const auto left = parseShortcut(a);
    return left && left == parseShortcut(b);
}

}  // namespace moorvane
