// Arbitrary bytes as a desktop file: reading must never crash, and an entry that is shown has a name of valid
// UTF-8 whose tile the codec can write.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Plist.h"
#include "platform/desktop/DesktopEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const moorvane::desktop::DesktopEnvironment environment{
        {}, {"ubuntu", "GNOME"}, {"/usr/bin"}, {"de_DE@euro", "de_DE", "de@euro", "de"}};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entry =
        moorvane::desktop::parseDesktopEntry(bytes, "fuzz.desktop", "/tmp/fuzz.desktop", environment);
    if (!entry || !entry->shown) return 0;
    if (entry->name.empty() ||
        !g_utf8_validate(entry->name.data(), static_cast<gssize>(entry->name.size()), nullptr))
        __builtin_trap();
    if (!moorvane::writeBinary(moorvane::desktop::applicationTile(*entry))) __builtin_trap();
    return 0;
}
