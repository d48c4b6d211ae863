#include "platform/linux/XdgPaths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "dock/DockManager.h"

namespace moorvane {

namespace {

std::optional<std::string> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    return std::string(value);
}

std::string errnoText(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

// Closes on every path out, including the early returns of a failed write.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // The result of close(), which reports delayed write errors on some file systems.
    int reset() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

std::optional<std::string> makeFolders(const std::filesystem::path& folder, unsigned mode) {
    if (folder.empty()) return std::nullopt;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return std::nullopt;
        return folder.string() + " is not a folder";
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        if (auto error = makeFolders(folder.parent_path(), mode)) return error;
    }
    if (::mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
        return errnoText("Could not create " + folder.string(), errno);
    }
    return std::nullopt;
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

std::string XdgPaths::dockPreferencesPath() {
    return home() + "/Library/Preferences/com.apple.dock.plist";
}

std::vector<std::string> XdgPaths::applicationFolders() {
    return standardApplicationFolders(home());
}

Result<Bytes> readRegularFile(const std::string& path, std::size_t maxBytes) {
    // O_NONBLOCK keeps a FIFO planted under the name from blocking the open; it is refused just below.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return Error{errnoText("Could not open " + path, errno)};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return Error{errnoText("Could not read " + path, errno)};
    if (!S_ISREG(info.st_mode)) return Error{path + " is not a regular file"};
    if (static_cast<std::size_t>(info.st_size) > maxBytes) return Error{path + " is too large"};
    Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t count = ::read(fd.get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return Error{errnoText("Could not read " + path, errno)};
        if (count == 0) break;
        // The file may have grown since fstat.
        if (bytes.size() + static_cast<std::size_t>(count) > maxBytes) return Error{path + " is too large"};
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    return bytes;
}

bool pathIsAbsent(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

std::optional<std::string> writeFileAtomically(const std::string& path, const Bytes& content,
                                               unsigned fileMode, unsigned folderMode) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder = target.parent_path();
    if (auto error = makeFolders(folder, folderMode)) return error;

    std::string temporary = path + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) return errnoText("Could not create a temporary file beside " + path, errno);
    bool renamed = false;
    struct Cleanup {
        const std::string& name;
        const bool& done;
        ~Cleanup() {
            if (!done) ::unlink(name.c_str());
        }
    } cleanup{temporary, renamed};

    if (::fchmod(fd.get(), static_cast<mode_t>(fileMode)) != 0) {
        return errnoText("Could not set the mode of " + temporary, errno);
    }
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t count = ::write(fd.get(), content.data() + written, content.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return errnoText("Could not write " + temporary, errno);
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(fd.get()) != 0) return errnoText("Could not flush " + temporary, errno);
    if (fd.reset() != 0) return errnoText("Could not close " + temporary, errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return errnoText("Could not replace " + path, errno);
    }
    renamed = true;
    // Without this the rename itself may be lost in a crash, leaving the old file in place.
    const std::string folderName = folder.empty() ? std::string(".") : folder.string();
    FileDescriptor folderFd(::open(folderName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() < 0 || ::fsync(folderFd.get()) != 0) {
        return errnoText("Could not flush the folder of " + path, errno);
    }
    return std::nullopt;
}

}  // namespace moorvane
