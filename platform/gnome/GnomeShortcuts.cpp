#include "platform/gnome/GnomeShortcuts.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "base/Log.h"
#include "base/Text.h"

namespace moorvane {

namespace {

// GDK's keysym names for the keys of the shortcut table whose name is not already one (letters and digits
// are). The Mac's "delete" is the key GDK calls BackSpace; its "forwarddelete" is GDK's Delete.
const std::unordered_map<std::string, std::string>& keysymByName() {
    static const std::unordered_map<std::string, std::string> table{
        {"=", "equal"},
        {"-", "minus"},
        {"]", "bracketright"},
        {"[", "bracketleft"},
        {"'", "apostrophe"},
        {";", "semicolon"},
        {"\\", "backslash"},
        {",", "comma"},
        {"/", "slash"},
        {".", "period"},
        {"`", "grave"},
        {"return", "Return"},
        {"tab", "Tab"},
        {"space", "space"},
        {"delete", "BackSpace"},
        {"escape", "Escape"},
        {"home", "Home"},
        {"end", "End"},
        {"pageup", "Page_Up"},
        {"pagedown", "Page_Down"},
        {"forwarddelete", "Delete"},
        {"left", "Left"},
        {"right", "Right"},
        {"down", "Down"},
        {"up", "Up"},
    };
    return table;
}

std::string shellQuoted(const std::string& text) {
    gchar* quoted = g_shell_quote(text.c_str());
    std::string out = quoted;
    g_free(quoted);
    return out;
}

struct Entry {
    Uuid profile;
    std::string path;
    std::string name;
    std::string binding;
    std::string command;
};

}  // namespace

std::optional<std::string> gtkAccelerator(const Shortcut& shortcut) {
    const auto name = nameByKeyCode().find(shortcut.keyCode);
    if (name == nameByKeyCode().end()) return std::nullopt;
    // The order GTK itself writes them in.
    std::string out;
    if (shortcut.modifiers.has(ShortcutModifiers::shift)) out += "<Shift>";
    if (shortcut.modifiers.has(ShortcutModifiers::control)) out += "<Control>";
    if (shortcut.modifiers.has(ShortcutModifiers::option)) out += "<Alt>";
    if (shortcut.modifiers.has(ShortcutModifiers::command)) out += "<Super>";
    if (const auto keysym = keysymByName().find(name->second); keysym != keysymByName().end()) {
        out += keysym->second;
    } else if (name->second.size() == 1) {
        out += name->second;  // a letter or a digit
    } else {
        out += "F" + name->second.substr(1);  // f1 to f12
    }
    return out;
}

std::string switchCommand(const std::string& program, const std::string& profileName) {
    const std::string url = "moorvane://switch?profile=" + percentEncoded(profileName, "-._~");
    std::string command;
    for (const char c : shellQuoted(program) + " " + shellQuoted(url))
        command += c == '%' ? "%%" : std::string(1, c);
    return command;
}

std::optional<GnomeShortcuts> GnomeShortcuts::open(std::string program, GSettingsBackend* backend) {
    if (!desktop::Settings::installed(std::string(entrySchemaId))) return std::nullopt;
    auto list = desktop::Settings::open(std::string(schemaId), {}, backend);
    if (!list) return std::nullopt;
    return GnomeShortcuts(std::move(*list), std::move(program), backend);
}

GnomeShortcuts::GnomeShortcuts(desktop::Settings list, std::string program, GSettingsBackend* backend)
    : list_(std::move(list)), program_(std::move(program)) {
    if (backend) backend_.reset(static_cast<GSettingsBackend*>(g_object_ref(backend)));
}

GnomeShortcuts::GnomeShortcuts(GnomeShortcuts&& other) noexcept
    : list_(std::move(other.list_)),
      program_(std::move(other.program_)),
      backend_(std::move(other.backend_)),
      bound_(std::move(other.bound_)),
      mediaKeysRunning_(std::move(other.mediaKeysRunning_)),
      watch_(std::exchange(other.watch_, 0)) {
    other.mediaKeysRunning_ = std::make_unique<bool>(false);
}

GnomeShortcuts& GnomeShortcuts::operator=(GnomeShortcuts&& other) noexcept {
    if (this == &other) return *this;
    unwatch();
    list_ = std::move(other.list_);
    program_ = std::move(other.program_);
    backend_ = std::move(other.backend_);
    bound_ = std::move(other.bound_);
    mediaKeysRunning_ = std::exchange(other.mediaKeysRunning_, std::make_unique<bool>(false));
    watch_ = std::exchange(other.watch_, 0);
    return *this;
}

GnomeShortcuts::~GnomeShortcuts() {
    unwatch();
}

void GnomeShortcuts::unwatch() {
    if (watch_) g_bus_unwatch_name(watch_);
    watch_ = 0;
}

std::string GnomeShortcuts::entryPath(const Uuid& profileId) {
    return std::string(folder) + std::string(ownPrefix) + asciiLowerCased(profileId.text()) + "/";
}

Status GnomeShortcuts::mirror(const std::vector<DockProfile>& profiles, bool bind) {
    std::vector<Entry> wanted;
    std::vector<Shortcut> taken;
    std::set<Uuid> bound;
    for (const DockProfile& profile : profiles) {
        const std::optional<Shortcut> shortcut = parseShortcut(profile.keyboardShortcut);
        if (!shortcut || std::find(taken.begin(), taken.end(), *shortcut) != taken.end()) continue;
        const std::optional<std::string> binding = gtkAccelerator(*shortcut);
        if (!binding) continue;
        taken.push_back(*shortcut);
        if (bind) bound.insert(profile.id);
        wanted.push_back({profile.id, entryPath(profile.id), profile.name, bind ? *binding : std::string(),
                          switchCommand(program_, profile.name)});
    }

    std::optional<Error> failed;
    // A profile counts as bound only once the desktop holds its whole entry: otherwise the system-wide
    // monitor would leave its key to a desktop that never got it.
    const auto refused = [&failed, &bound](const Entry& entry, const std::string& what) {
        bound.erase(entry.profile);
        if (!failed) failed = Error{"the settings refused " + what};
    };
    // Each entry is complete before the list names it, so the daemon never binds a half-written one.
    for (const Entry& entry : wanted) {
        auto settings = desktop::Settings::open(std::string(entrySchemaId), entry.path, backend_.get());
        if (!settings) {
            refused(entry, entry.path);
            continue;
        }
        for (const auto& [key, value] :
             {std::pair{"name", &entry.name}, {"binding", &entry.binding}, {"command", &entry.command}}) {
            if (settings->string(key) == *value) continue;
            if (!g_settings_set_string(settings->raw(), key, value->c_str()))
                refused(entry, entry.path + key);
        }
    }

    const std::vector<std::string> before = list_.strings(listKey);
    const auto ours = [](const std::string& path) {
        return path.starts_with(std::string(folder) + std::string(ownPrefix));
    };
    const auto isWanted = [&wanted](const std::string& path) {
        return std::any_of(wanted.begin(), wanted.end(), [&path](const Entry& e) { return e.path == path; });
    };
    std::vector<std::string> after;
    std::vector<std::string> dropped;
    for (const std::string& path : before) {
        if (!ours(path)) {
            after.push_back(path);
        } else if (isWanted(path) && std::find(after.begin(), after.end(), path) == after.end()) {
            after.push_back(path);
        } else {
            dropped.push_back(path);
        }
    }
    for (const Entry& entry : wanted) {
        if (std::find(after.begin(), after.end(), entry.path) == after.end()) after.push_back(entry.path);
    }
    if (after != before) {
        if (Status written = list_.setStrings(listKey, after); !written) {
            bound.clear();
            if (!failed) failed = written.error();
        }
    }
    // Out of the list first, then emptied, so the daemon never runs an entry whose keys are going.
    for (const std::string& path : dropped) {
        if (isWanted(path)) continue;  // a duplicate of a path we keep
        auto settings = desktop::Settings::open(std::string(entrySchemaId), path, backend_.get());
        if (!settings) continue;
        for (const char* key : {"name", "binding", "command"}) g_settings_reset(settings->raw(), key);
    }
    g_settings_sync();
    bound_ = std::move(bound);
    if (failed) return *failed;
    return done();
}

void GnomeShortcuts::watchMediaKeys() {
    if (watch_) return;
    const std::string name(mediaKeysBusName);
    // Asked once now, so the start-up that follows already knows; the watch then follows it.
    if (GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
            g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 1000, nullptr,
            nullptr);
        if (reply) {
            gboolean owned = FALSE;
            g_variant_get(reply, "(b)", &owned);
            g_variant_unref(reply);
            if (owned) mediaKeysAppeared(nullptr, nullptr, nullptr, mediaKeysRunning_.get());
        }
        g_object_unref(bus);
    }
    watch_ = g_bus_watch_name(G_BUS_TYPE_SESSION, name.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE,
                              &mediaKeysAppeared, &mediaKeysVanished, mediaKeysRunning_.get(), nullptr);
}

void GnomeShortcuts::mediaKeysAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer running) {
    if (*static_cast<bool*>(running)) return;
    *static_cast<bool*>(running) = true;
    log("GnomeShortcuts: GNOME's media-keys service runs the mirrored shortcuts");
}

void GnomeShortcuts::mediaKeysVanished(GDBusConnection*, const gchar*, gpointer running) {
    if (!*static_cast<bool*>(running)) return;
    *static_cast<bool*>(running) = false;
    log("GnomeShortcuts: GNOME's media-keys service has stopped");
}

}  // namespace moorvane
