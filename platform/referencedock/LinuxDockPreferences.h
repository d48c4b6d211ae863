#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ports/DockBackend.h"

namespace moorvane {

class DockChangeObserver;

// The domain "com.apple.dock" as a property-list file holding one dictionary. Reads see the file as it is
// now, overlaid with the keys set since the last synchronize(); the file is binary when written, any format
// when read. Main thread only. The reference Dock reads the file only at start, so a write restarts it, and
// it shows every tile.
class LinuxDockPreferences final : public DockBackend {
  public:
    // `path` defaults to referencedock::dockPreferencesPath().
    explicit LinuxDockPreferences(std::string path = {});
    ~LinuxDockPreferences() override;

    std::optional<PlistValue> copyValue(std::string_view key) override;
    void set(std::string_view key, PlistValue value) override;
    // Re-reads the file so keys written by others meanwhile survive, then applies the pending keys. A file
    // that is not a readable dictionary is copied aside to "<path>.malformed" before it is replaced.
    Status synchronize() override;
    void discardPendingChanges() override { pending_ = {}; }

    std::string displayName() const override { return "the reference Dock"; }
    DockApplyMode applyMode() const override { return DockApplyMode::restart; }
    std::optional<std::string> whyNotShown(const PlistValue&) override { return std::nullopt; }
    void notifyWhenShown(std::function<void()>) override {}
    // Its "prefchanged" signal on the session bus.
    void observeChanges(std::function<void()> changed) override;

    const std::string& path() const { return path_; }

  private:
    // `unreadable`: the bytes could not be read at all, so nothing may replace them.
    enum class FileState { absent, readable, malformed, unreadable };
    struct FileContent {
        FileState state = FileState::absent;
        PlistDictionary dictionary;
        Bytes bytes;
    };
    FileContent readFile();

    std::string path_;
    std::unique_ptr<DockChangeObserver> changes_;
    PlistDictionary pending_;  // set since the last write, each key once
    // The file state last logged as malformed, so a broken file is reported once, not at every read.
    std::optional<std::pair<long long, long long>> loggedMalformed_;
};

}  // namespace moorvane
