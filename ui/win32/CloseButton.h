// The close button's face: Windows' own push buttons show a picture or a caption, never
// both, so the window draws this one itself, picture left of the caption.
#pragma once

#include "ui/win32/OwnedHandles.h"

#include <windows.h>

namespace ui::win32 {

class CloseButtonFace {
public:
    // Throws std::runtime_error when the project's XPM text is not the pictures it must be.
    CloseButtonFace();

    // Draws the button for its WM_DRAWITEM: pushed, disabled and focused as Windows
    // draws its own buttons, the caption in `font`.
    void draw(const DRAWITEMSTRUCT& item, HFONT font) const;

private:
    void drawPicture(HDC context, int left, int top, bool disabled) const;

    OwnedBitmap normal_;
    OwnedBitmap disabled_;
    COLORREF transparent_ = 0;
};

}  // namespace ui::win32
