#pragma once

#include <string>
#include <string_view>

namespace moorvane::desktop {

// Whether a process named `program` (its kernel name, as pgrep -x matches it) of this user runs in this
// session: one whose DISPLAY or session bus is this process's own. A dock of another session or another user
// on the same machine is not the one this session shows.
bool runsInThisSession(std::string_view program, const std::string& procRoot = "/proc");

}  // namespace moorvane::desktop
