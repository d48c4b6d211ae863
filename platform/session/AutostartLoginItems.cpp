#include "platform/session/AutostartLoginItems.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "base/AtomicFile.h"
#include "base/BoundedRead.h"
#include "base/Log.h"
#include "base/Text.h"
#include "platform/session/XdgPaths.h"

namespace moorvane {

namespace {

constexpr std::size_t maxEntryBytes = 256 * 1024;

}  // namespace

AutostartLoginItems::AutostartLoginItems(std::string appPath, std::string autostartFolder)
    : appPath_(std::move(appPath)),
      entryPath_((autostartFolder.empty() ? XdgPaths::xdgConfigHome() + "/autostart" : autostartFolder) +
                 "/moorvane.desktop") {}

std::optional<std::string> AutostartLoginItems::execValue(const std::string& path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::string quoted = "\"";
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
        // Inside quotes these four keep their meaning unless escaped; "%" starts a field code anywhere.
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    // The value is then a desktop-entry string, in which every backslash is itself escaped.
    std::string value;
    for (const char c : quoted) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

LoginItemStatus AutostartLoginItems::status() {
    Result<std::string> bytes = readBoundedFile(entryPath_, maxEntryBytes);
    if (!bytes) return LoginItemStatus::notRegistered;
    std::istringstream lines(*bytes);
    bool inEntry = false;
    bool sawEntry = false;
    std::string line;
    while (std::getline(lines, line)) {
        line = std::string(trimmed(line, " \t\r"));
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            sawEntry = sawEntry || inEntry;
            continue;
        }
        if (!inEntry) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key(trimmed(line.substr(0, equals), " \t\r"));
        const std::string value(trimmed(line.substr(equals + 1), " \t\r"));
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return LoginItemStatus::notRegistered;
        }
    }
    return sawEntry ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
}

Status AutostartLoginItems::registerMainApp() {
    const std::optional<std::string> exec = execValue(appPath_);
    if (!exec)
        return Error{"Moorvane cannot start at login from \"" + appPath_ + "\"; it needs an absolute path"};
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Moorvane\n"
        "Comment=Keeps and switches Dock profiles\n"
        "Exec=" +
        *exec +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    if (Status written = writeFileAtomically(entryPath_, entry, 0644, 0700); !written) {
        return Error{"Moorvane could not be set to start at login: " + written.error().description};
    }
    return done();
}

Status AutostartLoginItems::unregisterMainApp() {
    if (::unlink(entryPath_.c_str()) != 0 && errno != ENOENT) {
        return Error{"Moorvane could not stop starting at login: could not remove " + entryPath_ + ": " +
                     std::strerror(errno)};
    }
    return done();
}

}  // namespace moorvane
