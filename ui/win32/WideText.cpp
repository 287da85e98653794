// UTF-8 and UTF-16 through Windows' own conversion.
#include "ui/win32/WideText.h"

#include "platform/CodePage.h"

namespace ui::win32 {

std::wstring toWide(std::string_view utf8)
{
    return platform::utf8ToWide(utf8);
}

std::string fromWide(std::wstring_view utf16)
{
    return platform::wideToUtf8(utf16);
}

}  // namespace ui::win32
