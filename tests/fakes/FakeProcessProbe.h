#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "ports/ProcessProbe.h"

namespace moorvane::testing {

// Answers from a script: each check takes the next scripted result, then `otherwise` once the script runs
// out.
class FakeProcessProbe final : public ProcessProbe {
  public:
    std::deque<bool> script;
    bool otherwise = false;

    bool isRunning(const std::string& name) override {
        std::lock_guard lock(mutex_);
        checked.push_back(name);
        if (script.empty()) return otherwise;
        const bool result = script.front();
        script.pop_front();
        return result;
    }

    std::vector<std::string> checked;

  private:
    std::mutex mutex_;
};

}  // namespace moorvane::testing
