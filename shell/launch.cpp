// `moorvane`: hands its arguments to the running instance, or becomes the instance by starting the app in its
// place. It links libdbus and the C++ library only, so a hand-over loads no toolkit, no QML and no ICU.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/HandOver.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // --popover is the desktop entry's "Show Profiles": a running instance shows its popover at once.
    const auto popover = std::remove(arguments.begin(), arguments.end(), std::string("--popover"));
    const bool showPopover = popover != arguments.end();
    arguments.erase(popover, arguments.end());
    // --help, --version and mistakes are the app's to read.
    const bool options = std::any_of(arguments.begin(), arguments.end(),
                                     [](const std::string& argument) { return argument.starts_with('-'); });
    if (!options) {
        if (const auto handed = moorvane::handOverToRunningInstance(arguments, showPopover)) return *handed;
    }
    // The same process (its identifier, its arguments) goes on as the app, which sits beside this command:
    // bin/moorvane and libexec/moorvane/moorvane, in the build tree as installed.
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path app = self.parent_path().parent_path() / "libexec" / "moorvane" / "moorvane";
    ::execv(app.c_str(), argv);
    std::fprintf(stderr, "moorvane: cannot start %s: %s\n", app.c_str(), std::strerror(errno));
    return 1;
}
