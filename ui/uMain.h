// The main window's handlers: start-up, the start button and the close button. Each
// toolkit's window calls them and supplies the operations they need.
#pragma once

#include "ui/MainWindowView.h"
#include "update/CalendarUpdate.h"

#include <filesystem>

class TDM;

class TfrmMain {
public:
    // `view` and `DM` must outlive the handlers' last call.
    TfrmMain(ui::MainWindowView& view, TDM& DM, std::filesystem::path configurationFile);
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    // Reads the configured server into the field, connects quietly and, when that works,
    // runs the update at once. The toolkit calls it once, before the window first shows.
    void FormShow();
    // The calendar update run with the field's current text.
    void BitBtn3Click();
    // Requests the end of the program, nothing else: the session closes when the data
    // module goes at exit.
    void BitBtn4Click();

private:
    ui::MainWindowView& view_;
    TDM& DM;
    const std::filesystem::path configurationFile_;
    // One command for the connect and the run: the run reads the answers to the
    // statements its connect sent, instead of asking again.
    const update::RunOptions runOptions_;
};
