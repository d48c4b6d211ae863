#include "platform/desktop/DesktopWorkspace.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "base/Log.h"
#include "platform/desktop/RunningApps.h"
#include "platform/desktop/Settings.h"

namespace moorvane::desktop {

namespace {

// The desktop's own processes: windows of theirs are the desktop, never an app to quit.
constexpr std::array<std::string_view, 4> desktopProcesses = {"gnome-shell", "plank", "Xwayland", "mutter"};

std::string ownExecutable() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

}  // namespace

DesktopWorkspace::DesktopWorkspace(DesktopEntryIndex& entries, std::string procRoot)
    : entries_(entries), procRoot_(std::move(procRoot)) {
    // A Wayland client's windows are nobody else's to see: only apps on the X display (Xwayland) count as
    // running with a window, so only they are asked to quit.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if ((wayland && *wayland) || (session && std::string_view(session) == "wayland"))
        log("Workspace: on Wayland only apps with windows on the X display (Xwayland) are asked to quit");
    if (!windows_.connected()) log("Workspace: no X display; no app will be asked to quit");
}

std::vector<RunningApplication> DesktopWorkspace::runningApplications() {
    std::map<ProcessId, std::vector<std::string>> windowClasses;
    for (const ClientWindow& window : windows_.clientWindows()) {
        if (window.pid > 0) windowClasses[window.pid].push_back(window.windowClass);
    }
    const ProcessId self = ownProcessIdentifier();
    const std::string selfExecutable = ownExecutable();
    const char* display = std::getenv("DISPLAY");
    const std::string_view ownDisplay = display ? display : "";
    RunningAppMatcher matcher(entries_);
    std::vector<RunningApplication> apps;
    for (const ProcessRecord& process : listUserProcesses(procRoot_)) {
        const auto windows = windowClasses.find(process.pid);
        const bool hasWindow = windows != windowClasses.end();
        // A process of another display of this user is another session's app.
        if (!hasWindow && !ownDisplay.empty()) {
            const std::optional<std::string_view> theirs =
                environmentVariable(process.environment, "DISPLAY");
            if (theirs && !theirs->empty() && *theirs != ownDisplay) continue;
        }
        const bool desktopItself = std::find(desktopProcesses.begin(), desktopProcesses.end(),
                                             process.name) != desktopProcesses.end();
        const bool thisApp =
            process.pid == self || (!selfExecutable.empty() && process.executable == selfExecutable);
        const std::optional<std::string> id =
            matcher.desktopId(process, hasWindow ? windows->second : std::vector<std::string>{});
        if (!id && !hasWindow) continue;
        const ActivationPolicy policy = hasWindow && !desktopItself && !thisApp
                                            ? ActivationPolicy::regular
                                            : ActivationPolicy::prohibited;
        apps.push_back({id, process.pid, policy});
    }
    return apps;
}

void DesktopWorkspace::terminate(ProcessId process) {
    if (process <= 0) return;
    if (!windows_.connected()) {
        log("Workspace: cannot ask pid " + std::to_string(process) + " to quit: no X display");
        return;
    }
    windows_.closeWindowsOf(process);
}

Status DesktopWorkspace::kill(ProcessId process) {
    return Error{"Not killing pid " + std::to_string(process) +
                 ": apps of a desktop session are only asked to quit"};
}

ProcessId DesktopWorkspace::ownProcessIdentifier() {
    return static_cast<ProcessId>(::getpid());
}

std::optional<std::string> DesktopWorkspace::applicationLocation(const std::string& bundleIdentifier) {
    if (std::optional<DesktopEntry> entry = entries_.find(bundleIdentifier)) return entry->path;
    return std::nullopt;
}

void DesktopWorkspace::openApplication(const std::string& location, OpenCompletion completion) {
    const auto finish = [&completion](Status opened) {
        if (completion) completion(std::move(opened));
    };
    GObjectPtr<GDesktopAppInfo> app(g_desktop_app_info_new_from_filename(location.c_str()));
    if (!app) {
        // GIO gives no reason; the usual one is a program that is not installed.
        std::string why;
        if (const std::optional<std::string> id = entries_.idOfFile(location)) {
            if (const std::optional<DesktopEntry> entry = entries_.find(*id);
                entry && !entry->program.empty())
                why = ": its program " + entry->program + " is not installed";
        }
        finish(Error{"The desktop entry " + location + " cannot be launched" + why});
        return;
    }
    GObjectPtr<GAppLaunchContext> context(g_app_launch_context_new());
    // A startup id whose time is 0 tells the window manager the launch follows no input of the user's: the
    // app's window opens without taking the focus from what the user is doing.
    const char* appName = g_app_info_get_name(G_APP_INFO(app.get()));
    const std::string startupId = "moorvane-" + std::to_string(::getpid()) + "-" +
                                  std::to_string(++launches_) + "-" +
                                  std::filesystem::path(location).stem().string() + "_TIME0";
    g_app_launch_context_setenv(context.get(), "DESKTOP_STARTUP_ID", startupId.c_str());
    if (g_desktop_app_info_get_boolean(app.get(), "StartupNotify")) {
        gchar* icon = g_desktop_app_info_get_string(app.get(), "Icon");
        const char* wmClass = g_desktop_app_info_get_startup_wm_class(app.get());
        windows_.announceStartup(startupId, appName ? appName : "", icon ? icon : "", wmClass ? wmClass : "");
        g_free(icon);
    }
    GError* error = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib starts the app through a child that exits at once, so the app
    // is nobody's child here and no zombie is left behind.
    if (!g_desktop_app_info_launch_uris_as_manager(app.get(), nullptr, context.get(), G_SPAWN_SEARCH_PATH,
                                                   nullptr, nullptr, nullptr, nullptr, &error)) {
        std::string description = error ? error->message : "the launch failed";
        if (error) g_error_free(error);
        finish(Error{std::move(description)});
        return;
    }
    finish(done());
}

}  // namespace moorvane::desktop
