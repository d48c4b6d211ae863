#include "platform/session/XdgPaths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/AtomicFile.h"
#include "base/FileDescriptor.h"

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
    const std::string_view text(reinterpret_cast<const char*>(content.data()), content.size());
    auto written = moorvane::writeFileAtomically(std::filesystem::path(path), text, fileMode, folderMode);
    if (!written) return written.error().description;
    return std::nullopt;
}

}  // namespace moorvane
