// Starts the calendar import: the data module, the window, then the event loop.
#include "app/InstalledPaths.h"
#include "app/StartupChecks.h"
#include "data/uDM.h"
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
    if (const int status = app::refuseWithoutWindows1250(); status != 0)
        return status;

    TDM DM;
    ui::QtMainWindow frmMain(DM, app::kInstalledConfigurationFile);
    // Showing runs the start-up work, which may already have asked for the end; the
    // request takes effect in the loop.
    frmMain.show();
    return application.exec();
}
