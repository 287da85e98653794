// The main window in plain Win32.
#include "ui/win32/MainWindow.h"

#include "ui/EscapedErrors.h"
#include "ui/FormDesign.h"
#include "ui/win32/WideText.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace ui {

namespace {

using win32::fromWide;
using win32::toWide;

constexpr wchar_t kWindowClass[] = L"CalendarImportMainWindow";
constexpr wchar_t kApplicationName[] = L"calendar-import";

// A title bar without a system menu has no minimise, maximise or close box: ending is
// the close button's job.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION;

constexpr UINT kNoticeStyle = MB_TASKMODAL | MB_ICONERROR | MB_OK;
static_assert(kNoticeStyle == 0x2010);

// Where a control of the design sits in the window's client area: the group box's
// contents are designed from its corner, but are the window's own children (below).
RECT placeInWindow(const design::Control& control, SIZE size)
{
    RECT place{control.place.x, control.place.y, control.place.x + size.cx, control.place.y + size.cy};
    if (control.parent == design::Parent::GroupBox1)
        OffsetRect(&place, design::kGroupBox1.place.x, design::kGroupBox1.place.y);
    return place;
}

void registerWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // The program's own calendar icon (resource 1); Windows' generic one where the
    // program has none (the tests' executables).
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!windowClass.hIcon)
        windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("RegisterClassEx failed with code " + std::to_string(GetLastError()));
}

// The design's font. Czech letters need the Central European character set: where the
// design's face lacks it, Windows takes the nearest face that has it.
win32::OwnedFont designFont()
{
    win32::OwnedFont font(CreateFontW(-design::kFontPixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                      EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, toWide(design::kFontFamily).c_str()));
    if (!font)
        throw std::runtime_error("CreateFont failed for " + std::string(design::kFontFamily));
    return font;
}

// The size `text` takes in `font`: a label sized to its text.
SIZE textSize(HWND control, HFONT font, const std::wstring& text)
{
    const HDC context = GetDC(control);
    SIZE size{};
    {
        const win32::Selection selected(context, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(context, &metrics);
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        size.cy = metrics.tmHeight;
    }
    ReleaseDC(control, context);
    return size;
}

void showErrorBox(std::string_view text)
{
    MessageBoxW(nullptr, toWide(text).c_str(), kApplicationName, kNoticeStyle);
}

template <typename Handler>
void reportingEscapedErrors(Handler&& handler) noexcept
{
    ui::reportingEscapedErrors(std::forward<Handler>(handler), showErrorBox);
}

}  // namespace

void showNoticeBox(std::string_view text, std::string_view caption)
{
    MessageBoxW(nullptr, toWide(text).c_str(), toWide(caption).c_str(), kNoticeStyle);
}

void bringRunningWindowToFront()
{
    const HWND running = FindWindowW(kWindowClass, nullptr);
    if (!running || !IsWindowVisible(running))
        return;
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    // A notice open over the window is what the user must answer first.
    SetForegroundWindow(GetLastActivePopup(running));
}

Win32MainWindow::Win32MainWindow(TDM& dataModule, std::filesystem::path configurationFile)
    : frmMain_(*this, dataModule, std::move(configurationFile)), font_(designFont())
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, &Win32MainWindow::windowProcedure);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - design::kOuterWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - design::kOuterHeight) / 2;
    window_.reset(CreateWindowExW(0, kWindowClass, toWide(design::kWindowCaption).c_str(), kWindowStyle, left, top,
                                  design::kOuterWidth, design::kOuterHeight, nullptr, nullptr, instance, this));
    if (!window_)
        throw std::runtime_error("CreateWindowEx failed with code " + std::to_string(GetLastError()));
    createControls();
}

HWND Win32MainWindow::addControl(const wchar_t* windowClass, const design::Control& designed, DWORD style,
                                 DWORD extendedStyle, ControlId id)
{
    const HWND control = CreateWindowExW(extendedStyle, windowClass, toWide(designed.caption).c_str(),
                                         WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_.get(),
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                         nullptr);
    if (!control)
        throw std::runtime_error("CreateWindowEx failed for a control with code " + std::to_string(GetLastError()));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    const bool sizedToText = designed.place.width == 0 && designed.place.height == 0;
    const SIZE size = sizedToText ? textSize(control, font_.get(), toWide(designed.caption))
                                  : SIZE{designed.place.width, designed.place.height};
    const RECT place = placeInWindow(designed, size);
    MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
    return control;
}

