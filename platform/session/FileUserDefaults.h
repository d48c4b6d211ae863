#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "ports/UserDefaults.h"

namespace moorvane {

// The app's defaults as one JSON object in a file, read once at construction and rewritten whole at each
// write. A file that cannot be read as an object is moved aside to "<path>.unreadable" and the defaults
// apply; when it cannot even be moved, it is left alone and nothing is written over it. Main thread only.
class FileUserDefaults final : public UserDefaults {
  public:
    // `path` defaults to $XDG_CONFIG_HOME/Moorvane/defaults.json.
    explicit FileUserDefaults(std::string path = {});

    std::optional<bool> readBool(const std::string& key) override;
    std::optional<std::string> readString(const std::string& key) override;
    void writeBool(const std::string& key, bool value) override;
    void writeString(const std::string& key, const std::string& value) override;

    const std::string& path() const { return path_; }

  private:
    void save();

    std::string path_;
    nlohmann::json values_ = nlohmann::json::object();
    bool writable_ = true;
};

}  // namespace moorvane
