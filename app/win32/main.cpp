// Starts the calendar import on Windows: the code page check, the data module, the
// window, then the message loop.
#include "app/InstalledPaths.h"
#include "app/StartupChecks.h"
#include "data/uDM.h"
#include "platform/CodePage.h"
#include "platform/FilePath.h"
#include "platform/SharedLibrary.h"
#include "platform/SingleInstance.h"
#include "platform/VirtualStore.h"
#include "ui/win32/MainWindow.h"
#include "update/Texts.h"

#include <windows.h>

#include <exception>
#include <filesystem>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything can load a DLL: none from the current folder or PATH.
    platform::restrictLibrarySearch();
    platform::forgetLibraryLoadingVariables();
    // One run at a time in the user's session: a second start touches no server.
    const platform::InstanceClaim claim(app::kInstanceName);
    if (!claim.held()) {
        ui::bringRunningWindowToFront();
        return 0;
    }
    // Without the conversion every Czech text would turn into '?'.
    if (const auto missing = platform::windows1250Unavailable()) {
        ui::showNoticeBox(std::string(app::kCodePageMissingNotice) + *missing, update::kNoticeCaptionError);
        return app::kExitCodePageMissing;
    }

    TDM DM;
    try {
        // Not elevated, the business application reads its per-user copy (UAC's
        // virtualisation) when there is one, and so does this window.
        const std::string file = platform::fileReadByLegacyProgram(app::kInstalledConfigurationFile);
        ui::Win32MainWindow frmMain(DM, platform::pathFromUtf8(file));
        // Showing runs the start-up work, which may already have asked for the end; the
        // request takes effect in the loop.
        frmMain.show();
        return frmMain.exec();
    } catch (const std::exception& error) {
        // Windows would not make the window: there is nowhere to work.
        ui::showNoticeBox(error.what(), update::kNoticeCaptionError);
        return app::kExitNoGraphicalSession;
    }
}
