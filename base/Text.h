#pragma once

#include <string>
#include <string_view>

namespace moorvane {

// Text helpers over ICU and uriparser, one home for what the records, triggers and ports each need.

inline constexpr std::string_view spacesAndTabs = " \t";
inline constexpr std::string_view asciiWhiteSpace = " \t\n\r\v\f";

// `text` without the `characters` at either end. Only ASCII characters may be given: a byte of a multi-byte
// character never equals one, so UTF-8 text is never cut inside a character.
std::string_view trimmed(std::string_view text, std::string_view characters = asciiWhiteSpace);

// Whether `text` holds a C0 control character or DEL, which would end or garble a log line.
bool hasControlCharacter(std::string_view text);

// A-Z to a-z only; every other byte, UTF-8 included, as it was.
constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string asciiLowerCased(std::string_view text);
// Whether two texts are equal once A-Z are lowered, as protocol and file-format names compare; no allocation.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);
// Lower case in the root locale, so a Turkish or Lithuanian user locale cannot turn "I" into a dotless "ı".
// Ill-formed UTF-8 comes back with replacement characters.
std::string lowerCased(std::string_view text);
// Whether two texts are equal once both are case-folded (Unicode's default folding, locale-independent).
bool equalIgnoringCase(std::string_view a, std::string_view b);

// Whether `text` holds a well-formed escape ("%" and two hex digits) at `position`.
bool startsPercentEscape(std::string_view text, std::size_t position);
// "%" and two upper-case hex digits for `byte`, appended to `out`.
void appendPercentEscape(std::string& out, unsigned char byte);
// `text` with every byte that is neither an ASCII letter or digit nor one of `keep` percent-escaped.
std::string percentEncoded(std::string_view text, std::string_view keep);

enum class BadEscape {
    keep,           // a "%" that starts no escape stays as itself, the rest is decoded
    keepWholeText,  // then the text is given back as it was, nothing decoded
};
// Undoes percent-escapes; "%00" gives a NUL byte (the text is never cut there) and "+" stays a plus sign.
std::string percentDecoded(std::string_view text, BadEscape bad = BadEscape::keep);

}  // namespace moorvane
