#pragma once

#include <optional>
#include <string>
#include <vector>

namespace moorvane {

inline constexpr char busName[] = "com.moorvane.app";
inline constexpr char automationPath[] = "/com/moorvane/app";
inline constexpr char instancePath[] = "/com/moorvane/app/instance";

// Hands `arguments` (made absolute first) to the instance that owns the bus name, through com.moorvane.app.
// Instance.Open on the session bus, then asks it to show the popover (ShowPopover) when `showPopover` is set
// or there are no arguments. The exit status for this process once the instance took them (0) or
// failed to answer (1, said on stderr); nothing when there is no instance or no session bus, or an argument
// the bus cannot carry (not UTF-8), in which case this process is to start as the app and decide.
//
// Plain libdbus, so that the `moorvane` command that runs this loads no toolkit at all: a hand-over costs
// about what a dbus-send call does.
std::optional<int> handOverToRunningInstance(const std::vector<std::string>& arguments,
                                             bool showPopover = false);

}  // namespace moorvane
