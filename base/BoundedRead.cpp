#include "base/BoundedRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/FileDescriptor.h"

namespace moorvane {

Result<std::string> readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes) {
    // O_NONBLOCK: a FIFO planted under the name would otherwise hold the open until a writer comes. The type
    // is checked on the open descriptor, so nothing can be swapped in between.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!file.valid()) return Error{errnoText("cannot open", path)};
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return Error{errnoText("cannot inspect", path)};
    if (!S_ISREG(info.st_mode)) return Error{path.string() + " is not a regular file"};
    const auto tooLarge = [&] {
        constexpr std::size_t mebibyte = std::size_t{1} << 20;
        const std::string bound = maxBytes % mebibyte == 0 ? std::to_string(maxBytes / mebibyte) + " MiB"
                                                           : std::to_string(maxBytes) + " bytes";
        return Error{path.string() + " is larger than " + bound};
    };
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) return tooLarge();

    std::string content(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t filled = 0;
    for (;;) {
        // Room for one byte past the bound tells a file that grew since fstat from one that did not.
        if (filled == content.size()) {
            if (content.size() > maxBytes) return tooLarge();
            content.resize(std::min(content.size() + 4096, maxBytes + 1));
        }
        const ssize_t got = ::read(file.get(), content.data() + filled, content.size() - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            return Error{errnoText("cannot read", path)};
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    content.resize(filled);
    return content;
}

}  // namespace moorvane
