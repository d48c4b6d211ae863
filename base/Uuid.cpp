#include "base/Uuid.h"

#include <uuid/uuid.h>

#include <cctype>
#include <cstring>
#include <random>

namespace moorvane {

Uuid Uuid::random() {
    // libuuid asks the kernel for entropy on every call (about 20 µs here), and every decoded Dock tile needs
    // a fresh identifier. These identify entries and profiles, they guard nothing, so a generator seeded once
    // per thread from libuuid's random bytes is enough.
    thread_local std::mt19937_64 generator = [] {
        uuid_t seed;
        uuid_generate_random(seed);
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        std::memcpy(&a, seed, 8);
        std::memcpy(&b, seed + 8, 8);
        std::seed_seq sequence{std::uint32_t(a), std::uint32_t(a >> 32), std::uint32_t(b),
                               std::uint32_t(b >> 32)};
        return std::mt19937_64(sequence);
    }();
    Uuid id;
    const std::uint64_t high = generator();
    const std::uint64_t low = generator();
    std::memcpy(id.bytes_.data(), &high, 8);
    std::memcpy(id.bytes_.data() + 8, &low, 8);
    // Version 4, RFC 4122 variant, as uuid_generate_random makes them.
    id.bytes_[6] = static_cast<std::uint8_t>((id.bytes_[6] & 0x0F) | 0x40);
    id.bytes_[8] = static_cast<std::uint8_t>((id.bytes_[8] & 0x3F) | 0x80);
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
