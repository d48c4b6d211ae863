#include "shell/Updates.h"

#include "platform/desktop/DebianPackage.h"

namespace moorvane {

std::string updatesExplanation(const std::filesystem::path& database, std::string_view program,
                               std::string_view version, std::string_view build) {
    if (const auto package = desktop::packageOwning(database, program)) {
        return "Moorvane " + package->version + " is installed from the Debian package \u201C" +
               package->name +
               "\u201D. Updates come through your system\u2019s package manager, such as Software or apt.";
    }
    return "Moorvane " + std::string(version) + " (" + std::string(build) +
           ") was built from its source code, so no package manager updates it. To update it, build a newer "
           "version from the source and install it the same way.";
}

}  // namespace moorvane
