#include "platform/desktop/RunningApps.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/BoundedRead.h"

namespace moorvane::desktop {

namespace {

// Environments are a few kilobytes; a larger one is read up to here and the rest ignored.
constexpr std::size_t maxEnvironmentBytes = 1024 * 1024;
constexpr std::size_t maxSmallFileBytes = 64 * 1024;
constexpr std::string_view deletedSuffix = " (deleted)";

std::optional<ProcessId> number(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    ProcessId value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
    return value;
}

std::string readText(const std::filesystem::path& path, std::size_t limit = maxSmallFileBytes) {
    Result<std::string> bytes = readBoundedFile(path, limit);
    return bytes ? std::move(*bytes) : std::string();
}

std::string readLink(const std::filesystem::path& path) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(path, error).string();
    if (error) return {};
    if (target.ends_with(deletedSuffix)) target.resize(target.size() - deletedSuffix.size());
    return target;
}

// The parent in /proc/PID/stat: "pid (name) state ppid ...", where the name may itself hold ") ".
ProcessId parentOf(std::string_view stat) {
    const std::size_t close = stat.rfind(')');
    if (close == std::string_view::npos) return 0;
    std::string_view rest = stat.substr(close + 1);
    // " S 1234 ..."
    const std::size_t state = rest.find_first_not_of(' ');
    if (state == std::string_view::npos) return 0;
    rest = rest.substr(state + 1);
    const std::size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) return 0;
    rest = rest.substr(start);
    return number(rest.substr(0, rest.find(' '))).value_or(0);
}

std::string_view baseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// systemd's unit-name escaping: "\xNN" for a byte, everything else as it is.
std::optional<std::string> unescapeUnitName(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            if (i + 3 >= text.size() || text[i + 1] != 'x') return std::nullopt;
            const int high = hexDigit(text[i + 2]);
            const int low = hexDigit(text[i + 3]);
            if (high < 0 || low < 0) return std::nullopt;
            out.push_back(static_cast<char>(high * 16 + low));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// "<launcher>-<id>" or "<id>": the id's own dashes are escaped, so an unescaped one ends a launcher's name.
std::optional<std::string> idOfUnitBody(std::string_view body) {
    const std::size_t dash = body.find('-');
    if (dash != std::string_view::npos) body = body.substr(dash + 1);
    if (body.empty() || body.find('-') != std::string_view::npos) return std::nullopt;
    std::optional<std::string> id = unescapeUnitName(body);
    if (!id || id->empty() || id->find_first_of(std::string_view("/\0", 2)) != std::string::npos)
        return std::nullopt;
    return *id + ".desktop";
}

std::optional<std::string> idOfUnit(std::string_view unit) {
    constexpr std::string_view prefix = "app-";
    if (!unit.starts_with(prefix)) return std::nullopt;
    if (unit.ends_with(".scope")) {
        std::string_view body = unit.substr(prefix.size(), unit.size() - prefix.size() - 6);
        const std::size_t last = body.rfind('-');
        // The scope's own number or random part follows the last dash.
        if (last == std::string_view::npos || last + 1 == body.size()) return std::nullopt;
        return idOfUnitBody(body.substr(0, last));
    }
    if (unit.ends_with(".service")) {
        std::string_view body = unit.substr(prefix.size(), unit.size() - prefix.size() - 8);
        body = body.substr(0, body.find('@'));
        return idOfUnitBody(body);
    }
    return std::nullopt;
}

bool sameProgram(const std::string& program, const ProcessRecord& process) {
    if (program.empty()) return false;
    if (program.front() == '/') {
        if (program == process.executable || program == process.command) return true;
        // /usr/bin/firefox-esr is a link to where the executable lies.
        std::error_code error;
        const std::filesystem::path target = std::filesystem::canonical(program, error);
        return !error && target == process.executable;
    }
    if (program.find('/') != std::string::npos) return false;
    return program == baseName(process.executable) || program == baseName(process.command);
}

}  // namespace

