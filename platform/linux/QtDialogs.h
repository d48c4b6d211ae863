#pragma once

#include "platform/Dialogs.h"

namespace moorvane {

// Qt's file dialogs and message boxes; the content types become name filters (".dockprofile" documents).
class QtDialogs final : public Dialogs {
  public:
    std::optional<std::filesystem::path> runSavePanel(const SavePanelOptions& options) override;
    std::vector<std::filesystem::path> runOpenPanel(const OpenPanelOptions& options) override;
    void showWarningAlert(const std::string& message, const std::string& informativeText) override;
    void activateApp() override;
};

}  // namespace moorvane
