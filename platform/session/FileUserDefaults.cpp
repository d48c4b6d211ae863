#include "platform/session/FileUserDefaults.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/AtomicFile.h"
#include "base/BoundedRead.h"
#include "base/Log.h"
#include "platform/session/XdgPaths.h"

namespace moorvane {

namespace {

// Three small values; anything far larger is not this file.
constexpr std::size_t maxDefaultsBytes = 1024 * 1024;

}  // namespace

FileUserDefaults::FileUserDefaults(std::string path)
    : path_(path.empty() ? XdgPaths::xdgConfigHome() + "/Moorvane/defaults.json" : std::move(path)) {
    if (pathIsAbsent(path_)) return;
    Result<std::string> bytes = readBoundedFile(path_, maxDefaultsBytes);
    std::string problem;
    if (bytes) {
        nlohmann::json parsed = nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false);
        if (parsed.is_object()) {
            values_ = std::move(parsed);
            return;
        }
        problem = parsed.is_discarded() ? "not JSON" : "not a JSON object";
    } else {
        problem = bytes.error().description;
    }
    const std::string aside = path_ + ".unreadable";
    if (std::rename(path_.c_str(), aside.c_str()) == 0) {
        log("UserDefaults: " + path_ + " unreadable (" + problem + "), moved to " + aside);
    } else {
        writable_ = false;
        log("UserDefaults: " + path_ + " unreadable (" + problem + ") and could not be moved aside (" +
            std::strerror(errno) + "); settings will not be saved");
    }
}

std::optional<bool> FileUserDefaults::readBool(const std::string& key) {
    const auto found = values_.find(key);
    if (found == values_.end() || !found->is_boolean()) return std::nullopt;
    return found->get<bool>();
}

std::optional<std::string> FileUserDefaults::readString(const std::string& key) {
    const auto found = values_.find(key);
    if (found == values_.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

void FileUserDefaults::writeBool(const std::string& key, bool value) {
    values_[key] = value;
    save();
}

void FileUserDefaults::writeString(const std::string& key, const std::string& value) {
    values_[key] = value;
    save();
}

void FileUserDefaults::save() {
    if (!writable_) return;
    // Text that is not UTF-8 is written with replacement characters; the default handler would throw.
    const std::string text = values_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (Status written = writeFileAtomically(path_, text, 0600, 0700); !written) {
        log("UserDefaults: could not save " + path_ + ": " + written.error().description);
    }
}

}  // namespace moorvane
