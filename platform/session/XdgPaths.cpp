#include "platform/session/XdgPaths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace moorvane {

namespace {

std::optional<std::string> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    return std::string(value);
}
}  // namespace

std::string XdgPaths::home() {
    if (auto value = absoluteVariable("HOME")) return *value;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return "/";
}

std::string XdgPaths::xdgDataHome() {
    return absoluteVariable("XDG_DATA_HOME").value_or(home() + "/.local/share");
}

std::string XdgPaths::xdgConfigHome() {
    return absoluteVariable("XDG_CONFIG_HOME").value_or(home() + "/.config");
}

std::optional<std::string> XdgPaths::xdgRuntimeDir() {
    return absoluteVariable("XDG_RUNTIME_DIR");
}

std::string XdgPaths::applicationSupportFolder() {
    return xdgDataHome() + "/Moorvane";
}

bool pathIsAbsent(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace moorvane
