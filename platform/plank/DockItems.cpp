#include "platform/plank/DockItems.h"

#include <glib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

#include "base/BoundedRead.h"
#include "base/Text.h"

namespace moorvane::plank {

namespace {

constexpr const char* dockItemGroup = "PlankDockItemPreferences";
constexpr std::string_view fileScheme = "file://";
constexpr std::string_view dockletScheme = "docklet://";
// Long enough for any real name, short enough that "-99" and the suffix stay under NAME_MAX.
constexpr std::size_t maxStemBytes = 200;

struct KeyFileFree {
    void operator()(GKeyFile* file) const noexcept { g_key_file_free(file); }
};
struct ErrorFree {
    void operator()(GError* error) const noexcept { g_error_free(error); }
};
struct TextFree {
    void operator()(gchar* text) const noexcept { g_free(text); }
};

// The last segment of a launcher's path, decoded, without its extension.
std::string stemOf(std::string_view launcher) {
    std::string_view rest = launcher;
    if (rest.starts_with(dockletScheme)) {
        rest.remove_prefix(dockletScheme.size());
    } else if (rest.starts_with(fileScheme)) {
        rest.remove_prefix(fileScheme.size());
    }
    while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    if (const std::size_t slash = rest.rfind('/'); slash != std::string_view::npos)
        rest.remove_prefix(slash + 1);
    std::string stem = percentDecoded(rest);
    if (const std::size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
    return stem;
}

// `stem` as a file name that is valid UTF-8 (the order setting holds texts), visible, and one segment.
std::string safeStem(const std::string& stem) {
    const std::unique_ptr<gchar, TextFree> valid(
        g_utf8_make_valid(stem.data(), static_cast<gssize>(stem.size())));
    std::string out(valid.get());
    for (char& c : out) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    }
    out.erase(0, out.find_first_not_of('.'));
    if (out.size() > maxStemBytes) {
        std::size_t end = maxStemBytes;
        // Cut before a continuation byte's lead, so the name stays valid UTF-8.
        while (end > 0 && (static_cast<unsigned char>(out[end]) & 0xC0) == 0x80) --end;
        out.resize(end);
    }
    return out.empty() ? std::string("launcher") : out;
}

}  // namespace

Result<std::string> parseDockItem(std::string_view bytes) {
    const std::unique_ptr<GKeyFile, KeyFileFree> file(g_key_file_new());
    GError* raw = nullptr;
    if (!g_key_file_load_from_data(file.get(), bytes.data(), bytes.size(), G_KEY_FILE_NONE, &raw)) {
        const std::unique_ptr<GError, ErrorFree> error(raw);
        return Error{std::string("not a key file: ") + error->message};
    }
    const std::unique_ptr<gchar, TextFree> value(
        g_key_file_get_string(file.get(), dockItemGroup, "Launcher", &raw));
    if (!value) {
        const std::unique_ptr<GError, ErrorFree> error(raw);
        return Error{std::string("no launcher: ") + error->message};
    }
    std::string launcher(value.get());
    if (hasControlCharacter(launcher)) return Error{"the launcher holds a control character"};
    const bool isFile = launcher.starts_with(fileScheme) && launcher.size() > fileScheme.size();
    const bool docklet = launcher.starts_with(dockletScheme) && launcher.size() > dockletScheme.size();
    if (!isFile && !docklet) return Error{"the launcher is neither a file nor a docklet: " + launcher};
    return launcher;
}

std::string dockItemText(std::string_view launcher) {
    // GKeyFile escapes what its reader would otherwise unescape or trim, so the launcher reads back
    // unchanged.
    const std::unique_ptr<GKeyFile, KeyFileFree> file(g_key_file_new());
    const std::string value(launcher);
    g_key_file_set_string(file.get(), dockItemGroup, "Launcher", value.c_str());
    gsize length = 0;
    const std::unique_ptr<gchar, TextFree> text(g_key_file_to_data(file.get(), &length, nullptr));
    return std::string(text.get(), length);
}

std::vector<DockItem> readLaunchersFolder(const std::string& folder) {
    std::vector<DockItem> items;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return items;
    for (const std::filesystem::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.front() == '.' || !name.ends_with(dockItemSuffix)) continue;
        const Result<std::string> bytes = readBoundedFile(entry.path(), maxDockItemBytes);
        if (!bytes) continue;
        Result<std::string> launcher = parseDockItem(*bytes);
        if (launcher) items.push_back({name, std::move(*launcher)});
    }
    std::sort(items.begin(), items.end(),
              [](const DockItem& a, const DockItem& b) { return a.fileName < b.fileName; });
    return items;
}

std::vector<DockItem> orderedItems(const std::vector<DockItem>& files, const std::vector<std::string>& order,
                                   UnnamedItems unnamed) {
    std::vector<DockItem> out;
    std::set<std::string, std::less<>> placedNames;
    std::set<std::string, std::less<>> placedLaunchers;
    const auto place = [&](const DockItem& item) {
        if (!placedNames.insert(item.fileName).second) return;
        if (!placedLaunchers.insert(item.launcher).second) return;
        out.push_back(item);
    };
    for (const std::string& name : order) {
        const auto found = std::lower_bound(
            files.begin(), files.end(), name,
            [](const DockItem& item, const std::string& key) { return item.fileName < key; });
        if (found != files.end() && found->fileName == name) place(*found);
    }
    if (unnamed == UnnamedItems::append) {
        for (const DockItem& item : files) place(item);
    }
    return out;
}

std::string dockItemFileName(std::string_view launcher, const std::vector<std::string>& taken) {
    const std::string stem = safeStem(stemOf(launcher));
    const auto free = [&](const std::string& name) {
        return std::find(taken.begin(), taken.end(), name) == taken.end();
    };
    std::string name = stem + std::string(dockItemSuffix);
    for (int n = 1; !free(name); ++n) name = stem + "-" + std::to_string(n) + std::string(dockItemSuffix);
    return name;
}

}  // namespace moorvane::plank
