#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace moorvane {

struct SavePanelOptions {
    std::string title;
    std::string suggestedName;                     // the file name proposed, extension included
    std::vector<std::string> allowedContentTypes;  // uniform type identifiers
    bool canCreateDirectories = true;
    bool showsExtension = true;
};

struct OpenPanelOptions {
    std::string title;
    std::vector<std::string> allowedContentTypes;
    bool allowsMultipleSelection = true;
    bool canChooseDirectories = false;
};

// Modal panels and alerts. Main thread only; each call returns when the user has closed what it showed.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // None when the user cancels.
    virtual std::optional<std::filesystem::path> runSavePanel(const SavePanelOptions& options) = 0;
    // The chosen files in the panel's order; empty when the user cancels.
    virtual std::vector<std::filesystem::path> runOpenPanel(const OpenPanelOptions& options) = 0;
    // Warning style, one default button.
    virtual void showWarningAlert(const std::string& message, const std::string& informativeText) = 0;
    // Brings the app in front of other apps, so a panel of a menu-bar app does not open behind them.
    virtual void activateApp() = 0;
};

}  // namespace moorvane
