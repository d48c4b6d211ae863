#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/DesktopEntries.h"
#include "ports/Workspace.h"

namespace moorvane::desktop {

// One process of this user, as /proc shows it.
struct ProcessRecord {
    ProcessId pid = 0;
    ProcessId parent = 0;
    std::string name;         // the kernel's name (comm)
    std::string executable;   // where /proc/PID/exe points, " (deleted)" removed; empty when unreadable
    std::string command;      // argv[0]
    std::string environment;  // NUL-separated NAME=value entries
    std::string cgroup;       // the cgroup file's text
};

// This user's processes under `procRoot`, by pid; kernel threads and zombies (no executable) left out.
std::vector<ProcessRecord> listUserProcesses(const std::string& procRoot = "/proc");

// The value of one variable in a NUL-separated environment block; nothing when unset.
std::optional<std::string_view> environmentVariable(std::string_view environment, std::string_view name);

// The desktop file GIO (or a desktop following it) launched this process from: GIO_LAUNCHED_DESKTOP_FILE,
// believed only when GIO_LAUNCHED_DESKTOP_FILE_PID names the process itself or its parent (a launcher script
// that started the app). Any other process inherited the variable: a program a launched terminal ran, say,
// which is not that terminal, so it is matched by the other rules.
std::optional<std::string> launchedDesktopFile(std::string_view environment, ProcessId pid, ProcessId parent);

// The desktop-file id ("org.gnome.Nautilus.desktop") of the systemd unit a desktop started the app in, from
// the cgroup file's text: "app-gnome-<id>-<n>.scope", "app-<launcher>-<id>-<n>.scope", "app-<id>-<n>.scope",
// "app[-<launcher>]-<id>[@<x>].service", with the id's own dashes escaped as "\x2d".
std::optional<std::string> desktopIdOfCgroup(std::string_view cgroup);

// Tells which installed app a process is, in this order: the desktop file GIO launched it from, the systemd
// unit its desktop started it in, then, for a process with windows only (a windowless helper that happens to
// run the same program is no app of its own), its windows' class against the entries' StartupWMClass and its
// program against their Exec and TryExec. A class or program that more than one entry claims tells nothing.
class RunningAppMatcher {
  public:
    explicit RunningAppMatcher(DesktopEntryIndex& entries);

    std::optional<std::string> desktopId(const ProcessRecord& process,
                                         const std::vector<std::string>& windowClasses);

  private:
    std::optional<std::string> known(const std::string& id);
    DesktopEntryIndex& index_;
    std::vector<DesktopEntry> entries_;
};

}  // namespace moorvane::desktop
