#pragma once

#include <filesystem>
#include <string>

namespace moorvane::testing {

std::filesystem::path fixturePath(const std::string& name);
std::string readFixture(const std::string& name);

// A fresh directory under the system's temporary folder, removed when the value dies.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace moorvane::testing
