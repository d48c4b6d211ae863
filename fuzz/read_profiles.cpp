#include <cstdlib>
#include <string_view>

#include "model/ProfileJson.h"

// The store reader takes hand-edited files; whatever it accepts must survive a write and a second read.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto profiles = moorvane::decodeProfiles(text);
    if (!profiles) return 0;
    auto again = moorvane::decodeProfiles(moorvane::encodeProfiles(*profiles));
    if (!again || again->size() != profiles->size()) std::abort();
    for (std::size_t i = 0; i < profiles->size(); ++i) {
        const auto& a = (*profiles)[i];
        const auto& b = (*again)[i];
        if (a.id != b.id || a.persistentApps != b.persistentApps || a.appGroups != b.appGroups) std::abort();
    }
    return 0;
}
