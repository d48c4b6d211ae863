// Arbitrary bytes as a Plank .dockitem file: reading must never crash, a launcher read must come back
// unchanged from the file written for it, and the file name made for it must be one safe name.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/plank/DockItems.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const moorvane::Result<std::string> launcher = moorvane::plank::parseDockItem(bytes);
    if (!launcher) return 0;
    const moorvane::Result<std::string> again =
        moorvane::plank::parseDockItem(moorvane::plank::dockItemText(*launcher));
    if (!again || *again != *launcher) __builtin_trap();
    const std::string name = moorvane::plank::dockItemFileName(*launcher, {"a.dockitem"});
    const std::string_view suffix = moorvane::plank::dockItemSuffix;
    if (name.size() <= suffix.size() ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0 || name.front() == '.' ||
        name.find('/') != std::string::npos ||
        !g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr))
        __builtin_trap();
    return 0;
}
