#include "model/Uuid.h"

#include <uuid/uuid.h>

#include <cctype>
#include <cstring>

namespace moorvane {

Uuid Uuid::random() {
    Uuid id;
    uuid_generate_random(id.bytes_.data());
    return id;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    // uuid_parse reads a NUL-terminated string and ignores what follows the 36 characters, so check the
    // length and the shape here to reject trailing junk.
    if (text.size() != 36) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
    }
    char buffer[37];
    std::memcpy(buffer, text.data(), 36);
    buffer[36] = '\0';
    Uuid id;
    if (uuid_parse(buffer, id.bytes_.data()) != 0) return std::nullopt;
    return id;
}

std::string Uuid::text() const {
    char buffer[37];
    uuid_unparse_upper(bytes_.data(), buffer);
    return std::string(buffer, 36);
}

}  // namespace moorvane

std::size_t std::hash<moorvane::Uuid>::operator()(const moorvane::Uuid& id) const noexcept {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, id.bytes().data(), 8);
    std::memcpy(&b, id.bytes().data() + 8, 8);
    return std::hash<std::uint64_t>{}(a ^ (b * 0x9E3779B97F4A7C15ull));
}
