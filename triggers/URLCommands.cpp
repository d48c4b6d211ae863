#include "triggers/URLCommands.h"

#include <memory>

#include "base/Log.h"
#include "base/Text.h"
#include "base/Uri.h"
#include "store/ProfileStore.h"

namespace moorvane {

namespace {

// Echoing a hostile megabyte into the log helps nobody; this much identifies any real command.
constexpr std::size_t echoLimit = 2048;

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// What a URL object makes of text a caller typed: characters no URL may hold (spaces, controls, NUL,
// non-ASCII, a "%" that starts no escape) are percent-encoded, so such text still parses, a lone "%" survives
// as itself, and the text echoed into the log is plain ASCII. Brackets and a second "#" are encoded too: a
// command has no IP-literal host and no use for them outside the query.
std::string encodeInvalidCharacters(std::string_view text) {
    static constexpr std::string_view allowed =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~:/?@!$&'()*+,;=";
    std::string out;
    out.reserve(text.size());
    bool seenFragment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (startsPercentEscape(text, i)) {
            out += c;
        } else if (c == '#' && !seenFragment) {
            seenFragment = true;
            out += c;
        } else if (allowed.find(c) != std::string_view::npos) {
            out += c;
        } else {
            appendPercentEscape(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

// The scheme of text that does not parse as a whole: RFC 3986 letters before the first ":".
std::optional<std::string> leadingScheme(std::string_view text) {
    if (text.empty() || !isAlpha(text[0])) return std::nullopt;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') return std::string(text.substr(0, i));
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return std::nullopt;
}

// The decoded text keeps a "%00" as a NUL byte, which the library's C-string query splitter would cut off.
std::string percentDecoded(const char* first, const char* afterLast) {
    return moorvane::percentDecoded(std::string_view(first, static_cast<std::size_t>(afterLast - first)));
}

std::vector<QueryItem> queryItems(const UriTextRangeA& query) {
    std::vector<QueryItem> items;
    if (!query.first) return items;
    const char* cursor = query.first;
    while (true) {
        const char* end = cursor;
        while (end != query.afterLast && *end != '&') ++end;
        const char* equals = cursor;
        while (equals != end && *equals != '=') ++equals;
        QueryItem item{percentDecoded(cursor, equals), std::nullopt};
        if (equals != end) item.value = percentDecoded(equals + 1, end);
        items.push_back(std::move(item));
        if (end == query.afterLast) break;
        cursor = end + 1;
    }
    return items;
}

}  // namespace

std::string loggable(std::string_view text) {
    bool cut = false;
    if (text.size() > echoLimit) {
        std::size_t end = echoLimit;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        text = text.substr(0, end);
        cut = true;
    }
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            appendPercentEscape(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    if (cut) out += "\u2026";
    return out;
}

std::optional<CommandURL> parseCommandURL(std::string_view url) {
    CommandURL command;
    command.text = encodeInvalidCharacters(url);
    const char* first = command.text.data();
    const char* afterLast = first + command.text.size();

    ParsedUri uri(new UriUriA{});
    const char* errorPos = nullptr;
    if (uriParseSingleUriExA(uri.get(), first, afterLast, &errorPos) != URI_SUCCESS) {
        // Without a structure there is no action and no query, but the scheme still says whose URL it is.
        auto scheme = leadingScheme(command.text);
        if (!scheme) return std::nullopt;
        command.scheme = asciiLowerCased(*scheme);
        return command;
    }
    if (!uri->scheme.first) return std::nullopt;
    command.scheme = asciiLowerCased(std::string_view(
        uri->scheme.first, static_cast<std::size_t>(uri->scheme.afterLast - uri->scheme.first)));

    // An empty host ("moorvane:///switch") counts as none, so the action comes from the path.
    if (uri->hostText.first && uri->hostText.first != uri->hostText.afterLast) {
        command.action = lowerCased(percentDecoded(uri->hostText.first, uri->hostText.afterLast));
    } else {
        for (const UriPathSegmentA* segment = uri->pathHead; segment; segment = segment->next) {
            if (segment->text.first == segment->text.afterLast) continue;
            command.action = lowerCased(percentDecoded(segment->text.first, segment->text.afterLast));
            break;
        }
    }
    command.queryItems = queryItems(uri->query);
    return command;
}

URLCommands::URLCommands(ProfileStore& store)
    // A known profile whose switch failed is not "unknown": the store has logged why the Dock stayed.
    : switchByName_([&store](const std::string& name) {
          return store.switchToProfileNamed(name).ok() || store.profileNamed(name).has_value();
      }) {}

URLCommands::URLCommands(SwitchByName switchByName) : switchByName_(std::move(switchByName)) {}

void URLCommands::handleURL(std::string_view url) const {
    const auto command = parseCommandURL(url);
    if (!command || command->scheme != scheme) return;
    if (command->action != "switch") {
        log("AppDelegate: unsupported URL action '" + loggable(command->action) + "' in " +
            loggable(command->text));
        return;
    }
    for (const auto& item : command->queryItems) {
        if (item.name != "profile") continue;
        if (!item.value || item.value->empty()) break;
        // No profile name holds a control character; refusing here keeps a crafted name from reaching the
        // store, which would echo it into the log unescaped.
        if (hasControlCharacter(*item.value) || !switchByName_(*item.value)) {
            log("AppDelegate: URL requested unknown profile '" + loggable(*item.value) + "'");
        }
        return;
    }
    log("AppDelegate: " + loggable(command->text) + " missing 'profile' parameter");
}

}  // namespace moorvane
