// Starts the calendar import: the window first, then the data module, then the event loop.
#include "data/uDM.h"
#include "ui/uMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The program takes no options; Qt sees only the program's name.
    int applicationArgc = argc > 0 ? 1 : 0;
    QApplication application(applicationArgc, argv);

    TfrmMain frmMain;
    TDM DM;
    frmMain.setDataModule(&DM);

    // Showing runs the start-up work (see TfrmMain::FormShow), which may already have
    // asked for the end; the request takes effect in the loop.
    frmMain.show();
    return application.exec();
}
