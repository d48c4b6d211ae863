#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ShortcutText.h"

namespace {

// The rules read literally, slowly: lower-case the whole text, split, trim each piece, look it up. The parser
// under test splits first and skips long pieces; this oracle catches any input where those shortcuts differ.
std::optional<moorvane::Shortcut> literalParse(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::string lower;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())))
        .toLower(icu::Locale::getRoot())
        .toUTF8String(lower);
    std::vector<std::string> pieces;
    std::string current;
    for (const char c : lower) {
        if (c != '+') {
            current += c;
        } else if (!current.empty()) {
            pieces.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) pieces.push_back(current);

    std::uint32_t flags = 0;
    std::optional<moorvane::KeyCode> key;
    for (auto piece : pieces) {
        const auto first = piece.find_first_not_of(" \t");
        piece =
            first == std::string::npos ? "" : piece.substr(first, piece.find_last_not_of(" \t") - first + 1);
        using M = moorvane::ShortcutModifiers;
        if (piece == "cmd" || piece == "command" || piece == "⌘") {
            flags |= M::command;
        } else if (piece == "ctrl" || piece == "control" || piece == "⌃") {
            flags |= M::control;
        } else if (piece == "opt" || piece == "option" || piece == "alt" || piece == "⌥") {
            flags |= M::option;
        } else if (piece == "shift" || piece == "⇧") {
            flags |= M::shift;
        } else {
            const auto found = moorvane::keyCodeByName().find(piece);
            key = found == moorvane::keyCodeByName().end() ? std::nullopt : std::optional(found->second);
        }
    }
    if (!key || (flags & moorvane::ShortcutModifiers::requiredMask) == 0) return std::nullopt;
    return moorvane::Shortcut{{flags & moorvane::ShortcutModifiers::shortcutMask}, *key};
}

}  // namespace

// Whatever parses must format back to a text that parses to the same shortcut, and format the same again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = moorvane::parseShortcut(text);
    if (parsed != literalParse(text)) std::abort();
    if (!parsed) return 0;
    const auto stored = moorvane::formatShortcut(parsed->modifiers, parsed->keyCode);
    const auto again = moorvane::parseShortcut(stored);
    if (again != parsed || moorvane::formatShortcut(again->modifiers, again->keyCode) != stored) std::abort();
    if (!moorvane::sameShortcut(std::string(text), stored)) std::abort();
    if (moorvane::displayShortcut(parsed->modifiers, parsed->keyCode).empty()) std::abort();
    return 0;
}
