#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "base/Log.h"
#include "fakes/Fixtures.h"

namespace moorvane::testing {

// Points the diagnostic log at a private file for as long as it lives, so a test can read back what was
// logged.
class LogCapture {
  public:
    LogCapture() { setLogPath(path()); }
    ~LogCapture() { setLogPath("/tmp/moorvane.log"); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::filesystem::path path() const { return dir_.path() / "moorvane.log"; }

    // The messages without their time stamps, one per line.
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        std::ifstream in(path());
        for (std::string line; std::getline(in, line);) out.push_back(line.substr(line.find("] ") + 2));
        return out;
    }

  private:
    TempDir dir_;
};

}  // namespace moorvane::testing
