#include "triggers/ShortcutText.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <array>
#include <utility>
#include <vector>

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

std::string keyName(KeyCode keyCode) {
    const auto& names = nameByKeyCode();
    const auto found = names.find(keyCode);
    return found == names.end() ? "?" : found->second;
}

std::string lowerCased(std::string_view text) {
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())))
        .toLower(icu::Locale::getRoot())
        .toUTF8String(out);
    return out;
}

std::string_view trimmed(std::string_view piece) {
    // Only spaces and tabs: a line break inside a stored shortcut is not a separator.
    while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t')) piece.remove_prefix(1);
    while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t')) piece.remove_suffix(1);
    return piece;
}

std::optional<std::uint32_t> modifierForToken(std::string_view token) {
    if (token == "cmd" || token == "command" || token == "⌘") return ShortcutModifiers::command;
    if (token == "ctrl" || token == "control" || token == "⌃") return ShortcutModifiers::control;
    if (token == "opt" || token == "option" || token == "alt" || token == "⌥")
        return ShortcutModifiers::option;
    if (token == "shift" || token == "⇧") return ShortcutModifiers::shift;
    return std::nullopt;
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
        for (const auto& [name, code] : keyCodeByName()) map.emplace(code, name);
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
    if (modifiers.has(ShortcutModifiers::command)) out += "cmd+";
    if (modifiers.has(ShortcutModifiers::control)) out += "ctrl+";
    if (modifiers.has(ShortcutModifiers::option)) out += "opt+";
    if (modifiers.has(ShortcutModifiers::shift)) out += "shift+";
    return out + keyName(keyCode);
}

std::string displayShortcut(ShortcutModifiers modifiers, KeyCode keyCode) {
    std::string out;
    if (modifiers.has(ShortcutModifiers::control)) out += "⌃";
    if (modifiers.has(ShortcutModifiers::option)) out += "⌥";
    if (modifiers.has(ShortcutModifiers::shift)) out += "⇧";
    if (modifiers.has(ShortcutModifiers::command)) out += "⌘";
    const std::string name = keyName(keyCode);
    const auto& symbols = keySymbolByName();
    const auto symbol = symbols.find(name);
    if (symbol != symbols.end()) return out + symbol->second;
    std::string upper;
    icu::UnicodeString::fromUTF8(name).toUpper(icu::Locale::getRoot()).toUTF8String(upper);
    return out + upper;
}

std::optional<Shortcut> parseShortcut(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return parseShortcut(std::string_view(*text));
}

std::optional<Shortcut> parseShortcut(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const std::string lower = lowerCased(text);
    std::vector<std::string_view> pieces;
    std::string_view rest = lower;
    while (!rest.empty()) {
        const auto plus = rest.find('+');
        const auto piece = rest.substr(0, plus);
        if (!piece.empty()) pieces.push_back(piece);
        if (plus == std::string_view::npos) break;
        rest.remove_prefix(plus + 1);
    }
    if (pieces.empty()) return std::nullopt;

    std::uint32_t flags = 0;
    KeyCode keyCode = 0;
    bool hasKey = false;
    const auto& keys = keyCodeByName();
    for (const auto piece : pieces) {
        const auto token = trimmed(piece);
        if (auto flag = modifierForToken(token)) {
            flags |= *flag;
            continue;
        }
        const auto found = keys.find(std::string(token));
        hasKey = found != keys.end();
        keyCode = hasKey ? found->second : 0;
    }
    if (!hasKey || (flags & ShortcutModifiers::requiredMask) == 0) return std::nullopt;
    return Shortcut{ShortcutModifiers{flags & ShortcutModifiers::shortcutMask}, keyCode};
}

}  // namespace moorvane
