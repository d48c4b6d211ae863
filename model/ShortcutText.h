#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace moorvane {

// Bit values of the platform's event modifier flags, so an event's flags can be masked and compared directly.
struct ShortcutModifiers {
    std::uint32_t rawValue = 0;

    static constexpr std::uint32_t shift = 0x20000;
    static constexpr std::uint32_t control = 0x40000;
    static constexpr std::uint32_t option = 0x80000;
    static constexpr std::uint32_t command = 0x100000;
    // All four flags, and the flags of which a shortcut needs at least one (shift alone never makes one).
    static constexpr std::uint32_t shortcutMask = 0x1E0000;
    static constexpr std::uint32_t requiredMask = 0x1C0000;

    // Caps Lock, the function-key and numeric-pad bits and the rest never take part in a match.
    static constexpr ShortcutModifiers fromEventFlags(std::uint32_t eventFlags) {
        return ShortcutModifiers{eventFlags & shortcutMask};
    }

    constexpr bool has(std::uint32_t flag) const { return (rawValue & flag) != 0; }
    constexpr bool canMakeShortcut() const { return (rawValue & requiredMask) != 0; }
    friend bool operator==(ShortcutModifiers, ShortcutModifiers) = default;
};

using KeyCode = std::uint16_t;

struct Shortcut {
    ShortcutModifiers modifiers;
    KeyCode keyCode = 0;
    // Two shortcuts are the same by modifiers and key code, never by their text.
    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

// The 73 keys a shortcut may use, and the inverse; built once, safe to read from any thread.
const std::unordered_map<std::string, KeyCode>& keyCodeByName();
const std::unordered_map<KeyCode, std::string>& nameByKeyCode();
const std::unordered_map<std::string, std::string>& keySymbolByName();

// The stored form: "cmd", "ctrl", "opt", "shift" as set, then the key name ("?" outside the table), joined by
// "+".
std::string formatShortcut(ShortcutModifiers modifiers, KeyCode keyCode);
// The symbol form shown in badges, such as ⌃⌥↩.
std::string displayShortcut(ShortcutModifiers modifiers, KeyCode keyCode);

// Accepts more than formatShortcut writes (long words, "alt", symbols, capitals, spaces around tokens).
// Total: any bytes at all give a shortcut or none, and whatever parses formats back to a text that parses the
// same.
std::optional<Shortcut> parseShortcut(std::string_view text);
std::optional<Shortcut> parseShortcut(const std::optional<std::string>& text);
inline std::optional<Shortcut> parseShortcut(const std::string& text) {
    return parseShortcut(std::string_view(text));
}
inline std::optional<Shortcut> parseShortcut(const char* text) {
    return text ? parseShortcut(std::string_view(text)) : std::nullopt;
}

// Whether both texts parse to the same modifiers and key code; a text that does not parse matches nothing.
bool sameShortcut(const std::optional<std::string>& a, const std::optional<std::string>& b);

}  // namespace moorvane
