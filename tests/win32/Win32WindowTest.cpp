// The Win32 window in process: its design as Windows reports it, the keys' routes, a
// failed press with its notice, the close button, and the close button's picture. The
// configured server is an address where nothing listens, so no server is needed.
#include "data/uDM.h"
#include "ui/CloseGlyph.h"
#include "ui/FormDesign.h"
#include "ui/win32/CloseButton.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace ui::design {

// How a failing comparison prints a place (found by argument-dependent lookup).
std::ostream& operator<<(std::ostream& out, const Place& place)
{
    return out << "(" << place.x << "," << place.y << " " << place.width << "x" << place.height << ")";
}

}  // namespace ui::design

namespace {

using Window = ui::Win32MainWindow;

constexpr char kNobodyListens[] = "127.0.0.2";
// The text control of a message box (Windows and Wine alike).
constexpr int kMessageBoxText = 0xFFFF;

using ui::design::Place;

// Where a control sits in its parent's client area.
Place placeOf(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The design's controls as the window knows them.
int idOf(std::string_view name)
{
    static const std::map<std::string_view, int> ids{{ui::design::kGroupBox1.name, Window::kGroupBox1},
                                                     {ui::design::kLabel1.name, Window::kLabel1},
                                                     {ui::design::kEdit1.name, Window::kEdit1},
                                                     {ui::design::kBitBtn3.name, Window::kBitBtn3},
                                                     {ui::design::kBitBtn4.name, Window::kBitBtn4}};
    return ids.at(name);
}

std::wstring wide(std::string_view text)
{
    return ui::win32::toWide(text);
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

// The window as Windows reports it, against the one description of the design.
TEST(Win32Window, ControlsFollowTheDesign)
{
    UnshownWindow unshown;
    EXPECT_EQ(textOf(unshown.window.handle()), wide(ui::design::kWindowCaption));
    RECT outer{};
    GetWindowRect(unshown.window.handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, ui::design::kOuterWidth);
    EXPECT_EQ(outer.bottom - outer.top, ui::design::kOuterHeight);

    for (const ui::design::Control& designed : ui::design::kControls) {
        SCOPED_TRACE(std::string(designed.name));
        const HWND control = unshown.control(idOf(designed.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(textOf(control), wide(designed.caption));

        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        LOGFONTW description{};
        ASSERT_NE(GetObjectW(font, sizeof(description), &description), 0);
        EXPECT_EQ(std::wstring(description.lfFaceName), wide(ui::design::kFontFamily));
        EXPECT_EQ(description.lfHeight, -ui::design::kFontPixelHeight) << "the character height without the leading";
        EXPECT_EQ(description.lfCharSet, EASTEUROPE_CHARSET) << "Czech letters whatever the code page";

        // Every control is the window's own child (so the dialog keys reach it); the group
        // box's contents are designed from the box's corner.
        Place expected = designed.place;
        if (designed.parent == ui::design::Parent::GroupBox1) {
            expected.x += ui::design::kGroupBox1.place.x;
            expected.y += ui::design::kGroupBox1.place.y;
        }
        const Place place = placeOf(control);
        if (expected.width == 0 && expected.height == 0) {
            // Keeps its place and takes the room its text needs in its font.
            EXPECT_EQ(place.x, expected.x);
            EXPECT_EQ(place.y, expected.y);
            const HDC context = GetDC(control);
            const HGDIOBJ previous = SelectObject(context, font);
            const std::wstring text = wide(designed.caption);
            SIZE size{};
            GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
            SelectObject(context, previous);
            ReleaseDC(control, context);
            EXPECT_GE(place.width, size.cx);
            EXPECT_GE(place.height, size.cy);
        } else {
            EXPECT_EQ(place, expected);
        }
    }
    EXPECT_LT(placeOf(unshown.control(Window::kLabel1)).x + placeOf(unshown.control(Window::kLabel1)).width,
              placeOf(unshown.control(Window::kEdit1)).x)
        << "label runs under the field";
}

TEST(Win32Window, TitleBarHasNoSystemMenuAndNoButtons)
{
    UnshownWindow unshown;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(unshown.window.handle(), GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
}

TEST(Win32Window, TabWalksAndEnterPressesAsDesigned)
{
    UnshownWindow unshown;
    const HWND window = unshown.window.handle();
    const auto& order = ui::design::kTabOrder;
    for (std::size_t step = 0; step < order.size(); ++step) {
        SCOPED_TRACE(std::string(order[step]));
        EXPECT_EQ(GetNextDlgTabItem(window, unshown.control(idOf(order[step])), FALSE),
                  unshown.control(idOf(order[(step + 1) % order.size()])));
    }
    const int defaultButton = idOf(ui::design::kDefaultButton);
    EXPECT_EQ(SendMessageW(window, DM_GETDEFID, 0, 0), MAKELRESULT(defaultButton, DC_HASDEFID));
    EXPECT_EQ(GetWindowLongPtrW(unshown.control(defaultButton), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
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
    EXPECT_EQ(GetFocus(), control(idOf(ui::design::kTabOrder.front())));
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

    DrawnButton(HWND button, UINT state) : pixels(kWidth * kHeight)
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
        const auto* drawn = static_cast<const std::uint32_t*>(bits);
        for (int i = 0; i < kWidth * kHeight; ++i)
            pixels[static_cast<std::size_t>(i)] = drawn[i] & 0xFFFFFF;
        SelectObject(context, previous);
        DeleteDC(context);
        DeleteObject(bitmap);
    }

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * kWidth + x)]; }

    // Whether `picture` is drawn with its corner at (left, top): each of its own pixels
    // as it is, and the button's face wherever it is see-through.
    bool shows(const ui::RgbImage& picture, std::uint32_t transparent, int left, int top) const
    {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        const std::uint32_t faceRgb = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const std::uint32_t own = picture.at(x, y);
                if (at(left + x, top + y) != (own == transparent ? faceRgb : own))
                    return false;
            }
        return true;
    }

    // The places where `picture` is drawn whole.
    int placesShowing(const ui::RgbImage& picture, std::uint32_t transparent) const
    {
        int places = 0;
        for (int top = 0; top + picture.height <= kHeight; ++top)
            for (int left = 0; left + picture.width <= kWidth; ++left)
                places += shows(picture, transparent, left, top);
        return places;
    }

    std::vector<std::uint32_t> pixels;
};

// The picture's own square, pixel for pixel: a button that draws no picture, draws the
// olive background or the other state's picture fails, whatever else is on its face.
TEST(Win32Window, CloseButtonShowsItsPictureWithTheBackgroundSeeThrough)
{
    UnshownWindow unshown;
    const HWND button = unshown.control(Window::kBitBtn4);
    const ui::CloseGlyphPictures pictures = ui::closeGlyphPictures();
    const struct {
        const char* state;
        UINT itemState;
        const ui::RgbImage& shown;
        const ui::RgbImage& notShown;
    } cases[] = {
        {"normal", 0, pictures.normal, pictures.disabled},
        {"pushed", ODS_SELECTED, pictures.normal, pictures.disabled},
        {"disabled", ODS_DISABLED, pictures.disabled, pictures.normal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        const DrawnButton drawn(button, c.itemState);
        EXPECT_EQ(drawn.placesShowing(c.shown, pictures.transparent), 1);
        EXPECT_EQ(drawn.placesShowing(c.notShown, pictures.transparent), 0);
    }
}

}  // namespace
