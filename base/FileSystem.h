#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace moorvane {

// The system calls the durable write and the bounded read make, behind one table so that a test can make a
// `write`, an `fsync` or a `rename` fail on demand (a full disk, a failing device) and check that nothing is
// lost. The process runs on the default table; only tests swap it, and only while no other thread writes.
struct FileSystem {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*mkostemp)(char* pattern, int flags);
    ssize_t (*read)(int fd, void* buffer, size_t size);
    ssize_t (*write)(int fd, const void* buffer, size_t size);
    int (*fstat)(int fd, struct stat* info);
    int (*fchmod)(int fd, mode_t mode);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*mkdir)(const char* path, mode_t mode);
    int (*stat)(const char* path, struct stat* info);

    // The plain system calls.
    static const FileSystem& system();
};

// The table every file helper of base/ calls through.
const FileSystem& fileSystem();

// Puts `replacement` in place for its lifetime and restores the table it found; tests only.
class FileSystemOverride {
  public:
    explicit FileSystemOverride(const FileSystem& replacement);
    FileSystemOverride(const FileSystemOverride&) = delete;
    FileSystemOverride& operator=(const FileSystemOverride&) = delete;
    ~FileSystemOverride();

  private:
    FileSystem previous_;
};

}  // namespace moorvane
