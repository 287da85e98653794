// Starts the calendar import: the data module, the window, then the event loop.
#include "app/InstalledPaths.h"
#include "app/RunningInstance.h"
#include "app/StartupChecks.h"
#include "data/uDM.h"
#include "platform/SingleInstance.h"
#include "ui/qt/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    app::silenceStartupNoise();
    if (const int status = app::refuseWithoutGraphicalSession(); status != 0)
        return status;
    // The program takes no options; Qt sees only the program's name.
    int applicationArgc = argc > 0 ? 1 : 0;
    QApplication application(applicationArgc, argv);
    // One run at a time: a second start touches no server.
    const platform::InstanceClaim claim(app::kInstanceName);
    if (!claim.held()) {
        app::askForTheFront();
        return 0;
    }
    if (const int status = app::refuseWithoutWindows1250(); status != 0)
        return status;

    TDM DM;
    ui::QtMainWindow frmMain(DM, app::kInstalledConfigurationFile);
    const app::FrontRequests frontRequests(frmMain);
    // Showing runs the start-up work, which may already have asked for the end; the
    // request takes effect in the loop.
    frmMain.show();
    return application.exec();
}
