#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace moorvane {

// A URL rather than a path: "scheme://...", or one of the two schemes that need no slashes. A file name with
// a colon ("Work: Mon.dockprofile") stays a path.
bool isURLArgument(std::string_view argument);

// The arguments as another process can read them: each path made absolute against this process's working
// folder (and cleaned of "." and ".."), URLs as given. Applied before the arguments are handed over.
std::vector<std::string> withAbsolutePaths(const std::vector<std::string>& arguments);

}  // namespace moorvane
