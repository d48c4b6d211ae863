#include "platform/desktop/DebianPackage.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "base/BoundedRead.h"
#include "base/Text.h"

namespace moorvane::desktop {

namespace fs = std::filesystem;

namespace {

// Bounds far above real databases (a status file takes a few KiB per installed package; the longest file
// lists, of kernel headers and documentation sets, a few MiB) that still keep a runaway file out of memory.
constexpr std::size_t statusBound = std::size_t{256} << 20;
constexpr std::size_t fileListBound = std::size_t{64} << 20;

// Field names are ASCII, compared without regard to case as deb822 asks.
const std::string* field(const ControlStanza& stanza, std::string_view name) {
    for (const ControlField& entry : stanza)
        if (equalIgnoringAsciiCase(entry.name, name)) return &entry.value;
    return nullptr;
}

bool validFieldName(std::string_view name) {
    if (name.empty() || name.front() == '#' || name.front() == '-') return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) > 0x20 && c != 0x7F && c != ':'; });
}

// "install ok installed", or "hold ok installed" for a package the user pinned: unpacked and configured.
// Every other state (half-installed, unpacked, config-files...) has no program of that version to speak for.
bool isInstalled(std::string_view status) {
    std::vector<std::string_view> words;
    while (!(status = trimmed(status, spacesAndTabs)).empty()) {
        const std::size_t end = std::min(status.find_first_of(spacesAndTabs), status.size());
        words.push_back(status.substr(0, end));
        status.remove_prefix(end);
    }
    return words.size() == 3 && (words[0] == "install" || words[0] == "hold") && words[1] == "ok" &&
           words[2] == "installed";
}

bool listsLine(std::string_view text, std::string_view line) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (text.substr(0, end) == line) return true;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return false;
}

// dpkg's file lists, "<package>.list", or "<package>:<architecture>.list" for a package installed for more
// than one architecture; those named after `program` first, as a program's package usually is.
std::vector<fs::path> fileLists(const fs::path& info, std::string_view program) {
    std::vector<fs::path> lists;
    std::error_code error;
    for (fs::directory_iterator it(info, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".list") lists.push_back(it->path());
    }
    const std::string name = fs::path(program).filename().string();
    std::stable_partition(lists.begin(), lists.end(), [&name](const fs::path& list) {
        const std::string stem = list.stem().string();
        return stem.substr(0, stem.find(':')) == name;
    });
    return lists;
}

}  // namespace

std::vector<ControlStanza> readControlStanzas(std::string_view text) {
    std::vector<ControlStanza> stanzas;
    ControlStanza stanza;
    bool damaged = false;
    const auto close = [&] {
        if (!damaged && !stanza.empty()) stanzas.push_back(std::move(stanza));
        stanza.clear();
        damaged = false;
    };
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (trimmed(line).empty()) {
            close();
        } else if (line.front() == ' ' || line.front() == '\t') {
            if (stanza.empty()) {
                damaged = true;
            } else {
                stanza.back().value += '\n';
                stanza.back().value += trimmed(line, spacesAndTabs);
            }
        } else {
            const std::size_t colon = line.find(':');
            const std::string_view name = line.substr(0, colon);
            // A field given twice leaves its value in doubt: the stanza goes with it.
            if (colon == std::string_view::npos || !validFieldName(name) || field(stanza, name)) {
                damaged = true;
                continue;
            }
            stanza.push_back(
                {std::string(name), std::string(trimmed(line.substr(colon + 1), spacesAndTabs))});
        }
    }
    close();
    return stanzas;
}

std::optional<std::string> installedVersion(std::string_view status, std::string_view package,
                                            std::string_view architecture) {
    for (const ControlStanza& stanza : readControlStanzas(status)) {
        const std::string* name = field(stanza, "Package");
        if (!name || *name != package) continue;
        const std::string* arch = field(stanza, "Architecture");
        if (!architecture.empty() && (!arch || *arch != architecture)) continue;
        const std::string* state = field(stanza, "Status");
        const std::string* version = field(stanza, "Version");
        // A version is one word on one line; anything else is not dpkg's writing.
        if (state && isInstalled(*state) && version && !version->empty() &&
            version->find_first_of(asciiWhiteSpace) == std::string::npos)
            return *version;
    }
    return std::nullopt;
}

std::optional<InstalledPackage> packageOwning(const fs::path& database, std::string_view program) {
    if (program.empty()) return std::nullopt;
    for (const fs::path& list : fileLists(database / "info", program)) {
        const Result<std::string> files = readBoundedFile(list, fileListBound);
        if (!files || !listsLine(*files, program)) continue;
        // A file has one owner in dpkg's database: the first list that holds it decides.
        const std::string stem = list.stem().string();
        const std::size_t colon = stem.find(':');
        const std::string name = stem.substr(0, colon);
        const std::string architecture = colon == std::string::npos ? std::string() : stem.substr(colon + 1);
        const Result<std::string> status = readBoundedFile(database / "status", statusBound);
        if (!status) return std::nullopt;
        auto version = installedVersion(*status, name, architecture);
        if (!version) return std::nullopt;
        return InstalledPackage{name, std::move(*version)};
    }
    return std::nullopt;
}

}  // namespace moorvane::desktop