// In tab order: the dialog keys walk the window's children in the order they were made.
// All are the window's own children, the group box's contents too, so that Tab and
// Enter reach them; the box is drawn behind them.
void Win32MainWindow::createControls()
{
    addControl(L"BUTTON", design::kGroupBox1, BS_GROUPBOX, 0, kGroupBox1);
    addControl(L"STATIC", design::kLabel1, SS_LEFT | SS_NOPREFIX, 0, kLabel1);
    edit_ = addControl(L"EDIT", design::kEdit1, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kEdit1);
    startButton_ = addControl(L"BUTTON", design::kBitBtn3, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kBitBtn3);
    addControl(L"BUTTON", design::kBitBtn4, WS_TABSTOP | BS_OWNERDRAW, 0, kBitBtn4);
}

void Win32MainWindow::show()
{
    if (!formShowDone_) {
        formShowDone_ = true;
        reportingEscapedErrors([this] { frmMain_.FormShow(); });
    }
    // A run at start-up has already ended the program: the window never appears.
    if (endRequested_)
        return;
    ShowWindow(window_.get(), SW_SHOW);
    UpdateWindow(window_.get());
    SetForegroundWindow(window_.get());
    SetFocus(edit_);
}

int Win32MainWindow::exec()
{
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            return 1;
        if (IsDialogMessageW(window_.get(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK Win32MainWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Messages before WM_NCCREATE, and those while the window is being destroyed, when
    // the object may be half gone, take Windows' defaults.
    if (!self || !self->window_ || message == WM_DESTROY || message == WM_NCDESTROY)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->onMessage(message, wParam, lParam);
}

LRESULT Win32MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case DM_GETDEFID:
        // Enter, wherever the keyboard is in the window, presses the start button.
        return MAKELRESULT(kBitBtn3, DC_HASDEFID);
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != kBitBtn4)
            break;
        closeButtonFace_.draw(*item, font_.get());
        return TRUE;
    }
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_CLOSE:
        // Closing from outside (the task list, the end of the session) is the close button.
        reportingEscapedErrors([this] { frmMain_.BitBtn4Click(); });
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_.get(), message, wParam, lParam);
}

// A plain window hands the keyboard to itself when it becomes active again (after a
// notice, say); as in a dialog, the control that had it gets it back.
void Win32MainWindow::onActivate(bool active)
{
    if (!active) {
        const HWND focus = GetFocus();
        if (focus && IsChild(window_.get(), focus))
            focusBeforeDeactivation_ = focus;
        return;
    }
    SetFocus(focusBeforeDeactivation_ ? focusBeforeDeactivation_ : edit_);
}

void Win32MainWindow::onCommand(int control, int notification)
{
    if (notification != BN_CLICKED)
        return;
    // Escape sends IDCANCEL, which nothing here answers: it does not end the program.
    switch (control) {
    case kBitBtn3: reportingEscapedErrors([this] { frmMain_.BitBtn3Click(); }); break;
    case kBitBtn4: reportingEscapedErrors([this] { frmMain_.BitBtn4Click(); }); break;
    default: break;
    }
}

std::string Win32MainWindow::serverFieldText() const
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
    return fromWide(text);
}

void Win32MainWindow::setServerFieldText(std::string_view text)
{
    SetWindowTextW(edit_, toWide(text).c_str());
}

void Win32MainWindow::setStartCaption(std::string_view caption)
{
    SetWindowTextW(startButton_, toWide(caption).c_str());
    // The run that follows blocks the window; the new caption shows during it.
    UpdateWindow(startButton_);
}

void Win32MainWindow::showNotice(std::string_view text, std::string_view caption)
{
    showNoticeBox(text, caption);
}

void Win32MainWindow::requestEnd()
{
    endRequested_ = true;
    PostQuitMessage(0);
}

}  // namespace ui
