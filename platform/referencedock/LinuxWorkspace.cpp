#include "platform/referencedock/LinuxWorkspace.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/BoundedRead.h"
#include "base/InfoPlist.h"
#include "base/Log.h"
#include "base/Text.h"
#include "platform/referencedock/ReferenceDockPaths.h"
#include "platform/session/Spawn.h"
#include "platform/session/XdgPaths.h"

namespace moorvane {

namespace {

constexpr std::string_view deletedSuffix = " (deleted)";
constexpr std::string_view macOSFolder = "/Contents/MacOS/";

// The forms the system accepts for these keys: a boolean, a number, or text such as "1" or "YES".
bool truthy(const PlistValue* value) {
    if (value == nullptr) return false;
    if (auto flag = value->boolean()) return *flag;
    if (auto number = value->integer()) return !(*number == PlistInteger(0));
    if (const std::string* text = value->string()) {
        const std::string lower = asciiLowerCased(*text);
        return lower == "1" || lower == "yes" || lower == "true";
    }
    return false;
}

std::optional<ProcessId> processIdFromName(const std::string& name) {
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    ProcessId pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
    return pid;
}

std::optional<std::string> readLink(const std::string& path) {
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return std::nullopt;
    target.resize(static_cast<std::size_t>(length));
    return target;
}

// The bundle's executable, checked before anything starts so the error can say what is wrong.
Result<std::string> bundleExecutable(const std::string& location) {
    Result<PlistDictionary> plist = readInfoPlist(location);
    if (!plist && plist.error().code != damagedInfoPlistCode)
        return Error{"The application at " + location + " has no readable Info.plist"};
    if (!plist) {
        const std::string& why = plist.error().description;
        return Error{"The Info.plist of " + location + " is damaged" + (why.empty() ? why : ": " + why)};
    }
    const std::string* name = plist->findString("CFBundleExecutable");
    // A name with a slash or a dot folder would leave Contents/MacOS.
    if (name == nullptr || name->empty() || *name == "." || *name == ".." ||
        name->find('/') != std::string::npos || name->find('\0') != std::string::npos) {
        return Error{"The Info.plist of " + location + " names no executable"};
    }
    const std::string executable = location + "/Contents/MacOS/" + *name;
    struct stat info {};
    if (::stat(executable.c_str(), &info) != 0) return Error{"The executable " + executable + " is missing"};
    if (!S_ISREG(info.st_mode) || ::access(executable.c_str(), X_OK) != 0) {
        return Error{"The file " + executable + " is not executable"};
    }
    return executable;
}

}  // namespace

LinuxWorkspace::LinuxWorkspace(std::optional<std::vector<std::string>> applicationFolders,
                               std::string procRoot)
    : procRoot_(std::move(procRoot)),
      installed_(applicationFolders ? std::move(*applicationFolders) : referencedock::applicationFolders()),
      worker_([this] { work(); }) {}

LinuxWorkspace::~LinuxWorkspace() {
    {
        std::lock_guard lock(workMutex_);
        stopping_ = true;
    }
    workReady_.notify_all();
    worker_.join();
}

std::optional<std::string> LinuxWorkspace::bundleOfExecutable(const std::string& executable) {
    const std::size_t marker = executable.rfind(macOSFolder);
    if (marker == std::string::npos) return std::nullopt;
    const std::string name = executable.substr(marker + macOSFolder.size());
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    std::string bundle = executable.substr(0, marker);
    const std::size_t slash = bundle.rfind('/');
    const std::string folderName = slash == std::string::npos ? bundle : bundle.substr(slash + 1);
    // ".app" alone is no bundle name.
    if (folderName.size() <= 4 || !folderName.ends_with(".app")) return std::nullopt;
    return bundle;
}

LinuxWorkspace::BundleInfo LinuxWorkspace::bundleInfo(const std::string& bundle) {
    const std::string file = infoPlistPath(bundle);
    struct stat status {};
    BundleInfo info;
    if (::stat(file.c_str(), &status) == 0) {
        info.modified = static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
        info.size = static_cast<long long>(status.st_size);
    } else {
        info.modified = -1;
    }
    std::lock_guard lock(cacheMutex_);
    const auto cached = bundleCache_.find(bundle);
    if (cached != bundleCache_.end() && cached->second.modified == info.modified &&
        cached->second.size == info.size) {
        return cached->second;
    }
    if (info.modified >= 0) {
        if (Result<PlistDictionary> dictionary = readInfoPlist(bundle)) {
            if (const std::string* identifier = dictionary->findString("CFBundleIdentifier")) {
                info.identifier = *identifier;
            }
            if (truthy(dictionary->find("LSBackgroundOnly"))) {
                info.policy = ActivationPolicy::prohibited;
            } else if (truthy(dictionary->find("LSUIElement"))) {
                info.policy = ActivationPolicy::accessory;
            }
        }
    }
    bundleCache_[bundle] = info;
    return info;
}

namespace {

// Far beyond the kernel's limit on a new program's arguments and environment together.
constexpr std::size_t maxEnvironmentBytes = std::size_t{8} << 20;

// The session bus a process was started on, from its environment; none when unreadable or unset.
std::optional<std::string> sessionBusOf(const std::string& folder) {
    const Result<std::string> environment = readBoundedFile(folder + "/environ", maxEnvironmentBytes);
    if (!environment) return std::nullopt;
    constexpr std::string_view key = "DBUS_SESSION_BUS_ADDRESS=";
    std::string_view rest = *environment;
    while (!rest.empty()) {
        const std::string_view entry = rest.substr(0, rest.find('\0'));
        if (entry.starts_with(key)) return std::string(entry.substr(key.size()));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
    }
    return std::nullopt;
}

}  // namespace

std::vector<RunningApplication> LinuxWorkspace::runningApplications() {
    std::vector<ProcessId> processes;
    std::error_code error;
    std::filesystem::directory_iterator it(procRoot_, error);
    if (error) {
        log("Workspace: cannot list " + procRoot_ + ": " + error.message());
        return {};
    }
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (auto pid = processIdFromName(it->path().filename().string())) processes.push_back(*pid);
    }
    std::sort(processes.begin(), processes.end());

