// The main window in plain Win32: the designed controls, the notices, and the window's
// messages passed on to the window's handlers.
#pragma once

#include "ui/FormDesign.h"
#include "ui/MainWindowView.h"
#include "ui/uMain.h"
#include "ui/win32/CloseButton.h"
#include "ui/win32/OwnedHandles.h"

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

class TDM;

namespace ui {

class Win32MainWindow final : public MainWindowView {
public:
    // The controls' identifiers, as GetDlgItem finds them; away from IDOK and IDCANCEL,
    // which the dialog keys send.
    enum ControlId : int { kGroupBox1 = 100, kEdit1, kBitBtn3, kBitBtn4, kLabel1 };

    // `dataModule` must outlive the window. Throws std::runtime_error when Windows
    // refuses to make the window.
    Win32MainWindow(TDM& dataModule, std::filesystem::path configurationFile);
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // Runs the start-up work the first time, before the window is on the screen, and
    // then shows the window, unless that work has already asked for the end.
    void show();
    // Dispatches messages, with a dialog's keys (Tab, Enter, Escape), until the end is
    // requested; the program's exit status.
    int exec();

    HWND handle() const noexcept { return window_.get(); }

    std::string serverFieldText() const override;
    void setServerFieldText(std::string_view text) override;
    void setStartCaption(std::string_view caption) override;
    void showNotice(std::string_view text, std::string_view caption) override;
    void requestEnd() override;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onActivate(bool active);
    void onCommand(int control, int notification);
    HWND addControl(const wchar_t* windowClass, const design::Control& designed, DWORD style, DWORD extendedStyle,
                    ControlId id);
    void createControls();

    TfrmMain frmMain_;
    win32::CloseButtonFace closeButtonFace_;
    win32::OwnedFont font_;
    win32::OwnedWindow window_;
    HWND edit_ = nullptr;
    HWND startButton_ = nullptr;
    // The control that had the keyboard when the window last lost it; it gets it back.
    HWND focusBeforeDeactivation_ = nullptr;
    bool formShowDone_ = false;
    bool endRequested_ = false;
};

// Brings the main window of the program's running instance, or the notice over it, to the
// front, restored when it is minimised; nothing when that instance shows no window.
void bringRunningWindowToFront();

// A notice: an error box with one OK button, without an owner, that stops the whole
// program (MB_TASKMODAL) until dismissed. Texts are UTF-8.
void showNoticeBox(std::string_view text, std::string_view caption);

}  // namespace ui
