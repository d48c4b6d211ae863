#include "model/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <string>

namespace moorvane {

namespace {

struct LogState {
    std::mutex mutex;
    std::filesystem::path path = "/tmp/moorvane.log";
    std::unique_ptr<icu::DateFormat> timeFormat;
};

LogState& state() {
    static LogState instance;
    return instance;
}

std::string timeOfDay(LogState& s) {
    if (!s.timeFormat) {
        s.timeFormat.reset(
            icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, icu::Locale::getDefault()));
    }
    if (!s.timeFormat) return "?";
    icu::UnicodeString formatted;
    s.timeFormat->format(icu::Calendar::getNow(), formatted);
    std::string text;
    formatted.toUTF8String(text);
    return text;
}

// Closes a descriptor on every path out.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

void log(std::string_view message) {
    LogState& s = state();
    // Serialised so lines from the launch completions' threads never interleave with the main thread's.
    std::lock_guard lock(s.mutex);
    const std::string time = timeOfDay(s);
    std::string line;
    line.reserve(time.size() + message.size() + 4);
    line += '[';
    line += time;
    line += "] ";
    line += message;
    line.push_back('\n');

    // The log lives in a folder every user can write to. Refusing to follow a link keeps another user from
    // redirecting our lines into a file of ours; a fresh log is readable by its owner only; O_NONBLOCK keeps
    // a FIFO planted at the path from hanging us, and only a regular file is written.
    FileDescriptor file{
        ::open(s.path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600)};
    if (file.fd < 0) return;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return;
    // One write with O_APPEND keeps a line whole even when another process appends at the same time.
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(file.fd, data, left);
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
