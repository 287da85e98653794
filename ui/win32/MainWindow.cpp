// The main window in plain Win32.
#include "ui/win32/MainWindow.h"

#include "ui/win32/WideText.h"

#include <exception>
#include <stdexcept>

namespace ui {

namespace {

using win32::fromWide;
using win32::toWide;

constexpr wchar_t kWindowClass[] = L"CalendarImportMainWindow";
constexpr wchar_t kApplicationName[] = L"calendar-import";

constexpr char kCaption[] = "Import";
// The outer size, frame and title bar included.
constexpr int kOuterWidth = 507;
constexpr int kOuterHeight = 174;
// A title bar without a system menu has no minimise, maximise or close box: ending is
// the close button's job.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION;

constexpr wchar_t kDesignFontFamily[] = L"MS Sans Serif";
// 8 point at 96 pixels per inch, the character height without the internal leading.
constexpr int kDesignFontPixelHeight = 11;

// Places in the window's client area; the group box's contents are given from its own
// corner, as designed.
constexpr POINT kGroupBoxCorner{8, 8};
constexpr RECT kGroupBox1Place{8, 8, 8 + 481, 8 + 121};
constexpr POINT kLabel1InBox{24, 24};
constexpr RECT kEdit1InBox{72, 16, 72 + 129, 16 + 21};
constexpr RECT kBitBtn3Place{248, 72, 248 + 105, 72 + 25};
constexpr RECT kBitBtn4Place{376, 72, 376 + 75, 72 + 25};

constexpr UINT kNoticeStyle = MB_TASKMODAL | MB_ICONERROR | MB_OK;
static_assert(kNoticeStyle == 0x2010);

RECT inGroupBox(RECT place)
{
    OffsetRect(&place, kGroupBoxCorner.x, kGroupBoxCorner.y);
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
    win32::OwnedFont font(CreateFontW(-kDesignFontPixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                      EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, kDesignFontFamily));
    if (!font)
        throw std::runtime_error("CreateFont failed for " + fromWide(kDesignFontFamily));
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

// No exception may cross Windows' own frames on its way out of a window procedure. One
// that reaches the edge of a handler is shown as the error it is, and the window stays.
template <typename Handler>
void reportingEscapedErrors(Handler&& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& error) {
        MessageBoxW(nullptr, toWide(error.what()).c_str(), kApplicationName, kNoticeStyle);
    } catch (...) {
        MessageBoxW(nullptr, L"unknown error", kApplicationName, kNoticeStyle);
    }
}

}  // namespace

void showNoticeBox(std::string_view text, std::string_view caption)
{
    MessageBoxW(nullptr, toWide(text).c_str(), toWide(caption).c_str(), kNoticeStyle);
}

Win32MainWindow::Win32MainWindow(TDM& dataModule, std::filesystem::path configurationFile)
    : frmMain_(*this, dataModule, std::move(configurationFile)), font_(designFont())
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, &Win32MainWindow::windowProcedure);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kOuterWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kOuterHeight) / 2;
    window_.reset(CreateWindowExW(0, kWindowClass, toWide(kCaption).c_str(), kWindowStyle, left, top, kOuterWidth,
                                  kOuterHeight, nullptr, nullptr, instance, this));
    if (!window_)
        throw std::runtime_error("CreateWindowEx failed with code " + std::to_string(GetLastError()));
    createControls();
}

HWND Win32MainWindow::addControl(const wchar_t* windowClass, std::string_view text, DWORD style,
                                 DWORD extendedStyle, RECT place, int id)
{
    const HWND control = CreateWindowExW(extendedStyle, windowClass, toWide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                         place.left, place.top, place.right - place.left, place.bottom - place.top,
                                         window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         GetModuleHandleW(nullptr), nullptr);
    if (!control)
        throw std::runtime_error("CreateWindowEx failed for a control with code " + std::to_string(GetLastError()));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

// In tab order: the dialog keys walk the window's children in the order they were made.
// All are the window's own children, the group box's contents too, so that Tab and
// Enter reach them; the box is drawn behind them.
void Win32MainWindow::createControls()
{
    addControl(L"BUTTON", "  Database  ", BS_GROUPBOX, 0, kGroupBox1Place, kGroupBox1);
    const std::string labelText = "Server:";
    const HWND label = addControl(L"STATIC", labelText, SS_LEFT | SS_NOPREFIX, 0, RECT{}, kLabel1);
    const SIZE labelSize = textSize(label, font_.get(), toWide(labelText));
    const RECT labelPlace =
        inGroupBox({kLabel1InBox.x, kLabel1InBox.y, kLabel1InBox.x + labelSize.cx, kLabel1InBox.y + labelSize.cy});
    MoveWindow(label, labelPlace.left, labelPlace.top, labelSize.cx, labelSize.cy, FALSE);
    edit_ = addControl(L"EDIT", "localhost", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, inGroupBox(kEdit1InBox),
                       kEdit1);
    startButton_ = addControl(L"BUTTON", "SPUSTIT >>>", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kBitBtn3Place, kBitBtn3);
    addControl(L"BUTTON", "Zavřít", WS_TABSTOP | BS_OWNERDRAW, 0, kBitBtn4Place, kBitBtn4);
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
