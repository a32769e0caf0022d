// Entry point of the wizard on Windows. The wizard reads no command line.

#include <memory>

#include "app/BuildConstants.h"
#include "app/ConfigurationManager.h"
#include "app/SingleInstanceGuard.h"
#include "platform/win32/Win32Api.h"
#include "ui/MessageBoxes.h"
#include "ui/win32/MessageBoxesWin32.h"

namespace {

// Until the wizard dialog exists nothing is downloaded, so the run's folder goes again at once
// instead of piling up in the temporary directory with every start. The folder is removed by
// the system call itself: the standard file system library would bring the C++ locale and
// stream machinery into the program, several hundred kilobytes of it.
void RemoveEmptyTempFolder(const ConfigurationManager& settings) {
    if (settings.tempFolder.empty()) return;
    // A folder that is not empty, or is gone already, stays as it is.
    RemoveDirectoryW(settings.tempFolder.c_str());
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
