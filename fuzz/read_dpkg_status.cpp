// Arbitrary bytes as dpkg's status file, which a damaged disk or a hand edit may leave in any shape: the
// reader never crashes, every field it keeps has a name deb822 allows, and a version it reports is one word
// taken from a stanza of that package.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/desktop/DebianPackage.h"

namespace {

bool named(const std::string& name, std::string_view expected) {
    return std::equal(name.begin(), name.end(), expected.begin(), expected.end(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view status(reinterpret_cast<const char*>(data), size);
    const auto version = moorvane::desktop::installedVersion(status, "moorvane");
    if (version && (version->empty() || version->find_first_of(" \t\n\r\v\f") != std::string::npos))
        __builtin_trap();
    bool given = false;
    for (const auto& stanza : moorvane::desktop::readControlStanzas(status)) {
        if (stanza.empty()) __builtin_trap();
        bool ours = false;
        bool sameVersion = false;
        for (const auto& field : stanza) {
            if (field.name.empty() || field.name.find_first_of(": \t\n") != std::string::npos)
                __builtin_trap();
            if (named(field.name, "package") && field.value == "moorvane") ours = true;
            if (version && named(field.name, "version") && field.value == *version) sameVersion = true;
        }
        given = given || (ours && sameVersion);
    }
    if (version && !given) __builtin_trap();
    return 0;
}
