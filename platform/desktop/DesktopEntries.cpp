#include "platform/desktop/DesktopEntries.h"

#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "base/BoundedRead.h"
#include "base/Text.h"
#include "dock/DockManager.h"
#include "dock/TileCodec.h"

namespace moorvane::desktop {

namespace {

constexpr const char* entryGroup = "Desktop Entry";
constexpr std::string_view desktopSuffix = ".desktop";
// Far above any real desktop file (a few KiB with every translation); a larger one is not read at all.
constexpr std::size_t maxDesktopFileBytes = 1024 * 1024;

struct KeyFileFree {
    void operator()(GKeyFile* file) const noexcept { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

std::optional<std::string> text(GKeyFile* file, const std::string& key) {
    GError* error = nullptr;
    gchar* value = g_key_file_get_string(file, entryGroup, key.c_str(), &error);
    if (error) {
        // A missing key, a value that is not UTF-8, or a bad escape; GLib hands back what it read of the last
        // along with the error.
        g_free(value);
        g_error_free(error);
        return std::nullopt;
    }
    std::string out(value);
    g_free(value);
    return out;
}

// The value for the first of the locales that has one, else the unlocalised value. Looked up key by key
// rather than through GLib's own locale handling, which reads the process locale rather than the session's.
std::optional<std::string> localised(GKeyFile* file, const std::string& key,
                                     const std::vector<std::string>& locales) {
    for (const std::string& locale : locales) {
        if (auto value = text(file, key + "[" + locale + "]")) return value;
    }
    return text(file, key);
}

bool flag(GKeyFile* file, const char* key) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, entryGroup, key, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    return value != FALSE;
}

std::vector<std::string> list(GKeyFile* file, const char* key) {
    std::vector<std::string> out;
    gsize count = 0;
    gchar** values = g_key_file_get_string_list(file, entryGroup, key, &count, nullptr);
    if (!values) return out;
    for (gsize i = 0; i < count; ++i) {
        if (values[i][0] != '\0') out.emplace_back(values[i]);
    }
    g_strfreev(values);
    return out;
}

bool contains(const std::vector<std::string>& values, const std::string& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// The first current desktop named in either list decides; an entry with OnlyShowIn and none of them named is
// not shown. Desktop names compare case-sensitively.
bool shownOnDesktops(const std::vector<std::string>& onlyShowIn, const std::vector<std::string>& notShowIn,
                     const std::vector<std::string>& currentDesktops) {
    for (const std::string& desktop : currentDesktops) {
        if (contains(onlyShowIn, desktop)) return true;
        if (contains(notShowIn, desktop)) return false;
    }
    return onlyShowIn.empty();
}

bool isExecutableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// TryExec names an absolute program or one looked up on the search path; a relative path with a slash
// would depend on the working folder, so it never counts as installed.
bool tryExecFound(const std::string& program, const std::vector<std::string>& searchPath) {
    if (program.front() == '/') return isExecutableFile(program);
    if (program.find('/') != std::string::npos) return false;
    return std::any_of(searchPath.begin(), searchPath.end(), [&program](const std::string& folder) {
        return !folder.empty() && isExecutableFile(folder + "/" + program);
    });
}

std::vector<std::string> split(std::string_view value, char separator) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(separator, start);
        if (end == std::string_view::npos) end = value.size();
        if (end > start) out.emplace_back(value.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Relative entries are invalid in the XDG variables and ignored, as the base directory rules ask.
std::vector<std::string> absoluteFolders(std::string_view value) {
    std::vector<std::string> out;
    for (std::string& folder : split(value, ':')) {
        if (folder.front() != '/') continue;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (!contains(out, folder)) out.push_back(std::move(folder));
    }
    return out;
}

// The locale's variants most specific first ("de_DE.UTF-8@euro" gives de_DE@euro, de_DE, de@euro, de, with
// the encoded forms too); nothing for the C and POSIX locales, whose names are the unlocalised ones.
std::vector<std::string> localeVariants(const std::vector<std::string>& locales) {
    std::vector<std::string> out;
    for (const std::string& locale : locales) {
        if (locale == "C" || locale.starts_with("C.") || locale == "POSIX") continue;
        gchar** variants = g_get_locale_variants(locale.c_str());
        for (gchar** variant = variants; *variant; ++variant) {
            if (!contains(out, *variant)) out.emplace_back(*variant);
        }
        g_strfreev(variants);
    }
    return out;
}

// The program an Exec line runs: its first word as the shell would split it, after "env" and the variables it
// sets. Empty when the line does not parse.
std::string execProgram(const std::string& exec) {
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), nullptr, &argv, nullptr)) return {};
    std::string program;
    gchar** word = argv;
    if (*word && std::string_view(*word) == "env") {
        ++word;
        while (*word && std::string_view(*word).find('=') != std::string_view::npos) ++word;
    }
    if (*word) program = *word;
    g_strfreev(argv);
    return program;
}

std::string applicationsFolder(const std::string& dataFolder) {
    return dataFolder + "/applications";
}

}  // namespace

bool DesktopEnvironment::names(std::string_view desktop) const {
    return std::any_of(currentDesktops.begin(), currentDesktops.end(),
                       [desktop](const std::string& name) { return equalIgnoringAsciiCase(name, desktop); });
}

DesktopEnvironment DesktopEnvironment::current() {
    DesktopEnvironment environment;
    std::string dataHome = environmentValue("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome.front() != '/') {
        std::string home = environmentValue("HOME");
        if (home.empty()) home = g_get_home_dir();
        dataHome = home + "/.local/share";
    }
    std::string dataDirs = environmentValue("XDG_DATA_DIRS");
    if (dataDirs.empty()) dataDirs = "/usr/local/share/:/usr/share/";
    environment.dataFolders = absoluteFolders(dataHome + ":" + dataDirs);
    environment.currentDesktops = split(environmentValue("XDG_CURRENT_DESKTOP"), ':');
    std::string path = environmentValue("PATH");
    if (path.empty()) path = "/usr/local/bin:/usr/bin:/bin";
    environment.searchPath = split(path, ':');
    // The message locale as gettext picks it: LC_ALL, then LC_MESSAGES, then LANG; LANGUAGE's list of
    // languages takes over unless that locale is C, which turns translations off.
    std::string messages = environmentValue("LC_ALL");
    if (messages.empty()) messages = environmentValue("LC_MESSAGES");
    if (messages.empty()) messages = environmentValue("LANG");
    const std::vector<std::string> chosen = localeVariants({messages});
    const std::vector<std::string> languages = split(environmentValue("LANGUAGE"), ':');
    environment.locales = !chosen.empty() && !languages.empty() ? localeVariants(languages) : chosen;
    return environment;
}

Result<DesktopEntry> parseDesktopEntry(std::string_view bytes, std::string id, std::string path,
                                       const DesktopEnvironment& environment) {
    KeyFile file(g_key_file_new());
    GError* error = nullptr;
    // Without KEEP_TRANSLATIONS GLib keeps only the process locale's, and the session's may differ.
    if (!g_key_file_load_from_data(file.get(), bytes.data(), bytes.size(), G_KEY_FILE_KEEP_TRANSLATIONS,
                                   &error)) {
        std::string description = "not a desktop file: ";
        description += error ? error->message : "unreadable";
        if (error) g_error_free(error);
        return Error{std::move(description)};
    }
    if (!g_key_file_has_group(file.get(), entryGroup))
        return Error{"not a desktop file: no [Desktop Entry] group"};

    DesktopEntry entry;
    entry.id = std::move(id);
    entry.path = std::move(path);
    std::optional<std::string> name = localised(file.get(), "Name", environment.locales);
    entry.icon = localised(file.get(), "Icon", environment.locales).value_or("");
    const std::optional<std::string> tryExec = text(file.get(), "TryExec");
    entry.shown = text(file.get(), "Type") == "Application" && name && !name->empty() &&
                  !flag(file.get(), "NoDisplay") && !flag(file.get(), "Hidden") &&
                  shownOnDesktops(list(file.get(), "OnlyShowIn"), list(file.get(), "NotShowIn"),
                                  environment.currentDesktops) &&
                  (!tryExec || tryExec->empty() || tryExecFound(*tryExec, environment.searchPath));
    entry.program = execProgram(text(file.get(), "Exec").value_or(""));
    entry.tryExec = tryExec.value_or("");
    entry.startupWMClass = text(file.get(), "StartupWMClass").value_or("");
    entry.startupNotify = flag(file.get(), "StartupNotify");
    if (name && !name->empty()) {
        entry.name = std::move(*name);
    } else {
        // Never shown without a name; the id still names it in a log line.
        entry.name = entry.id.ends_with(desktopSuffix)
                         ? entry.id.substr(0, entry.id.size() - desktopSuffix.size())
                         : entry.id;
    }
    return entry;
}

DesktopEntryIndex::DesktopEntryIndex(DesktopEnvironment environment) : environment_(std::move(environment)) {}

std::vector<DesktopEntryIndex::FolderStamp> DesktopEntryIndex::stamps() const {
    // The folders' modification times: adding or removing a desktop file changes its folder's, so comparing
    // them tells a miss that needs a new scan from one that does not, at the cost of a few stat calls.
    std::vector<FolderStamp> out;
    for (const std::string& dataFolder : environment_.dataFolders) {
        const std::filesystem::path root = applicationsFolder(dataFolder);
        std::error_code error;
        out.push_back({root.string(), std::filesystem::last_write_time(root, error)});
        if (error) {
            out.back().time.reset();
            continue;
        }
        for (std::filesystem::recursive_directory_iterator
                 it(root, std::filesystem::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            std::error_code typeError;
            if (!it->is_directory(typeError)) continue;
            std::error_code timeError;
            const auto time = it->last_write_time(timeError);
            out.push_back({it->path().string(), timeError ? std::nullopt : std::optional(time)});
        }
    }
    return out;
}

void DesktopEntryIndex::scan() {
    std::map<std::string, DesktopEntry, std::less<>> entries;
    std::vector<FolderStamp> seen = stamps();
    for (const std::string& dataFolder : environment_.dataFolders) {
        const std::filesystem::path root = applicationsFolder(dataFolder);
        // Sorted, so that two files of one id in a folder ("kde/a.desktop" and "kde-a.desktop") always
        // resolve the same way.
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator
                 it(root, std::filesystem::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            if (it->path().filename().string().ends_with(desktopSuffix)) files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const std::filesystem::path& file : files) {
            std::string id = file.lexically_relative(root).string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (entries.contains(id)) continue;
            // A file that cannot be read or is no desktop file hides nothing: the next folder's copy stands.
            const Result<std::string> bytes = readBoundedFile(file, maxDesktopFileBytes);
            if (!bytes) continue;
            Result<DesktopEntry> entry = parseDesktopEntry(*bytes, id, file.string(), environment_);
            if (!entry) continue;
            // Hidden or not, the first entry of an id hides the later ones.
            entries.emplace(std::move(id), std::move(*entry));
        }
    }
    entries_ = std::move(entries);
    stamps_ = std::move(seen);
}

void DesktopEntryIndex::refresh() {
    if (!entries_ || stamps() != stamps_) scan();
}

std::optional<DesktopEntry> DesktopEntryIndex::find(std::string_view id) {
    if (!entries_) scan();
    auto it = entries_->find(id);
    if (it == entries_->end()) {
        refresh();
        it = entries_->find(id);
        if (it == entries_->end()) return std::nullopt;
    }
    return it->second;
}

std::optional<std::string> DesktopEntryIndex::idOfFile(std::string_view path) const {
    if (!path.ends_with(desktopSuffix)) return std::nullopt;
    const std::filesystem::path file = std::filesystem::path(path).lexically_normal();
    if (!file.is_absolute()) return std::nullopt;
    for (const std::string& dataFolder : environment_.dataFolders) {
        const std::filesystem::path root =
            std::filesystem::path(applicationsFolder(dataFolder)).lexically_normal();
        const std::filesystem::path relative = file.lexically_relative(root);
        if (relative.empty() || relative.begin()->string() == "..") continue;
        std::string id = relative.string();
        std::replace(id.begin(), id.end(), '/', '-');
        return id;
    }
    return std::nullopt;
}

std::vector<InstalledApp> DesktopEntryIndex::installedApps() {
    refresh();
    std::vector<InstalledApp> apps;
    for (const auto& [id, entry] : *entries_) {
        if (entry.shown) apps.push_back({id, entry.name, entry.path, id});
    }
    sortInstalledAppsByName(apps);
    return apps;
}

std::vector<DesktopEntry> DesktopEntryIndex::entries() {
    refresh();
    std::vector<DesktopEntry> out;
    out.reserve(entries_->size());
    for (const auto& [id, entry] : *entries_) out.push_back(entry);
    return out;
}

PlistValue applicationTile(const DesktopEntry& entry) {
    DockAppEntry app;
    app.label = entry.name;
    app.bundleIdentifier = entry.id;
    app.path = entry.path;  // the codec writes a plain path as its file URL
    return tileDictionary(app);
}

}  // namespace moorvane::desktop
