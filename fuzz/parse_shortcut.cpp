#include <cstdlib>
#include <string_view>

#include "triggers/ShortcutText.h"

// Whatever parses must format back to a text that parses to the same shortcut.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto parsed = moorvane::parseShortcut(text)) {
        if (moorvane::parseShortcut(moorvane::formatShortcut(parsed->modifiers, parsed->keyCode)) != parsed) {
            std::abort();
        }
        (void)moorvane::displayShortcut(parsed->modifiers, parsed->keyCode);
    }
    return 0;
}
