#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/ProfileIO.h"

// Documents come from other machines and mail attachments. Whatever decodes must write a document that
// decodes to the same profile, and writing that again must give the very same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto profile = moorvane::decodeImportedProfile(bytes);
    if (!profile) return 0;
    const moorvane::Date exportedAt = profile->updatedAt;
    const auto first = moorvane::encodeProfileDocument(*profile, exportedAt);
    if (!first) std::abort();
    const auto again = moorvane::decodeImportedProfile(*first);
    if (!again || again->id != profile->id || again->persistentApps != profile->persistentApps ||
        again->persistentOthers != profile->persistentOthers || again->appGroups != profile->appGroups) {
        std::abort();
    }
    const auto second = moorvane::encodeProfileDocument(*again, exportedAt);
    if (!second || *second != *first) std::abort();
    return 0;
}
