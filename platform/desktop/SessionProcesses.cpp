#include "platform/desktop/SessionProcesses.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "base/BoundedRead.h"

namespace moorvane::desktop {

namespace {

// Environments are a few kilobytes; a larger one is read up to here and the rest ignored.
constexpr std::size_t maxEnvironmentBytes = 1024 * 1024;

bool isNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The value of `name` in a NUL-separated environment block, or nothing.
std::string_view variable(std::string_view block, std::string_view name) {
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find('\0', start);
        if (end == std::string_view::npos) end = block.size();
        const std::string_view entry = block.substr(start, end - start);
        if (entry.size() > name.size() && entry.substr(0, name.size()) == name && entry[name.size()] == '=')
            return entry.substr(name.size() + 1);
        start = end + 1;
    }
    return {};
}

}  // namespace

bool runsInThisSession(std::string_view program, const std::string& procRoot) {
    const char* display = std::getenv("DISPLAY");
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (program.empty()) return false;
    const std::string_view ourDisplay = display ? display : "";
    const std::string_view ourBus = bus ? bus : "";
    if (ourDisplay.empty() && ourBus.empty()) return false;
    std::error_code error;
    std::filesystem::directory_iterator processes(procRoot, error);
    if (error) return false;
    for (const std::filesystem::directory_entry& process : processes) {
        if (!isNumber(process.path().filename().string())) continue;
        struct stat info {};
        if (::stat(process.path().c_str(), &info) != 0 || info.st_uid != ::getuid()) continue;
        const Result<std::string> comm = readBoundedFile(process.path() / "comm", 256);
        if (!comm || std::string_view(*comm).substr(0, comm->find('\n')) != program) continue;
        Result<std::string> environment = readBoundedFile(process.path() / "environ", maxEnvironmentBytes);
        if (!environment) continue;
        const std::string_view theirDisplay = variable(*environment, "DISPLAY");
        const std::string_view theirBus = variable(*environment, "DBUS_SESSION_BUS_ADDRESS");
        if ((!ourDisplay.empty() && theirDisplay == ourDisplay) || (!ourBus.empty() && theirBus == ourBus))
            return true;
    }
    return false;
}

}  // namespace moorvane::desktop
