#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moorvane {

class ProfileStore;

struct QueryItem {
    std::string name;
    std::optional<std::string> value;  // none: the item had no "="

    friend bool operator==(const QueryItem&, const QueryItem&) = default;
};

// A URL of any scheme, read the way the command handler reads it.
struct CommandURL {
    std::string scheme;  // lower case
    // The host, or without one the first path segment that is not empty; percent-decoded, lower case.
    std::string action;
    // Percent-decoded, "+" kept as a plus sign; empty when the URL has no query or does not parse.
    std::vector<QueryItem> queryItems;
    // The whole URL with every character a URL may not hold percent-encoded, as a URL object would spell it.
    std::string text;
};

// Text from outside as a log line may hold it: control characters percent-escaped, so it cannot end the line
// and forge the next one; overlong text cut at a character boundary.
std::string loggable(std::string_view text);

// None when the text has no scheme. Total over any bytes, NUL included.
std::optional<CommandURL> parseCommandURL(std::string_view url);

// Switches profiles for "moorvane://switch?profile=Name" and reports every other outcome in the log only.
// Main thread only; the switch runs inside the call.
class URLCommands {
  public:
    // Answers whether a profile of that name was found (and switched to).
    using SwitchByName = std::function<bool(const std::string& name)>;

    static constexpr std::string_view scheme = "moorvane";

    explicit URLCommands(ProfileStore& store);
    explicit URLCommands(SwitchByName switchByName);

    void handleURL(std::string_view url) const;

  private:
    SwitchByName switchByName_;
};

}  // namespace moorvane
