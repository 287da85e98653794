// The Win32 window in process: its design as Windows reports it, the keys' routes, a
// failed press with its notice, the close button, and the close button's picture. The
// configured server is an address where nothing listens, so no server is needed.
#include "data/uDM.h"
#include "ui/win32/CloseButton.h"
#include "ui/win32/MainWindow.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

namespace {

using Window = ui::Win32MainWindow;

constexpr char kNobodyListens[] = "127.0.0.2";
// The text control of a message box (Windows and Wine alike).
constexpr int kMessageBoxText = 0xFFFF;

struct Place {
    int left, top, width, height;
    bool operator==(const Place&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Place& place)
{
    return out << "(" << place.left << "," << place.top << " " << place.width << "x" << place.height << ")";
}

// Where a control sits in its parent's client area.
Place placeOf(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::wstring textOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool quitWasPosted()
{
    MSG message{};
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// A key as the message loop passes it: through the dialog keys first.
void pressKey(Window& window, HWND focus, WPARAM key)
{
    SetFocus(focus);
    MSG message{focus, WM_KEYDOWN, key, 0, 0, {}};
    if (!IsDialogMessageW(window.handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A window that is made but never shown, and so never connects.
struct UnshownWindow {
    HWND control(int id) const { return GetDlgItem(window.handle(), id); }

    TDM dm;
    Window window{dm, R"(c:\nonexistent\quorvel.ini)"};
};

TEST(Win32Window, ControlsSitWhereDesignedAndTheOuterSizeIsAsDesigned)
{
    UnshownWindow unshown;
    // The group box's contents are designed from its corner (8, 8).
    const struct {
        const char* name;
        int id;
        Place place;
    } cases[] = {
        {"GroupBox1", Window::kGroupBox1, {8, 8, 481, 121}},
        {"Edit1", Window::kEdit1, {8 + 72, 8 + 16, 129, 21}},
        {"BitBtn3", Window::kBitBtn3, {248, 72, 105, 25}},
        {"BitBtn4", Window::kBitBtn4, {376, 72, 75, 25}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(placeOf(unshown.control(c.id)), c.place);
    }

    // The label keeps its place and takes the room its text needs in its font.
    const HWND label = unshown.control(Window::kLabel1);
    const Place labelPlace = placeOf(label);
    EXPECT_EQ(labelPlace.left, 8 + 24);
    EXPECT_EQ(labelPlace.top, 8 + 24);
    const HDC context = GetDC(label);
    const HGDIOBJ previous = SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32W(context, L"Server:", 7, &text);
    SelectObject(context, previous);
    ReleaseDC(label, context);
    EXPECT_GE(labelPlace.width, text.cx);
    EXPECT_GE(labelPlace.height, text.cy);
    EXPECT_LT(labelPlace.left + labelPlace.width, placeOf(unshown.control(Window::kEdit1)).left)
        << "label runs under the field";

    RECT outer{};
    GetWindowRect(unshown.window.handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, 507);
    EXPECT_EQ(outer.bottom - outer.top, 174);
}

TEST(Win32Window, TitleBarHasNoSystemMenuAndNoButtons)
{
    UnshownWindow unshown;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(unshown.window.handle(), GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
}

TEST(Win32Window, CaptionsAreTheDesignedOnesWithTheirCzechLetters)
{
    UnshownWindow unshown;
    EXPECT_EQ(textOf(unshown.window.handle()), L"Import");
    const struct {
        int id;
        std::wstring text;
    } cases[] = {
        {Window::kGroupBox1, L"  Database  "}, {Window::kLabel1, L"Server:"},
        {Window::kEdit1, L"localhost"},        {Window::kBitBtn3, L"SPUSTIT >>>"},
        {Window::kBitBtn4, L"Zav\u0159\u00EDt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(textOf(unshown.control(c.id)), c.text);
    }
}

TEST(Win32Window, EveryControlHasTheDesignFont)
{
    UnshownWindow unshown;
    for (int id : {Window::kGroupBox1, Window::kLabel1, Window::kEdit1, Window::kBitBtn3, Window::kBitBtn4}) {
        SCOPED_TRACE(id);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(unshown.control(id), WM_GETFONT, 0, 0));
        LOGFONTW description{};
        ASSERT_NE(GetObjectW(font, sizeof(description), &description), 0);
        EXPECT_EQ(std::wstring(description.lfFaceName), L"MS Sans Serif");
        EXPECT_EQ(description.lfHeight, -11) << "8 point at 96 pixels per inch, without the leading";
        EXPECT_EQ(description.lfCharSet, EASTEUROPE_CHARSET) << "Czech letters whatever the code page";
    }
}

TEST(Win32Window, TabWalksFieldStartCloseAndTheStartButtonIsTheDefault)
{
    UnshownWindow unshown;
    const HWND window = unshown.window.handle();
    const HWND edit = unshown.control(Window::kEdit1);
    const HWND start = unshown.control(Window::kBitBtn3);
    const HWND close = unshown.control(Window::kBitBtn4);
    EXPECT_EQ(GetNextDlgTabItem(window, edit, FALSE), start);
    EXPECT_EQ(GetNextDlgTabItem(window, start, FALSE), close);
    EXPECT_EQ(GetNextDlgTabItem(window, close, FALSE), edit);
    EXPECT_EQ(SendMessageW(window, DM_GETDEFID, 0, 0), MAKELRESULT(Window::kBitBtn3, DC_HASDEFID));
    EXPECT_EQ(GetWindowLongPtrW(start, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

// What a notice showed, read by a second thread while it is up; it then presses OK.
struct SeenNotice {
    std::wstring caption;
    std::wstring text;
    std::wstring startCaption;
    bool hasOwner = true;
    bool windowEnabled = true;
    bool hasCancel = true;
};

class NoticeAnswerer {
public:
    explicit NoticeAnswerer(HWND mainWindow)
        : thread_([this, mainWindow] {
              for (int tries = 0; tries < 3000 && !stop_; ++tries) {
                  const HWND box = FindWindowW(L"#32770", nullptr);
                  if (!box || !IsWindowVisible(box)) {
                      Sleep(10);
                      continue;
                  }
                  wchar_t text[256]{};
                  GetDlgItemTextW(box, kMessageBoxText, text, 256);
                  seen_ = {textOf(box),
                           text,
                           textOf(GetDlgItem(mainWindow, Window::kBitBtn3)),
                           GetWindow(box, GW_OWNER) != nullptr,
                           IsWindowEnabled(mainWindow) != FALSE,
                           GetDlgItem(box, IDCANCEL) != nullptr};
                  count_++;
                  PostMessageW(box, WM_COMMAND, IDOK, 0);
                  while (IsWindow(box) && !stop_)
                      Sleep(10);
              }
          })
    {
    }
    ~NoticeAnswerer()
    {
        stop_ = true;
        thread_.join();
    }
    int count() const { return count_; }
    const SeenNotice& seen() const { return seen_; }

private:
    std::atomic<bool> stop_ = false;
    std::atomic<int> count_ = 0;
    SeenNotice seen_;
    std::thread thread_;
};

class ShownWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ofstream(configuration, std::ios::binary) << "[DATABASE]\r\nIP=" << kNobodyListens << "\r\n";
        window.show();
    }
    void TearDown() override
    {
        (void)quitWasPosted();
        std::filesystem::remove(configuration);
    }

    HWND control(int id) const { return GetDlgItem(window.handle(), id); }

    const std::filesystem::path configuration =
        std::filesystem::temp_directory_path() / ("calendar-win32-" + std::to_string(GetCurrentProcessId()) + ".ini");
    TDM dm;
    Window window{dm, configuration};
};

TEST_F(ShownWindow, AppearsWithTheConfiguredServerAndTheKeyboardInTheField)
{
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_EQ(textOf(control(Window::kEdit1)), L"127.0.0.2");
    EXPECT_EQ(textOf(control(Window::kBitBtn3)), L"SPUSTIT >>>");
    EXPECT_EQ(GetFocus(), control(Window::kEdit1));
    EXPECT_FALSE(quitWasPosted());
}

TEST_F(ShownWindow, EnterInTheFieldRunsTheStartButtonAndAFailedConnectIsReported)
{
    NoticeAnswerer notices(window.handle());
    pressKey(window, control(Window::kEdit1), VK_RETURN);

    ASSERT_EQ(notices.count(), 1);
    const SeenNotice& notice = notices.seen();
    EXPECT_EQ(notice.caption, L"CHYBA");
    EXPECT_EQ(notice.text, L"Nepoda\u0159ilo se p\u0159ipojit k serveru !");
    EXPECT_FALSE(notice.hasOwner);
    EXPECT_FALSE(notice.windowEnabled) << "the notice stops the whole program";
    EXPECT_FALSE(notice.hasCancel) << "OK is its only button";
    EXPECT_EQ(notice.startCaption, L"P\u0159ipojuji se") << "caption while the notice is up";
    EXPECT_EQ(textOf(control(Window::kBitBtn3)), L"SPUSTIT >>>") << "caption after the notice";
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_FALSE(quitWasPosted()) << "the program goes on";
}

TEST_F(ShownWindow, EscapeDoesNotEndTheProgram)
{
    pressKey(window, control(Window::kEdit1), VK_ESCAPE);
    pressKey(window, control(Window::kBitBtn3), VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_FALSE(quitWasPosted());
}

TEST_F(ShownWindow, CloseButtonEndsTheProgramAtOnce)
{
    NoticeAnswerer notices(window.handle());
    SendMessageW(control(Window::kBitBtn4), BM_CLICK, 0, 0);
    EXPECT_TRUE(quitWasPosted());
    EXPECT_EQ(notices.count(), 0) << "no confirmation";
}

// The close button drawn into a bitmap, as Windows asks for it with WM_DRAWITEM.
struct DrawnButton {
    static constexpr int kWidth = 75;
    static constexpr int kHeight = 25;

    DrawnButton(HWND button, UINT state)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HDC context = CreateCompatibleDC(nullptr);
        const HGDIOBJ previous = SelectObject(context, bitmap);
        const DRAWITEMSTRUCT item{ODT_BUTTON, Window::kBitBtn4, 0, ODA_DRAWENTIRE, state, button, context,
                                  RECT{0, 0, kWidth, kHeight}, 0};
        ui::win32::CloseButtonFace().draw(item, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        for (int i = 0; i < kWidth * kHeight; ++i)
            colours[pixels[i] & 0xFFFFFF]++;
        SelectObject(context, previous);
        DeleteDC(context);
        DeleteObject(bitmap);
    }

    int count(std::uint32_t rgb) const
    {
        const auto found = colours.find(rgb);
        return found == colours.end() ? 0 : found->second;
    }

    std::map<std::uint32_t, int> colours;
};

TEST(Win32Window, CloseButtonShowsARedCrossAndAGreyOneWhenDisabled)
{
    UnshownWindow unshown;
    const HWND button = unshown.control(Window::kBitBtn4);
    constexpr std::uint32_t kRed = 0xFF0000, kGrey = 0x808080, kOlive = 0x808000;

    const DrawnButton normal(button, 0);
    EXPECT_GT(normal.count(kRed), 0);
    EXPECT_EQ(normal.count(kOlive), 0) << "the olive background must be transparent";

    const DrawnButton disabled(button, ODS_DISABLED);
    EXPECT_EQ(disabled.count(kRed), 0);
    EXPECT_GT(disabled.count(kGrey), 0);
    EXPECT_EQ(disabled.count(kOlive), 0);
}

}  // namespace
