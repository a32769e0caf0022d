// Entry point of the wizard on Windows. The wizard reads no command line.

#include <filesystem>
#include <memory>

#include "app/BuildConstants.h"
#include "app/ConfigurationManager.h"
#include "app/SingleInstanceGuard.h"
#include "ui/MessageBoxes.h"
#include "ui/win32/MessageBoxesWin32.h"

namespace {

// Until the wizard dialog exists nothing is downloaded, so the run's folder goes again at once
// instead of piling up in the temporary directory with every start.
void RemoveEmptyTempFolder(const ConfigurationManager& settings) {
    if (settings.tempFolder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(settings.tempFolder), ignored);
}

}  // namespace

int wmain() {
    ui::InstallMessageBoxes(std::make_shared<ui::MessageBoxesWin32>());

    // Settles the page set, the folders and the run's temporary folder.
    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();

    // Held until the process ends, so a second wizard of this page set sees it taken.
    const SingleInstanceGuard guard(build::kWizardTypeName);
    if (!guard.IsFirstInstance()) {
        ui::GetMessageBoxes()->Show(kAnotherSetupRunningText, kAnotherSetupRunningTitle,
                                    ui::kMbOk | ui::kMbIconError | ui::kMbSystemModal);
        RemoveEmptyTempFolder(*settings);
        return 1;
    }
    RemoveEmptyTempFolder(*settings);
    return 0;
}
