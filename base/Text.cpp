#include "base/Text.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <uriparser/Uri.h>

#include <algorithm>
#include <cstdint>

namespace moorvane {

namespace {

icu::UnicodeString unicode(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

}  // namespace

bool startsPercentEscape(std::string_view text, std::size_t position) {
    const auto hex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    return position + 2 < text.size() && text[position] == '%' && hex(text[position + 1]) &&
           hex(text[position + 2]);
}

std::string_view trimmed(std::string_view text, std::string_view characters) {
    const auto first = text.find_first_not_of(characters);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

bool hasControlCharacter(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

std::string asciiLowerCased(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = asciiLower(c);
    return out;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

std::string lowerCased(std::string_view text) {
    // ASCII text, by far the most common, lower-cases the same in every locale without ICU.
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
        return asciiLowerCased(text);
    std::string out;
    unicode(text).toLower(icu::Locale::getRoot()).toUTF8String(out);
    return out;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return unicode(a).caseCompare(unicode(b), U_FOLD_CASE_DEFAULT) == 0;
}

void appendPercentEscape(std::string& out, unsigned char byte) {
    static constexpr std::string_view hexDigits = "0123456789ABCDEF";
    out += '%';
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 0x0F];
}

std::string percentEncoded(std::string_view text, std::string_view keep) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alphanumeric || keep.find(c) != std::string_view::npos) {
            out += c;
        } else {
            appendPercentEscape(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

std::string percentDecoded(std::string_view text, BadEscape bad) {
    if (bad == BadEscape::keepWholeText) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && !startsPercentEscape(text, i)) return std::string(text);
        }
    }
    std::string buffer(text);
    const char* end = uriUnescapeInPlaceExA(buffer.data(), URI_FALSE, URI_BR_DONT_TOUCH);
    buffer.resize(static_cast<std::size_t>(end - buffer.data()));
    return buffer;
}

}  // namespace moorvane
