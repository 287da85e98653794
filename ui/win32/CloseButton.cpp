// Draws the close button: frame, picture, caption and focus mark.
#include "ui/win32/CloseButton.h"

#include "ui/CloseGlyph.h"
#include "ui/FormDesign.h"

#include <stdexcept>
#include <string>

namespace ui::win32 {

namespace {

constexpr int kPictureSize = design::kCloseGlyphSize;
// Between the picture and the caption, and from the focus mark to the frame.
constexpr int kSpacing = 4;
constexpr int kFocusInset = 4;

// A 32-bit bitmap of the image, whose rows Windows reads from the top.
OwnedBitmap bitmapOf(const RgbImage& image)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        throw std::runtime_error("CreateDIBSection failed for the close button's picture");
    // A 32-bit DIB pixel is blue, green, red, unused: 0x00RRGGBB read as a little-endian word.
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::copy(image.pixels.begin(), image.pixels.end(), pixels);
    return bitmap;
}

COLORREF colourRefOf(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::wstring captionOf(HWND control)
{
    std::wstring caption(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(control, caption.data(), static_cast<int>(caption.size()))));
    return caption;
}

void drawCaption(HDC context, const std::wstring& caption, RECT place, bool disabled)
{
    SetBkMode(context, TRANSPARENT);
    constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (disabled) {
        // Windows' disabled text: a light copy one pixel down and right, the shadow over it.
        RECT light = place;
        OffsetRect(&light, 1, 1);
        SetTextColor(context, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(context, caption.c_str(), static_cast<int>(caption.size()), &light, kFormat);
        SetTextColor(context, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(context, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextW(context, caption.c_str(), static_cast<int>(caption.size()), &place, kFormat);
}

}  // namespace

CloseButtonFace::CloseButtonFace()
{
    const CloseGlyphPictures pictures = closeGlyphPictures();
    normal_ = bitmapOf(pictures.normal);
    disabled_ = bitmapOf(pictures.disabled);
    transparent_ = colourRefOf(pictures.transparent);
}

void CloseButtonFace::drawPicture(HDC context, int left, int top, bool disabled) const
{
    OwnedMemoryContext source(CreateCompatibleDC(context));
    if (!source)
        return;
    const Selection picture(source.get(), disabled ? disabled_.get() : normal_.get());
    TransparentBlt(context, left, top, kPictureSize, kPictureSize, source.get(), 0, 0, kPictureSize, kPictureSize,
                   transparent_);
}

void CloseButtonFace::draw(const DRAWITEMSTRUCT& item, HFONT font) const
{
    const HDC context = item.hDC;
    RECT frame = item.rcItem;
    const bool pushed = item.itemState & ODS_SELECTED;
    const bool disabled = item.itemState & ODS_DISABLED;
    DrawFrameControl(context, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    const Selection captionFont(context, font);
    const std::wstring caption = captionOf(item.hwndItem);
    SIZE captionSize{};
    GetTextExtentPoint32W(context, caption.c_str(), static_cast<int>(caption.size()), &captionSize);

    // Picture and caption together in the middle; a pushed button's face moves one
    // pixel down and right.
    const int shift = pushed ? 1 : 0;
    const int contentWidth = kPictureSize + kSpacing + captionSize.cx;
    const int left = frame.left + (frame.right - frame.left - contentWidth) / 2 + shift;
    const int pictureTop = frame.top + (frame.bottom - frame.top - kPictureSize) / 2 + shift;
    drawPicture(context, left, pictureTop, disabled);
    RECT captionPlace{left + kPictureSize + kSpacing, frame.top + shift, frame.right, frame.bottom + shift};
    drawCaption(context, caption, captionPlace, disabled);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        DrawFocusRect(context, &focus);
    }
}

}  // namespace ui::win32
