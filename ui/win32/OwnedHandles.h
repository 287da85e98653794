// Owners for the Windows handles the window makes: each is released when its owner goes.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace ui::win32 {

struct WindowDestroyer {
    void operator()(HWND window) const noexcept { DestroyWindow(window); }
};
struct GdiObjectDeleter {
    void operator()(void* object) const noexcept { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
struct DeviceContextDeleter {
    void operator()(HDC context) const noexcept { DeleteDC(context); }
};

// Child windows go with their parent; only a top-level window needs an owner.
using OwnedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using OwnedMemoryContext = std::unique_ptr<std::remove_pointer_t<HDC>, DeviceContextDeleter>;

// Selects an object into a device context and puts the previous one back on leaving.
class Selection {
public:
    Selection(HDC context, HGDIOBJ object) : context_(context), previous_(SelectObject(context, object)) {}
    ~Selection() { SelectObject(context_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC context_;
    HGDIOBJ previous_;
};

}  // namespace ui::win32
