#include "platform/referencedock/LinuxDockPreferences.h"

#include <sys/stat.h>

#include <algorithm>

#include "base/AtomicFile.h"
#include "base/BoundedRead.h"
#include "base/Log.h"
#include "platform/referencedock/DockChangeObserver.h"
#include "platform/referencedock/ReferenceDockPaths.h"
#include "platform/session/XdgPaths.h"

namespace moorvane {

namespace {

// A real Dock file is a few hundred kilobytes at most.
constexpr std::size_t maxPreferencesBytes = 32 * 1024 * 1024;

std::optional<std::pair<long long, long long>> fileStamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return std::pair<long long, long long>{
        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec,
        static_cast<long long>(info.st_size)};
}

}  // namespace

LinuxDockPreferences::LinuxDockPreferences(std::string path)
    : path_(path.empty() ? referencedock::dockPreferencesPath() : std::move(path)) {}

LinuxDockPreferences::~LinuxDockPreferences() = default;

void LinuxDockPreferences::observeChanges(std::function<void()> changed) {
    changes_ = std::make_unique<DockChangeObserver>(std::move(changed));
}

LinuxDockPreferences::FileContent LinuxDockPreferences::readFile() {
    FileContent content;
    if (pathIsAbsent(path_)) return content;
    Result<std::string> bytes = readBoundedFile(path_, maxPreferencesBytes);
    std::string problem;
    if (bytes) {
        content.bytes = Bytes(bytes->begin(), bytes->end());
        Result<PlistValue> parsed = readPlist(content.bytes);
        if (parsed && parsed->dictionary()) {
            content.state = FileState::readable;
            content.dictionary = std::move(*parsed->dictionary());
            loggedMalformed_.reset();
            return content;
        }
        problem = parsed ? "its root is not a dictionary" : parsed.error().description;
        content.state = FileState::malformed;
    } else {
        problem = bytes.error().description;
        content.state = FileState::unreadable;
    }
    const auto stamp = fileStamp(path_);
    if (!stamp || stamp != loggedMalformed_) {
        log("DockPreferences: ignoring unreadable " + path_ + ": " + problem);
        loggedMalformed_ = stamp;
    }
    return content;
}

std::optional<PlistValue> LinuxDockPreferences::copyValue(std::string_view key) {
    if (const PlistValue* waiting = pending_.find(key)) return *waiting;
    FileContent content = readFile();
    if (const PlistValue* value = content.dictionary.find(key)) return *value;
    return std::nullopt;
}

void LinuxDockPreferences::set(std::string_view key, PlistValue value) {
    pending_.set(std::string(key), std::move(value));
}

Status LinuxDockPreferences::synchronize() {
    if (pending_.empty()) return done();
    // Each refusal is logged here, where its detail is known, and handed back to the caller as well.
    const auto refuse = [](std::string line) {
        log(line);
        return Error{std::move(line)};
    };
    FileContent content = readFile();
    if (content.state == FileState::unreadable)
        return refuse("DockPreferences: not replacing " + path_ + ", it could not be read");
    if (content.state == FileState::malformed) {
        // Whatever the file held is kept for the user to recover; only then is it replaced.
        if (Status kept = writeFileAtomically(path_ + ".malformed", asText(content.bytes), 0600, 0700); !kept)
            return refuse("DockPreferences: not replacing " + path_ +
                          ", could not keep a copy: " + kept.error().description);
    }
    PlistDictionary dictionary = std::move(content.dictionary);
    for (const auto& [key, value] : pending_) dictionary.set(key, value);
    Result<Bytes> bytes = writeBinary(PlistValue(std::move(dictionary)));
    if (!bytes)
        return refuse("DockPreferences: could not encode " + path_ + ": " + bytes.error().description);
    if (Status written = writeFileAtomically(path_, asText(*bytes), 0600, 0700); !written)
        return refuse("DockPreferences: could not write " + path_ + ": " + written.error().description);
    pending_ = {};
    return done();
}

}  // namespace moorvane
