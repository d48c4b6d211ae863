#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ports/Dialogs.h"

namespace moorvane::testing {

// Answers panels with scripted choices and records every call in `calls`, so a test can check that the app
// was activated before a panel opened.
class FakeDialogs final : public Dialogs {
  public:
    struct Alert {
        std::string message;
        std::string informativeText;
    };

    std::optional<std::filesystem::path> runSavePanel(const SavePanelOptions& options) override {
        calls.push_back("save");
        savePanels.push_back(options);
        return saveChoice;
    }
    std::vector<std::filesystem::path> runOpenPanel(const OpenPanelOptions& options) override {
        calls.push_back("open");
        openPanels.push_back(options);
        return openChoice;
    }
    void showWarningAlert(const std::string& message, const std::string& informativeText) override {
        calls.push_back("alert");
        alerts.push_back({message, informativeText});
    }
    void activateApp() override { calls.push_back("activate"); }

    std::optional<std::filesystem::path> saveChoice;
    std::vector<std::filesystem::path> openChoice;

    std::vector<std::string> calls;
    std::vector<SavePanelOptions> savePanels;
    std::vector<OpenPanelOptions> openPanels;
    std::vector<Alert> alerts;
};

}  // namespace moorvane::testing
