#include "fakes/FakeWorkspace.h"

#include <stdexcept>
#include <utility>

namespace moorvane::testing {

std::vector<RunningApplication> FakeWorkspace::runningApplications() {
    std::lock_guard lock(mutex_);
    return running;
}

void FakeWorkspace::terminate(ProcessId process) {
    std::lock_guard lock(mutex_);
    terminated.push_back(process);
}

Status FakeWorkspace::kill(ProcessId process) {
    std::lock_guard lock(mutex_);
    killed.push_back(process);
    if (auto found = killErrors.find(process); found != killErrors.end()) return Error{found->second};
    return done();
}

std::optional<std::string> FakeWorkspace::applicationLocation(const std::string& bundleIdentifier) {
    std::lock_guard lock(mutex_);
    if (auto found = locations.find(bundleIdentifier); found != locations.end()) return found->second;
    return std::nullopt;
}

void FakeWorkspace::openApplication(const std::string& location, OpenCompletion completion) {
    std::lock_guard lock(mutex_);
    opened.push_back({location, std::move(completion)});
}

std::vector<std::string> FakeWorkspace::openedLocations() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& request : opened) out.push_back(request.location);
    return out;
}

void FakeWorkspace::finishOpen(std::size_t index, std::optional<std::string> error) {
    Status outcome = error ? Status(Error{*error}) : done();
    OpenCompletion completion;
    {
        std::lock_guard lock(mutex_);
        if (index >= opened.size() || !opened[index].completion)
            throw std::logic_error("no such open request");
        completion = std::exchange(opened[index].completion, nullptr);
    }
    completion(std::move(outcome));
}

ProcessId FakeWorkspace::addRunning(std::optional<std::string> bundleIdentifier, ActivationPolicy policy) {
    std::lock_guard lock(mutex_);
    const ProcessId process = nextProcess_++;
    running.push_back({std::move(bundleIdentifier), process, policy});
    return process;
}

}  // namespace moorvane::testing
