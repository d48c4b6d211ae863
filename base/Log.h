#pragma once

#include <filesystem>
#include <string_view>

namespace moorvane {

// Appends one line "[<medium local time>] <message>\n" to the diagnostic log. Never fails towards the caller.
void log(std::string_view message);

// The app logs to /tmp/moorvane.log; tests point it at a file of their own.
void setLogPath(std::filesystem::path path);
std::filesystem::path logPath();

}  // namespace moorvane
