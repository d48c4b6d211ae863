#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/DesktopEntries.h"

namespace moorvane::desktop {

// The icon files of the freedesktop icon themes: what a desktop entry's Icon= draws as. Built once, then only
// read, so any thread may look icons up (the toolkit's own icon loader may only be used on its main thread).
class IconTheme {
  public:
    // `themeName` first (empty: none), then the themes it inherits from, then "hicolor", each looked for in
    // `iconFolders` in order; `pixmapFolders` hold unthemed icons, the last resort.
    IconTheme(const std::string& themeName, std::vector<std::string> iconFolders,
              std::vector<std::string> pixmapFolders);
    // The folders of a session: ~/.icons, each data folder's "icons", and /usr/share/pixmaps.
    static IconTheme forEnvironment(const std::string& themeName, const DesktopEnvironment& environment);

    // The file drawing `icon` (an Icon= value: a name, or an absolute path) nearest to `size` pixels: an
    // exact size first, else the closest, in the first theme of the chain that has the icon; empty when no
    // file does. A name with a slash that is not absolute finds nothing.
    std::string find(std::string_view icon, int size) const;
    // The themes looked in, in order.
    std::vector<std::string> themeNames() const;

  private:
    enum class Kind { fixed, scalable, threshold };
    struct Directory {
        std::string name;
        Kind kind = Kind::threshold;
        int size = 0, minSize = 0, maxSize = 0, threshold = 2;
        bool matches(int wanted) const;
        int distance(int wanted) const;
    };
    struct Theme {
        std::string name;
        std::vector<std::string> roots;  // <icon folder>/<name> of every icon folder holding the theme
        std::vector<Directory> directories;
        std::vector<std::string> inherits;
    };
    void add(const std::string& name, int depth);
    std::vector<Theme> themes_;
    std::vector<std::string> iconFolders_;
    std::vector<std::string> pixmapFolders_;
};

}  // namespace moorvane::desktop
