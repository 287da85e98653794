// UTF-8, the program's texts, to and from UTF-16, the texts of Windows' W functions, so
// that Czech letters show whatever code page the machine is set to.
#pragma once

#include <string>
#include <string_view>

namespace ui::win32 {

std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view utf16);

}  // namespace ui::win32
