#include "base/Log.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "base/FileDescriptor.h"

namespace moorvane {

namespace {

struct LogState {
    std::mutex mutex;
    std::filesystem::path path = "/tmp/moorvane.log";
    // The path whose switch to this user's own file was told on standard error.
    std::filesystem::path toldAbout;
};

LogState& state() {
    // Never destroyed: a thread may still log while exit() runs the static destructors (the toolkit exits
    // when its display goes, as the key monitor's thread notes the same loss).
    static auto* instance = new LogState;
    return *instance;
}

// The locale's own time of day, from the C library. ICU's date formatting would do the same but load its
// calendars, time zones and locale data, megabytes that the resident app would keep for this one line.
std::string timeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!::localtime_r(&now, &local)) return "?";
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%X", &local);
    return length > 0 ? std::string(text, length) : "?";
}

// The log lives in a folder every user can write to. Refusing to follow a link keeps another user from
// redirecting our lines into a file of ours; a fresh log is readable by its owner only; O_NONBLOCK keeps a
// FIFO planted at the path from hanging us. Only a regular file of our own is written: one another user
// created (whatever its mode) would hand them our profile names and paths. Gives no descriptor otherwise.
FileDescriptor openOwnFile(const std::filesystem::path& path, bool& ownedByOther) {
    FileDescriptor fd(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    struct stat info {};
    if (!fd.valid()) {
        // Another user's private file or link cannot even be opened.
        ownedByOther = ::lstat(path.c_str(), &info) == 0 && info.st_uid != ::geteuid();
        return fd;
    }
    // Checked on the descriptor: the path may have been swapped since the open.
    const bool statted = ::fstat(fd.get(), &info) == 0;
    ownedByOther = statted && info.st_uid != ::geteuid();
    if (statted && S_ISREG(info.st_mode) && !ownedByOther) return fd;
    return FileDescriptor();
}

// "/tmp/moorvane.log" becomes "/tmp/moorvane-<uid>.log".
std::filesystem::path ownPathBeside(const std::filesystem::path& path) {
    std::filesystem::path own = path.parent_path();
    own /= path.stem().string() + "-" + std::to_string(::geteuid()) + path.extension().string();
    return own;
}

// The shared path while it is ours (or free), else this user's own file beside it, said once on stderr.
FileDescriptor openLog(LogState& s) {
    bool ownedByOther = false;
    FileDescriptor fd = openOwnFile(s.path, ownedByOther);
    if (fd.valid() || !ownedByOther) return fd;
    const std::filesystem::path own = ownPathBeside(s.path);
    if (s.toldAbout != s.path) {
        s.toldAbout = s.path;
        std::fprintf(stderr, "moorvane: %s belongs to another user; logging to %s\n", s.path.c_str(),
                     own.c_str());
    }
    return openOwnFile(own, ownedByOther);
}

}  // namespace

void log(std::string_view message) {
    LogState& s = state();
    // Serialised so lines from the launch completions' threads never interleave with the main thread's.
    std::lock_guard lock(s.mutex);
    const std::string time = timeOfDay();
    std::string line;
    line.reserve(time.size() + message.size() + 4);
    line += '[';
    line += time;
    line += "] ";
    line += message;
    line.push_back('\n');

    const FileDescriptor file = openLog(s);
    if (!file.valid()) return;
    // One write with O_APPEND keeps a line whole even when another process appends at the same time.
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(file.get(), data, left);
        if (written <= 0) return;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void setLogPath(std::filesystem::path path) {
    std::lock_guard lock(state().mutex);
    state().path = std::move(path);
}

std::filesystem::path logPath() {
    std::lock_guard lock(state().mutex);
    return state().path;
}

}  // namespace moorvane
