#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/FileDescriptor.h"
#include "base/FileSystem.h"

namespace moorvane {

namespace fs = std::filesystem;

namespace {

Status makeFolders(const fs::path& folder, unsigned mode) {
    if (folder.empty()) return done();  // the top of a relative path
    struct stat info {};
    if (fileSystem().stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return done();
        return Error{folder.string() + " is not a folder"};
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        if (auto made = makeFolders(folder.parent_path(), mode); !made) return made;
    }
    if (fileSystem().mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
        return Error{errnoText("cannot create", folder), errno};
    return done();
}

}  // namespace

Status writeFileAtomically(const fs::path& target, std::string_view content, unsigned fileMode,
                           std::optional<unsigned> folderMode) {
    const FileSystem& calls = fileSystem();
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (folderMode) {
        if (auto made = makeFolders(folder, *folderMode); !made) return made;
    }
    // Hidden, so a folder scanner (autostart entries, bundles) never picks up a half-written file; unique, so
    // two writers never share one.
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    FileDescriptor file(calls.mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.valid()) return Error{errnoText("cannot create a temporary file for", target), errno};
    auto fail = [&](std::string_view what) -> Status {
        Error error{errnoText(what, target), errno};
        calls.unlink(temporary.c_str());
        return error;
    };
    // The mode is set before any content lands, so a private file is never readable by others.
    if (calls.fchmod(file.get(), static_cast<mode_t>(fileMode)) != 0) return fail("cannot set the mode of");
    std::size_t written = 0;
    while (written < content.size()) {
        const auto n = calls.write(file.get(), content.data() + written, content.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("cannot write");
        }
        written += static_cast<std::size_t>(n);
    }
    if (calls.fsync(file.get()) != 0) return fail("cannot flush");
    // Some file systems report a delayed write error only here.
    if (!file.close()) return fail("cannot close");
    if (calls.rename(temporary.c_str(), target.c_str()) != 0) return fail("cannot replace");
    FileDescriptor dir(calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (!dir.valid() || calls.fsync(dir.get()) != 0)
        return Error{errnoText("cannot flush the folder of", target), errno};
    return done();
}

}  // namespace moorvane
