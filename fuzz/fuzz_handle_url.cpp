#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Log.h"
#include "base/Text.h"
#include "triggers/URLCommands.h"

// Any text a program can open as a link: the handler must not crash, must hand the store only a non-empty
// name free of control characters, and only for its own scheme and the action "switch".
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (moorvane::setLogPath("/dev/null"), true);
    (void)quiet;
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    const auto parsed = moorvane::parseCommandURL(url);
    if (parsed && moorvane::hasControlCharacter(parsed->text)) std::abort();

    const moorvane::URLCommands commands([&](const std::string& name) {
        if (name.empty() || moorvane::hasControlCharacter(name)) std::abort();
        if (!parsed || parsed->scheme != "moorvane" || parsed->action != "switch") std::abort();
        return size % 2 == 0;
    });
    commands.handleURL(url);
    return 0;
}
