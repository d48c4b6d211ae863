#include "base/Base64.h"

#include <array>

namespace moorvane {

namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int, 256> decodingTable() {
    std::array<int, 256> table{};
    for (auto& value : table) value = -1;
    for (std::size_t i = 0; i < alphabet.size(); ++i) table[static_cast<unsigned char>(alphabet[i])] = int(i);
    return table;
}

constexpr auto decoding = decodingTable();

}  // namespace

std::string base64Encode(const Bytes& bytes) {
    // Written by index into a sized string: appending character by character was a fifth of a large store's
    // save.
    std::string out((bytes.size() + 2) / 3 * 4, '=');
    char* o = out.data();
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = unsigned(bytes[i]) << 16 | unsigned(bytes[i + 1]) << 8 | bytes[i + 2];
        *o++ = alphabet[v >> 18 & 63];
        *o++ = alphabet[v >> 12 & 63];
        *o++ = alphabet[v >> 6 & 63];
        *o++ = alphabet[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        const unsigned v = unsigned(bytes[i]) << 16 | (rest == 2 ? unsigned(bytes[i + 1]) << 8 : 0u);
        *o++ = alphabet[v >> 18 & 63];
        *o++ = alphabet[v >> 12 & 63];
        if (rest == 2) *o = alphabet[v >> 6 & 63];
    }
    return out;
}

std::optional<Bytes> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    // Only the last group may hold padding, so the others take a short path.
    std::size_t i = 0;
    for (; i + 4 < text.size(); i += 4) {
        const int a = decoding[static_cast<unsigned char>(text[i])];
        const int b = decoding[static_cast<unsigned char>(text[i + 1])];
        const int c = decoding[static_cast<unsigned char>(text[i + 2])];
        const int d = decoding[static_cast<unsigned char>(text[i + 3])];
        if ((a | b | c | d) < 0) return std::nullopt;
        const unsigned group = unsigned(a) << 18 | unsigned(b) << 12 | unsigned(c) << 6 | unsigned(d);
        out.push_back(std::uint8_t(group >> 16));
        out.push_back(std::uint8_t(group >> 8 & 0xFF));
        out.push_back(std::uint8_t(group & 0xFF));
    }
    for (; i < text.size(); i += 4) {
        const bool last = true;
        int v[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                v[k] = 0;
                ++padding;
                continue;
            }
            // A data character after padding is malformed.
            if (padding > 0) return std::nullopt;
            v[k] = decoding[static_cast<unsigned char>(c)];
            if (v[k] < 0) return std::nullopt;
        }
        const unsigned group =
            unsigned(v[0]) << 18 | unsigned(v[1]) << 12 | unsigned(v[2]) << 6 | unsigned(v[3]);
        // Bits below the last whole byte must be zero, or two texts would decode to the same bytes.
        if (padding == 2 && (group & 0xFFFF) != 0) return std::nullopt;
        if (padding == 1 && (group & 0xFF) != 0) return std::nullopt;
        out.push_back(std::uint8_t(group >> 16));
        if (padding < 2) out.push_back(std::uint8_t(group >> 8 & 0xFF));
        if (padding < 1) out.push_back(std::uint8_t(group & 0xFF));
    }
    return out;
}

}  // namespace moorvane
