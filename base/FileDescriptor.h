#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "base/FileSystem.h"

namespace moorvane {

// Owns a descriptor and closes it on every path out of a read or write; movable, so it can be a member.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor() = default;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~FileDescriptor() {
        if (fd_ >= 0) fileSystem().close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Reports the close failure that a buffered write may only show here.
    bool close() { return fileSystem().close(std::exchange(fd_, -1)) == 0; }
    // Closes the descriptor held so far, if any, and holds `fd`.
    void reset(int fd = -1) {
        if (fd_ >= 0) fileSystem().close(fd_);
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

// "cannot open /path: No such file or directory", from the errno of the call that just failed.
inline std::string errnoText(std::string_view what, const std::filesystem::path& path) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
}

}  // namespace moorvane
