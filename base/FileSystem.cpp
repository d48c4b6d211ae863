#include "base/FileSystem.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace moorvane {

namespace {

FileSystem& current() {
    static FileSystem table = FileSystem::system();
    return table;
}

}  // namespace

const FileSystem& FileSystem::system() {
    // `open` is variadic and `mkostemp` may be a macro, so both go through a lambda of the table's type.
    static const FileSystem calls{
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        [](char* pattern, int flags) { return ::mkostemp(pattern, flags); },
        ::read,
        ::write,
        ::fstat,
        ::fchmod,
        ::fsync,
        ::close,
        ::rename,
        ::unlink,
        ::mkdir,
        ::stat,
    };
    return calls;
}

const FileSystem& fileSystem() {
    return current();
}

FileSystemOverride::FileSystemOverride(const FileSystem& replacement) : previous_(current()) {
    current() = replacement;
}

FileSystemOverride::~FileSystemOverride() {
    current() = previous_;
}

}  // namespace moorvane