std::vector<ProcessRecord> listUserProcesses(const std::string& procRoot) {
    std::vector<ProcessRecord> processes;
    std::error_code error;
    std::filesystem::directory_iterator it(procRoot, error);
    if (error) return processes;
    const uid_t user = ::getuid();
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        const std::optional<ProcessId> pid = number(it->path().filename().string());
        if (!pid) continue;
        const std::filesystem::path folder = it->path();
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || info.st_uid != user) continue;
        ProcessRecord process;
        process.pid = *pid;
        process.executable = readLink(folder / "exe");
        if (process.executable.empty()) continue;
        process.parent = parentOf(readText(folder / "stat"));
        process.name = readText(folder / "comm");
        if (const std::size_t line = process.name.find('\n'); line != std::string::npos)
            process.name.resize(line);
        process.command = readText(folder / "cmdline");
        process.command.resize(std::min(process.command.size(), process.command.find('\0')));
        process.environment = readText(folder / "environ", maxEnvironmentBytes);
        process.cgroup = readText(folder / "cgroup");
        processes.push_back(std::move(process));
    }
    std::sort(processes.begin(), processes.end(),
              [](const ProcessRecord& a, const ProcessRecord& b) { return a.pid < b.pid; });
    return processes;
}

std::optional<std::string_view> environmentVariable(std::string_view environment, std::string_view name) {
    while (!environment.empty()) {
        const std::string_view entry = environment.substr(0, environment.find('\0'));
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            return entry.substr(name.size() + 1);
        environment.remove_prefix(std::min(environment.size(), entry.size() + 1));
    }
    return std::nullopt;
}

std::optional<std::string> launchedDesktopFile(std::string_view environment, ProcessId pid,
                                               ProcessId parent) {
    const std::optional<std::string_view> file =
        environmentVariable(environment, "GIO_LAUNCHED_DESKTOP_FILE");
    const std::optional<std::string_view> launched =
        environmentVariable(environment, "GIO_LAUNCHED_DESKTOP_FILE_PID");
    if (!file || file->empty() || !launched) return std::nullopt;
    const std::optional<ProcessId> launchedPid = number(*launched);
    if (!launchedPid || (*launchedPid != pid && *launchedPid != parent)) return std::nullopt;
    return std::string(*file);
}

std::optional<std::string> desktopIdOfCgroup(std::string_view cgroup) {
    // cgroup v2 writes one line, "0::/user.slice/…/app.slice/app-gnome-org.gnome.Nautilus-1234.scope"; v1
    // one per hierarchy, the unified one among them. The app's unit is the innermost "app-" unit on a path.
    while (!cgroup.empty()) {
        std::string_view line = cgroup.substr(0, cgroup.find('\n'));
        cgroup.remove_prefix(std::min(cgroup.size(), line.size() + 1));
        const std::size_t colon = line.find(':');
        const std::size_t second = colon == std::string_view::npos ? colon : line.find(':', colon + 1);
        if (second == std::string_view::npos) continue;
        std::string_view path = line.substr(second + 1);
        while (!path.empty()) {
            const std::size_t slash = path.rfind('/');
            const std::string_view unit = slash == std::string_view::npos ? path : path.substr(slash + 1);
            if (std::optional<std::string> id = idOfUnit(unit)) return id;
            if (slash == std::string_view::npos) break;
            path = path.substr(0, slash);
        }
    }
    return std::nullopt;
}

RunningAppMatcher::RunningAppMatcher(DesktopEntryIndex& entries)
    : index_(entries), entries_(entries.entries()) {}

std::optional<std::string> RunningAppMatcher::known(const std::string& id) {
    if (index_.find(id)) return id;
    return std::nullopt;
}

std::optional<std::string> RunningAppMatcher::desktopId(const ProcessRecord& process,
                                                        const std::vector<std::string>& windowClasses) {
    if (const std::optional<std::string> file =
            launchedDesktopFile(process.environment, process.pid, process.parent)) {
        if (const std::optional<std::string> id = index_.idOfFile(*file)) {
            if (auto found = known(*id)) return found;
        }
    }
    if (const std::optional<std::string> id = desktopIdOfCgroup(process.cgroup)) {
        if (auto found = known(*id)) return found;
    }
    if (windowClasses.empty()) return std::nullopt;
    const auto unique = [](const std::set<std::string>& ids) {
        return ids.size() == 1 ? std::optional(*ids.begin()) : std::nullopt;
    };
    std::set<std::string> byClass;
    std::set<std::string> byProgram;
    for (const DesktopEntry& entry : entries_) {
        if (!entry.startupWMClass.empty() && std::find(windowClasses.begin(), windowClasses.end(),
                                                       entry.startupWMClass) != windowClasses.end())
            byClass.insert(entry.id);
        if (sameProgram(entry.program, process) || sameProgram(entry.tryExec, process))
            byProgram.insert(entry.id);
    }
    if (auto id = unique(byClass)) return id;
    return unique(byProgram);
}

}  // namespace moorvane::desktop