    const uid_t user = ::getuid();
    // Another session of the same user (a second display, say) runs apps of its own, its Dock among them;
    // they are not this session's to quit or restart. Processes whose bus cannot be told still count.
    const char* ownBus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    std::vector<RunningApplication> apps;
    for (const ProcessId pid : processes) {
        const std::string folder = procRoot_ + "/" + std::to_string(pid);
        struct stat status {};
        if (::stat(folder.c_str(), &status) != 0 || status.st_uid != user) continue;
        // Gone, a kernel thread, or a zombie: none has an executable to read.
        std::optional<std::string> executable = readLink(folder + "/exe");
        if (!executable) continue;
        // An app updated while running still counts as that app.
        if (executable->ends_with(deletedSuffix))
            executable->resize(executable->size() - deletedSuffix.size());
        const std::optional<std::string> bundle = bundleOfExecutable(*executable);
        if (!bundle) continue;
        if (ownBus && *ownBus) {
            const std::optional<std::string> bus = sessionBusOf(folder);
            if (bus && *bus != ownBus) continue;
        }
        const BundleInfo info = bundleInfo(*bundle);
        apps.push_back({info.identifier, pid, info.policy});
    }
    return apps;
}

void LinuxWorkspace::terminate(ProcessId process) {
    // 0 and negative numbers address process groups or everything we may signal.
    if (process <= 0) return;
    if (::kill(process, SIGTERM) != 0) {
        log("Workspace: SIGTERM to pid " + std::to_string(process) + " failed: " + std::strerror(errno));
    }
}

Status LinuxWorkspace::kill(ProcessId process) {
    if (process <= 0) return Error{"Invalid process identifier " + std::to_string(process)};
    if (::kill(process, SIGKILL) != 0) return Error{std::strerror(errno), errno};
    return done();
}

ProcessId LinuxWorkspace::ownProcessIdentifier() {
    return static_cast<ProcessId>(::getpid());
}

std::optional<std::string> LinuxWorkspace::applicationLocation(const std::string& bundleIdentifier) {
    std::lock_guard lock(cacheMutex_);
    return installed_.location(bundleIdentifier);
}

void LinuxWorkspace::openApplication(const std::string& location, OpenCompletion completion) {
    {
        std::lock_guard lock(workMutex_);
        requests_.push_back({location, std::move(completion)});
    }
    workReady_.notify_all();
}

void LinuxWorkspace::reapChildren() {
    std::erase_if(children_, [](int child) {
        int status = 0;
        const pid_t result = ::waitpid(child, &status, WNOHANG);
        // ECHILD: someone else reaped it (a SIGCHLD handler set to ignore, for one).
        return result == child || (result < 0 && errno == ECHILD);
    });
}

void LinuxWorkspace::work() {
    std::unique_lock lock(workMutex_);
    for (;;) {
        reapChildren();
        if (requests_.empty()) {
            if (stopping_) return;
            // Children are polled, not waited for: waitpid(-1) or a SIGCHLD handler would take the exit
            // statuses of processes other parts of the app started.
            if (children_.empty()) {
                workReady_.wait(lock, [this] { return stopping_ || !requests_.empty(); });
            } else {
                workReady_.wait_for(lock, std::chrono::seconds(1),
                                    [this] { return stopping_ || !requests_.empty(); });
            }
            continue;
        }
        OpenRequest request = std::move(requests_.front());
        requests_.pop_front();
        lock.unlock();
        Status opened;
        Result<std::string> executable = bundleExecutable(request.location);
        if (!executable) {
            opened = executable.error();
        } else if (Result<int> child = spawnWithNullStdio(*executable, {*executable}, true)) {
            std::lock_guard childLock(workMutex_);
            children_.push_back(*child);
        } else {
            opened = child.error();
        }
        if (request.completion) request.completion(std::move(opened));
        lock.lock();
    }
}

}  // namespace moorvane
