#include "shell/Arguments.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace moorvane {

namespace {

// ASCII only, and not base/Text's: the `moorvane` command links no ICU, whose data would cost the hand-over
// its speed.
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    // Without a working folder to read it against, the path goes as typed, and the import names it.
    if (error) return path;
    if (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
    return absolute;
}

}  // namespace

bool isURLArgument(std::string_view argument) {
    return argument.find("://") != std::string_view::npos || startsWithIgnoringCase(argument, "moorvane:") ||
           startsWithIgnoringCase(argument, "file:");
}

std::vector<std::string> withAbsolutePaths(const std::vector<std::string>& arguments) {
    std::vector<std::string> absolute;
    absolute.reserve(arguments.size());
    for (const std::string& argument : arguments)
        absolute.push_back(isURLArgument(argument) ? argument : absolutePath(argument));
    return absolute;
}

}  // namespace moorvane
