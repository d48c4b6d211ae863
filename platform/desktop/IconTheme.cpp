#include "platform/desktop/IconTheme.h"

#include <gio/gio.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "base/BoundedRead.h"

namespace moorvane::desktop {

namespace {

constexpr const char* themeGroup = "Icon Theme";
constexpr std::size_t maxIndexBytes = 1024 * 1024;
// Inherits may form a loop or a long chain in a broken theme; real ones are two or three deep.
constexpr int maxInheritDepth = 8;
constexpr std::string_view extensions[] = {".png", ".svg", ".xpm"};

struct KeyFileFree {
    void operator()(GKeyFile* file) const noexcept { g_key_file_free(file); }
};

int integer(GKeyFile* file, const std::string& group, const char* key, int fallback) {
    GError* error = nullptr;
    const gint value = g_key_file_get_integer(file, group.c_str(), key, &error);
    if (error) {
        g_error_free(error);
        return fallback;
    }
    return value;
}

std::vector<std::string> names(GKeyFile* file, const char* group, const char* key) {
    std::vector<std::string> out;
    gsize count = 0;
    gchar** values = g_key_file_get_string_list(file, group, key, &count, nullptr);
    if (!values) return out;
    for (gsize i = 0; i < count; ++i) {
        // A folder name from the theme joins a path: nothing that climbs out of the theme.
        const std::string_view value(values[i]);
        if (!value.empty() && value.front() != '/' && value.find("..") == std::string_view::npos)
            out.emplace_back(value);
    }
    g_strfreev(values);
    return out;
}

bool isFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

bool IconTheme::Directory::matches(int wanted) const {
    switch (kind) {
        case Kind::fixed:
            return wanted == size;
        case Kind::scalable:
            return minSize <= wanted && wanted <= maxSize;
        case Kind::threshold:
            return size - threshold <= wanted && wanted <= size + threshold;
    }
    return false;
}

int IconTheme::Directory::distance(int wanted) const {
    switch (kind) {
        case Kind::fixed:
            return std::abs(size - wanted);
        case Kind::scalable:
            if (wanted < minSize) return minSize - wanted;
            if (wanted > maxSize) return wanted - maxSize;
            return 0;
        case Kind::threshold:
            if (wanted < size - threshold) return size - threshold - wanted;
            if (wanted > size + threshold) return wanted - size - threshold;
            return 0;
    }
    return INT_MAX;
}

IconTheme::IconTheme(const std::string& themeName, std::vector<std::string> iconFolders,
                     std::vector<std::string> pixmapFolders)
    : iconFolders_(std::move(iconFolders)), pixmapFolders_(std::move(pixmapFolders)) {
    if (!themeName.empty() && themeName.find('/') == std::string::npos) add(themeName, 0);
    add("hicolor", 0);
}

IconTheme IconTheme::forEnvironment(const std::string& themeName, const DesktopEnvironment& environment) {
    std::vector<std::string> iconFolders;
    const char* home = std::getenv("HOME");
    iconFolders.push_back(std::string(home && *home ? home : g_get_home_dir()) + "/.icons");
    for (const std::string& folder : environment.dataFolders) iconFolders.push_back(folder + "/icons");
    return IconTheme(themeName, std::move(iconFolders), {"/usr/share/pixmaps"});
}

void IconTheme::add(const std::string& name, int depth) {
    if (depth > maxInheritDepth || name.empty() || name.find('/') != std::string::npos) return;
    if (std::any_of(themes_.begin(), themes_.end(),
                    [&name](const Theme& theme) { return theme.name == name; }))
        return;
    Theme theme;
    theme.name = name;
    std::unique_ptr<GKeyFile, KeyFileFree> index;
    for (const std::string& folder : iconFolders_) {
        const std::string root = folder + "/" + name;
        std::error_code error;
        if (!std::filesystem::is_directory(root, error)) continue;
        theme.roots.push_back(root);
        if (index) continue;
        // The first index.theme found describes the theme; its folders are looked for under every root.
        const Result<std::string> bytes = readBoundedFile(root + "/index.theme", maxIndexBytes);
        if (!bytes) continue;
        index.reset(g_key_file_new());
        g_key_file_set_list_separator(index.get(), ',');  // themes list with commas, desktop files with ';'
        if (!g_key_file_load_from_data(index.get(), bytes->data(), bytes->size(), G_KEY_FILE_NONE, nullptr) ||
            !g_key_file_has_group(index.get(), themeGroup))
            index.reset();
    }
    if (!index) return;
    for (std::string& folder : names(index.get(), themeGroup, "Directories")) {
        if (!g_key_file_has_group(index.get(), folder.c_str())) continue;
        // Folders drawn at a scale are for dense screens, which ask for a larger size instead.
        if (integer(index.get(), folder, "Scale", 1) != 1) continue;
        Directory directory;
        directory.size = integer(index.get(), folder, "Size", 0);
        if (directory.size <= 0) continue;
        directory.minSize = integer(index.get(), folder, "MinSize", directory.size);
        directory.maxSize = integer(index.get(), folder, "MaxSize", directory.size);
        directory.threshold = integer(index.get(), folder, "Threshold", 2);
        gchar* type = g_key_file_get_string(index.get(), folder.c_str(), "Type", nullptr);
        const std::string_view kind = type ? type : "Threshold";
        directory.kind = kind == "Fixed"      ? Kind::fixed
                         : kind == "Scalable" ? Kind::scalable
                                              : Kind::threshold;
        g_free(type);
        directory.name = std::move(folder);
        theme.directories.push_back(std::move(directory));
    }
    theme.inherits = names(index.get(), themeGroup, "Inherits");
    const std::vector<std::string> parents = theme.inherits;
    themes_.push_back(std::move(theme));
    for (const std::string& parent : parents) add(parent, depth + 1);
}

std::vector<std::string> IconTheme::themeNames() const {
    std::vector<std::string> out;
    for (const Theme& theme : themes_) out.push_back(theme.name);
    return out;
}

std::string IconTheme::find(std::string_view icon, int size) const {
    if (icon.empty()) return {};
    if (icon.front() == '/') return isFile(std::string(icon)) ? std::string(icon) : std::string();
    if (icon.find('/') != std::string_view::npos || icon == "." || icon == "..") return {};
    std::string name(icon);
    // Old entries name the file ("foo.png"); themes hold it by its bare name.
    for (const std::string_view extension : extensions) {
        if (name.ends_with(extension)) {
            name.resize(name.size() - extension.size());
            break;
        }
    }
    for (const Theme& theme : themes_) {
        std::string closest;
        int closestDistance = INT_MAX;
        for (const Directory& directory : theme.directories) {
            const bool exact = directory.matches(size);
            const int distance = exact ? 0 : directory.distance(size);
            if (!exact && distance >= closestDistance) continue;
            for (const std::string& root : theme.roots) {
                for (const std::string_view extension : extensions) {
                    std::string file = root + "/" + directory.name + "/" + name;
                    file += extension;
                    if (!isFile(file)) continue;
                    if (exact) return file;
                    closest = std::move(file);
                    closestDistance = distance;
                    break;
                }
                if (closestDistance == distance) break;
            }
        }
        if (!closest.empty()) return closest;
    }
    for (const std::string& folder : pixmapFolders_) {
        for (const std::string_view extension : extensions) {
            std::string file = folder + "/" + name;
            file += extension;
            if (isFile(file)) return file;
        }
    }
    return {};
}

}  // namespace moorvane::desktop
