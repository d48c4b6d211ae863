#pragma once

#include "ports/Dialogs.h"

namespace moorvane {

// The file a save panel writes: `chosen`, or `chosen` with the first allowed type's extension added when it
// ends in none of the allowed types' extensions (a name typed bare), as a panel with allowed types does.
std::filesystem::path withAllowedExtension(const std::filesystem::path& chosen,
                                           const std::vector<std::string>& allowedContentTypes);

// Qt's file dialogs and message boxes; the content types become name filters (".dockprofile" documents).
class QtDialogs final : public Dialogs {
  public:
    std::optional<std::filesystem::path> runSavePanel(const SavePanelOptions& options) override;
    std::vector<std::filesystem::path> runOpenPanel(const OpenPanelOptions& options) override;
    void showWarningAlert(const std::string& message, const std::string& informativeText) override;
    void activateApp() override;
};

}  // namespace moorvane
