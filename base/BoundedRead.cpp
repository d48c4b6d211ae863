#include "base/BoundedRead.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "base/FileDescriptor.h"
#include "base/FileSystem.h"

namespace moorvane {

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t mebibyte = std::size_t{1} << 20;
    return bytes % mebibyte == 0 && bytes > 0 ? std::to_string(bytes / mebibyte) + " MiB"
                                              : std::to_string(bytes) + " bytes";
}

Result<std::string> readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes,
                                    LastLink lastLink) {
    const FileSystem& calls = fileSystem();
    const auto systemError = [&](std::string_view what) { return Error{errnoText(what, path), errno}; };
    // O_NONBLOCK: a FIFO planted under the name would otherwise hold the open until a writer comes. The type
    // is checked on the open descriptor, so nothing can be swapped in between.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (lastLink == LastLink::refuse ? O_NOFOLLOW : 0);
    FileDescriptor file(calls.open(path.c_str(), flags, 0));
    if (!file.valid()) return systemError("cannot open");
    struct stat info {};
    if (calls.fstat(file.get(), &info) != 0) return systemError("cannot inspect");
    if (!S_ISREG(info.st_mode)) return Error{path.string() + " is not a regular file", notARegularFileCode};
    const auto tooLarge = [&] {
        return Error{path.string() + " is larger than " + sizeText(maxBytes), largerThanBoundCode};
    };
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) return tooLarge();

    std::string content(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t filled = 0;
    for (;;) {
        // Room for one byte past the bound tells a file that grew since fstat from one that did not.
        if (filled == content.size()) {
            if (content.size() > maxBytes) return tooLarge();
            content.resize(std::min(content.size() + 65536, maxBytes + 1));
        }
        const ssize_t got = calls.read(file.get(), content.data() + filled, content.size() - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            return systemError("cannot read");
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    content.resize(filled);
    return content;
}

}  // namespace moorvane
