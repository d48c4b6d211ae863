#include "base/InfoPlist.h"

#include "base/BoundedRead.h"

namespace moorvane {

std::filesystem::path infoPlistPath(const std::filesystem::path& bundle) {
    return bundle / "Contents" / "Info.plist";
}

Result<PlistDictionary> readInfoPlist(const std::filesystem::path& bundle) {
    Result<std::string> text = readBoundedFile(infoPlistPath(bundle), maxInfoPlistBytes);
    if (!text) return text.error();
    Result<PlistValue> parsed = readPlist(*text);
    if (!parsed) return Error{parsed.error().description, damagedInfoPlistCode};
    if (PlistDictionary* dictionary = parsed->dictionary()) return std::move(*dictionary);
    return Error{{}, damagedInfoPlistCode};
}

}  // namespace moorvane
