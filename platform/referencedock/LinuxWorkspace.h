#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dock/InstalledAppCache.h"
#include "model/DockProfile.h"
#include "ports/Workspace.h"

namespace moorvane {

// Running applications are this user's processes whose executable sits in "<X>.app/Contents/MacOS/"; their
// identity and policy come from that bundle's Contents/Info.plist. Opening starts the bundle's executable
// detached in a new session, with no controlling terminal and stdio on /dev/null.
//
// One worker thread runs the opens and their completions, and reaps the children it started so none is left
// a zombie; the destructor finishes queued opens and joins it.
class LinuxWorkspace final : public Workspace {
  public:
    // `applicationFolders` defaults to referencedock::applicationFolders(); `procRoot` is where /proc is
    // mounted.
    explicit LinuxWorkspace(std::optional<std::vector<std::string>> applicationFolders = std::nullopt,
                            std::string procRoot = "/proc");
    ~LinuxWorkspace() override;
    LinuxWorkspace(const LinuxWorkspace&) = delete;
    LinuxWorkspace& operator=(const LinuxWorkspace&) = delete;

    std::vector<RunningApplication> runningApplications() override;
    void terminate(ProcessId process) override;
    Status kill(ProcessId process) override;
    ProcessId ownProcessIdentifier() override;
    std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) override;
    void openApplication(const std::string& location, OpenCompletion completion) override;

    // The bundle folder of an executable path, when it lies directly in "<X>.app/Contents/MacOS/".
    static std::optional<std::string> bundleOfExecutable(const std::string& executable);

  private:
    struct BundleInfo {
        long long modified = 0;
        long long size = 0;
        std::optional<std::string> identifier;
        ActivationPolicy policy = ActivationPolicy::regular;
    };
    struct OpenRequest {
        std::string location;
        OpenCompletion completion;
    };

    BundleInfo bundleInfo(const std::string& bundle);
    void work();
    void reapChildren();

    std::string procRoot_;

    std::mutex cacheMutex_;
    std::map<std::string, BundleInfo> bundleCache_;
    InstalledAppCache installed_;

    std::mutex workMutex_;
    std::condition_variable workReady_;
    std::deque<OpenRequest> requests_;
    std::vector<int> children_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace moorvane
